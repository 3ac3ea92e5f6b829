#pragma once
#include "Vezedad/foundation/OrderedMap.h"
#include "Vezedad/foundation/VezedadExport.h"

#include <QString>
#include <QVariant>

namespace Vezedad {

enum WritableSetting : qint32 {
    wsOptionAVersion = 0,
    wsOptionBVersion = 1,
    wsOptionCVersion = 2,
    wsReportYear = 3,
    wsCountySelectorBehavior = 4,
    wsCountySelectorDefault = 5,
    wsCountySelectorSorting = 6,
    wsReportRootPath = 7,
    wsResourcePath = 8,
    wsBackColor = 9,
};

// One cached setting.
class VEZEDAD_EXPORT ConfigItem {
public:
    ConfigItem(const QString& name, const QVariant& value);
    const QString& Name() const { return m_name; }
    const QVariant& Original() const { return m_original; }
    bool IsDirty() const;
    void MarkClean() { m_original = Value; }
    void Reset() { Value = m_original; }

    QVariant Value;

private:
    QString m_name;
    QVariant m_original;
};

// The system's settings, read from the per-user hive, then the machine hive,
// then the built-in default, and cached. The report year is written at once;
// every other change when SaveAllSettings runs or the object ends. Made only
// by its factory (one per thread, through Globals::Configuration).
class VEZEDAD_EXPORT Configuration {
public:
    Configuration();
    ~Configuration();
    Configuration(const Configuration&) = delete;
    Configuration& operator=(const Configuration&) = delete;

    static const QString RegistryKey; // "SOFTWARE\ZIDIVO"

    QString BaseAddress();
    qint32 BackColor();
    void setBackColor(qint32 value);
    qint32 CountySelectorBehavior();
    void setCountySelectorBehavior(qint32 value);
    QString CountySelectorDefault();
    void setCountySelectorDefault(const QString& value);
    qint32 CountySelectorSorting();
    void setCountySelectorSorting(qint32 value);
    QString Host();
    QString OptionAVersion();
    void setOptionAVersion(const QString& value);
    QString OptionBVersion();
    void setOptionBVersion(const QString& value);
    QString OptionCVersion();
    void setOptionCVersion(const QString& value);
    QString ResourcePath();
    void setResourcePath(const QString& value);
    bool ShowPrompt();
    void setShowPrompt(bool value);
    void Clear();
    QString GetDynamicSetting(const QString& settingName);
    void SetDynamicSetting(const QString& settingName, const QString& strValue);
    void Reset(qint32 lngValueID);
    void SaveAllSettings();

    // Inside the library only: the report model keeps these.
    QString ReportRoot();
    void setReportRoot(const QString& value);
    qint16 ReportYear();
    void setReportYear(qint16 value);

    // The built-in defaults that depend on the platform.
    static QString DefaultHost();
    static QString DefaultReportRoot();
    const QString& DefaultResourcePath() const { return m_defaultResourcePath; }

private:
    QVariant GetRegSetting(const QString& name, const QVariant& defaultValue);
    ConfigItem& GetItem(const QString& name, const QVariant& defaultValue);
    void SaveItem(ConfigItem& item);
    void setValue(const QString& name, const QVariant& defaultValue, const QVariant& value);
    qint32 getLong(const QString& name, qint32 defaultValue);
    QString getText(const QString& name, const QString& defaultValue);

    OrderedMap<QString, ConfigItem> m_cache;
    QString m_defaultResourcePath;
};

} // namespace Vezedad

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Numbers.h"
#include "Vezedad/foundation/Registry.h"
#include "Vezedad/foundation/Utilities.h"

#include <QDir>
#include <QStandardPaths>
#include <optional>

namespace Vezedad {

using namespace RegAPI;

const QString Configuration::RegistryKey = QStringLiteral("SOFTWARE\\ZIDIVO");

namespace {

bool isInteger(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::UShort: return true;
    default: return false;
    }
}

const QString kConversionSource = QStringLiteral("Vezedad");

const char* const kWritableNames[] = {
    "OptionAVersion",        "OptionBVersion",        "OptionCVersion", "ReportYear",   "CountySelectorBehavior",
    "CountySelectorDefault", "CountySelectorSorting", "ReportRoot",     "ResourcePath", "BackColor"};

const QString kBaseAddress = QStringLiteral("BaseAddress");
const QString kBackColor = QStringLiteral("BackColor");
const QString kCountyBehavior = QStringLiteral("CountySelectorBehavior");
const QString kCountyDefault = QStringLiteral("CountySelectorDefault");
const QString kCountySorting = QStringLiteral("CountySelectorSorting");
const QString kHost = QStringLiteral("Host");
const QString kOptionA = QStringLiteral("OptionAVersion");
const QString kOptionB = QStringLiteral("OptionBVersion");
const QString kOptionC = QStringLiteral("OptionCVersion");
const QString kResourcePath = QStringLiteral("ResourcePath");
const QString kShowPrompt = QStringLiteral("ShowPrompt");
const QString kReportRoot = QStringLiteral("ReportRoot");
const QString kReportYear = QStringLiteral("ReportYear");
const QString kDefaultVersion = QStringLiteral("0.0.0");
constexpr qint32 kDefaultBackColor = 0xFFFFA0;

} // namespace

ConfigItem::ConfigItem(const QString& name, const QVariant& value) : Value(value), m_name(name) { MarkClean(); }

bool ConfigItem::IsDirty() const {
    if (!Value.isValid() || !m_original.isValid()) return Value.isValid() != m_original.isValid();
    if (isInteger(Value) && isInteger(m_original)) return Value.toLongLong() != m_original.toLongLong();
    if (isInteger(Value) != isInteger(m_original)) return true;
    return Value.toString() != m_original.toString();
}

Configuration::Configuration() {
    modGlobals::requireFactory(QStringLiteral("Configuration"));
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) data = QDir::homePath() + QStringLiteral("/.local/share");
    m_defaultResourcePath = Globals::FSO().BuildPath(data, QStringLiteral("ZIDIVO"));
    Utilities::CreateFolder(m_defaultResourcePath);
}

Configuration::~Configuration() {
    try {
        SaveAllSettings();
    } catch (...) {
        // Nothing can be reported while the library ends; a setting that
        // could not be written stays as it was stored.
    }
    Clear();
}

QString Configuration::DefaultHost() {
    // Nothing listens on the discard port of this machine, so an unset host
    // fails at once instead of waiting for a time-out.
    return QStringLiteral("127.0.0.1:9");
}

QString Configuration::DefaultReportRoot() {
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty()) docs = QDir::homePath();
    return docs;
}

ConfigItem& Configuration::GetItem(const QString& name, const QVariant& defaultValue) {
    if (ConfigItem* cached = m_cache.find(name)) return *cached;
    QVariant value;
    try {
        value = modRegistry::QueryValueEx(HKEY_CURRENT_USER, RegistryKey, name, false);
        if (!value.isValid()) value = modRegistry::QueryValueEx(HKEY_LOCAL_MACHINE, RegistryKey, name, false);
    } catch (...) {
        value = QVariant();
    }
    if (!value.isValid()) value = defaultValue;
    m_cache.insert(name, ConfigItem(name, value));
    return *m_cache.find(name);
}

QVariant Configuration::GetRegSetting(const QString& name, const QVariant& defaultValue) {
    return trap(TrailForm::Bracket, QStringLiteral("Vezedad:Configuration.GetRegSetting"),
                [&] { return GetItem(name, defaultValue).Value; });
}

void Configuration::SaveItem(ConfigItem& item) {
    const QVariant& value = item.Value;
    quint32 type = REG_SZ;
    if (!value.isValid() || value.isNull())
        type = REG_NONE;
    else if (isInteger(value))
        type = REG_DWORD;
    bool saved = false;
    try {
        modRegistry::SetValueEx(HKEY_LOCAL_MACHINE, RegistryKey, item.Name(), type, value, true);
        saved = true;
        try {
            modRegistry::RemoveValue(HKEY_CURRENT_USER, RegistryKey, item.Name(), false);
        } catch (...) {
        }
    } catch (...) {
        try {
            modRegistry::SetValueEx(HKEY_CURRENT_USER, RegistryKey, item.Name(), type, value, true);
            saved = true;
        } catch (...) {
        }
    }
    // A change that reached neither hive stays pending, so that a later save
    // tries again instead of the user's setting being lost without a word.
    if (saved) item.MarkClean();
}

void Configuration::setValue(const QString& name, const QVariant& defaultValue, const QVariant& value) {
    GetItem(name, defaultValue).Value = value;
}

qint32 Configuration::getLong(const QString& name, qint32 defaultValue) {
    return toLong(GetRegSetting(name, defaultValue), kConversionSource);
}

QString Configuration::getText(const QString& name, const QString& defaultValue) {
    return GetRegSetting(name, defaultValue).toString();
}

QString Configuration::BaseAddress() { return getText(kBaseAddress, QStringLiteral("/Report.svc/")); }
qint32 Configuration::BackColor() { return getLong(kBackColor, kDefaultBackColor); }
void Configuration::setBackColor(qint32 value) { setValue(kBackColor, kDefaultBackColor, value); }
qint32 Configuration::CountySelectorBehavior() { return getLong(kCountyBehavior, 0); }
void Configuration::setCountySelectorBehavior(qint32 value) { setValue(kCountyBehavior, 0, value); }
QString Configuration::CountySelectorDefault() { return getText(kCountyDefault, QString()); }
void Configuration::setCountySelectorDefault(const QString& value) { setValue(kCountyDefault, QString(), value); }
qint32 Configuration::CountySelectorSorting() { return getLong(kCountySorting, 0); }
void Configuration::setCountySelectorSorting(qint32 value) { setValue(kCountySorting, 0, value); }
QString Configuration::Host() { return getText(kHost, DefaultHost()); }
QString Configuration::OptionAVersion() { return getText(kOptionA, kDefaultVersion); }
void Configuration::setOptionAVersion(const QString& value) { setValue(kOptionA, kDefaultVersion, value); }
QString Configuration::OptionBVersion() { return getText(kOptionB, kDefaultVersion); }
void Configuration::setOptionBVersion(const QString& value) { setValue(kOptionB, kDefaultVersion, value); }
QString Configuration::OptionCVersion() { return getText(kOptionC, kDefaultVersion); }
void Configuration::setOptionCVersion(const QString& value) { setValue(kOptionC, kDefaultVersion, value); }
QString Configuration::ResourcePath() { return getText(kResourcePath, m_defaultResourcePath); }

void Configuration::setResourcePath(const QString& value) {
    Utilities::CreateFolder(value);
    setValue(kResourcePath, m_defaultResourcePath, value);
}

bool Configuration::ShowPrompt() {
    return toBoolean(GetRegSetting(kShowPrompt, QStringLiteral("True")), kConversionSource);
}

void Configuration::setShowPrompt(bool value) {
    setValue(kShowPrompt, QStringLiteral("True"), value ? QStringLiteral("True") : QStringLiteral("False"));
}

void Configuration::Clear() { m_cache.clear(); }

QString Configuration::GetDynamicSetting(const QString& settingName) { return getText(settingName, QString()); }

void Configuration::SetDynamicSetting(const QString& settingName, const QString& strValue) {
    setValue(settingName, QString(), strValue);
}

void Configuration::Reset(qint32 lngValueID) {
    if (lngValueID < 0 || lngValueID > 9) return;
    if (ConfigItem* item = m_cache.find(QString::fromLatin1(kWritableNames[lngValueID]))) item->Reset();
}

void Configuration::SaveAllSettings() {
    for (auto& entry : m_cache)
        if (entry.second.IsDirty()) SaveItem(entry.second);
}

QString Configuration::ReportRoot() { return getText(kReportRoot, DefaultReportRoot()); }
void Configuration::setReportRoot(const QString& value) { setValue(kReportRoot, DefaultReportRoot(), value); }

qint16 Configuration::ReportYear() {
    ConfigItem& item = GetItem(kReportYear, qint32(0));
    const auto d = variantToNumber(item.Value);
    const auto year = d ? roundedTo<qint16>(*d) : std::nullopt;
    // A year that is not a number, or one beyond the 16-bit range, reads as
    // no year at all, so that a damaged setting cannot stop every start.
    if (!year) {
        item.Value = qint32(0);
        return 0;
    }
    return *year;
}

void Configuration::setReportYear(qint16 value) {
    ConfigItem& item = GetItem(kReportYear, qint32(0));
    const auto d = variantToNumber(item.Value);
    if (d && *d == double(value)) return;
    item.Value = QVariant::fromValue<qint16>(value);
    SaveItem(item);
}

} // namespace Vezedad

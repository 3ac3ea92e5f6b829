#pragma once
#include "Vezedad/foundation/VezedadExport.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QDomElement;

namespace Vezedad {

class ZelReport;

// The identity fields, numbered as the report fields they match.
enum enumIdentityProperty : qint32 {
    idAll = -1,
    idBusRegNumber = 3,
    idCertificationId = 4,
    idCommercialSalesPermit = 5,
    idContactName = 15,
    idPhone = 16,
    idEmail = 17,
    idBusinessName = 31,
    idApplicatorName = 37,
};

class Identity;
using IdentityPtr = std::shared_ptr<Identity>;

namespace modGlobals {
// Inside the library only (not exported).
// The working identity of a report model, made by its factory and read from
// the model's year folder.
IdentityPtr Identity(ZelReport& owner);
// A new identity that cannot save (the clones).
IdentityPtr New_Identity();
} // namespace modGlobals

// Who files the reports. The working identity of a thread is owned by the
// report model and kept as "identity.txt" in the year folder; clones can
// never write that file. Every field change is checked by the validator's
// field rules and announced by PropertyChanged, and the working identity's
// changes also by its owner's.
//
// Made only by modGlobals::Identity (the working one, for its report model)
// and modGlobals::New_Identity (clones).
class VEZEDAD_EXPORT Identity : public QObject {
    Q_OBJECT
public:
    Identity();
    ~Identity() override;

    QString ApplicatorName() const { return m_applicatorName; }
    void setApplicatorName(const QString& value);
    QString BusinessName() const { return m_businessName; }
    void setBusinessName(const QString& value);
    QString BusRegNumber() const { return m_busRegNumber; }
    void setBusRegNumber(const QString& value);
    QString CertificationId() const { return m_certificationId; }
    void setCertificationId(const QString& value);
    QString ContactName() const { return m_contactName; }
    void setContactName(const QString& value);
    QString Email() const { return m_email; }
    void setEmail(const QString& value);
    QString Phone() const { return m_phone; }
    void setPhone(const QString& value);
    QString SalesPermitNumber() const { return m_salesPermitNumber; }
    void setSalesPermitNumber(const QString& value);

    bool CanSave() const { return m_canSave; }

    IdentityPtr Clone() const;
    QString GetPropertyName(qint32 property) const;
    QString GetPropertyValue(qint32 property) const;
    void SetPropertyValue(qint32 property, QString& newValue);
    void SetPropertyValue(qint32 property, const QString& newValue);

    // Empty arguments mean the report's year folder and "identity.txt"; the
    // caller's variables receive the values used. Reads the first line that
    // holds text only (in UTF-8 when the file is) and gives up (False) on
    // anything but a regular file, on a file in UTF-16 or on a line longer
    // than MaxLineLength.
    bool Read(QString& strPath, QString& strFile);
    bool Read(const QString& strPath = QString(), const QString& strFile = QString());
    // Replaces the file atomically: a failed write leaves the old file as it
    // was and raises the failure. A clone writes nothing.
    //
    // A file that exists but could not be read (by this identity's last Read
    // of it) is replaced only when the user says so: every save into it
    // asks until the user says Yes or the file is read again. After a No the
    // file stays as it is and nothing is saved.
    void Save(QString& strPath, QString& strFile);
    void Save(const QString& strPath = QString(), const QString& strFile = QString());

    // The free-standing "Identity" element, made in the shared XML document.
    QDomElement Serialize() const;

    // Far beyond any real identity line, and small enough that a damaged
    // file cannot fill the memory at start-up.
    static constexpr qsizetype MaxLineLength = 65536;

Q_SIGNALS:
    void PropertyChanged(qint32 eProperty, const QString& newValue);

private:
    friend IdentityPtr modGlobals::Identity(ZelReport& owner);
    friend IdentityPtr modGlobals::New_Identity();

    struct Field;
    void CopyRecord(const Identity& other);
    QString ToLine() const;
    void ParseLine(const QString& line);
    static const Field* fieldOf(qint32 property);
    void setField(const Field& field, const QString& value);
    void NotifyChange(qint32 property, const QString& value);
    // False when no folder is given and there is no report model to ask.
    bool resolvePath(QString& strPath, QString& strFile) const;
    // Whether path may be written: not a file found unreadable, unless the
    // user agrees to replace it.
    bool mayReplace(const QString& path);

    // A file that exists but could not be read, as it stood then.
    struct Unread {
        QString path; // absolute
        QString why;
        qint64 size = 0;
        qint64 modified = 0;
    };
    QList<Unread> m_unread;

    QString m_applicatorName;
    QString m_businessName;
    QString m_busRegNumber;
    QString m_certificationId;
    QString m_contactName;
    QString m_email;
    QString m_phone;
    QString m_salesPermitNumber;
    bool m_canSave = true;
    // The report model whose year folder an empty path means; the working
    // identity also announces its changes through it. Clones keep their
    // original's, for the folder only.
    QPointer<ZelReport> m_owner;
};

} // namespace Vezedad

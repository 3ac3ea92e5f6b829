#pragma once
#include "Vezedad/foundation/VezedadExport.h"

#include <QDomElement>
#include <QObject>
#include <QString>
#include <memory>

namespace Vezedad {

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

// Who files the reports. The working identity of a thread is owned by the
// report model and kept as "identity.txt" in the year folder; clones can
// never write that file. Every field change is checked by the validator's
// field rules and announced by PropertyChanged.
//
// Made only by modGlobals::Identity (the working one) and
// modGlobals::New_Identity (clones).
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
    // caller's variables receive the values used.
    bool Read(QString& strPath, QString& strFile);
    bool Read(const QString& strPath = QString(), const QString& strFile = QString());
    // Replaces the file atomically: a failed write leaves the old file as it
    // was and raises the failure. A clone writes nothing.
    void Save(QString& strPath, QString& strFile);
    void Save(const QString& strPath = QString(), const QString& strFile = QString());

    // The free-standing "Identity" element, made in the shared XML document.
    QDomElement Serialize() const;

    // Inside the library only.
    void setCanSave(bool value) { m_canSave = value; }
    void CopyRecord(const Identity& other);
    QString ToLine() const;
    void ParseLine(const QString& line);

Q_SIGNALS:
    void PropertyChanged(qint32 eProperty, const QString& newValue);

private:
    struct Field;
    static const Field* fieldOf(qint32 property);
    void setField(const Field& field, const QString& value);
    void NotifyChange(qint32 property, const QString& value);
    void resolvePath(QString& strPath, QString& strFile) const;

    QString m_applicatorName;
    QString m_businessName;
    QString m_busRegNumber;
    QString m_certificationId;
    QString m_contactName;
    QString m_email;
    QString m_phone;
    QString m_salesPermitNumber;
    bool m_canSave = true;
};

namespace modGlobals {
// The calling thread's working identity, made on first use and read from the
// year folder.
VEZEDAD_EXPORT IdentityPtr Identity();
// A new identity that cannot save (the clones).
VEZEDAD_EXPORT IdentityPtr New_Identity();
} // namespace modGlobals

} // namespace Vezedad

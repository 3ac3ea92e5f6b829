#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Utilities.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/reportfile/ReportFile.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/Validator.h"

#include <QDateTime>
#include <QDir>
#include <QDomDocument>
#include <QDomElement>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace Vezedad {

struct Identity::Field {
    qint32 id;
    QString Identity::*member;
    const char* suffix;
    bool emptyWithoutCheck; // the three numbers: an empty text is always taken
    bool emptyAccepted;     // the two names: a value reported as empty is taken
};

namespace {

const QString kSource = QStringLiteral("Vezedad::Identity");
const QString kEndMark = QStringLiteral("ENDOFIDENTITY");

// A value that would break the one-line, "|"-separated identity file, that
// a later read would change (double quotes are dropped then), that the
// submission's XML cannot carry (control characters) or that could not be
// written in the file's code page is refused before any rule runs.
void refuseUnsafeText(const QString& value, const QString& fieldName, const QString& source) {
    QString problem = ReportFile::refusal(value, fieldName);
    const auto control =
        std::find_if(value.cbegin(), value.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
    if (!problem.isEmpty())
        problem += QLatin1Char('.');
    else if (value.contains(QLatin1Char('"')))
        problem = fieldName + QStringLiteral(" may not contain a double quote (\").");
    else if (control != value.cend())
        problem = fieldName + QStringLiteral(" may not contain the control character U+%1.")
                                  .arg(QString::number(control->unicode(), 16).toUpper().rightJustified(4, u'0'));
    if (!problem.isEmpty())
        throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetValidation, kvesSerious, valcInvalidValue), problem,
                        source);
}

// What the identity file's line keeps: no double quotes, no control
// characters (a damaged or hand-edited file may hold them).
QString cleanedLine(const QString& line) {
    QString cleaned;
    cleaned.reserve(line.size());
    for (QChar c : line)
        if (c != QLatin1Char('"') && c.category() != QChar::Other_Control) cleaned += c;
    return cleaned;
}

} // namespace

const Identity::Field* Identity::fieldOf(qint32 property) {
    static const Field fields[] = {
        {idApplicatorName, &Identity::m_applicatorName, ".ApplicatorName", false, true},
        {idBusinessName, &Identity::m_businessName, ".BusinessName", false, true},
        {idBusRegNumber, &Identity::m_busRegNumber, ".BusRegNum", true, false},
        {idCertificationId, &Identity::m_certificationId, ".CertificationId", true, false},
        {idCommercialSalesPermit, &Identity::m_salesPermitNumber, ".SalesPermitNumber", true, false},
        {idContactName, &Identity::m_contactName, ".ContactName", false, false},
        {idPhone, &Identity::m_phone, ".Phone", false, false},
        {idEmail, &Identity::m_email, ".Email", false, false},
    };
    for (const Field& f : fields)
        if (f.id == property) return &f;
    return nullptr;
}

Identity::Identity() { modGlobals::requireFactory(QStringLiteral("Identity")); }

Identity::~Identity() = default;

void Identity::setField(const Field& field, const QString& value) {
    QString& stored = this->*field.member;
    if (stored == value) return;
    if (!(field.emptyWithoutCheck && value.isEmpty())) {
        const QString source = kSource + QLatin1String(field.suffix);
        refuseUnsafeText(value, GetPropertyName(field.id), source);
        const ValidationResultPtr check = Globals::Validator().ValidateField(field.id, value, 0);
        const bool accepted = check->IsValid() || (field.emptyAccepted && check->Code() == valcEmpty);
        if (!accepted)
            throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetValidation, check->Severity(), check->Code()),
                            check->Message(), source);
    }
    stored = value;
    NotifyChange(field.id, value);
}

void Identity::setApplicatorName(const QString& value) { setField(*fieldOf(idApplicatorName), value); }
void Identity::setBusinessName(const QString& value) { setField(*fieldOf(idBusinessName), value); }
void Identity::setBusRegNumber(const QString& value) { setField(*fieldOf(idBusRegNumber), value); }
void Identity::setCertificationId(const QString& value) { setField(*fieldOf(idCertificationId), value); }
void Identity::setContactName(const QString& value) { setField(*fieldOf(idContactName), value); }
void Identity::setEmail(const QString& value) { setField(*fieldOf(idEmail), value); }
void Identity::setPhone(const QString& value) { setField(*fieldOf(idPhone), value); }
void Identity::setSalesPermitNumber(const QString& value) { setField(*fieldOf(idCommercialSalesPermit), value); }

void Identity::NotifyChange(qint32 property, const QString& value) {
    Q_EMIT PropertyChanged(property, value);
    if (m_canSave && m_owner) m_owner->RaisePropertyChanged(GetPropertyName(property), value);
}

IdentityPtr Identity::Clone() const {
    return trapArrow(kSource + QStringLiteral(".Clone"), [&] {
        IdentityPtr copy = modGlobals::New_Identity();
        copy->CopyRecord(*this);
        copy->m_owner = m_owner;
        return copy;
    });
}

void Identity::CopyRecord(const Identity& other) {
    m_applicatorName = other.m_applicatorName;
    m_businessName = other.m_businessName;
    m_busRegNumber = other.m_busRegNumber;
    m_certificationId = other.m_certificationId;
    m_contactName = other.m_contactName;
    m_email = other.m_email;
    m_phone = other.m_phone;
    m_salesPermitNumber = other.m_salesPermitNumber;
}

QString Identity::GetPropertyName(qint32 property) const {
    if (property == idAll) return QStringLiteral("All");
    return Globals::Validator().FieldName(property);
}

QString Identity::GetPropertyValue(qint32 property) const {
    if (property == idAll) return ToLine();
    if (const Field* field = fieldOf(property)) return this->*field->member;
    return QString();
}

void Identity::SetPropertyValue(qint32 property, QString& newValue) {
    if (property == idAll) {
        newValue = cleanedLine(newValue);
        ParseLine(newValue);
        return;
    }
    const Field* field = fieldOf(property);
    if (!field)
        throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetUsage, kvesSerious, errInvalidProcedureCall),
                        QStringLiteral("Unrecognized value (") + QString::number(property) +
                            QStringLiteral(") for Property parameter"),
                        kSource + QStringLiteral(".SetPropertyValue"));
    setField(*field, newValue);
}

void Identity::SetPropertyValue(qint32 property, const QString& newValue) {
    QString copy = newValue;
    SetPropertyValue(property, copy);
}

QString Identity::ToLine() const {
    const QString d = Globals::DefaultDelimiter();
    const QString fields[] = {m_businessName,
                              m_busRegNumber,
                              m_certificationId,
                              m_salesPermitNumber,
                              m_phone,
                              m_contactName,
                              QString(),
                              QString(),
                              QString(),
                              QString(),
                              m_busRegNumber + m_salesPermitNumber + m_certificationId,
                              m_applicatorName,
                              m_email,
                              kEndMark};
    QString line;
    for (const QString& f : fields) line += f + d;
    return line;
}

void Identity::ParseLine(const QString& line) {
    const QString cleaned = cleanedLine(line);
    QStringList parts;
    QString delimiter = Globals::DefaultDelimiter();
    Utilities::ParseString(parts, cleaned, delimiter);
    // A short line stops at the first position it lacks: what was read so far
    // stays, and nothing is announced.
    const struct {
        qsizetype position;
        QString Identity::*member;
    } places[] = {{0, &Identity::m_businessName},    {1, &Identity::m_busRegNumber},
                  {2, &Identity::m_certificationId}, {3, &Identity::m_salesPermitNumber},
                  {4, &Identity::m_phone},           {5, &Identity::m_contactName},
                  {11, &Identity::m_applicatorName}, {12, &Identity::m_email}};
    for (const auto& place : places) {
        if (place.position >= parts.size()) return;
        QString value = parts[place.position];
        if (place.member == &Identity::m_applicatorName) value = Utilities::NameFirstLast(value);
        this->*place.member = value;
    }
    Q_EMIT PropertyChanged(idAll, cleaned);
}

bool Identity::resolvePath(QString& strPath, QString& strFile) const {
    if (strFile.isEmpty()) strFile = Globals::IdentityFileName();
    if (strPath.isEmpty()) {
        if (!m_owner) return false;
        strPath = m_owner->ReportPath();
    }
    return true;
}

namespace {
QString absolutePath(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }
} // namespace

bool Identity::Read(QString& strPath, QString& strFile) {
    QString path;
    try {
        if (!resolvePath(strPath, strFile)) return false;
        FileSystemObject& fso = Globals::FSO();
        path = absolutePath(fso.BuildPath(strPath, strFile));
        m_unread.removeIf([&](const Unread& u) { return u.path == path; });
        if (!fso.FileExists(path)) return false;
        const std::optional<QString> line = fso.ReadFirstTextLine(path, MaxLineLength);
        if (!line) return false;
        ParseLine(*line);
        return true;
    } catch (...) {
        // What the file holds is not known, so a save must not simply
        // replace it (the identity in memory may be empty).
        const QFileInfo info(path);
        if (!path.isEmpty() && info.isFile())
            m_unread.append(Unread{path, ErrorInfo::fromCurrentException().Description(), info.size(),
                                   info.lastModified().toMSecsSinceEpoch()});
        return false;
    }
}

bool Identity::Read(const QString& strPath, const QString& strFile) {
    QString path = strPath;
    QString file = strFile;
    return Read(path, file);
}

void Identity::Save(QString& strPath, QString& strFile) {
    if (!m_canSave) return;
    trapArrow(kSource + QStringLiteral(".Save"), [&] {
        const QString line = ToLine();
        if (!resolvePath(strPath, strFile))
            throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetUsage, kvesSerious, errPathNotFound),
                            QStringLiteral("The identity has no report folder to be saved in."), kSource);
        FileSystemObject& fso = Globals::FSO();
        const QString path = fso.BuildPath(strPath, strFile);
        if (!mayReplace(path)) return;
        std::unique_ptr<TextStream> stream = fso.CreateTextFile(path, true);
        stream->WriteLine(line);
        stream->Close();
    });
}

bool Identity::mayReplace(const QString& path) {
    if (m_unread.isEmpty()) return true;
    const QString absolute = absolutePath(path);
    const auto it = std::find_if(m_unread.begin(), m_unread.end(), [&](const Unread& u) { return u.path == absolute; });
    if (it == m_unread.end()) return true;
    const QFileInfo info(absolute);
    // Gone since: nothing is there to lose.
    if (!info.exists()) {
        m_unread.erase(it);
        return true;
    }
    // Changed since: what it holds now is not known either, and the user has
    // not said anything about it yet.
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    if (info.size() != it->size || modified != it->modified) *it = Unread{absolute, it->why, info.size(), modified};
    // Asked at every save into it: after a No the identity is still unsaved,
    // and a later save that went by without a word would lose it at exit.
    const qint32 answer = Ui::MsgBox(
        QStringLiteral("The identity file could not be read:\r\n") + it->why +
            QStringLiteral("\r\n\r\nReplace it with the identity entered now? What the file holds will be "
                           "lost.\r\nChoose No to keep the file as it is; the identity is then not saved in it."),
        Ui::vbYesNo | Ui::vbExclamation | Ui::vbDefaultButton2, QStringLiteral("Identity Information"));
    if (answer != Ui::vbYes) return false;
    m_unread.erase(it);
    return true;
}

void Identity::Save(const QString& strPath, const QString& strFile) {
    QString path = strPath;
    QString file = strFile;
    Save(path, file);
}

QDomElement Identity::Serialize() const {
    QDomDocument& doc = Globals::Dom();
    QDomElement element = doc.createElement(QStringLiteral("Identity"));
    const std::pair<const char*, const QString*> children[] = {{"BusinessName", &m_businessName},
                                                               {"BusRegNumber", &m_busRegNumber},
                                                               {"SalesPermitNumber", &m_salesPermitNumber},
                                                               {"CertificationId", &m_certificationId},
                                                               {"ApplicatorName", &m_applicatorName},
                                                               {"ContactName", &m_contactName},
                                                               {"Email", &m_email},
                                                               {"Phone", &m_phone}};
    for (const auto& child : children) modGlobals::AppendElement(element, QLatin1String(child.first), *child.second);
    return element;
}

namespace modGlobals {

IdentityPtr Identity(ZelReport& owner) {
    IdentityPtr created(createThroughFactory<Vezedad::Identity>(
        factoryModule(), factoryFailure(QStringLiteral("Identity"), QStringLiteral("Identity"))));
    created->m_owner = &owner;
    created->Read();
    return created;
}

IdentityPtr New_Identity() {
    IdentityPtr created(createThroughFactory<Vezedad::Identity>(
        factoryModule(), factoryFailure(QStringLiteral("New_Identity"), QStringLiteral("Identity"))));
    created->m_canSave = false;
    return created;
}

} // namespace modGlobals

} // namespace Vezedad

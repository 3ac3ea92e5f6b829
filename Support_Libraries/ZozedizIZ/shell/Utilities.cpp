#include "ZozedizIZ/shell/Utilities.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/frmIdentity.h"

namespace ZozedizIZ {

namespace {

// The missing items, in the order their lines are listed.
enum MissingItem : qint32 {
    miCertId = 1,
    miPermit = 2,
    miAnyId = 8,
    miApplName = 16,
    miContact = 32,
    miPhone = 64,
    miEmail = 128,
    miNoForm = 512,
};

struct MissingLine {
    qint32 flag;
    const char* text;
};

const MissingLine kLines[] = {
    {miNoForm, "Select a form to open"},
    {miCertId, "Certification ID"},
    {miApplName, "Applicator Name"},
    {miPermit, "Commercial Permit Number"},
    {miAnyId, "Enter at least one of {Business Registration Number, Certification ID, or Commercial Permit Number}"},
    {miContact, "Contact Name"},
    {miPhone, "Phone Number"},
    {miEmail, "Email Address"},
};

bool isSingleForm(qint32 formType) {
    return formType == Vezedad::zfotForm26 || formType == Vezedad::zfotForm26A || formType == Vezedad::zfotForm27 ||
           formType == Vezedad::zfotForm25;
}

} // namespace

Utilities::Utilities() : m_report(Vezedad::Globals::ZelReport()) {}

qint32 Utilities::CheckIdentity(qint32 eUserAction, qint32 eFormType) {
    const Vezedad::IdentityPtr identity = m_report.Identity();
    const bool certId = identity->CertificationId().size() == 8;
    const bool busReg = identity->BusRegNumber().size() == 5;
    const bool permit = identity->SalesPermitNumber().size() == 6;
    const bool noApplName = identity->ApplicatorName().isEmpty();
    qint32 flags = 0;
    switch (eUserAction) {
    case uaOpenForm:
        switch (eFormType) {
        case Vezedad::zfotForm26:
            if (!certId) flags |= miCertId;
            if (noApplName) flags |= miApplName;
            break;
        case Vezedad::zfotForm26A:
            if (!certId && !busReg && !permit) flags |= miAnyId;
            break;
        case Vezedad::zfotForm27:
        case Vezedad::zfotForm25:
            if (!permit) flags |= miPermit;
            break;
        default: flags |= miNoForm; break;
        }
        break;
    case uaUpload:
    case uaExit:
        if (!certId && !busReg && !permit) flags |= miAnyId;
        if (noApplName && certId) flags |= miApplName;
        if (identity->ContactName().isEmpty()) flags |= miContact;
        if (identity->Phone().isEmpty()) flags |= miPhone;
        if (identity->Email().isEmpty()) flags |= miEmail;
        break;
    default: break;
    }
    return flags;
}

QString Utilities::MissingInfoDisplay(qint32 eUserAction, qint32 eFormType) {
    const qint32 flags = CheckIdentity(eUserAction, eFormType);
    QString text = Vezedad::Globals::vbEmptyString();
    for (const MissingLine& line : kLines) {
        if (!(flags & line.flag)) continue;
        // "At least one of the ids" says nothing new beside a named id.
        if (line.flag == miAnyId && (flags & (miCertId | miPermit))) continue;
        text += QLatin1String(line.text) + QStringLiteral("\r\n");
    }
    return text;
}

bool Utilities::NeedsIdentity(qint32 eFormType) { return CheckIdentity(uaOpenForm, eFormType) != 0; }

void Utilities::EditIdentity(qint32 eFormType, const QString& strMessage) {
    if (!isSingleForm(eFormType))
        throw Vezedad::ErrorInfo(Vezedad::errInvalidPropertyValue,
                                 QStringLiteral("Form type (") + QString::number(eFormType) +
                                     QStringLiteral(") not one of the known values."),
                                 QStringLiteral("ZozedizIZ::Utilities.EditIdentity"));
    {
        frmIdentity form;
        form.Initialize(eFormType, strMessage);
        form.ShowModal();
    }
    m_report.Identity()->Save();
}

} // namespace ZozedizIZ

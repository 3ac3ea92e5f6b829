#pragma once
// The tests of the identity windows and the Control Center set the report
// model's identity in one step.
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"

#include <QStringList>

namespace TestSupport {

struct IdentityFields {
    QString busReg, certId, permit, applName, contact, phone, email;
};

// Sets every field of the report model's identity at once, without checks,
// as reading its file does; the business name is "Business".
inline void setIdentity(const IdentityFields& f) {
    const QStringList line{QStringLiteral("Business"),
                           f.busReg,
                           f.certId,
                           f.permit,
                           f.phone,
                           f.contact,
                           {},
                           {},
                           {},
                           {},
                           f.busReg + f.permit + f.certId,
                           f.applName,
                           f.email,
                           QStringLiteral("ENDOFIDENTITY"),
                           {}};
    Vezedad::Globals::ZelReport().Identity()->SetPropertyValue(Vezedad::idAll, line.join(QLatin1Char('|')));
}

} // namespace TestSupport

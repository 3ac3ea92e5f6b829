#include "ZiverezUvaveded/Globals.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "ZiverezUvaveded/Proxy.h"

namespace VezirodEdovud {

namespace modGlobals {

namespace {
thread_local bool tProxyFactoryFlag = false;
const Vezedad::FactoryModule kModule{&SetProxyFactoryFlag, &TakeProxyFactoryFlag};

void showFactoryError(const Vezedad::ErrorInfo& error) {
    Vezedad::Ui::ShowProcedureError(error, QStringLiteral("Proxy"), Vezedad::Ui::OwnerKind::Module,
                                    QStringLiteral("modGlobals"));
}
} // namespace

Vezedad::ServiceSlots& services() {
    thread_local Vezedad::ServiceSlots table(slotCount);
    return table;
}

void SetProxyFactoryFlag() { tProxyFactoryFlag = true; }

bool TakeProxyFactoryFlag() {
    const bool flag = tProxyFactoryFlag;
    tProxyFactoryFlag = false;
    return flag;
}

const Vezedad::FactoryModule& factoryModule() { return kModule; }

VezirodEdovud::Proxy& Proxy() {
    try {
        return Vezedad::perThreadService<VezirodEdovud::Proxy>(services(), slotProxy, [] {
            return Vezedad::createThroughFactory<VezirodEdovud::Proxy>(
                factoryModule(), Vezedad::FactoryFailure{Vezedad::errMissingCode, QStringLiteral("Proxy Factory"),
                                                         QStringLiteral("Proxy")});
        });
    } catch (...) {
        showFactoryError(Vezedad::ErrorInfo::fromCurrentException());
    }
    throw Vezedad::ErrorInfo(91, QStringLiteral("Object variable or With block variable not set"),
                             QStringLiteral("VezirodEdovud2:Globals.Proxy"));
}

QDomDocument& GetDom() { return Vezedad::Globals::Dom(); }

QDomElement AppendTextElement(QDomElement& parent, const QString& elementName, const QString& text) {
    return Vezedad::modGlobals::AppendElement(parent, elementName, text);
}

qint16 CurrentReportYear() { return Vezedad::Globals::ZelReport().ReportYear(); }

Vezedad::IdentityPtr ReportIdentity() { return Vezedad::Globals::ZelReport().Identity(); }

} // namespace modGlobals

VezirodEdovud::Proxy& Globals::Proxy() { return modGlobals::Proxy(); }

void Globals::Release() { modGlobals::services().releaseAll(); }

} // namespace VezirodEdovud

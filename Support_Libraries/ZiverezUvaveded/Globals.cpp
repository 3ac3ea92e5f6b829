#include "ZiverezUvaveded/Globals.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "ZiverezUvaveded/Proxy.h"

namespace VezirodEdovud {

namespace modGlobals {

namespace {
void showFactoryError(const Vezedad::ErrorInfo& error) {
    Vezedad::Ui::ShowProcedureError(error, QStringLiteral("Proxy"), Vezedad::Ui::OwnerKind::Module,
                                    QStringLiteral("modGlobals"));
}
} // namespace

const Vezedad::FactoryModule& factoryModule() {
    static const Vezedad::FactoryModule module(Vezedad::FactoryModule::UploadLibrary, slotCount);
    return module;
}

VezirodEdovud::Proxy& Proxy() {
    try {
        return Vezedad::perThreadService<VezirodEdovud::Proxy>(factoryModule(), slotProxy, [] {
            return Vezedad::createThroughFactory<VezirodEdovud::Proxy>(
                factoryModule(), Vezedad::FactoryFailure{Vezedad::errMissingCode, QStringLiteral("Proxy Factory"),
                                                         QStringLiteral("Proxy")});
        });
    } catch (...) {
        showFactoryError(Vezedad::ErrorInfo::fromCurrentException());
    }
    Vezedad::raiseRuntimeError(Vezedad::rtObjectNotSet, QStringLiteral("VezirodEdovud2:Globals.Proxy"));
}

QDomDocument& GetDom() { return Vezedad::Globals::Dom(); }

QDomElement AppendTextElement(QDomElement& parent, const QString& elementName, const QString& text) {
    return Vezedad::modGlobals::AppendElement(parent, elementName, text);
}

qint16 CurrentReportYear() { return Vezedad::Globals::ZelReport().ReportYear(); }

std::shared_ptr<Vezedad::Identity> ReportIdentity() { return Vezedad::Globals::ZelReport().Identity(); }

} // namespace modGlobals

VezirodEdovud::Proxy& Globals::Proxy() { return modGlobals::Proxy(); }

void Globals::Release() { modGlobals::factoryModule().release(); }

} // namespace VezirodEdovud

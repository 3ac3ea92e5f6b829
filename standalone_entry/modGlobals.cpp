#include "modGlobals.h"

#include "grid/CZelFarpoint.h"

#include "Vezedad/foundation/Enums.h"

namespace Dazozuvi::modGlobals {

const Vezedad::FactoryModule& factoryModule() {
    static const Vezedad::FactoryModule module(Vezedad::FactoryModule::Program, 0);
    return module;
}

bool InFactory() { return factoryModule().takeFactoryFlag(); }

std::unique_ptr<CZelFarpoint> New_CZelFarpoint(qint32 formType, ReportGrid& grid) {
    std::unique_ptr<CZelFarpoint> controller = Vezedad::createThroughFactory<CZelFarpoint>(
        factoryModule(), Vezedad::FactoryFailure{Vezedad::errMissingCode, QStringLiteral("Dazozuvi:New_CZelFarpoint"),
                                                 QStringLiteral("CZelFarpoint")});
    controller->Init(formType, grid);
    return controller;
}

} // namespace Dazozuvi::modGlobals

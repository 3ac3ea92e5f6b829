#include "applicators/Applicators.h"

#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "applicators/ApplicatorList.h"

#include <QPointer>
#include <memory>

namespace Dazozuvi::modGlobals {

namespace {

// The registry is the model's child: it can never outlive the model it
// follows, and the foundation's Release ends it before the application
// object goes.
thread_local QPointer<ApplicatorList> gRegistry;

ApplicatorList& newRegistry() {
    auto created = std::make_unique<ApplicatorList>();
    created->ReadAll();
    created->setParent(&Vezedad::Globals::ZelReport());
    gRegistry = created.release();
    return *gRegistry;
}

} // namespace

ApplicatorList& Applicators() {
    if (gRegistry) return *gRegistry;
    return newRegistry();
}

void RefreshApplicators() {
    if (gRegistry)
        gRegistry->ReadAll();
    else
        newRegistry();
}

} // namespace Dazozuvi::modGlobals

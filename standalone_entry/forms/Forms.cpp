#include "forms/Forms.h"

#include "forms/Form25.h"
#include "forms/Form26.h"

#include "Vezedad/foundation/Enums.h"

namespace Dazozuvi {

std::unique_ptr<ReportForm> NewReportForm(qint32 formType) {
    switch (formType) {
    case Vezedad::zfotForm25: return std::make_unique<Form25>();
    case Vezedad::zfotForm26: return std::make_unique<Form26>();
    // Form 26A (2) and Form 27 (4) are made here once they exist; until then
    // nothing opens for them.
    default: return nullptr;
    }
}

} // namespace Dazozuvi

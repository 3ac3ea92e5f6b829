#include "forms/Forms.h"

#include "forms/Form25.h"
#include "forms/Form26.h"
#include "forms/Form26A.h"
#include "forms/Form27.h"

#include "Vezedad/foundation/Enums.h"

namespace Dazozuvi {

std::unique_ptr<ReportForm> NewReportForm(qint32 formType) {
    switch (formType) {
    case Vezedad::zfotForm25: return std::make_unique<Form25>();
    case Vezedad::zfotForm26: return std::make_unique<Form26>();
    case Vezedad::zfotForm26A: return std::make_unique<Form26A>();
    case Vezedad::zfotForm27: return std::make_unique<Form27>();
    default: return nullptr;
    }
}

} // namespace Dazozuvi

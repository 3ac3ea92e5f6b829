#include "Vezedad/dialogs/PaperSizes.h"
#include "Vezedad/dialogs/DialogEnums.h"

#include <array>

namespace Vezedad {

namespace {

// Index i holds the page size of paper number i + 1.
constexpr std::array<QPageSize::PageSizeId, epsFanfoldLglGerman> kPapers = {
    QPageSize::Letter,
    QPageSize::LetterSmall,
    QPageSize::Tabloid,
    QPageSize::Ledger,
    QPageSize::Legal,
    QPageSize::Statement,
    QPageSize::Executive,
    QPageSize::A3,
    QPageSize::A4,
    QPageSize::A4Small,
    QPageSize::A5,
    QPageSize::JisB4,
    QPageSize::JisB5,
    QPageSize::Folio,
    QPageSize::Quarto,
    QPageSize::Imperial10x14,
    QPageSize::Tabloid,
    QPageSize::Note,
    QPageSize::Envelope9,
    QPageSize::Envelope10,
    QPageSize::Envelope11,
    QPageSize::Envelope12,
    QPageSize::Envelope14,
    QPageSize::AnsiC,
    QPageSize::AnsiD,
    QPageSize::AnsiE,
    QPageSize::EnvelopeDL,
    QPageSize::EnvelopeC3,
    QPageSize::EnvelopeC4,
    QPageSize::EnvelopeC5,
    QPageSize::EnvelopeC6,
    QPageSize::EnvelopeC65,
    QPageSize::EnvelopeB4,
    QPageSize::EnvelopeB5,
    QPageSize::EnvelopeB6,
    QPageSize::EnvelopeItalian,
    QPageSize::EnvelopeMonarch,
    QPageSize::EnvelopePersonal,
    QPageSize::FanFoldUS,
    QPageSize::FanFoldGerman,
    QPageSize::FanFoldGermanLegal,
};

} // namespace

int PaperNumber(QPageSize::PageSizeId id) {
    // A size with two numbers (the tabloid is also 11 x 17) gets the first.
    for (size_t i = 0; i < kPapers.size(); ++i)
        if (kPapers[i] == id) return int(i + 1);
    return epsUser;
}

QPageSize::PageSizeId PageSizeOfPaper(int number) {
    if (number < 1 || number > int(kPapers.size())) return QPageSize::Custom;
    return kPapers[size_t(number - 1)];
}

} // namespace Vezedad

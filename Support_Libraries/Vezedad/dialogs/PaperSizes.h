#pragma once
#include <QPageSize>

namespace Vezedad {

// The paper numbers of the common dialogs (EPaperSize) for Qt's page sizes;
// epsUser for a size without a number.
int PaperNumber(QPageSize::PageSizeId id);
// The page size of a paper number; QPageSize::Custom for an unknown one.
QPageSize::PageSizeId PageSizeOfPaper(int number);

} // namespace Vezedad

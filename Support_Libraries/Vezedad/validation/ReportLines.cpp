#include "Vezedad/validation/ReportLines.h"
#include "Vezedad/foundation/Text.h"

#include <cstring>

namespace Vezedad::ReportLines {

QByteArrayView cleanLine(QByteArrayView raw, QByteArray& scratch) {
    if (std::memchr(raw.data(), '"', size_t(raw.size()))) {
        scratch.resize(raw.size());
        qsizetype n = 0;
        for (char c : raw)
            if (c != '"') scratch[n++] = c;
        scratch.resize(n);
        raw = QByteArrayView(scratch);
    }
    return trimBlanks(raw);
}

} // namespace Vezedad::ReportLines

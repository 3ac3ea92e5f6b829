#include "Vezedad/dialogs/StdFont.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Numbers.h"
#include "Vezedad/ui/Ui.h"

namespace Vezedad {

StdFont::StdFont() : m_name(QStringLiteral("MS Sans Serif")) {}

void StdFont::setSize(double points) {
    const auto scaled = roundedTo<qint64>(points * 10000.0);
    if (!scaled || *scaled <= 0)
        throw ErrorInfo(errInvalidPropertyValue, QStringLiteral("Invalid property value"), QStringLiteral("Vezedad"));
    m_sizeTenThousandths = *scaled;
}

QFont StdFont::toQFont() const {
    QFont font = Ui::NamedFont(m_name, Size());
    font.setWeight(QFont::Weight(qBound(1, int(m_weight), 1000)));
    font.setItalic(m_italic);
    font.setUnderline(m_underline);
    font.setStrikeOut(m_strikethrough);
    return font;
}

} // namespace Vezedad

#pragma once
#include "Vezedad/foundation/VezedadExport.h"

#include <QFont>
#include <QString>
#include <memory>

namespace Vezedad {

// A font description as the font dialogs take and give it: face name, size
// in points (kept to four decimals), weight and the four styles. Bold and
// Weight are one fact: setting Bold sets the weight to 700 or 400, and a
// weight above 550 reads as bold.
class VEZEDAD_EXPORT StdFont {
public:
    StdFont();

    QString Name() const { return m_name; }
    void setName(const QString& value) { m_name = value; }
    double Size() const { return double(m_sizeTenThousandths) / 10000.0; }
    void setSize(double points);
    bool Bold() const { return m_weight > 550; }
    void setBold(bool value) { m_weight = value ? 700 : 400; }
    bool Italic() const { return m_italic; }
    void setItalic(bool value) { m_italic = value; }
    bool Underline() const { return m_underline; }
    void setUnderline(bool value) { m_underline = value; }
    bool Strikethrough() const { return m_strikethrough; }
    void setStrikethrough(bool value) { m_strikethrough = value; }
    qint16 Weight() const { return m_weight; }
    void setWeight(qint16 value) { m_weight = value; }
    qint16 Charset() const { return m_charset; }
    void setCharset(qint16 value) { m_charset = value; }

    // The same font for Qt's widgets; a face that is not installed falls
    // back to the system's.
    QFont toQFont() const;

private:
    QString m_name;
    qint64 m_sizeTenThousandths = 82500;
    qint16 m_weight = 400;
    qint16 m_charset = 0;
    bool m_italic = false;
    bool m_underline = false;
    bool m_strikethrough = false;
};

using StdFontPtr = std::shared_ptr<StdFont>;

} // namespace Vezedad

#include "grid/PrintMarkup.h"

#include <QHash>

namespace Dazozuvi {

QFont MarkupFont::toFont() const {
    QFont font(family);
    font.setPointSizeF(pointSize > 0 ? pointSize : 10);
    font.setBold(bold);
    font.setItalic(italic);
    font.setStrikeOut(strikeOut);
    font.setUnderline(underline);
    return font;
}

QString MarkupLine::text(MarkupPart which, const MarkupFields& fields) const {
    QString out;
    for (const MarkupRun& run : part(which)) {
        switch (run.field) {
        case MarkupRun::Text: out += run.text; break;
        case MarkupRun::PageNumber: out += QString::number(fields.page); break;
        case MarkupRun::PageCount: out += QString::number(fields.pageCount); break;
        case MarkupRun::Date: out += fields.date; break;
        }
    }
    return out;
}

namespace {

class Reader {
public:
    explicit Reader(QStringView markup) : m_in(markup) { m_lines.append(MarkupLine{}); }

    QList<MarkupLine> read() {
        while (m_pos < m_in.size()) {
            const QChar c = m_in[m_pos++];
            if (c == u'/')
                code();
            else
                m_text += c;
        }
        flush();
        m_lines.last().font = m_font;
        if (m_lines.last().isEmpty()) m_lines.removeLast();
        return m_lines;
    }

private:
    bool ahead(QStringView word) const { return m_in.sliced(m_pos).startsWith(word); }

    void flush() {
        if (m_text.isEmpty()) return;
        add(MarkupRun{MarkupRun::Text, m_text, m_font});
        m_text.clear();
    }

    void add(const MarkupRun& run) { m_lines.last().parts[std::size_t(m_part)].append(run); }

    void field(MarkupRun::Field which, qsizetype length) {
        flush();
        add(MarkupRun{which, QString(), m_font});
        m_pos += length;
    }

    // The text between double quotes after a code; the code's own letters
    // have been read.
    QString quoted() {
        if (m_pos >= m_in.size() || m_in[m_pos] != u'"') return {};
        const qsizetype end = m_in.indexOf(u'"', m_pos + 1);
        const qsizetype stop = end < 0 ? m_in.size() : end;
        const QString value = m_in.sliced(m_pos + 1, stop - m_pos - 1).toString();
        m_pos = end < 0 ? m_in.size() : end + 1;
        return value;
    }

    bool digitAt(qsizetype at) const { return at < m_in.size() && m_in[at].isDigit(); }

    void code() {
        if (m_pos >= m_in.size()) {
            m_text += u'/';
            return;
        }
        const QChar next = m_in[m_pos];
        if (next == u'/') {
            m_text += u'/';
            ++m_pos;
        } else if (ahead(u"date")) {
            field(MarkupRun::Date, 4);
        } else if (ahead(u"pc")) {
            field(MarkupRun::PageCount, 2);
        } else if (next == u'p') {
            field(MarkupRun::PageNumber, 1);
        } else if (next == u'n') {
            flush();
            m_lines.last().font = m_font;
            m_lines.append(MarkupLine{});
            m_part = MarkupPart::Left;
            ++m_pos;
        } else if (next == u'l' || next == u'c' || next == u'r') {
            flush();
            m_part = next == u'l' ? MarkupPart::Left : next == u'c' ? MarkupPart::Centre : MarkupPart::Right;
            ++m_pos;
        } else if (next == u'f' && fontCode()) {
            // done
        } else {
            m_text += u'/';
        }
    }

    bool fontCode() {
        const qsizetype at = m_pos + 1;
        if (at >= m_in.size()) return false;
        const QChar kind = m_in[at];
        if (kind == u'n' || kind == u'z') {
            flush();
            m_pos = at + 1;
            const QString value = quoted();
            if (kind == u'n')
                m_font.family = value;
            else
                m_font.pointSize = value.toDouble();
            return true;
        }
        if ((kind == u'b' || kind == u'i' || kind == u'k' || kind == u'u') && digitAt(at + 1)) {
            flush();
            const bool on = m_in[at + 1] != u'0';
            (kind == u'b'   ? m_font.bold
             : kind == u'i' ? m_font.italic
             : kind == u'k' ? m_font.strikeOut
                            : m_font.underline) = on;
            m_pos = at + 2;
            return true;
        }
        if (kind == u's' && digitAt(at + 1)) {
            m_stored.insert(m_in[at + 1].digitValue(), m_font);
            m_pos = at + 2;
            return true;
        }
        if (kind.isDigit()) {
            flush();
            m_font = m_stored.value(kind.digitValue(), m_font);
            m_pos = at + 1;
            return true;
        }
        return false;
    }

    QStringView m_in;
    qsizetype m_pos = 0;
    QString m_text;
    MarkupFont m_font;
    QHash<int, MarkupFont> m_stored;
    MarkupPart m_part = MarkupPart::Left;
    QList<MarkupLine> m_lines;
};

} // namespace

QList<MarkupLine> parseMarkup(QStringView markup) { return Reader(markup).read(); }

QString markupText(const QList<MarkupLine>& lines, const MarkupFields& fields) {
    QStringList out;
    for (const MarkupLine& line : lines)
        out << line.text(MarkupPart::Left, fields) + u'|' + line.text(MarkupPart::Centre, fields) + u'|' +
                   line.text(MarkupPart::Right, fields);
    return out.join(u'\n');
}

} // namespace Dazozuvi

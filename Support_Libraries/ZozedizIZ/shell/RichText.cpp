#include "ZozedizIZ/shell/RichText.h"

#include "Vezedad/foundation/Cp1252.h"

#include <QList>
#include <QTextBrowser>
#include <algorithm>
#include <vector>

namespace ZozedizIZ::RichText {

namespace {

// Destinations whose text is never shown.
bool isSkippedDestination(QStringView word) {
    static const char* const names[] = {
        "fonttbl",
        "colortbl",
        "stylesheet",
        "info",
        "pict",
        "object",
        "header",
        "headerl",
        "headerr",
        "headerf",
        "footer",
        "footerl",
        "footerr",
        "footerf",
        "footnote",
        "fldinst",
        "xe",
        "tc",
        "listtable",
        "rsidtbl",
        "generator",
        "themedata",
        "colorschememapping",
        "latentstyles",
        "datastore",
        "listoverridetable",
        "pnseclvl",
        "pn",
        "pntxtb",
        "pntxta",
        "filetbl",
    };
    for (const char* name : names)
        if (word == QLatin1String(name)) return true;
    return false;
}

struct CharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 0; // 0: the browser's own size

    bool operator==(const CharFormat&) const = default;
};

struct GroupState {
    CharFormat format;
    bool skip = false;       // inside a destination that is not shown
    bool bulletText = false; // inside the text of a paragraph's bullet
    int unicodeSkip = 1;     // characters that follow "\uN" as its stand-in
};

struct Run {
    CharFormat format;
    QString text;
};

class Reader {
public:
    explicit Reader(const QString& rtf) : m_in(rtf) {}

    QString html() {
        std::vector<GroupState> stack{GroupState{}};
        int pendingSkip = 0; // stand-ins still to drop after "\uN"
        bool destinationNext = false;
        qsizetype i = 0;
        const qsizetype n = m_in.size();
        while (i < n) {
            const QChar c = m_in.at(i);
            if (c == u'{') {
                stack.push_back(stack.back());
                pendingSkip = 0;
                ++i;
                continue;
            }
            if (c == u'}') {
                if (stack.size() > 1) stack.pop_back();
                pendingSkip = 0;
                destinationNext = false;
                ++i;
                continue;
            }
            GroupState& state = stack.back();
            if (c == u'\r' || c == u'\n') {
                ++i;
                continue;
            }
            if (c != u'\\') {
                if (pendingSkip > 0)
                    --pendingSkip;
                else
                    addText(state, QString(c));
                destinationNext = false;
                ++i;
                continue;
            }
            // A control symbol or a control word.
            ++i;
            if (i >= n) break;
            const QChar s = m_in.at(i);
            if (!s.isLetter()) {
                ++i;
                if (s == u'\'') {
                    bool ok = i + 1 < n;
                    const int byte = ok ? QStringView(m_in).mid(i, 2).toInt(&ok, 16) : 0;
                    i += ok ? 2 : 0;
                    if (pendingSkip > 0)
                        --pendingSkip;
                    else if (ok)
                        addText(state, QString(QChar(Vezedad::Cp1252::decodeByte(static_cast<unsigned char>(byte)))));
                } else if (s == u'*') {
                    destinationNext = true;
                    continue;
                } else if (s == u'\\' || s == u'{' || s == u'}') {
                    addText(state, QString(s));
                } else if (s == u'~') {
                    addText(state, QString(QChar(0x00A0)));
                } else if (s == u'_') {
                    addText(state, QStringLiteral("-"));
                } else if (s == u'\r' || s == u'\n') {
                    if (!state.skip) endParagraph();
                }
                destinationNext = false;
                continue;
            }
            const qsizetype wordStart = i;
            while (i < n && m_in.at(i).isLetter()) ++i;
            const QStringView word = QStringView(m_in).mid(wordStart, i - wordStart);
            bool hasParam = false;
            int param = 0;
            if (i < n && (m_in.at(i) == u'-' || m_in.at(i).isDigit())) {
                const qsizetype paramStart = i;
                ++i;
                while (i < n && m_in.at(i).isDigit()) ++i;
                param = QStringView(m_in).mid(paramStart, i - paramStart).toInt(&hasParam);
            }
            if (i < n && m_in.at(i) == u' ') ++i; // the delimiter belongs to the word
            const bool wasDestination = destinationNext;
            destinationNext = false;
            if (wasDestination || isSkippedDestination(word)) {
                state.skip = true;
                continue;
            }
            if (word == u"pntext") {
                state.bulletText = true;
                state.skip = true;
                m_bullet = true;
                continue;
            }
            if (word == u"u") {
                if (pendingSkip > 0) {
                    --pendingSkip;
                    continue;
                }
                addText(state, QString(QChar(char16_t(param < 0 ? param + 65536 : param))));
                pendingSkip = state.unicodeSkip;
                continue;
            }
            if (pendingSkip > 0) {
                --pendingSkip;
                continue;
            }
            controlWord(state, word, hasParam, param);
        }
        if (!m_runs.isEmpty()) endParagraph();
        return QStringLiteral("<html><body>") + m_html + QStringLiteral("</body></html>");
    }

private:
    void controlWord(GroupState& state, QStringView word, bool hasParam, int param) {
        const bool on = !hasParam || param != 0;
        if (word == u"b") {
            state.format.bold = on;
        } else if (word == u"i") {
            state.format.italic = on;
        } else if (word == u"ul") {
            state.format.underline = on;
        } else if (word == u"ulnone") {
            state.format.underline = false;
        } else if (word == u"fs") {
            state.format.halfPoints = hasParam ? param : 0;
        } else if (word == u"plain") {
            state.format = CharFormat{};
        } else if (word == u"uc") {
            state.unicodeSkip = hasParam ? qMax(0, param) : 1;
        } else if (state.skip) {
            return;
        } else if (word == u"par") {
            endParagraph();
        } else if (word == u"pard") {
            m_leftTwips = 0;
            m_firstTwips = 0;
            m_centred = false;
        } else if (word == u"li") {
            m_leftTwips = param;
        } else if (word == u"fi") {
            m_firstTwips = param;
        } else if (word == u"qc") {
            m_centred = true;
        } else if (word == u"ql") {
            m_centred = false;
        } else if (word == u"line") {
            addText(state, QStringLiteral("\n"));
        } else if (word == u"tab") {
            addText(state, QStringLiteral("\t"));
        } else if (word == u"bullet") {
            addText(state, QString(QChar(0x2022)));
        } else if (word == u"emdash") {
            addText(state, QString(QChar(0x2014)));
        } else if (word == u"endash") {
            addText(state, QString(QChar(0x2013)));
        } else if (word == u"lquote") {
            addText(state, QString(QChar(0x2018)));
        } else if (word == u"rquote") {
            addText(state, QString(QChar(0x2019)));
        } else if (word == u"ldblquote") {
            addText(state, QString(QChar(0x201C)));
        } else if (word == u"rdblquote") {
            addText(state, QString(QChar(0x201D)));
        }
    }

    void addText(const GroupState& state, const QString& text) {
        if (state.skip) return;
        if (!m_runs.isEmpty() && m_runs.back().format == state.format)
            m_runs.back().text += text;
        else
            m_runs.append(Run{state.format, text});
    }

    static QString pixels(int twips) { return QString::number(twips / 15) + QStringLiteral("px"); }

    void endParagraph() {
        QString style = QStringLiteral("margin-top:0px; margin-bottom:0px; white-space:pre-wrap;");
        const bool empty =
            !m_bullet && std::all_of(m_runs.cbegin(), m_runs.cend(), [](const Run& run) { return run.text.isEmpty(); });
        // An empty paragraph still takes its line.
        if (empty) style += QStringLiteral(" -qt-paragraph-type:empty;");
        if (m_leftTwips != 0) style += QStringLiteral(" margin-left:") + pixels(m_leftTwips) + u';';
        if (m_firstTwips != 0) style += QStringLiteral(" text-indent:") + pixels(m_firstTwips) + u';';
        m_html += QStringLiteral("<p style=\"") + style + u'"' +
                  (m_centred ? QStringLiteral(" align=\"center\">") : QStringLiteral(">"));
        // A tab after the bullet would jump to the document's wide default tab
        // stop; two fixed blanks keep the bullet next to its text.
        if (m_bullet) m_html += QStringLiteral("\u2022\u00A0\u00A0");
        for (const Run& run : std::as_const(m_runs)) {
            if (run.text.isEmpty()) continue;
            QString css;
            if (run.format.bold) css += QStringLiteral("font-weight:700;");
            if (run.format.italic) css += QStringLiteral("font-style:italic;");
            if (run.format.underline) css += QStringLiteral("text-decoration:underline;");
            if (run.format.halfPoints > 0)
                css +=
                    QStringLiteral("font-size:") + QString::number(run.format.halfPoints / 2.0) + QStringLiteral("pt;");
            QString text = run.text.toHtmlEscaped();
            text.replace(u'\n', QStringLiteral("<br/>"));
            if (css.isEmpty())
                m_html += text;
            else
                m_html +=
                    QStringLiteral("<span style=\"") + css + QStringLiteral("\">") + text + QStringLiteral("</span>");
        }
        if (empty) m_html += QStringLiteral("<br/>");
        m_html += QStringLiteral("</p>");
        m_runs.clear();
        m_bullet = false;
    }

    const QString& m_in;
    QString m_html;
    QList<Run> m_runs;
    int m_leftTwips = 0;
    int m_firstTwips = 0;
    bool m_centred = false;
    bool m_bullet = false;
};

} // namespace

bool IsRtf(const QString& text) { return text.trimmed().startsWith(QLatin1String("{\\rtf")); }

QString RtfToHtml(const QString& rtf) { return Reader(rtf).html(); }

void SetText(QTextBrowser& browser, const QString& text) {
    if (IsRtf(text))
        browser.setHtml(RtfToHtml(text));
    else
        browser.setPlainText(text);
}

} // namespace ZozedizIZ::RichText

#include "support/TestSupport.h"

#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/RichText.h"

#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>

namespace RichText = ZozedizIZ::RichText;

namespace {

// The formats of the text in a browser, fragment by fragment.
struct Piece {
    QString text;
    QTextCharFormat format;
    QTextBlockFormat block;
};

QList<Piece> pieces(const QTextDocument& document) {
    QList<Piece> out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            out.append(Piece{it.fragment().text(), it.fragment().charFormat(), block.blockFormat()});
    return out;
}

Piece pieceWith(const QTextDocument& document, const QString& text) {
    for (const Piece& piece : pieces(document))
        if (piece.text.contains(text)) return piece;
    return Piece{};
}

QString shown(const QString& text) {
    QTextBrowser browser;
    RichText::SetText(browser, text);
    return browser.toPlainText();
}

} // namespace

class tst_richtext : public QObject {
    Q_OBJECT

private slots:
    void plainTextStaysAsItIs() {
        const QString text = QStringLiteral("a  <b>b</b> {\\b c}\r\nd\\ne");
        QVERIFY(!RichText::IsRtf(text));
        QCOMPARE(shown(text), QStringLiteral("a  <b>b</b> {\\b c}\nd\\ne"));
    }

    void rtfReadsTheTableSubset_data() {
        QTest::addColumn<QString>("rtf");
        QTest::addColumn<QString>("text");
        const QString head = QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}");
        QTest::newRow("tables skipped") << head + "Hello\\par}"
                                        << "Hello";
        QTest::newRow("paragraphs and empty ones") << head + "One\\par\r\n\\par\r\nTwo\\par}"
                                                   << "One\n\nTwo";
        QTest::newRow("line break and tab") << head + "a\\line b\\tab c}"
                                            << "a\nb\tc";
        QTest::newRow("escaped braces and backslash") << head + "\\{x\\}\\\\y}"
                                                      << "{x}\\y";
        QTest::newRow("hex escapes are Windows-1252") << head + "caf\\'e9 \\'93q\\'94 \\'80}"
                                                      << "caf\u00e9 \u201cq\u201d \u20ac";
        QTest::newRow("broken hex escape shows no character") << head + "a\\'zzb}"
                                                              << "azzb";
        QTest::newRow("unicode with its stand-in") << head + "We\\u8217?re \\uc2\\u-3913\\'41\\'42!}"
                                                   << "We\u2019re \uf0b7!";
        QTest::newRow("starred destination skipped") << head + "{\\*\\generator Writer;}{\\*\\x {\\y z}}ok}"
                                                     << "ok";
        QTest::newRow("word delimiter blank eaten, second kept") << head + "\\b MUST\\b0  be}"
                                                                 << "MUST be";
        QTest::newRow("unknown words ignored") << head + "\\viewkind4\\uc1\\pard\\sa200\\sl276\\slmult1 x}"
                                               << "x";
        // (A plain-text view shows the non-breaking blank as a blank.)
        QTest::newRow("symbols") << head + "a\\~b\\_c\\emdash d}"
                                 << "a b-c\u2014d";
    }

    void rtfReadsTheTableSubset() {
        QFETCH(QString, rtf);
        QFETCH(QString, text);
        QVERIFY(RichText::IsRtf(rtf));
        QCOMPARE(shown(rtf), text);
    }

    // The form-use text: two bulleted paragraphs, "must" bold and italic,
    // single blanks around it, Arial 10 points.
    void formUseTextShowsItsEmphasis() {
        QTextBrowser browser;
        RichText::SetText(browser, ZozedizIZ::Globals::GetMessage(ZozedizIZ::kvmFormUse));
        const QStringList lines = browser.toPlainText().split(u'\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith(QStringLiteral("\u2022  If you provided a Business Registration Number")),
                 qPrintable(lines[0]));
        QVERIFY(lines[0].contains(QStringLiteral("ID, you must include at least one Form 26 (or")));
        QVERIFY(
            lines[1].startsWith(QStringLiteral("\u2022  If you provided a Commercial Sales Permit, you must include")));

        const Piece must = pieceWith(*browser.document(), QStringLiteral("must"));
        QCOMPARE(must.text, QStringLiteral("must"));
        QVERIFY(must.format.fontWeight() >= QFont::Bold);
        QVERIFY(must.format.fontItalic());
        QCOMPARE(must.format.fontPointSize(), 10.0);
        const Piece plain = pieceWith(*browser.document(), QStringLiteral("include at least one sales"));
        QVERIFY(plain.format.fontWeight() < QFont::Bold);
        QVERIFY(!plain.format.fontItalic());
        // A hanging indent: the bullet stands out left of the text.
        QVERIFY(must.block.leftMargin() > 0);
        QVERIFY(must.block.textIndent() < 0);
    }

    void macroReminderBoldsItsWords() {
        QTextBrowser browser;
        RichText::SetText(browser, ZozedizIZ::Globals::GetMessage(ZozedizIZ::kvmMacroReminder));
        for (const QString& word :
             {QStringLiteral("MUST"), QStringLiteral("Macro Security Setting"), QStringLiteral("ENABLE")}) {
            const Piece piece = pieceWith(*browser.document(), word);
            QCOMPARE(piece.text, word);
            QVERIFY(piece.format.fontWeight() >= QFont::Bold);
            QCOMPARE(piece.format.fontPointSize(), 12.0);
        }
        QVERIFY(browser.toPlainText().contains(QStringLiteral("Excel MUST be set to Medium")));
    }

    void newVersionTextItalicisesTheAddresses() {
        QTextBrowser browser;
        RichText::SetText(browser, ZozedizIZ::Globals::GetMessage(ZozedizIZ::kvmNewVersionAvailable));
        const QStringList paragraphs = browser.toPlainText().split(u'\n');
        QCOMPARE(paragraphs.size(), 7); // four paragraphs, an empty one between each two
        QCOMPARE(paragraphs[0], QStringLiteral("You are presently running version [thisVersion] of [appName]."));
        QVERIFY(paragraphs[1].isEmpty());
        QVERIFY(paragraphs[2].startsWith(QStringLiteral("A newer version, [newVersion] of the software is available")));
        QVERIFY(paragraphs[6].endsWith(QStringLiteral(").")));
        const Piece address = pieceWith(*browser.document(), QStringLiteral("http://"));
        QVERIFY(address.format.fontItalic());
        QCOMPARE(address.format.fontPointSize(), 11.0);
    }
};

QTEST_MAIN(tst_richtext)
#include "tst_richtext.moc"

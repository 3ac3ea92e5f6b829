#include "YearFolder.h"
#include "support/UiScript.h"

#include "applicators/Applicator.h"
#include "applicators/frmSelAppl.h"

#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>

using Dazozuvi::frmSelAppl;

namespace {

QTreeWidget* list(QDialog& dialog) { return dialog.findChild<QTreeWidget*>(QStringLiteral("lstAppl")); }

// Each row as its five texts joined by "|".
QStringList rows(QDialog& dialog) {
    QStringList out;
    QTreeWidget* tree = list(dialog);
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QStringList texts;
        for (int column = 0; column < 5; ++column) texts << tree->topLevelItem(i)->text(column);
        out << texts.join(QLatin1Char('|'));
    }
    return out;
}

QStringList column(QDialog& dialog, int col) {
    QStringList out;
    for (const QString& row : rows(dialog)) out << row.section(QLatin1Char('|'), col, col);
    return out;
}

QString currentId(QDialog& dialog) {
    QTreeWidgetItem* item = list(dialog)->currentItem();
    return item ? item->text(0) : QString();
}

void click(QDialog& dialog, const char* name) {
    auto* button = dialog.findChild<QAbstractButton*>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    // On its caption: a stretched option button takes clicks there only.
    const QPoint at(qMin(button->width(), button->sizeHint().width()) / 2, button->height() / 2);
    QTest::mouseClick(button, Qt::LeftButton, {}, at);
}

void clickHeader(QDialog& dialog, int col) {
    QHeaderView* header = list(dialog)->header();
    const QPoint at(header->sectionViewportPosition(col) + header->sectionSize(col) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void clickRow(QDialog& dialog, int row) {
    QTreeWidget* tree = list(dialog);
    QTreeWidgetItem* item = tree->topLevelItem(row);
    QVERIFY(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

bool madeAppsShown(QDialog& dialog) { return !list(dialog)->isColumnHidden(4); }

} // namespace

class tst_selappl : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<YearFolder::Root> m_root;

    // The year's Form 26A file and the filer, who made applications and is
    // listed last.
    void prepare(const QByteArray& form26A) {
        YearFolder::setFiler(QStringLiteral("C7654321"), QStringLiteral("Fred Filer"), QStringLiteral("42"));
        YearFolder::write(QStringLiteral("A00.txt"), form26A);
    }

    void prepare() { prepare("0|C1234567|11|Ann|Lee\r\n3|B2345678|22|Bo|Ray\r\n0|T3456789|33|Cy|Abel\r\n"); }

    // Shows a new dialog with the scripted action and hands it back closed.
    std::unique_ptr<frmSelAppl> run(const TestSupport::UiScript::Action& action) {
        auto dialog = std::make_unique<frmSelAppl>();
        TestSupport::UiScript ui;
        ui.expectModal(action);
        Vezedad::Ui::ExecModal(*dialog);
        return dialog;
    }

private Q_SLOTS:
    void init() { m_root = std::make_unique<YearFolder::Root>(); }
    void cleanup() { m_root.reset(); }

    // It opens on those who made applications, in the registry's order, the
    // first selected; "All Applicators" adds the others and the column that
    // tells them apart.
    void filtersByApplications() {
        prepare();
        auto dialog = run([](QDialog& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Select Applicator"));
            QCOMPARE(list(d)->headerItem()->text(4), QStringLiteral("Made Apps"));
            QVERIFY(d.findChild<QRadioButton*>(QStringLiteral("optShow0"))->isChecked());
            QCOMPARE(rows(d),
                     (QStringList{"C1234567|11|Ann|Lee|Y", "T3456789|33|Cy|Abel|Y", "C7654321|42|Fred|Filer|Y"}));
            QVERIFY(!madeAppsShown(d));
            QCOMPARE(currentId(d), QStringLiteral("C1234567"));

            QTest::keyClick(list(d), Qt::Key_Down);
            click(d, "optShow1");
            QCOMPARE(rows(d), (QStringList{"C1234567|11|Ann|Lee|Y", "B2345678|22|Bo|Ray|N", "T3456789|33|Cy|Abel|Y",
                                           "C7654321|42|Fred|Filer|Y"}));
            QVERIFY(madeAppsShown(d));
            QVERIFY(list(d)->columnWidth(4) > 0);
            QCOMPARE(currentId(d), QStringLiteral("C1234567"));

            click(d, "optShow0");
            QCOMPARE(rows(d).size(), 3);
            QVERIFY(!madeAppsShown(d));
            click(d, "cmdOK");
        });
        QVERIFY(!dialog->Cancelled());
        QVERIFY(dialog->Selected());
        QCOMPARE(dialog->Selected()->CertificationID(), QStringLiteral("C1234567"));
    }

    // A header click sorts by that column, a second one the other way round;
    // the order stays while the list is filled again.
    void headerClicksSort() {
        prepare();
        auto dialog = run([](QDialog& d) {
            clickHeader(d, 0);
            QCOMPARE(column(d, 0), (QStringList{"C1234567", "C7654321", "T3456789"}));
            clickHeader(d, 0);
            QCOMPARE(column(d, 0), (QStringList{"T3456789", "C7654321", "C1234567"}));
            clickHeader(d, 3);
            QCOMPARE(column(d, 3), (QStringList{"Abel", "Filer", "Lee"}));
            QCOMPARE(list(d)->header()->sortIndicatorSection(), 3);
            QCOMPARE(list(d)->header()->sortIndicatorOrder(), Qt::AscendingOrder);

            click(d, "optShow1");
            QCOMPARE(column(d, 3), (QStringList{"Abel", "Filer", "Lee", "Ray"}));
            QCOMPARE(currentId(d), QStringLiteral("T3456789"));
            // The keyboard moves the choice without closing; Enter is OK.
            QTest::keyClick(list(d), Qt::Key_Down);
            QVERIFY(d.isVisible());
            QTest::keyClick(list(d), Qt::Key_Return);
        });
        QVERIFY(!dialog->Cancelled());
        QCOMPARE(dialog->Selected()->CertificationID(), QStringLiteral("C7654321"));
    }

    void oneClickChooses() {
        prepare();
        auto dialog = run([](QDialog& d) {
            clickRow(d, 1);
            QVERIFY(!d.isVisible());
        });
        QVERIFY(!dialog->Cancelled());
        QCOMPARE(dialog->Selected()->CertificationID(), QStringLiteral("T3456789"));

        // The row already selected is chosen by its click too.
        dialog = run([](QDialog& d) { clickRow(d, 0); });
        QCOMPARE(dialog->Selected()->CertificationID(), QStringLiteral("C1234567"));
    }

    void closeBoxAcceptsTheFirstRow() {
        prepare();
        auto dialog = run([](QDialog& d) { d.close(); });
        QVERIFY(!dialog->Cancelled());
        QVERIFY(dialog->Selected());
        QCOMPARE(dialog->Selected()->CertificationID(), QStringLiteral("C1234567"));
    }

    void cancelChoosesNothing_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Escape") << true;
    }

    void cancelChoosesNothing() {
        QFETCH(bool, escape);
        prepare();
        auto dialog = run([&](QDialog& d) {
            QTest::keyClick(list(d), Qt::Key_Down);
            if (escape)
                QTest::keyClick(list(d), Qt::Key_Escape);
            else
                click(d, "cmdCancel");
        });
        QVERIFY(dialog->Cancelled());
        QVERIFY(!dialog->Selected());
    }

    // Nobody made applications: an empty list and no choice, even after a
    // row was selected under "All Applicators".
    void nobodyMadeApplications() {
        prepare("3|C1234567|11|Ann|Lee\r\n3|C7654321|42|Fred|Filer\r\n");
        auto dialog = run([](QDialog& d) {
            QVERIFY(rows(d).isEmpty());
            QVERIFY(!madeAppsShown(d));
            click(d, "optShow1");
            QCOMPARE(column(d, 4), (QStringList{"N", "N"}));
            QCOMPARE(currentId(d), QStringLiteral("C1234567"));
            click(d, "optShow0");
            QVERIFY(rows(d).isEmpty());
            click(d, "cmdOK");
        });
        QVERIFY(!dialog->Cancelled());
        QVERIFY(!dialog->Selected());
    }

    // A registry that cannot be read is reported by the window, which stays
    // usable and chooses nobody.
    void loadFailureIsShown() {
        QVERIFY(QDir(Vezedad::Globals::ZelReport().ReportPath()).removeRecursively());
        auto dialog = std::make_unique<frmSelAppl>();
        TestSupport::UiScript ui;
        ui.expectBox(Vezedad::Ui::vbOK);
        ui.expectModal([](QDialog& d) {
            QVERIFY(rows(d).isEmpty());
            click(d, "cmdOK");
        });
        Vezedad::Ui::ExecModal(*dialog);
        QVERIFY2(ui.boxes().at(0).prompt.startsWith(QStringLiteral("Error 76: ")), qPrintable(ui.boxes().at(0).prompt));
        QVERIFY(ui.boxes().at(0).prompt.contains(QStringLiteral("\nIn procedure Form_Load of Form frmSelAppl\n")));
        QVERIFY(!dialog->Cancelled());
        QVERIFY(!dialog->Selected());
    }
};

QTEST_MAIN(tst_selappl)
#include "tst_selappl.moc"

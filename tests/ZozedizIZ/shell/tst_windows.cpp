#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/HookSize.h"
#include "ZozedizIZ/shell/frmAbout.h"
#include "ZozedizIZ/shell/frmChangeYear.h"
#include "ZozedizIZ/shell/frmValidationResponse.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

using TestSupport::UiScript;
using ZozedizIZ::Globals;

namespace {

template <class T = QWidget> T* child(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found) qWarning("no child %s", name);
    return found;
}

QString labelText(const QWidget& window, const char* name) { return child<QLabel>(window, name)->text(); }

void click(const QWidget& window, const char* name) {
    QTest::mouseClick(child<QPushButton>(window, name), Qt::LeftButton);
}

} // namespace

class tst_windows : public QObject {
    Q_OBJECT

private slots:
    void cleanupTestCase() { Globals::Release(); }

    void aboutShowsTheFrontEndsDetails_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("ownIcon");
        QTest::newRow("filled") << "ZOV Data Entry"
                                << "6.1.3" << true;
        QTest::newRow("empty title and version, library icon") << ""
                                                               << "" << false;
    }

    void aboutShowsTheFrontEndsDetails() {
        QFETCH(QString, title);
        QFETCH(QString, version);
        QFETCH(bool, ownIcon);
        QPixmap red(16, 16);
        red.fill(Qt::red);
        const QIcon icon = ownIcon ? QIcon(red) : QIcon();
        UiScript ui;
        ui.expectModal([&](QDialog& window) {
            QCOMPARE(window.objectName(), QStringLiteral("frmAbout"));
            QCOMPARE(window.windowTitle(), QStringLiteral("About ") + title);
            QCOMPARE(labelText(window, "lblTitle"), title);
            QCOMPARE(labelText(window, "lblProductName"), QStringLiteral("Product"));
            QCOMPARE(labelText(window, "lblDescription"), QStringLiteral("Describes <b>itself</b>"));
            QCOMPARE(labelText(window, "lblVersion"), QStringLiteral("Version ") + version);
            QCOMPARE(labelText(window, "lblCompany"), QStringLiteral("Company"));
            QCOMPARE(labelText(window, "lblContact"), QStringLiteral("Contact help@example.gov"));
            QCOMPARE(labelText(window, "lblCopyright"), QStringLiteral("(c) 2024"));
            QCOMPARE(child<QLabel>(window, "lblDescription")->textFormat(), Qt::PlainText);
            const QImage shown = child<QLabel>(window, "imgIcon")->pixmap().toImage();
            QVERIFY(!shown.isNull());
            const QColor centre = shown.pixelColor(shown.width() / 2, shown.height() / 2);
            QCOMPARE(centre == QColor(Qt::red), ownIcon);
            QTest::keyClick(&window, Qt::Key_Return); // OK is the default button
        });
        Globals::ShowAbout(title, QStringLiteral("Product"), QStringLiteral("Describes <b>itself</b>"), version,
                           QStringLiteral("Company"), QStringLiteral("help@example.gov"), QStringLiteral("(c) 2024"),
                           icon);
        QVERIFY(!ZozedizIZ::frmAbout::LibraryIcon().isNull());
    }

    // The information window renders the RTF of a notice: bold and italic
    // words keep their emphasis.
    void infoWindowRendersRichText() {
        UiScript ui;
        ui.expectModal([](QDialog& window) {
            QCOMPARE(window.objectName(), QStringLiteral("frmInfo"));
            QCOMPARE(window.windowTitle(), QStringLiteral("Form Use"));
            auto* page = child<QTextBrowser>(window, "rtfInfo");
            QVERIFY(page->isReadOnly());
            QVERIFY(!page->toPlainText().contains(QStringLiteral("\\b")));
            bool emphasised = false;
            for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next())
                for (auto it = block.begin(); !it.atEnd(); ++it)
                    if (it.fragment().text() == QStringLiteral("must"))
                        emphasised = it.fragment().charFormat().fontWeight() >= QFont::Bold &&
                                     it.fragment().charFormat().fontItalic();
            QVERIFY(emphasised);
            auto* ok = child<QPushButton>(window, "cmdExit");
            QCOMPARE(ok->text(), QStringLiteral("OK"));
            QVERIFY(ok->isDefault());
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        ZozedizIZ::modGlobals::ShowInfo(QStringLiteral("Form Use"), Globals::GetMessage(ZozedizIZ::kvmFormUse));
    }

    void changeYearListsTheAllowedYears() {
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        const qint16 year = report.ReportYearMax() - 1;
        report.ChangeReportYear(year);
        QSignalSpy changes(&report, &Vezedad::ZelReport::PropertyChanged);

        UiScript ui;
        ZozedizIZ::frmChangeYear dialog;
        QVERIFY(dialog.UpdatesReport());
        ui.expectModal([&](QDialog& window) {
            QCOMPARE(window.windowTitle(), QStringLiteral("Change Reporting Year"));
            QCOMPARE(labelText(window, "lblInfo(0)"), QStringLiteral("Select the new Report Year and click \"OK\"."));
            QCOMPARE(labelText(window, "lblInfo(1)"),
                     QStringLiteral("Note: Changing the Report Year will not change the year in existing reports."));
            auto* years = child<QComboBox>(window, "cboYear");
            // A screen reader names the list by its label, the year being
            // its value.
            QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(years);
            QCOMPARE(heard->text(QAccessible::Name), labelText(window, "lblInfo(0)"));
            QCOMPARE(heard->text(QAccessible::Value), QString::number(year));
            QCOMPARE(years->count(), report.ReportYearMax() - report.ReportYearMin() + 1);
            QCOMPARE(years->itemText(0), QString::number(report.ReportYearMax()));
            QCOMPARE(years->itemText(years->count() - 1), QString::number(report.ReportYearMin()));
            QCOMPARE(years->currentText(), QString::number(year));
            QVERIFY(child<QPushButton>(window, "cmdOK")->isDefault());
            // Down one year with the keyboard, then Enter for OK.
            years->setFocus();
            QTest::keyClick(years, Qt::Key_Down);
            QTest::keyClick(years, Qt::Key_Return);
        });
        QCOMPARE(dialog.ShowDialog(), 1);
        QCOMPARE(dialog.Year(), qint16(year - 1));
        QCOMPARE(report.ReportYear(), qint16(year - 1));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.at(0).at(0).toString(), QStringLiteral("ReportYear"));
    }

    // Cancel, Esc and the close box give 2 and leave the year; OK without
    // UpdatesReport only reports the choice.
    void changeYearLeavesTheModelAlone_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<qint32>("result");
        QTest::newRow("Cancel") << "cancel" << 2;
        QTest::newRow("Esc") << "esc" << 2;
        QTest::newRow("close box") << "close" << 2;
        QTest::newRow("OK without UpdatesReport") << "ok" << 1;
    }

    void changeYearLeavesTheModelAlone() {
        QFETCH(QString, how);
        QFETCH(qint32, result);
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        const qint16 year = report.ReportYear();
        QSignalSpy changes(&report, &Vezedad::ZelReport::PropertyChanged);
        UiScript ui;
        ZozedizIZ::frmChangeYear dialog;
        dialog.setUpdatesReport(false);
        ui.expectModal([&](QDialog& window) {
            auto* years = child<QComboBox>(window, "cboYear");
            years->setCurrentIndex(years->count() - 1);
            if (how == u"cancel") click(window, "cmdCancel");
            if (how == u"esc") QTest::keyClick(&window, Qt::Key_Escape);
            if (how == u"close") window.close();
            if (how == u"ok") click(window, "cmdOK");
        });
        QCOMPARE(dialog.ShowDialog(), result);
        QCOMPARE(dialog.Year(), result == 1 ? report.ReportYearMin() : year);
        QCOMPARE(report.ReportYear(), year);
        QCOMPARE(changes.size(), 0);
    }

    // OK on the current year still hands it to the report model, which
    // saves the identity there; when that fails the error box names the
    // step, and the dialog still closes with 1.
    void changeYearShowsAFailedChange() {
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        const qint16 year = report.ReportYear();
        const QString identity = QDir(report.ReportPath()).filePath(QStringLiteral("identity.txt"));
        QFile::remove(identity);
        QVERIFY(QDir().mkpath(identity)); // a folder where the file must go
        UiScript ui;
        ui.expectModal([](QDialog& window) { click(window, "cmdOK"); });
        ui.expectBox();
        ZozedizIZ::frmChangeYear dialog;
        QCOMPARE(dialog.ShowDialog(), 1);
        QCOMPARE(dialog.Year(), year);
        QVERIFY(QDir().rmdir(identity));
        QCOMPARE(report.ReportYear(), year);
        QVERIFY2(ui.boxes().at(0).prompt.contains(QStringLiteral("\nIn ZozedizIZ::frmChangeYear.UpdateReport\n-->")),
                 qPrintable(ui.boxes().at(0).prompt));
    }

    void verdictWindowCollectsTheChoice_data() {
        QTest::addColumn<qint32>("severity");
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("how"); // boxes ticked, then how the window was left
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<bool>("loadFile");
        QTest::addColumn<bool>("loadReport");
        const QString report = QStringLiteral("/data/ZOV2024/exception_P2024.txt");
        QTest::newRow("valid, OK, nothing ticked") << 0 << ""
                                                   << "ok" << false << false << false;
        QTest::newRow("warnings, both ticked, OK") << 1 << report << "both ok" << false << true << true;
        QTest::newRow("failed, file ticked, OK") << 2 << report << "file ok" << false << true << false;
        QTest::newRow("critical, both ticked, Cancel") << 3 << report << "both cancel" << true << false << false;
        QTest::newRow("terminal, both ticked, close box") << 4 << report << "both close" << true << false << false;
        QTest::newRow("file ticked, Esc") << 2 << report << "file esc" << true << false << false;
        QTest::newRow("unknown severity") << 9 << report << "ok" << false << false << false;
    }

    void verdictWindowCollectsTheChoice() {
        QFETCH(qint32, severity);
        QFETCH(QString, report);
        QFETCH(QString, how);
        QFETCH(bool, cancelled);
        QFETCH(bool, loadFile);
        QFETCH(bool, loadReport);
        UiScript ui;
        ZozedizIZ::frmValidationResponse dialog;
        ui.expectModal([&](QDialog& window) {
            QCOMPARE(window.windowTitle(), QStringLiteral("File Validation"));
            QCOMPARE(child<QLineEdit>(window, "txtFolder")->text(), QStringLiteral("/data/ZOV2024"));
            QCOMPARE(child<QLineEdit>(window, "txtFile")->text(), QStringLiteral("P2024.txt"));
            QCOMPARE(child<QLineEdit>(window, "txtReport")->text(), report);
            QCOMPARE(child<QLineEdit>(window, "txtSeverity")->text(),
                     severity == 0   ? QStringLiteral("File passed validation")
                     : severity == 1 ? QStringLiteral("There were some warnings")
                                     : QStringLiteral("File failed validation"));
            QVERIFY(child<QLineEdit>(window, "txtFile")->isReadOnly());
            QCOMPARE(labelText(window, "lblReport"), QStringLiteral("Exception Report:"));
            auto* showReport = child<QCheckBox>(window, "chkShowReport");
            auto* showFile = child<QCheckBox>(window, "chkShowFile");
            QCOMPARE(showReport->text(), QStringLiteral("Open Exception Report"));
            QCOMPARE(showFile->text(), QStringLiteral("Open File in Editor"));
            QCOMPARE(showReport->isEnabled(), !report.isEmpty());
            QVERIFY(!showReport->isChecked() && !showFile->isChecked());
            if (how.startsWith(u"both") || how.startsWith(u"file")) QTest::mouseClick(showFile, Qt::LeftButton);
            if (how.startsWith(u"both")) {
                showReport->setFocus();
                QTest::keyClick(showReport, Qt::Key_Space);
            }
            if (how.endsWith(u"ok")) click(window, "cmdOK");
            if (how.endsWith(u"cancel")) click(window, "cmdCancel");
            if (how.endsWith(u"close")) window.close();
            if (how.endsWith(u"esc")) QTest::keyClick(&window, Qt::Key_Escape);
        });
        QVERIFY(dialog.Cancelled());
        dialog.ShowDialog(QStringLiteral("/data/ZOV2024"), QStringLiteral("P2024.txt"), report, severity);
        QCOMPARE(dialog.Cancelled(), cancelled);
        QCOMPARE(dialog.LoadFile(), loadFile);
        QCOMPARE(dialog.LoadReport(), loadReport);
    }

    void twipsBecomePixelsRoundedDown_data() {
        QTest::addColumn<qint32>("twips");
        QTest::addColumn<double>("perPixel");
        QTest::addColumn<qint32>("pixels");
        QTest::newRow("6225 at 12") << 6225 << 12.0 << 518;
        QTest::newRow("6225 at 15") << 6225 << 15.0 << 415;
        QTest::newRow("4860 at 15") << 4860 << 15.0 << 324;
        QTest::newRow("5865 at 15") << 5865 << 15.0 << 391;
        QTest::newRow("4035 at 15") << 4035 << 15.0 << 269;
        QTest::newRow("exact at 12") << 4500 << 12.0 << 375;
        QTest::newRow("just below a pixel") << 14 << 15.0 << 0;
    }

    void twipsBecomePixelsRoundedDown() {
        QFETCH(qint32, twips);
        QFETCH(double, perPixel);
        QFETCH(qint32, pixels);
        QCOMPARE(ZozedizIZ::HookSize::TwipsToPixelsCeil(twips, perPixel), pixels);
    }

    // A hooked window cannot be made smaller than its minimum; a second hook
    // is refused with a message and leaves both windows as they were;
    // unhooking lets the window shrink again.
    void minimumSizeClampsAResize() {
        ZozedizIZ::HookSize hook;
        QWidget first;
        QWidget second;
        first.resize(600, 500);
        second.resize(600, 500);
        first.show();
        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&first));
        hook.Hook(&first, 6225, 4860);
        const QSize minimum(ZozedizIZ::HookSize::TwipsToPixelsCeil(6225, true),
                            ZozedizIZ::HookSize::TwipsToPixelsCeil(4860, false));
        QCOMPARE(hook.MinimumPixels(), minimum);

        first.resize(100, 100);
        QTRY_COMPARE(first.frameGeometry().size(), minimum);

        UiScript ui;
        ui.expectBox();
        hook.Hook(&second, 9000, 9000);
        QCOMPARE(ui.boxes().at(0).prompt,
                 QStringLiteral("Don't hook it twice without unhooking, or you will be unable to unhook it."));
        QCOMPARE(ui.boxes().at(0).buttons, qint32(Vezedad::Ui::vbOKOnly));
        second.resize(100, 100);
        QTRY_COMPARE(second.size(), QSize(100, 100));
        first.resize(50, 50);
        QTRY_COMPARE(first.frameGeometry().size(), minimum);

        hook.Unhook();
        QVERIFY(!hook.Hooked());
        first.resize(100, 100);
        QTRY_COMPARE(first.size(), QSize(100, 100));
        hook.Unhook(); // without a hook: nothing happens
    }
};

QTEST_MAIN(tst_windows)
#include "tst_windows.moc"

// The whole road of a filer, through the real program objects: start-up,
// the identity typed into the Control Center, a Form 25, a Form 27, a Form
// 26A of two applicators and a Form 26 for each entered and saved through
// their forms, the folder validated and uploaded to a filing service, which
// gets the identity and an archive of exactly those five files.
#include "standalone_entry/forms/FormTest.h"
#include "support/FilingService.h"

#include "Startup.h"
#include "forms/ReportForm.h"
#include "grid/ReportGrid.h"
#include "modGlobals.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Enums.h"
#include "ZozedizIZ/shell/Controller.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/frmController.h"

#include <QCheckBox>
#include <QDir>
#include <QListWidget>
#include <QRadioButton>
#include <QTextBrowser>
#include <QTreeWidget>

using namespace FormTest;
namespace modGlobals = Dazozuvi::modGlobals;
using TestSupport::FilingService;
using TestSupport::Route;

namespace {

// The filer as the Control Center takes it, box by box.
const QList<std::pair<const char*, QString>> kIdentity{
    {"txtBusinessName", QStringLiteral("GREEN LAWN CO")},
    {"txtBusRegNum", QStringLiteral("12345")},
    {"txtPermitNumber", QStringLiteral("R12345")},
    {"txtCertId", QStringLiteral("C1234567")},
    {"txtApplName", QStringLiteral("AL ROE")},
    {"txtContact", QStringLiteral("JO ROE")},
    {"txtPhone", QStringLiteral("518-555-0100")},
    {"txtEmail", QStringLiteral("jo@example.com")},
};

ZozedizIZ::frmController& controlCenter() { return *ZozedizIZ::Globals::Controller(1)->Form(); }

// A form choice and a click on one of the Control Center's buttons.
void click(qint32 formType, const char* button) {
    auto* choice = child<QRadioButton>(controlCenter(), QStringLiteral("radFormType(%1)").arg(formType));
    QVERIFY(choice && choice->isEnabled());
    QTest::mouseClick(choice, Qt::LeftButton, {}, QPoint(8, choice->height() / 2));
    QVERIFY(choice->isChecked());
    QTest::mouseClick(child<QPushButton>(controlCenter(), QLatin1String(button)), Qt::LeftButton);
}

void typeIdentity() {
    for (const auto& [name, value] : kIdentity) {
        auto* box = child<QLineEdit>(controlCenter(), QLatin1String(name));
        QVERIFY(box);
        box->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(box->hasFocus());
        box->selectAll();
        QTest::keyClicks(box, value);
        // Leaving the box checks and keeps the value.
        QTest::keyClick(box, Qt::Key_Tab);
        // The check runs once the key is handled, as in the event loop.
        QCoreApplication::processEvents();
        QVERIFY2(!box->hasFocus(), name);
    }
}

// Types one grid row from column 1, cell by cell, as a user does.
void typeRow(Dazozuvi::ReportGrid& grid, int row, const QStringList& cells) {
    grid.setFocus();
    grid.setActiveCell(1, row);
    for (const QString& cell : cells) {
        if (!cell.isEmpty()) type(grid, cell);
        press(grid, Qt::Key_Tab);
    }
    QCOMPARE(grid.activeRow() >= row, true);
}

// The form opened as a modal window: activated, handed to action, then
// saved under the name it proposes (the question about checking it first
// answered No) and closed. The saved file's name lands in savedAs.
template <class Action>
UiScript::Action enterAndSave(UiScript& ui, const QString& formName, QString& savedAs, Action action) {
    return [&ui, formName, &savedAs, action](QDialog& d) {
        QCOMPARE(d.objectName(), formName);
        auto& form = dynamic_cast<Dazozuvi::ReportForm&>(d);
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        action(form);
        ui.expectBox(Vezedad::Ui::vbNo);
        ui.expectDialog(UiScript::Kind::SaveFile, [&savedAs](UiScript::Request& request) {
            UiScript::Answer answer = Vezedad::Ui::AcceptAsShown(request);
            savedAs = answer.files.value(0);
            return answer;
        });
        trigger(form, QStringLiteral("mnuFileSave"));
        QVERIFY2(!form.IsDirty(), qPrintable(formName));
        trigger(form, QStringLiteral("mnuExit"));
        QVERIFY(!form.isVisible());
    };
}

// The applicator selection dialog answered with a click on that id among
// all applicators.
UiScript::Action chooseApplicator(const QString& certId) {
    return [certId](QDialog& d) {
        QCOMPARE(d.objectName(), QStringLiteral("frmSelAppl"));
        auto* all = child<QRadioButton>(d, "optShow1");
        QTest::mouseClick(all, Qt::LeftButton, {}, QPoint(8, all->height() / 2));
        auto* list = child<QTreeWidget>(d, "lstAppl");
        const QList<QTreeWidgetItem*> found = list->findItems(certId, Qt::MatchExactly, 0);
        QVERIFY(!found.isEmpty());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
        QVERIFY(!d.isVisible());
    };
}

} // namespace

class tst_road : public QObject {
    Q_OBJECT

private slots:
    void fromStartToUpload() {
        FilingService service;
        service.setClientVersion(QStringLiteral("OptionA"), QStringLiteral("0.0.0.0"));
        YearFolder::Root root;
        service.useForThisThread();
        // County codes typed, not picked from the selector.
        Vezedad::Globals::Configuration().setCountySelectorBehavior(2);
        const QString year = QString::number(Vezedad::Globals::ZelReport().ReportYear());
        const QString folder = Vezedad::Globals::ZelReport().ReportPath();

        UiScript ui;
        QVERIFY(modGlobals::Main());
        QVERIFY(controlCenter().isVisible());
        controlCenter().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&controlCenter()));
        typeIdentity();
        const Vezedad::IdentityPtr filer = Vezedad::Globals::ZelReport().Identity();
        QCOMPARE(filer->CertificationId(), QStringLiteral("C1234567"));
        QCOMPARE(filer->Email(), QStringLiteral("jo@example.com"));

        QStringList saved;

        // Form 25: sales for resale.
        QString form25;
        ui.expectModal(enterAndSave(ui, QStringLiteral("Form25"), form25, [&](Dazozuvi::ReportForm& form) {
            QTest::mouseClick(child<QRadioButton>(form, "optSalesType(1)"), Qt::LeftButton, {},
                              QPoint(8, child<QRadioButton>(form, "optSalesType(1)")->height() / 2));
            typeRow(form.Grid(), 1, {"100-200", "ROUNDUP", "1.5", "OZ", "3"});
            QCOMPARE(rows(form).value(0), QStringLiteral("100-200|ROUNDUP|1.5|OZ|3"));
        }));
        click(Vezedad::zfotForm25, "cmdNew");
        QVERIFY2(!form25.isEmpty(), qPrintable(ui.modalNames().join(',')));
        saved << form25;

        // Form 27: a sale to a private applicator, the county typed.
        QString form27;
        ui.expectModal(enterAndSave(ui, QStringLiteral("Form27"), form27, [&](Dazozuvi::ReportForm& form) {
            typeRow(form.Grid(), 1,
                    {"100-200", "ROUNDUP", "2", "GL", "05/01/" + year, "58", "2 PARK AVE", "BRONX", "10451"});
            QCOMPARE(rows(form).value(0), "100-200|ROUNDUP|2|GL|05/01/" + year + "|58|2 PARK AVE|BRONX|10451");
        }));
        click(Vezedad::zfotForm27, "cmdNew");
        QVERIFY2(!form27.isEmpty(), qPrintable(ui.modalNames().join(',')));
        saved << form27;

        // Form 26A: the filer comes in row 1; a second applicator typed in
        // below takes the business registration number by itself.
        QString form26A;
        ui.expectBox(Vezedad::Ui::vbYes); // more than one applicator
        ui.expectModal(enterAndSave(ui, QStringLiteral("Form26A"), form26A, [&](Dazozuvi::ReportForm& form) {
            QCOMPARE(rows(form).value(0), QStringLiteral("C1234567|12345|AL|ROE|"));
            typeRow(form.Grid(), 2, {"T3456789", "", "ANN", "LEE", ""});
            QCOMPARE(rows(form).value(1), QStringLiteral("T3456789|12345|ANN|LEE|"));
        }));
        click(Vezedad::zfotForm26A, "cmdNew");
        QVERIFY2(!form26A.isEmpty(), qPrintable(ui.modalNames().join(',')));
        saved << form26A;

        // A Form 26 for each applicator of the list, chosen in the dialog.
        auto* perApplicator = child<QCheckBox>(controlCenter(), "ckMultiple");
        QTest::mouseClick(perApplicator, Qt::LeftButton, {}, QPoint(8, perApplicator->height() / 2));
        QVERIFY(perApplicator->isChecked());
        const QStringList dates{"06/15/" + year, "07/01/" + year};
        int n = 0;
        for (const QString& certId : {QStringLiteral("C1234567"), QStringLiteral("T3456789")}) {
            QString form26;
            ui.expectModal(chooseApplicator(certId));
            ui.expectModal(enterAndSave(ui, QStringLiteral("Form26"), form26, [&](Dazozuvi::ReportForm& form) {
                QCOMPARE(text(form, "txtCertId"), certId);
                typeRow(form.Grid(), 1,
                        {"100-200", "ROUNDUP", "2.5", "GL", dates[n], "", "01", "1 MAIN ST", "ALBANY", "12207"});
            }));
            click(Vezedad::zfotForm26, "cmdNew");
            QVERIFY2(!form26.isEmpty(), qPrintable(ui.modalNames().join(',')));
            saved << form26;
            ++n;
        }

        // The folder passes the checks.
        ui.expectBox(Vezedad::Ui::vbYes);
        ui.expectModal(progressRuns());
        ui.expectBox();
        QTest::mouseClick(child<QPushButton>(controlCenter(), "cmdValidateFolder"), Qt::LeftButton);
        const QString summary = ui.boxes().last().prompt;
        QVERIFY2(
            summary.startsWith(QStringLiteral("%1 files in folder %2 have been validated.\r\n%1 passed validation.")
                                   .arg(saved.size())
                                   .arg(folder)),
            qPrintable(summary));

        // The upload: the year folder, every file chosen.
        QString receipt;
        ui.expectBox(Vezedad::Ui::vbYes);
        ui.expectModal([](QDialog& list) {
            QCOMPARE(list.objectName(), QStringLiteral("frmFileList"));
            QTest::mouseClick(child<QPushButton>(list, "cmdUpload"), Qt::LeftButton);
        });
        ui.expectModal([&receipt](QDialog& response) {
            QCOMPARE(response.objectName(), QStringLiteral("frmUploadResponse"));
            auto* done = child<QPushButton>(response, "cmdDone");
            QTRY_VERIFY_WITH_TIMEOUT(done->isEnabled(), 20000);
            receipt = child<QTextBrowser>(response, "WebBrowser1")->toPlainText();
            QTest::mouseClick(done, Qt::LeftButton);
        });
        QTest::mouseClick(child<QPushButton>(controlCenter(), "cmdUpload"), Qt::LeftButton);
        QVERIFY2(receipt.contains(QStringLiteral("Upload Succeeded!")), qPrintable(receipt));

        const auto submissions = service.requests(Route::Submission);
        QCOMPARE(submissions.size(), 1);
        for (const auto& [name, value] : kIdentity) QVERIFY2(submissions.at(0).body.contains(value.toLatin1()), name);
        const auto uploads = service.requests(Route::Upload);
        QCOMPARE(uploads.size(), 1);
        QStringList names;
        for (const auto& entry : FilingService::zipEntries(uploads.at(0).body)) names << entry.first;
        QStringList expected;
        for (const QString& path : saved) expected << QFileInfo(path).fileName();
        names.sort(Qt::CaseInsensitive);
        expected.sort(Qt::CaseInsensitive);
        QCOMPARE(names.size(), 5);
        QCOMPARE(names, expected);

        UiScript last;
        controlCenter().close();
        modGlobals::End();
    }
};

QTEST_MAIN(tst_road)
#include "tst_road.moc"

#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "ZozedizIZ/shell/FileOperations.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using TestSupport::UiScript;
using ZozedizIZ::FileOperations;

namespace {

QStringList descriptions(const Vezedad::Ui::DialogRequest& request) {
    QStringList out;
    for (const Vezedad::Ui::FileFilter& filter : request.file.filters) out << filter.description;
    return out;
}

QString yearFolder() { return Vezedad::Globals::ZelReport().ReportPath(); }

} // namespace

class tst_pickers : public QObject {
    Q_OBJECT

private slots:
    void cleanupTestCase() { ZozedizIZ::Globals::Release(); }

    void filterPerFormAndFileType_data() {
        QTest::addColumn<qint32>("formType");
        QTest::addColumn<qint32>("fileType");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<qint32>("index");
        const QString all = QStringLiteral("All Files (*.*)|*.*");
        const QString text = QStringLiteral("|Text Files (*.txt)|*.txt");
        const QString excel = QStringLiteral("|Excel Files (*.xls, *.xlsm, *.xlsx)|*.xls;*.xlsm;*.xlsx");
        QTest::newRow("Form 26, both") << 1 << 3
                                       << all + text + "|Form 26 Text Files (P*.txt)|P*.txt" + excel +
                                              "|Form 26 Excel Files (P*.xls, P*.xlsm, P*.xlsx)|P*.xls;P*.xlsm;P*.xlsx"
                                       << 5;
        QTest::newRow("Form 25, text") << 8 << 1 << all + text + "|Form 25 Text Files (M*.txt)|M*.txt" << 3;
        QTest::newRow("Form 26A, text") << 2 << 1 << all + text + "|Form 26A Text Files (A*.txt)|A*.txt" << 3;
        QTest::newRow("Form 27, spreadsheets")
            << 4 << 2 << all + excel + "|Form 27 Excel Files (S*.xls, S*.xlsm, S*.xlsx)|S*.xls;S*.xlsm;S*.xlsx" << 3;
        QTest::newRow("identity, spreadsheets")
            << 16 << 2 << all + excel + "|Identity Excel Files (I*.xls, I*.xlsm, I*.xlsx)|I*.xls;I*.xlsm;I*.xlsx" << 3;
        QTest::newRow("no type") << 1 << 0 << all << 1;
        for (const qint32 form : {0, 3, 14, 15}) {
            QTest::newRow(qPrintable(QStringLiteral("form %1 without prefix, both").arg(form)))
                << form << 3 << all + text + excel << 3;
            QTest::newRow(qPrintable(QStringLiteral("form %1 without prefix, text").arg(form)))
                << form << 1 << all + text << 2;
        }
    }

    void filterPerFormAndFileType() {
        QFETCH(qint32, formType);
        QFETCH(qint32, fileType);
        QFETCH(QString, filter);
        QFETCH(qint32, index);
        const FileOperations::Filter got = FileOperations::PrepareFilter(formType, fileType);
        QCOMPARE(got.text, filter);
        QCOMPARE(got.index, index);
    }

    // The open dialog starts in the year folder on the form's own files; a
    // cancel gives "", a failure its code with the trail.
    void pickFileOpen() {
        FileOperations& pickers = ZozedizIZ::Globals::FileOperations();
        QCOMPARE(&ZozedizIZ::Globals::FileOperations(), &pickers);
        const QString chosen = QDir(yearFolder()).filePath(QStringLiteral("P01.txt"));
        UiScript ui;
        ui.expectFile(chosen);
        QCOMPARE(QDir::fromNativeSeparators(pickers.PickFileOpen(Vezedad::zfotForm26)), chosen);
        const Vezedad::Ui::DialogRequest& request = ui.dialogs().at(0);
        QCOMPARE(request.kind, Vezedad::Ui::DialogKind::OpenFile);
        QCOMPARE(request.title, QStringLiteral("Select File to Open"));
        QCOMPARE(QDir::fromNativeSeparators(request.file.directory), yearFolder());
        QVERIFY(request.file.fileName.isEmpty());
        QVERIFY(request.file.fileMustExist);
        QVERIFY(!request.file.multiSelect);
        QVERIFY(!request.file.showReadOnly);
        QCOMPARE(
            descriptions(request),
            (QStringList{"All Files (*.*)", "Text Files (*.txt)", "Form 26 Text Files (P*.txt)",
                         "Excel Files (*.xls, *.xlsm, *.xlsx)", "Form 26 Excel Files (P*.xls, P*.xlsm, P*.xlsx)"}));
        QCOMPARE(request.file.filterIndex, 4); // the fifth, counted from 0

        ui.expectDialogCancel();
        QCOMPARE(pickers.PickFileOpen(Vezedad::zfotForm25, Vezedad::zfitText), QString());
        QCOMPARE(ui.dialogs().at(1).file.filterIndex, 2);

        ui.expectDialogFailure(0x3002);
        const Vezedad::ErrorInfo error = TestSupport::raisedBy([&] { pickers.PickFileOpen(Vezedad::zfotForm27); });
        QCOMPARE(error.Number(), 0x3002);
        QCOMPARE(error.Description(), QStringLiteral("Common dialog error while selecting data file"));
        QCOMPARE(error.Source(), QStringLiteral("ZozedizIZ::FileOperations.PickFileOpen\r\n-->"
                                                "ZozedizIZ::FileOperations.PickFileOpen"));
    }

    void pickFileSaveStartsWhereTheProposalIs_data() {
        QTest::addColumn<QString>("proposal"); // "@" stands for a folder that exists
        QTest::addColumn<bool>("inYearFolder");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("name"); // in the dialog's name box
        QTest::newRow("no proposal") << "" << true << ""
                                     << "";
        QTest::newRow("proposal in an existing folder") << "@/M01.txt" << false << "txt"
                                                        << "@/M01.txt";
        // Its old path would name a folder that is no more.
        QTest::newRow("proposal in a folder that is gone") << "/no/such/folder/M01.xlsx" << true << "xlsx"
                                                           << "M01.xlsx";
    }

    void pickFileSaveStartsWhereTheProposalIs() {
        QFETCH(QString, proposal);
        QFETCH(bool, inYearFolder);
        QFETCH(QString, suffix);
        QFETCH(QString, name);
        QTemporaryDir elsewhere;
        proposal.replace(u'@', elsewhere.path());
        name.replace(u'@', elsewhere.path());
        QString argument = proposal;
        const QString chosen = QDir(elsewhere.path()).filePath(QStringLiteral("M02.txt"));
        UiScript ui;
        ui.expectFile(chosen);
        FileOperations pickers;
        QCOMPARE(QDir::fromNativeSeparators(pickers.PickFileSave(Vezedad::zfotForm25, Vezedad::zfitText, argument)),
                 chosen);
        QCOMPARE(QDir::fromNativeSeparators(argument), chosen);
        const Vezedad::Ui::DialogRequest& request = ui.dialogs().at(0);
        QCOMPARE(request.kind, Vezedad::Ui::DialogKind::SaveFile);
        QVERIFY(request.title.isEmpty());
        QCOMPARE(QDir::fromNativeSeparators(request.file.directory), inYearFolder ? yearFolder() : elsewhere.path());
        QCOMPARE(request.file.fileName, name);
        QCOMPARE(request.file.defaultSuffix, suffix);
        QVERIFY(request.file.overwritePrompt);
        QCOMPARE(descriptions(request).last(), QStringLiteral("Form 25 Text Files (M*.txt)"));
    }

    // Cancel gives "" and leaves the proposal; a failure passes its code on
    // with the picker's own source.
    void pickFileSaveCancelAndFailure() {
        FileOperations pickers;
        QString proposal = QStringLiteral("/tmp/M03.txt");
        UiScript ui;
        ui.expectDialogCancel();
        QCOMPARE(pickers.PickFileSave(Vezedad::zfotForm25, Vezedad::zfitText, proposal), QString());
        QCOMPARE(proposal, QStringLiteral("/tmp/M03.txt"));
        ui.expectDialogFailure(0x3003);
        const Vezedad::ErrorInfo error =
            TestSupport::raisedBy([&] { pickers.PickFileSave(Vezedad::zfotForm25, Vezedad::zfitText, proposal); });
        QCOMPARE(error.Number(), 0x3003);
        QCOMPARE(error.Description(), QStringLiteral("Common dialog error while selecting file to save"));
        QCOMPARE(error.Source(), QStringLiteral("ZozedizIZ::FileOperations.PickFileSave"));
    }

    void browseFolderPassesItsChoices_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("newFolder");
        QTest::addColumn<bool>("hint");
        QTest::addColumn<bool>("shareable");
        QTest::addColumn<QString>("shownTitle");
        QTest::addColumn<qint32>("flags");
        QTest::newRow("report root") << ZozedizIZ::ReportRootPickerTitle() << true << false << true
                                     << "Report Root contains the ZOVyyyy report folders" << 0x8041;
        QTest::newRow("report folder") << ZozedizIZ::ReportFolderPickerTitle() << false << false << true
                                       << "Select the Drive and Directory that contains your files" << 0x8241;
        QTest::newRow("no title, usage hint") << "" << false << true << false << "Select A Folder" << 0x341;
    }

    void browseFolderPassesItsChoices() {
        QFETCH(QString, title);
        QFETCH(bool, newFolder);
        QFETCH(bool, hint);
        QFETCH(bool, shareable);
        QFETCH(QString, shownTitle);
        QFETCH(qint32, flags);
        QWidget owner;
        owner.show();
        QTemporaryDir folder;
        UiScript ui;
        ui.expectFolder(folder.path());
        QCOMPARE(QDir::fromNativeSeparators(
                     ZozedizIZ::BrowseFolder(qint32(owner.winId()), title, newFolder, hint, shareable)),
                 folder.path());
        const Vezedad::Ui::DialogRequest& request = ui.dialogs().at(0);
        QCOMPARE(request.kind, Vezedad::Ui::DialogKind::Folder);
        QCOMPARE(request.title, shownTitle);
        QCOMPARE(request.flags, flags);
        QCOMPARE(request.file.allowNewFolder, newFolder);
        QCOMPARE(request.owner, &owner);
    }

    // Nothing chosen, a failed picker or a path the picker cannot hold all
    // give "".
    void browseFolderGivesNothingElse() {
        UiScript ui;
        ui.expectDialogCancel();
        QCOMPARE(ZozedizIZ::BrowseFolder(0, QString(), true, false, false), QString());
        ui.expectDialogFailure(2);
        QCOMPARE(ZozedizIZ::BrowseFolder(0, QString(), true, false, false), QString());
        QCOMPARE(ui.dialogs().at(0).owner, nullptr);

        const QString fits = u'/' + QString(258, u'f');
        ui.expectFolder(fits);
        QCOMPARE(QDir::fromNativeSeparators(ZozedizIZ::BrowseFolder(0, QString(), true, false, false)), fits);
        ui.expectFolder(fits + u'g');
        QCOMPARE(ZozedizIZ::BrowseFolder(0, QString(), true, false, false), QString());
    }
};

QTEST_MAIN(tst_pickers)
#include "tst_pickers.moc"

#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "ZiverezUvaveded/frmFileList.h"
#include "ZiverezUvaveded/frmTrouble.h"
#include "ZiverezUvaveded/frmUploadResponse.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <sys/stat.h>

using namespace VezirodEdovud;

namespace {

void touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("0|x|\r\n");
}

QStringList rows(const frmFileList& form) {
    QStringList names;
    const auto* list = form.findChild<QListWidget*>(QStringLiteral("lstFiles"));
    for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
    return names;
}

bool allChecked(const frmFileList& form) {
    const auto* list = form.findChild<QListWidget*>(QStringLiteral("lstFiles"));
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() != Qt::Checked) return false;
    return true;
}

QPushButton* button(const QWidget& window, const char* name) {
    return window.findChild<QPushButton*>(QString::fromLatin1(name));
}

} // namespace

class tst_upload_windows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        QDir(m_dir->path()).mkpath(QStringLiteral("sub"));
        for (const char* name :
             {"M2023.txt", "REPORT.TXT", "Identity.TXT", "exception_P2023.txt", "EXCEPTIONS.xls", "S2023.xlsx",
              "S2023b.xlsm", "old.xls", "notes.doc", ".hidden.txt", "~$S2023b.xlsm", ".~lock.M2023.txt#",
              "sub/X2023.txt", "M2023.txt~", "M2023.txt.k3J9xQ", "S2023.xlsx.bak"})
            touch(m_dir->filePath(QString::fromLatin1(name)));
        // Entries with a report's name that are no files to pack.
        QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("gone.txt")), m_dir->filePath(QStringLiteral("P2023.txt"))));
        QCOMPARE(::mkfifo(QFile::encodeName(m_dir->filePath(QStringLiteral("A2023.txt"))).constData(), 0600), 0);
    }

    void fileListFitsTheOption_data() {
        QTest::addColumn<qint32>("option");
        QTest::addColumn<QStringList>("expected");
        const QStringList text{"M2023.txt", "REPORT.TXT"};
        QTest::newRow("option A") << qint32(Vezedad::kvoOptionA) << text;
        QTest::newRow("option C") << qint32(Vezedad::kvoOptionC) << text;
        QTest::newRow("option B") << qint32(Vezedad::kvoOptionB) << QStringList{"old.xls", "S2023.xlsx", "S2023b.xlsm"};
        QTest::newRow("unknown") << qint32(Vezedad::kvoUnknown) << QStringList{};
    }

    // Identity, exception, hidden and lock files, subfolders and anything but
    // a regular file never show.
    void fileListFitsTheOption() {
        QFETCH(qint32, option);
        QFETCH(QStringList, expected);
        frmFileList form;
        form.Initialize(option, m_dir->path());
        form.show();
        QCOMPARE(rows(form), expected);
        QVERIFY(allChecked(form));
        QCOMPARE(button(form, "cmdUpload")->isEnabled(), !expected.isEmpty());
        QCOMPARE(form.windowTitle(), QStringLiteral("ZOV zAzeru File Upload Utility"));
        QCOMPARE(form.findChild<QAction*>(QStringLiteral("mnuFileTypeText"))->isChecked(),
                 option == Vezedad::kvoOptionA || option == Vezedad::kvoOptionC);
        QCOMPARE(form.findChild<QAction*>(QStringLiteral("mnuFileTypeExcel"))->isChecked(),
                 option == Vezedad::kvoOptionB);
        QVERIFY(form.findChild<QTextBrowser*>(QStringLiteral("rtbInstructions"))
                    ->toPlainText()
                    .contains(QStringLiteral("want to upload.")));
    }

    void missingFolderGivesAnEmptyList() {
        frmFileList form;
        form.Initialize(Vezedad::kvoOptionA, m_dir->filePath(QStringLiteral("nowhere")));
        form.show();
        QVERIFY(rows(form).isEmpty());
        QVERIFY(!button(form, "cmdUpload")->isEnabled());
    }

    // Switching a type on lists both kinds, every row checked again.
    void fileTypeMenuRefillsTheList() {
        frmFileList form;
        form.Initialize(Vezedad::kvoOptionB, m_dir->path());
        form.show();
        auto* list = form.findChild<QListWidget*>(QStringLiteral("lstFiles"));
        list->item(0)->setCheckState(Qt::Unchecked);
        form.findChild<QAction*>(QStringLiteral("mnuFileTypeText"))->trigger();
        QCOMPARE(form.FileTypeMask(), 3);
        QCOMPARE(rows(form), (QStringList{"M2023.txt", "old.xls", "REPORT.TXT", "S2023.xlsx", "S2023b.xlsm"}));
        QVERIFY(allChecked(form));
    }

    void uploadTakesTheCheckedRows() {
        frmFileList form;
        form.Initialize(Vezedad::kvoOptionA, m_dir->path());
        form.show();
        auto* list = form.findChild<QListWidget*>(QStringLiteral("lstFiles"));
        QPushButton* upload = button(form, "cmdUpload");
        list->item(0)->setCheckState(Qt::Unchecked);
        list->item(1)->setCheckState(Qt::Unchecked);
        QVERIFY(!upload->isEnabled());
        list->item(1)->setCheckState(Qt::Checked);
        QVERIFY(upload->isEnabled());
        upload->click();
        QVERIFY(!form.isVisible());
        QVERIFY(!form.Cancelled());
        QCOMPARE(form.SelectedFiles().Items(), QStringList{"REPORT.TXT"});
    }

    void cancelAndCloseBoxLeaveCancelled_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close box") << true;
    }

    void cancelAndCloseBoxLeaveCancelled() {
        QFETCH(bool, closeBox);
        frmFileList form;
        form.Initialize(Vezedad::kvoOptionA, m_dir->path());
        form.show();
        if (closeBox)
            form.close();
        else
            button(form, "cmdCancel")->click();
        QVERIFY(!form.isVisible());
        QVERIFY(form.Cancelled());
        QCOMPARE(form.SelectedFiles().Count(), 0);
    }

    // A chosen workbook that an office program holds open keeps the window
    // open; once it is closed the upload goes on.
    void openWorkbookBlocksTheUpload() {
        TestSupport::UiScript ui;
        frmFileList form;
        form.Initialize(Vezedad::kvoOptionB, m_dir->path());
        form.show();
        ui.expectBox(Vezedad::Ui::vbOK);
        button(form, "cmdUpload")->click();
        QCOMPARE(ui.boxes().size(), 1);
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Excel Workbook Open"));
        QCOMPARE(ui.boxes().at(0).prompt, QStringLiteral("Please close (saving if needed) any open Option B Excel "
                                                         "workbooks, and then try uploading again."));
        QCOMPARE(ui.boxes().at(0).buttons, qint32(Vezedad::Ui::vbOKOnly));
        QVERIFY(form.isVisible());
        QVERIFY(form.Cancelled());

        QVERIFY(QFile::remove(m_dir->filePath(QStringLiteral("~$S2023b.xlsm"))));
        button(form, "cmdUpload")->click();
        QVERIFY(!form.Cancelled());
        QCOMPARE(form.SelectedFiles().Count(), 3);
    }

    // Text files are not checked for locks unless spreadsheets are listed.
    void textOnlyUploadMakesNoLockCheck() {
        QVERIFY(frmFileList::IsWorkbookOpen(m_dir->path(), QStringLiteral("M2023.txt")));
        frmFileList form;
        form.Initialize(Vezedad::kvoOptionA, m_dir->path());
        form.show();
        button(form, "cmdUpload")->click();
        QVERIFY(!form.Cancelled());
    }

    void troubleshootOpensTheHelpWindow() {
        TestSupport::UiScript ui;
        frmFileList form;
        form.Initialize(Vezedad::kvoOptionB, m_dir->path());
        form.show();
        qint32 optionSeen = -1;
        ui.expectModal([&](QDialog& dialog) {
            auto* trouble = qobject_cast<frmTrouble*>(&dialog);
            QVERIFY(trouble);
            optionSeen = trouble->OptionType();
            button(dialog, "OKButton")->click();
        });
        button(form, "cmdTroubleshoot")->click();
        QCOMPARE(ui.modalNames(), QStringList{"frmTrouble"});
        QCOMPARE(optionSeen, qint32(Vezedad::kvoOptionB));
        QVERIFY(form.isVisible());
    }

    // The text names the year and the year's folder, with one empty line
    // before and one after the address line.
    void troubleTextNamesYearAndFolder() {
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        report.setReportRootPath(m_dir->path());
        report.ChangeReportYear(2023);
        frmTrouble trouble;
        QCOMPARE(trouble.windowTitle(), QStringLiteral("ZOV zAzeru Upload  Help"));
        const QString text = trouble.findChild<QLabel*>(QStringLiteral("lblMessage"))->text();
        QVERIFY(text.contains(QStringLiteral("subject line 'ZIDIVO 2023 File submissions'. Attach ")));
        QVERIFY(text.contains(QStringLiteral("usually located in your ") + QDir(m_dir->path()).filePath("ZOV2023") +
                              QStringLiteral(" directory. Please include ")));
        QVERIFY(!text.contains(QRegularExpression(QStringLiteral("\r(?!\n)|(?<!\r)\n"))));
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.count(QString()), 2);
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines.at(2).startsWith(QStringLiteral("Send your message and attachments to: ")));
        QCOMPARE(button(trouble, "OKButton")->isDefault(), true);
        QCOMPARE(button(trouble, "cmdHelp")->text(), QStringLiteral("How to Submit a ZOV Report"));
    }

    void helpButtonsOpenTheirPages() {
        static QStringList opened;
        opened.clear();
        const auto realOpener = Vezedad::Documentation::shellOpener();
        Vezedad::Documentation::setShellOpener([](const QString& target, bool) {
            opened << target;
            return qint32(0);
        });
        frmTrouble trouble;
        trouble.setOptionType(Vezedad::kvoOptionB);
        button(trouble, "cmdHelp")->click();
        frmFileList form;
        form.Initialize(Vezedad::kvoOptionC, m_dir->path());
        form.show();
        form.findChild<QAction*>(QStringLiteral("mnuHelp"))->trigger();
        Vezedad::Documentation::setShellOpener(realOpener);
        QCOMPARE(opened.size(), 2);
        QVERIFY2(opened.at(0).endsWith(QStringLiteral("/display/REZO/Submitting+Your+Electronic+Report")),
                 qPrintable(opened.at(0)));
        QVERIFY2(opened.at(1).endsWith(QStringLiteral("/display/OC61/Upload+Your+Report")), qPrintable(opened.at(1)));
    }

    void receiptPage() {
        UploadFileResponse empty;
        const QString emptyPage = frmUploadResponse::ReceiptPage(empty);
        QVERIFY(emptyPage.contains(QStringLiteral("<h2>Upload Succeeded!</h2>")));
        QVERIFY(emptyPage.contains(QStringLiteral("<tbody>\r\n</tbody></table></body></html>")));

        UploadFileResponse reply;
        reply.Files().AddNew(QStringLiteral("a&b.txt"), -1, fcCompliant);
        reply.Files().AddNew(QStringLiteral("c.txt"), 12, fcNotCompliant);
        reply.Files().AddNew(QStringLiteral("d.txt"), 3, -2);
        reply.Files().AddNew(QStringLiteral("e.txt"), 4, 1);
        const QString page = frmUploadResponse::ReceiptPage(reply);
        QVERIFY(page.contains(QStringLiteral("<tr><td align='right'>a&amp;b.txt</td><td align='right'>-1</td>"
                                             "<td align='center'>Yes</td></tr><tr><td align='right'>c.txt</td>")));
        QVERIFY(page.contains(QStringLiteral("<td align='center'>No</td>")));
        // A file whose compliance the service did not say is not claimed to comply.
        QVERIFY(page.contains(QStringLiteral("<td align='right'>d.txt</td><td align='right'>3</td>"
                                             "<td align='center'>Unknown</td>")));
        QVERIFY(page.contains(QStringLiteral("<td align='right'>e.txt</td><td align='right'>4</td>"
                                             "<td align='center'>Yes</td>")));
    }

    void failurePage_data() {
        QTest::addColumn<qint32>("number");
        QTest::addColumn<QString>("expected");
        QTest::newRow("other") << qint32(1004)
                               << QStringLiteral("<p>Error 1004: Http Status 500: &lt;b&gt;<br />In here<br />"
                                                 "&nbsp;&nbsp;&nbsp;&nbsp;--&gt;Proxy &lt;x&gt;<br />"
                                                 "&nbsp;&nbsp;&nbsp;&nbsp;there");
        QTest::newRow("bad id values") << qint32(380) << QStringLiteral("Http Status 500: &lt;b&gt;");
        QTest::newRow("stream") << qint32(1006)
                                << QStringLiteral("<p>Http Status 500: &lt;b&gt; Please check that the archive "
                                                  "can be read before uploading, or upload your files through the "
                                                  "RUD ZOV web site <a href=");
        QTest::newRow("xml parser")
            << qint32(Vezedad::CustomErrors::AssembleErrorCode(Vezedad::kvetArchitecture, Vezedad::kvesSerious, 1005))
            << QStringLiteral("<p>Http Status 500: &lt;b&gt; Please reinstall this program before uploading, or "
                              "upload your files through the RUD ZOV web site <a href=");
    }

    // Every text that comes from the service or an error is escaped.
    void failurePage() {
        QFETCH(qint32, number);
        QFETCH(QString, expected);
        const Vezedad::ErrorInfo error(number, QStringLiteral("Http Status 500: <b>"), QString());
        const QString page = frmUploadResponse::FailurePage(error, QStringLiteral("In here\r\n-->Proxy <x>\r\nthere"));
        QVERIFY2(page.startsWith(expected), qPrintable(page));
        if (number != 380 && number != 1004) QVERIFY(page.endsWith(QStringLiteral("/WebUpload.aspx</a>.</p>")));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(tst_upload_windows)
#include "tst_upload_windows.moc"

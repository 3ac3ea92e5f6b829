#include "FormTest.h"

#include "forms/Form25.h"

#include "Vezedad/foundation/FileWriter.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/ui/Ui.h"

#include <QDateTime>
#include <QFile>
#include <QGroupBox>
#include <QRadioButton>
#include <unistd.h>
#include <utility>

using Dazozuvi::Form25;
using Dazozuvi::ReportForm;
using namespace FormTest;

namespace {

const QString kValidation = QStringLiteral("ZOV zAzeru Data Validation");
const QString kNoErrors = QStringLiteral("There were no errors.");
const QString kRow1 = QStringLiteral("2345-2345-2345|NAME FROM LABEL|2|GL|24");
const QString kRow3 = QStringLiteral("100-200|ROUNDUP|1.5|OZ|3");
const QByteArray kResale = "0|R12345|2345-2345-2345|NAME FROM LABEL|2|GL|24|X||\r\n"
                           "0|R12345||||||X||\r\n"
                           "0|R12345|100-200|ROUNDUP|1.5|OZ|3|X||\r\n";

// Opens path in a new Form 25 as the program does; see showForm.
bool openForm(UiScript& ui, const QString& path, const std::function<void(Form25&)>& action,
              const Vezedad::IdentityPtr& identity = nullptr) {
    return showForm<Form25>(ui, path, action, identity);
}

// A new report for the filer, as the Control Center opens one.
void newForm(UiScript& ui, const std::function<void(Form25&)>& action) {
    openForm(ui, QString(), action, Vezedad::Globals::ZelReport().Identity());
}

QRadioButton* option(QWidget& form, int index) {
    return child<QRadioButton>(form, QStringLiteral("optSalesType(%1)").arg(index));
}

void clickOption(QWidget& form, int index) { click(option(form, index)); }

// A stand-in for another copy of the program whose save comes while this
// one writes: after this copy looked at the file, before it replaces it.
// It saves when the new copy is synced, the last step before the rename.
QString gOtherPath;
QByteArray gOtherSave;
int otherCopySavesFirst(int fd) {
    if (!gOtherPath.isEmpty()) TestSupport::writeFile(std::exchange(gOtherPath, QString()), gOtherSave);
    return ::fdatasync(fd);
}

quint32 boxColour(QWidget& form, const QString& name) {
    return Dazozuvi::bgrFromColour(child<QLineEdit>(form, name)->palette().color(QPalette::Base));
}

} // namespace

class tst_form25 : public QObject {
    Q_OBJECT

private slots:
    // A new report: the filer's permit and name, no sales selected (so the
    // report counts as changed), nothing saved yet.
    void newReport() {
        Folder folder;
        UiScript ui;
        newForm(ui, [&](Form25& form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("ZOV Form 25: ANNUAL REPORT FOR RESTRICTED PESTICIDE SALES"));
            QCOMPARE(text(form, "txtPermitNumber"), kPermit);
            QCOMPARE(text(form, "txtBusinessName"), kBusiness);
            QVERIFY(!child<QLineEdit>(form, "txtPermitNumber")->isEnabled());
            QCOMPARE(text(form, "lblReportYear"),
                     QStringLiteral("Report Year %1").arg(Vezedad::Globals::ZelReport().ReportYear()));
            QCOMPARE(text(form, "lblFileName"), QStringLiteral("{not saved}"));
            QVERIFY(option(form, 0)->isChecked());
            QVERIFY(child<QWidget>(form, "fraDataEntry")->isHidden());
            QCOMPARE(form.Grid().rowCount(), 5);
            QVERIFY(form.IsDirty());
        });
        QCOMPARE(ui.modalNames(), (QStringList{"Form25", "frmExitOptions"}));
    }

    // A file that does not exist starts a new report bound to that name,
    // which Save then offers.
    void missingFile() {
        Folder folder;
        const QString path = folder.file(QStringLiteral("MR1234507.txt"));
        UiScript ui;
        QVERIFY(!openForm(ui, path, [&](Form25& form) {
            QCOMPARE(text(form, "lblFileName"), QStringLiteral("File: MR1234507.txt"));
            QVERIFY(child<QLineEdit>(form, "txtPermitNumber")->isEnabled());
            save(ui, form, path, false);
        }));
        QCOMPARE(ui.dialogs().value(0).file.fileName, path);
        QCOMPARE(TestSupport::readFile(path), QByteArray("3|R12345|||||||X|\r\n"));
    }

    // Record 1 decides the permit and the sales type; every data record goes
    // into the next row, and the user hears of what was not loaded.
    void reads_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("salesType");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("told");
        QTest::newRow("resale, blank middle row")
            << kResale << 1 << QStringList{kRow1, "||||", kRow3} << QStringLiteral("There were 5 errors.") << "";
        QTest::newRow("end use") << QByteArray("0|R12345|2345-2345-2345|NAME FROM LABEL|2|GL|24||X|\r\n") << 2
                                 << QStringList{kRow1} << kNoErrors << "";
        QTest::newRow("no sales") << QByteArray("3|R12345|||||||X|\r\n") << 0 << QStringList{} << kNoErrors << "";
        // Record 1 says no sales but sales follow: the first sales record
        // gives the type, so a save keeps them; the no-sales record takes no
        // row, and the user is told that a save leaves it out.
        QTest::newRow("no sales, then sales")
            << QByteArray("3|R12345|||||||X|\r\n0|R12345|2345-2345-2345|NAME FROM LABEL|2|GL|24|X||\r\n") << 1
            << QStringList{kRow1} << kNoErrors << "1 line of the file was not loaded (line 1)";
        QTest::newRow("bare line ends, empty lines, blanks, letter case, other permits, mixed kinds")
            << QByteArray("0|R12345| 2345-2345-2345 |name from label| 2 |gl|24|X||\n\n   \r\n"
                          "0|R99999|100-200|ROUNDUP|1.5|OZ|3||X|\n")
            << 1 << QStringList{kRow1, kRow3} << kNoErrors
            << "The file mixes resale and end-use records: 1 for resale, 1 for end use.";
        QTest::newRow("commas") << QByteArray("0,R12345,2345-2345-2345,NAME FROM LABEL,2,GL,24,,X,\r\n") << 2
                                << QStringList{kRow1} << kNoErrors << "";
    }
    void reads() {
        QFETCH(QByteArray, file);
        QFETCH(int, salesType);
        QFETCH(QStringList, rows);
        QFETCH(QString, verdict);
        QFETCH(QString, told);
        Folder folder;
        const QString path = folder.write(QStringLiteral("MR1234500.txt"), file);
        UiScript ui;
        if (!told.isEmpty()) ui.expectBox();
        ui.expectBox();
        const bool cancel = openForm(ui, path, [&](Form25& form) {
            QCOMPARE(form.SalesType(), salesType);
            QVERIFY(option(form, salesType)->isChecked());
            QCOMPARE(FormTest::rows(form), rows);
            QCOMPARE(form.Grid().rowCount(), rows.size() + 5);
            QCOMPARE(child<QWidget>(form, "fraDataEntry")->isHidden(), salesType == 0);
            QCOMPARE(text(form, "txtPermitNumber"), kPermit);
            QCOMPARE(text(form, "txtBusinessName"), kBusiness);
            QVERIFY(!child<QLineEdit>(form, "txtPermitNumber")->isEnabled());
            QCOMPARE(text(form, "lblFileName"), QStringLiteral("File: MR1234500.txt"));
            QCOMPARE(form.FilePath(), path);
            QVERIFY(!form.IsDirty());
        });
        QVERIFY(!cancel);
        if (!told.isEmpty()) {
            const QString notice = ui.boxes().value(0).prompt;
            QVERIFY2(notice.contains(told), qPrintable(notice));
            QCOMPARE(ui.boxes().value(0).title, QStringLiteral("Opening Data File"));
        }
        QCOMPARE(ui.boxes().value(told.isEmpty() ? 0 : 1).prompt, verdict);
        QCOMPARE(ui.boxes().value(told.isEmpty() ? 0 : 1).title, kValidation);
    }

    // What the grid and the sales type write: one record per row up to the
    // last data row, or the no-sales line alone.
    void writes_data() {
        QTest::addColumn<int>("salesType");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("file");
        QTest::newRow("resale, blank row between")
            << 1 << QStringList{kRow1, "", kRow3}
            << QStringList{"0|R12345|2345-2345-2345|NAME FROM LABEL|2|GL|24|X||", "0|R12345||||||X||",
                           "0|R12345|100-200|ROUNDUP|1.5|OZ|3|X||"};
        QTest::newRow("end use, cells trimmed") << 2 << QStringList{" 2345-2345-2345 |NAME FROM LABEL| 10 |GL| 24 "}
                                                << QStringList{"0|R12345|2345-2345-2345|NAME FROM LABEL|10|GL|24||X|"};
        QTest::newRow("no sales, whatever the grid holds")
            << 0 << QStringList{kRow1, kRow3} << QStringList{"3|R12345|||||||X|"};
    }
    void writes() {
        QFETCH(int, salesType);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, file);
        Folder folder;
        const QString path = folder.file(QStringLiteral("MR1234500.txt"));
        UiScript ui;
        newForm(ui, [&](Form25& form) {
            clickOption(form, 1);
            setRows(form, rows);
            if (salesType != 1) clickOption(form, salesType);
            save(ui, form, path, salesType != 0);
            QCOMPARE(TestSupport::readFile(path), crlf(file));
            QCOMPARE(text(form, "lblFileName"), QStringLiteral("File: MR1234500.txt"));
            QVERIFY(!form.IsDirty());
        });
        // A new report's name: the prefix, the permit number, a counter.
        QCOMPARE(ui.dialogs().value(0).kind, Vezedad::Ui::DialogKind::SaveFile);
        QCOMPARE(QFileInfo(ui.dialogs().value(0).file.fileName).fileName(), QStringLiteral("MR1234500.txt"));
        // Closing right after a save does not ask.
        QCOMPARE(ui.modalNames(), QStringList{"Form25"});
    }

    // A file saved, opened again and saved unchanged keeps every byte; a
    // switch of the sales type rewrites every record's marks.
    // Another copy of the program saved the report after this form read it:
    // replacing that file needs the user's word (No the default); No keeps
    // the form open and changed. A file this form wrote itself is replaced
    // without a question, also when only its time changed since (a touch, a
    // backup or sync tool).
    // The same when the other copy's save comes while this one writes.
    void changedOnDiskMeanwhile_data() {
        QTest::addColumn<QByteArray>("other"); // what another copy saved, "" for the time alone
        QTest::addColumn<int>("answer");       // to the question, 0 when there is none
        QTest::addColumn<bool>("whileSaving"); // the other copy saves while this one writes
        const QByteArray other = "0|R12345|100-200|ROUNDUP|1.5|OZ|4|X||\r\n";
        QTest::newRow("No keeps the other save") << other << int(Vezedad::Ui::vbNo) << false;
        QTest::newRow("Yes replaces it") << other << int(Vezedad::Ui::vbYes) << false;
        QTest::newRow("only its time changed") << QByteArray() << 0 << false;
        QTest::newRow("while saving, No keeps the other save") << other << int(Vezedad::Ui::vbNo) << true;
        QTest::newRow("while saving, Yes replaces it") << other << int(Vezedad::Ui::vbYes) << true;
    }
    void changedOnDiskMeanwhile() {
        QFETCH(QByteArray, other);
        QFETCH(int, answer);
        QFETCH(bool, whileSaving);
        struct Restore {
            ~Restore() {
                Vezedad::FileWriter::setSyncCall(nullptr);
                gOtherPath.clear();
            }
        } restore;
        Folder folder;
        const QString path = folder.write(QStringLiteral("MR1234500.txt"), kResale);
        UiScript ui;
        ui.expectBox(); // the verdict
        openForm(ui, path, [&](Form25& form) {
            // Saved once: the form knows the file as it wrote it.
            clickOption(form, 2);
            save(ui, form, QString());
            QCOMPARE(ui.boxes().size(), 2);
            clickOption(form, 1);
            if (whileSaving) {
                gOtherPath = path;
                gOtherSave = other;
                Vezedad::FileWriter::setSyncCall(otherCopySavesFirst);
            } else if (other.isEmpty()) {
                QFile file(path);
                QVERIFY(file.open(QIODevice::ReadWrite));
                QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime));
            } else {
                TestSupport::writeFile(path, other);
            }
            ui.expectBox(Vezedad::Ui::vbNo); // validate first?
            if (answer) ui.expectBox(answer);
            trigger(form, QStringLiteral("mnuFileSave"));
            QCOMPARE(ui.boxes().size(), answer ? 4 : 3);
            if (answer) {
                const Vezedad::Ui::MessageBoxCall question = ui.boxes().last();
                QVERIFY2(
                    question.prompt.contains(QStringLiteral("has changed since this report was opened or last saved")),
                    qPrintable(question.prompt));
                QVERIFY(question.buttons & Vezedad::Ui::vbDefaultButton2);
            }
            QCOMPARE(form.IsDirty(), answer == Vezedad::Ui::vbNo);
        });
        // Replaced: the resale report it read.
        QCOMPARE(TestSupport::readFile(path), answer == Vezedad::Ui::vbNo ? other : kResale);
    }

    void savesAgain() {
        Folder folder;
        const QString path = folder.write(QStringLiteral("MR1234500.txt"), fixture(QStringLiteral("form25.txt")));
        UiScript ui;
        ui.expectBox(); // the verdict
        openForm(ui, path, [&](Form25& form) { save(ui, form, QString()); });
        QCOMPARE(TestSupport::readFile(path), fixture(QStringLiteral("form25.txt")));
        QCOMPARE(ui.dialogs().size(), 0); // the file exists: no dialog

        ui.expectBox();
        openForm(ui, path, [&](Form25& form) {
            clickOption(form, 2);
            QVERIFY(form.IsDirty());
            save(ui, form, QString());
        });
        QByteArray endUse = fixture(QStringLiteral("form25.txt"));
        endUse.replace("|X||\r\n", "||X|\r\n");
        QCOMPARE(TestSupport::readFile(path), endUse);
    }

    // Up to 1,000,000 bytes a file loads directly; a larger one under the
    // progress window, which hears of every 1000th line.
    void loadsUnderProgress_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("1,000,000 bytes") << 1000000;
        QTest::newRow("1,000,001 bytes") << 1000001;
    }
    void loadsUnderProgress() {
        QFETCH(int, size);
        Folder folder;
        const QByteArray line = "0|R12345|2345-2345-2345|NAME FROM LABEL|2|GL|24|X||\r\n";
        const int lines = size / int(line.size());
        QByteArray bytes = line.repeated(lines);
        bytes.insert(bytes.lastIndexOf("LABEL") + 5, QByteArray(size - bytes.size(), 'L')); // a longer last name
        QCOMPARE(bytes.size(), size);
        const QString path = folder.write(QStringLiteral("MR1234500.txt"), bytes);
        UiScript ui;
        QString description, status;
        const bool progress = size > ReportForm::DirectLoadBytes;
        if (progress) ui.expectModal(progressRuns(&description, &status));
        ui.expectModal(progressRuns()); // the check of more than 500 rows
        ui.expectBox();
        int loaded = 0;
        QVERIFY(!openForm(ui, path, [&](Form25& form) { loaded = form.Grid().lastDataRow(); }));
        QCOMPARE(loaded, lines);
        QCOMPARE(ui.modalNames().count(QStringLiteral("frmProgress")), progress ? 2 : 1);
        if (progress) {
            QCOMPARE(description, QStringLiteral("Loading data from ") + path);
            QCOMPARE(status, QStringLiteral("Loaded %1 rows.").arg(lines / 1000 * 1000));
        }
        QCOMPARE(ui.boxes().value(0).prompt, kNoErrors);
    }

    // Under the progress window a load tells the same: the permit number
    // comes from the first record loaded, not from a line left out, and
    // records of another permit number or with more fields are named.
    void noticeUnderProgress_data() {
        QTest::addColumn<int>("records"); // sales records between the first and the last line
        QTest::newRow("direct") << 10;
        QTest::newRow("under the progress window") << int(ReportForm::DirectLoadBytes / 50);
    }
    void noticeUnderProgress() {
        QFETCH(int, records);
        Folder folder;
        const QByteArray line = "0|R12345|2345-2345-2345|NAME FROM LABEL|2|GL|24|X||\r\n";
        const QByteArray bytes = "1|R99999|2345-2345-2345|NAME FROM LABEL|2|GL|24|X||\r\n" + line.repeated(records) +
                                 "0|R55555|2345-2345-2345|NAME FROM LABEL|2|GL|24|X||EXTRA|\r\n";
        const bool progress = bytes.size() > ReportForm::DirectLoadBytes;
        const QString path = folder.write(QStringLiteral("MR1234500.txt"), bytes);
        UiScript ui;
        if (progress) {
            ui.expectModal(progressRuns());
            ui.expectModal(progressRuns()); // the check of more than 500 rows
        }
        ui.expectBox(); // the notice
        ui.expectBox(); // the verdict
        QVERIFY(!openForm(ui, path, [&](Form25& form) {
            QCOMPARE(text(form, "txtPermitNumber"), kPermit);
            QCOMPARE(form.Grid().lastDataRow(), records + 1);
        }));
        QCOMPARE(ui.modalNames().count(QStringLiteral("frmProgress")), progress ? 2 : 0);
        const QString notice = ui.boxes().value(0).prompt;
        for (const QString& part :
             {QStringLiteral("1 line of the file was not loaded (line 1)"),
              QStringLiteral("1 record holds another Commercial Permit # than the header's R12345 (R55555)"),
              QStringLiteral("1 record holds more fields than a Form 25 record has (line %1)").arg(records + 2)})
            QVERIFY2(notice.contains(part), qPrintable(notice));
    }

    // Stop in the progress window, or a first line the user will not have,
    // cancels the whole open, and the window closes.
    void largeOpenCancelled_data() {
        QTest::addColumn<QByteArray>("firstLine");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<bool>("oneLongLine");
        QTest::newRow("Stop") << QByteArray() << true << false;
        // Stop is heard inside a line of millions of characters too.
        QTest::newRow("Stop in one long line") << QByteArray() << true << true;
        QTest::newRow("first line refused") << QByteArray("0|R12345|2345-2345-2345\r\n") << false << false;
    }
    void largeOpenCancelled() {
        QFETCH(QByteArray, firstLine);
        QFETCH(bool, stop);
        QFETCH(bool, oneLongLine);
        Folder folder;
        const QByteArray line = "0|R12345|2345-2345-2345|NAME FROM LABEL|2|GL|24|X||\r\n";
        const QByteArray longLine =
            "0|R12345|2345-2345-2345|" + QByteArray(3 * ReportForm::DirectLoadBytes, 'N') + "|2|GL|24|X||\r\n";
        const QString path =
            folder.write(QStringLiteral("MR1234500.txt"),
                         oneLongLine ? longLine : firstLine + line.repeated(int(ReportForm::DirectLoadBytes / 50)));
        UiScript ui;
        ui.expectModal(progressRuns());
        if (!stop) ui.expectBox(Vezedad::Ui::vbNo);
        std::unique_ptr<StopWhenShown> stopper(stop ? new StopWhenShown : nullptr);
        QVERIFY(openForm(ui, path, {}));
        QCOMPARE(ui.modalNames(), QStringList{"frmProgress"});
        QCOMPARE(ui.boxes().size(), stop ? 0 : 1);
    }

    // A value that would break a record or cannot be written in the code
    // page stops the save, naming where it is.
    void refusedCharacters_data() {
        QTest::addColumn<QString>("permit");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("message");
        QTest::newRow("field separator in a cell")
            << kPermit << QStringLiteral("ROUND|UP")
            << QStringLiteral("Row 2, column 2 (Product Name) holds \"|\", which separates the fields of the file.");
        QTest::newRow("line break in a cell")
            << kPermit << QStringLiteral("ROUND\nUP")
            << QStringLiteral("Row 2, column 2 (Product Name) holds a line break, which would end its record.");
        QTest::newRow("character outside the code page")
            << kPermit << QStringLiteral("ROUNDUP \u2713")
            << QStringLiteral("Row 2, column 2 (Product Name) holds the character \"\u2713\" (U+2713)");
        QTest::newRow("field separator in the permit")
            << QStringLiteral("R1|345") << QStringLiteral("ROUNDUP")
            << QStringLiteral("The header box \"Commercial Permit #\" holds \"|\"");
    }
    void refusedCharacters() {
        QFETCH(QString, permit);
        QFETCH(QString, product);
        QFETCH(QString, message);
        Folder folder;
        // Saved over an older file, which stays as it was.
        const QString path = folder.write(QStringLiteral("MR1234500.txt"), "3|R12345|||||||X|\r\n");
        UiScript ui;
        // Without an identity the header may be edited.
        openForm(ui, QString(), [&](Form25& form) {
            child<QLineEdit>(form, "txtPermitNumber")->setText(permit);
            clickOption(form, 1);
            setRows(form, {kRow1, kRow3});
            form.Grid().setText(2, 2, product);
            ui.expectBox(Vezedad::Ui::vbNo);
            ui.expectFile(path);
            ui.expectBox();
            trigger(form, QStringLiteral("mnuFileSave"));
            QVERIFY(form.IsDirty());
            QCOMPARE(text(form, "lblFileName"), QStringLiteral("{not saved}"));
        });
        QCOMPARE(TestSupport::readFile(path), QByteArray("3|R12345|||||||X|\r\n"));
        const QString prompt = ui.boxes().value(1).prompt;
        QVERIFY2(prompt.startsWith(QStringLiteral("Nothing was saved. ") + message), qPrintable(prompt));
        QCOMPARE(ui.boxes().value(1).title, QStringLiteral("Warning"));
    }

    // A file in UTF-8 is read as such, and the user is told; its text is
    // upper-cased as every record is, and saved in Windows-1252. A character
    // that Windows-1252 cannot hold stays as it was read, and stops the save
    // with its place named: nothing becomes a "?".
    void utf8_data() {
        QTest::addColumn<QByteArray>("product"); // in the file
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("saved"); // "" when the save is refused
        QTest::addColumn<QString>("refusal");
        QTest::newRow("Western European") << QByteArray("caf\xC3\xA9 \xC3\x9Ano \xC3\xBC"
                                                        "ber \xE2\x82\xAC")
                                          << QStringLiteral("CAF\u00C9 \u00DANO \u00DCBER \u20AC")
                                          << QByteArray("CAF\xC9 \xDANO \xDC"
                                                        "BER \x80")
                                          << QString();
        QTest::newRow("beyond Windows-1252")
            << QByteArray("\xC5\x82\xC3\xB3"
                          "d\xC5\xBA \xE2\x86\x92")
            << QStringLiteral("\u0142\u00D3D\u017A \u2192") << QByteArray()
            << QStringLiteral("Row 1, column 2 (Product Name) holds the character \"\u0142\" (U+0142)");
        QTest::newRow("beyond the first plane")
            << QByteArray("x\xF0\x9F\x98\x80") << QStringLiteral("X\U0001F600") << QByteArray()
            << QStringLiteral("Row 1, column 2 (Product Name) holds the character \"\U0001F600\" (U+1F600)");
    }
    void utf8() {
        QFETCH(QByteArray, product);
        QFETCH(QString, shown);
        QFETCH(QByteArray, saved);
        QFETCH(QString, refusal);
        Folder folder;
        const QByteArray head = "0|R12345|2345-2345-2345|", tail = "|2|GL|24|X||\r\n";
        const QString path = folder.write(QStringLiteral("MR1234500.txt"), head + product + tail);
        UiScript ui;
        ui.expectBox(); // the notice
        ui.expectBox(); // the verdict
        QVERIFY(!openForm(ui, path, [&](Form25& form) {
            QCOMPARE(form.Grid().text(2, 1), shown);
            if (!saved.isEmpty()) {
                save(ui, form, QString());
                QVERIFY(!form.IsDirty());
                return;
            }
            ui.expectBox(Vezedad::Ui::vbNo); // validate first?
            ui.expectBox();
            trigger(form, QStringLiteral("mnuFileSave"));
            const QString prompt = ui.boxes().last().prompt;
            QVERIFY2(prompt.startsWith(QStringLiteral("Nothing was saved. ") + refusal), qPrintable(prompt));
        }));
        QCOMPARE(ui.boxes().value(0).title, QStringLiteral("Opening Data File"));
        QCOMPARE(ui.boxes().value(0).prompt,
                 QStringLiteral("File 'MR1234500.txt':\r\nIt is UTF-8 (Unicode) text and was read as such. Report "
                                "files are Windows-1252 (\"ANSI\") text: saving this report writes it so, and a "
                                "character that Windows-1252 cannot hold is named before anything is saved."));
        QCOMPARE(TestSupport::readFile(path), saved.isEmpty() ? head + product + tail : head + saved + tail);
    }

    // A file in UTF-16 is refused with what to do about it; the form does
    // not open, and the file stays as it is.
    void utf16IsRefused() {
        Folder folder;
        const QByteArray file("\xFF\xFE"
                              "0\0|\0R\0",
                              8);
        const QString path = folder.write(QStringLiteral("MR1234500.txt"), file);
        UiScript ui;
        ui.expectBox();
        QVERIFY(openForm(ui, path, {}));
        const QString prompt = ui.boxes().value(0).prompt;
        QVERIFY2(prompt.contains(QStringLiteral("is Unicode text (UTF-16, little-endian)")) &&
                     prompt.contains(QStringLiteral("\"ANSI\" (Windows-1252)")),
                 qPrintable(prompt));
        QCOMPARE(TestSupport::readFile(path), file);
    }

    // The header box being edited is checked before a save; a refused value
    // stops it, and the focus stays.
    void headerBoxCheckedBeforeSave() {
        Folder folder;
        UiScript ui;
        openForm(ui, QString(), [&](Form25& form) {
            auto* permit = child<QLineEdit>(form, "txtPermitNumber");
            QVERIFY(permit->isEnabled());
            form.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            permit->setFocus();
            permit->selectAll();
            QTest::keyClicks(permit, QStringLiteral("X12"));
            ui.expectBox();
            trigger(form, QStringLiteral("mnuFileSave"));
            QCOMPARE(ui.boxes().size(), 1);
            QCOMPARE(ui.boxes().value(0).title, kValidation);
            QCOMPARE(boxColour(form, "txtPermitNumber"), Dazozuvi::CellColour::PalePink);
            QCOMPARE(form.IdentityClone()->SalesPermitNumber(), kPermit);
            // A valid number is taken, in its stored form.
            permit->selectAll();
            QTest::keyClicks(permit, QStringLiteral("R54321 "));
            QTest::keyClick(permit, Qt::Key_Tab);
            QTRY_COMPARE(permit->text(), QStringLiteral("R54321"));
            QCOMPARE(form.IdentityClone()->SalesPermitNumber(), QStringLiteral("R54321"));
            QCOMPARE(Vezedad::Globals::ZelReport().Identity()->SalesPermitNumber(), kPermit);
        });
    }

    // Record 1's permit number is shown as it stands even when the identity
    // refuses it; its missing fields read as empty.
    void firstRecordRules_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("tryAnyway"); // the answer to "Try to load it anyway?", 0 when not asked
        QTest::addColumn<QString>("permit");
        QTest::addColumn<QString>("clonePermit");
        QTest::addColumn<quint32>("colour");
        QTest::newRow("refused permit") << QByteArray("0|BAD|2345-2345-2345|NAME FROM LABEL|2|GL|24|X||\r\n") << 0
                                        << QStringLiteral("BAD") << kPermit << Dazozuvi::CellColour::PalePink;
        QTest::newRow("short record, loaded anyway") << QByteArray("3\r\n") << int(Vezedad::Ui::vbYes) << QString()
                                                     << QString() << Dazozuvi::CellColour::PalePink;
        QTest::newRow("short record, not loaded")
            << QByteArray("3\r\n") << int(Vezedad::Ui::vbNo) << QString() << QString() << quint32(0);
    }
    void firstRecordRules() {
        QFETCH(QByteArray, file);
        QFETCH(int, tryAnyway);
        QFETCH(QString, permit);
        QFETCH(QString, clonePermit);
        QFETCH(quint32, colour);
        Folder folder;
        const QString path = folder.write(QStringLiteral("M1.txt"), file);
        UiScript ui;
        if (tryAnyway) ui.expectBox(tryAnyway);
        if (tryAnyway != Vezedad::Ui::vbNo) ui.expectBox(); // the verdict
        const bool cancel = openForm(
            ui, path, tryAnyway == Vezedad::Ui::vbNo ? std::function<void(Form25&)>() : [&](Form25& form) {
                QCOMPARE(text(form, "txtPermitNumber"), permit);
                QCOMPARE(boxColour(form, "txtPermitNumber"), colour);
                QCOMPARE(form.IdentityClone()->SalesPermitNumber(), clonePermit);
            });
        QCOMPARE(cancel, tryAnyway == Vezedad::Ui::vbNo);
        if (tryAnyway) {
            const Vezedad::Ui::MessageBoxCall question = ui.boxes().value(0);
            QCOMPARE(question.title, QStringLiteral("Opening Data File"));
            QCOMPARE(question.buttons, qint32(Vezedad::Ui::vbYesNo | Vezedad::Ui::vbDefaultButton2));
            QVERIFY(question.prompt.startsWith(QStringLiteral("File 'M1.txt':\r\nRecord 1 ")));
            QVERIFY(question.prompt.endsWith(QStringLiteral("\r\nTry to load it anyway?")));
        }
    }

    // The file label shows the base name up to 40 characters.
    void fileNameLabel_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("shown");
        QTest::newRow("40") << 40 << QStringLiteral("File: ") + QString(39, u'X') + QStringLiteral("M.txt");
        QTest::newRow("41") << 41 << QStringLiteral("File: ") + QString(39, u'X') + QStringLiteral("M....txt");
    }
    void fileNameLabel() {
        QFETCH(int, length);
        QFETCH(QString, shown);
        Folder folder;
        const QString name = QString(39, u'X') + QStringLiteral("MN").left(length - 39) + QStringLiteral(".txt");
        const QString path = folder.write(name, "3|R12345|||||||X|\r\n");
        UiScript ui;
        ui.expectBox();
        openForm(ui, path, [&](Form25& form) { QCOMPARE(text(form, "lblFileName"), shown); });
    }

    // Values that pass, fail and are written in another form, in each kind
    // of column.
    void wholeCheckOfRows_data() {
        checkRowsColumns();
        const auto with = [&](int col, const QString& value) { return withCell(kRow1, col, value); };
        const quint32 white = Dazozuvi::CellColour::White, pink = Dazozuvi::CellColour::PalePink;
        QTest::newRow("passes") << kRow1 << 5 << "24" << white;
        QTest::newRow("returned") << with(5, "-2") << 5 << "-2" << white;
        QTest::newRow("size negative") << with(3, "-2") << 3 << "-2" << pink;
        QTest::newRow("size in exponent") << with(3, "1E3") << 3 << "1E3" << white;
        QTest::newRow("size too large") << with(3, "1E39") << 3 << "1E39" << pink;
        QTest::newRow("unit unknown") << with(4, "GA") << 4 << "GA" << pink;
        QTest::newRow("name empty") << with(2, "") << 2 << "" << pink;
        QTest::newRow("epa of four groups") << with(1, "1-2-3-4") << 1 << "1-2-3-4" << pink;
        QTest::newRow("epa of letters") << with(1, "12-EUP-3") << 1 << "12-EUP-3" << white;
        QTest::newRow("unit long") << with(4, "OZS") << 4 << "OZ" << white;
        QTest::newRow("sold with comma") << with(5, "-1,200") << 5 << "-1200" << white;
        QTest::newRow("epa with dashes") << with(1, "2345--2345") << 1 << "2345-2345" << white;
        QTest::newRow("ditto mark") << with(2, "\"") << 2 << "\"" << pink;
    }
    void wholeCheckOfRows() {
        Folder folder;
        UiScript ui;
        newForm(ui, [](Form25& form) { checkRowsAgree(form); });
    }
};

QTEST_MAIN(tst_form25)
#include "tst_form25.moc"

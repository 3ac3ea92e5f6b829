#include "FormTest.h"

#include "forms/Form27.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/ui/Ui.h"

#include <QCheckBox>
#include <QFile>

using Dazozuvi::Form27;
using Dazozuvi::ReportForm;
using namespace FormTest;

namespace {

const QString kValidation = QStringLiteral("ZOV zAzeru Data Validation");
const QString kSale1 = QStringLiteral("100-200|ROUNDUP|2.5|GL|06/15/2023|01|1 MAIN ST|ALBANY|12207");
const QString kSale2 = QStringLiteral("2345-2345-2345|NAME FROM LABEL|10|LB|07/01/2023|58|2 PARK AVE|BRONX|10451");
// A grid row without data, its nine cells joined.
const QString kBlank(8, u'|');
const QString kNoSales = QStringLiteral("3|R12345||||||||||");

bool openForm(UiScript& ui, const QString& path, const std::function<void(Form27&)>& action,
              const Vezedad::IdentityPtr& identity = nullptr) {
    return showForm<Form27>(ui, path, action, identity);
}

// A new report for the filer, as the Control Center opens one.
void newForm(UiScript& ui, const std::function<void(Form27&)>& action) {
    openForm(ui, QString(), action, Vezedad::Globals::ZelReport().Identity());
}

QCheckBox* noSales(QWidget& form) { return child<QCheckBox>(form, "chkNoSales"); }

QString sale(const QString& cells) { return QStringLiteral("0|R12345|") + cells + u'|'; }

QByteArray lines(const QStringList& records) { return crlf(records); }

} // namespace

class tst_form27 : public QObject {
    Q_OBJECT

private slots:
    // A new report from the Control Center shows the filer's permit and
    // business, read-only, with sales and unchanged: closing it untouched
    // asks nothing. Ticking the box and unticking it again is a change.
    void newReport() {
        Folder folder;
        UiScript ui;
        newForm(ui, [&](Form27& form) {
            QCOMPARE(form.windowTitle(),
                     QStringLiteral("ZOV Form 27: ANNUAL REPORT FOR PESTICIDE SALES TO CERTIFIED PRIVATE APPLICATORS"));
            QCOMPARE(text(form, "txtPermitNumber"), kPermit);
            QCOMPARE(text(form, "txtBusinessName"), kBusiness);
            QCOMPARE(child<QLineEdit>(form, "txtPermitNumber")->maxLength(), 6);
            for (const char* box : {"txtPermitNumber", "txtBusinessName"})
                QVERIFY(!child<QLineEdit>(form, box)->isEnabled());
            QCOMPARE(noSales(form)->text(), QStringLiteral("No Sales to Private Applicators Were Made This Year"));
            QVERIFY(!noSales(form)->isChecked());
            QVERIFY(child<QWidget>(form, "fraDataEntry")->isVisible());
            QCOMPARE(form.Grid().rowCount(), 5);
            QCOMPARE(form.Grid().columnCount(), 9);
            QVERIFY(!form.IsDirty());
            QTRY_VERIFY(form.Grid().hasFocus());
            trigger(form, QStringLiteral("mnuExit"));
            QVERIFY(!form.isVisible());
        });
        QCOMPARE(ui.modalNames(), QStringList{"Form27"});

        UiScript again;
        newForm(again, [&](Form27& form) {
            click(noSales(form));
            click(noSales(form));
            QVERIFY(form.HasActivity());
            QVERIFY(form.IsDirty());
        });
        QCOMPARE(again.modalNames(), (QStringList{"Form27", "frmExitOptions"}));
    }

    // Record 1 gives the permit; the box follows from the sales rows alone,
    // whatever record 1's indicator; every sales record fills the next row,
    // and any other line takes none: the user is told of it.
    void reads_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("permit");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("told"); // the notice before the verdict, if any
        QTest::newRow("no sales") << lines({kNoSales}) << kPermit << QStringList{} << QString();
        QTest::newRow("no-sales record, then sales")
            << lines({kNoSales, sale(kSale1), sale(kSale2)}) << kPermit << QStringList{kSale1, kSale2}
            << QStringLiteral("1 line of the file was not loaded (line 1)");
        QTest::newRow("blank middle row") << lines({sale(kSale1), sale(kBlank), sale(kSale2)}) << kPermit
                                          << QStringList{kSale1, kBlank, kSale2} << QString();
        QTest::newRow("empty lines skipped")
            << QByteArray("\r\n" + lines({sale(kSale1)}) + "\r\n\r\n" + lines({sale(kSale2)})) << kPermit
            << QStringList{kSale1, kSale2} << QString();
        QString commas = sale(kSale1);
        commas.replace(u'|', u',');
        QTest::newRow("commas") << lines({commas}) << kPermit << QStringList{kSale1} << QString();
        QTest::newRow("lines that are not sales records")
            << lines({sale(kSale1), QStringLiteral(" ") + sale(kSale2), QStringLiteral("0") + sale(kSale2),
                      QStringLiteral("0|R12345"), sale(kSale2)})
            << kPermit << QStringList{kSale1, kSale2}
            << QStringLiteral("3 lines of the file were not loaded (lines 2, 3 and 4)");
        QTest::newRow("another permit") << lines({QStringLiteral("0|R54321|") + kSale1 + u'|'})
                                        << QStringLiteral("R54321") << QStringList{kSale1} << QString();
    }
    void reads() {
        QFETCH(QByteArray, file);
        QFETCH(QString, permit);
        QFETCH(QStringList, rows);
        QFETCH(QString, told);
        Folder folder;
        const QString path = folder.write(QStringLiteral("SR1234500.txt"), file);
        UiScript ui;
        if (!told.isEmpty()) ui.expectBox(); // what was not loaded
        ui.expectBox();                      // the verdict
        QVERIFY(!openForm(ui, path, [&](Form27& form) {
            QCOMPARE(text(form, "txtPermitNumber"), permit);
            QCOMPARE(form.IdentityClone()->SalesPermitNumber(), permit);
            QCOMPARE(text(form, "txtBusinessName"), kBusiness);
            QVERIFY(!child<QLineEdit>(form, "txtPermitNumber")->isEnabled());
            QCOMPARE(FormTest::rows(form), rows);
            QCOMPARE(form.Grid().rowCount(), rows.size() + 5);
            QCOMPARE(noSales(form)->isChecked(), rows.isEmpty());
            QCOMPARE(child<QWidget>(form, "fraDataEntry")->isHidden(), rows.isEmpty());
            QVERIFY(!form.IsDirty());
        }));
        if (!told.isEmpty())
            QVERIFY2(ui.boxes().value(0).prompt.contains(told), qPrintable(ui.boxes().value(0).prompt));
        QCOMPARE(ui.boxes().value(told.isEmpty() ? 0 : 1).title, kValidation);
    }

    // The box lets one type six characters, but a longer permit number from
    // the file is shown whole and coloured by its check, never cut to
    // another business's; the identity copy keeps the filer's.
    void longPermitShownWhole() {
        Folder folder;
        const QString path =
            folder.write(QStringLiteral("SR1234500.txt"), lines({QStringLiteral("0|R123456|") + kSale1 + u'|'}));
        UiScript ui;
        ui.expectBox(); // the verdict
        QVERIFY(!openForm(ui, path, [&](Form27& form) {
            auto* box = child<QLineEdit>(form, "txtPermitNumber");
            QCOMPARE(box->text(), QStringLiteral("R123456"));
            QCOMPARE(Dazozuvi::bgrFromColour(box->palette().color(QPalette::Base)), Dazozuvi::CellColour::PalePink);
            QCOMPARE(form.IdentityClone()->SalesPermitNumber(), kPermit);
        }));
    }

    // One record per row up to the last data row, blank rows included, or
    // the no-sales record alone; both have eleven fields, each followed by
    // "|". The proposed name carries the permit number.
    void writes_data() {
        QTest::addColumn<bool>("hasSales");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("file");
        QTest::newRow("rows 1 and 3, blank row 2")
            << true << QStringList{kSale1, QString(), kSale2} << QStringList{sale(kSale1), sale(kBlank), sale(kSale2)};
        QString padded = QStringLiteral(" ") + kSale1 + u' ';
        padded.replace(u'|', QStringLiteral(" | "));
        QTest::newRow("cells trimmed") << true << QStringList{padded} << QStringList{sale(kSale1)};
        QTest::newRow("no sales, whatever the grid holds")
            << false << QStringList{kSale1, kSale2} << QStringList{kNoSales};
    }
    void writes() {
        QFETCH(bool, hasSales);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, file);
        Folder folder;
        const QString path = folder.file(QStringLiteral("SR1234500.txt"));
        UiScript ui;
        newForm(ui, [&](Form27& form) {
            setRows(form, rows);
            if (!hasSales) click(noSales(form));
            save(ui, form, path, hasSales);
            QCOMPARE(TestSupport::readFile(path), crlf(file));
            QCOMPARE(text(form, "lblFileName"), QStringLiteral("File: SR1234500.txt"));
            QVERIFY(!form.IsDirty());
        });
        QCOMPARE(QFileInfo(ui.dialogs().value(0).file.fileName).fileName(), QStringLiteral("SR1234500.txt"));
        for (const QString& line : file) QCOMPARE(line.count(u'|'), 11);
    }

    // A file opened and saved unchanged keeps every byte, the no-sales file
    // too; one separated by commas is saved with "|".
    void savesAgain_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("saved");
        const QByteArray pipes = fixture(QStringLiteral("form27.txt"));
        QTest::newRow("sales") << pipes << pipes;
        QTest::newRow("commas") << QByteArray(pipes).replace('|', ',') << pipes;
        QTest::newRow("no sales") << lines({kNoSales}) << lines({kNoSales});
    }
    void savesAgain() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, saved);
        Folder folder;
        const QString path = folder.write(QStringLiteral("SR1234500.txt"), file);
        UiScript ui;
        ui.expectBox(); // the verdict
        openForm(ui, path, [&](Form27& form) {
            form.GridController()->setIsDirty(true);
            save(ui, form, QString(), form.HasActivity());
        });
        QCOMPARE(TestSupport::readFile(path), saved);
        QCOMPARE(ui.dialogs().size(), 0); // the file exists: no dialog
    }

    // With sales and no data there is nothing to save, and nothing is
    // written.
    void emptyGridNotSaved() {
        Folder folder;
        UiScript ui;
        newForm(ui, [&](Form27& form) {
            form.GridController()->setIsDirty(true);
            ui.expectBox();
            trigger(form, QStringLiteral("mnuFileSave"));
            QVERIFY(form.IsDirty());
        });
        QCOMPARE(ui.boxes().value(0).prompt, QStringLiteral("The data form is empty, so there is nothing to save."));
        QVERIFY(ui.dialogs().isEmpty());
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("SR1234500.txt"))));
    }

    // A name that does not exist yet, opened without an identity: a new
    // report from the filer's, its boxes open for change, bound to that name,
    // which Save offers.
    void missingFile() {
        Folder folder;
        const QString path = folder.file(QStringLiteral("SR1234507.txt"));
        UiScript ui;
        QVERIFY(!openForm(ui, path, [&](Form27& form) {
            QCOMPARE(text(form, "lblFileName"), QStringLiteral("File: SR1234507.txt"));
            QCOMPARE(text(form, "txtPermitNumber"), kPermit);
            QVERIFY(child<QLineEdit>(form, "txtPermitNumber")->isEnabled());
            QVERIFY(child<QLineEdit>(form, "txtBusinessName")->isEnabled());
            click(noSales(form));
            save(ui, form, path, false);
        }));
        QCOMPARE(ui.dialogs().value(0).file.fileName, path);
        QCOMPARE(TestSupport::readFile(path), lines({kNoSales}));
    }

    // Up to 1,000,000 bytes a file loads directly; a larger one under the
    // progress window, which hears of every 1000th line; Stop there leaves
    // the form unopened.
    void loadsUnderProgress_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("stop");
        QTest::newRow("1,000,000 bytes") << 1000000 << false;
        QTest::newRow("1,000,001 bytes") << 1000001 << false;
        QTest::newRow("1,000,001 bytes, Stop") << 1000001 << true;
    }
    void loadsUnderProgress() {
        QFETCH(int, size);
        QFETCH(bool, stop);
        Folder folder;
        const QByteArray line = (sale(kSale1) + QStringLiteral("\r\n")).toLatin1();
        const int count = size / int(line.size());
        QByteArray bytes = line.repeated(count);
        bytes.insert(bytes.lastIndexOf("ALBANY") + 6, QByteArray(size - bytes.size(), 'Y')); // a longer last town
        QCOMPARE(bytes.size(), size);
        const QString path = folder.write(QStringLiteral("SR1234500.txt"), bytes);
        UiScript ui;
        QString description, status;
        const bool progress = size > ReportForm::DirectLoadBytes;
        if (progress) ui.expectModal(progressRuns(&description, &status));
        std::unique_ptr<StopWhenShown> stopper(stop ? new StopWhenShown : nullptr);
        int loaded = 0;
        if (!stop) {
            ui.expectModal(progressRuns()); // the check of more than 500 rows
            ui.expectBox();
        }
        std::function<void(Form27&)> read;
        if (!stop) read = [&loaded](Form27& form) { loaded = form.Grid().lastDataRow(); };
        QCOMPARE(openForm(ui, path, read), stop);
        QCOMPARE(ui.modalNames().count(QStringLiteral("frmProgress")), (progress ? 1 : 0) + (stop ? 0 : 1));
        QCOMPARE(ui.modalNames().contains(QStringLiteral("Form27")), !stop);
        if (stop) return;
        QCOMPARE(loaded, count);
        if (progress) {
            QCOMPARE(description, QStringLiteral("Loading data from ") + path);
            QCOMPARE(status, QStringLiteral("Loaded %1 rows.").arg(count / 1000 * 1000));
        }
    }

    // The county code is column 6 here: the default code is filled in and
    // the cursor moves on to the address, or back to the date when it came
    // from the address.
    void countyColumn_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("col");
        QTest::newRow("from the date") << 5 << 7;
        QTest::newRow("from the address") << 7 << 5;
    }
    void countyColumn() {
        QFETCH(int, from);
        QFETCH(int, col);
        Folder folder;
        Vezedad::Globals::Configuration().setCountySelectorBehavior(1);
        Vezedad::Globals::Configuration().setCountySelectorDefault(QStringLiteral("01"));
        UiScript ui;
        newForm(ui, [&](Form27& form) {
            QCOMPARE(child<QPushButton>(form, "cmdCountyPopup")->text(),
                     QStringLiteral("Using Default County 01 (Albany). Click to change."));
            Dazozuvi::ReportGrid& grid = form.Grid();
            grid.setFocus();
            grid.setActiveCell(from, 1);
            QTest::keyClick(&grid, from < 6 ? Qt::Key_Right : Qt::Key_Left);
            QCOMPARE(grid.text(6, 1), QStringLiteral("01"));
            QCOMPARE(grid.activeCol(), col);
            QVERIFY(form.IsDirty());
        });
    }

    // Values that pass, fail and are written in another form, in each kind
    // of column.
    void wholeCheckOfRows_data() {
        checkRowsColumns();
        const QString row = QStringLiteral("100-200|ROUNDUP|2.5|GL|06/15/YYYY|01|1 MAIN ST|ALBANY|12207");
        const auto with = [&](int col, const QString& value) { return withCell(row, col, value); };
        const quint32 white = Dazozuvi::CellColour::White, pink = Dazozuvi::CellColour::PalePink;
        QTest::newRow("passes") << row << 2 << "ROUNDUP" << white;
        QTest::newRow("returned") << with(3, "-5") << 3 << "-5" << white;
        QTest::newRow("zip of nine digits") << with(9, "12207-1234") << 9 << "12207-1234" << white;
        QTest::newRow("quantity zero") << with(3, "0.0") << 3 << "0.0" << pink;
        QTest::newRow("quantity not a number") << with(3, "2X") << 3 << "2X" << pink;
        QTest::newRow("date of another year") << with(5, "06/15/2001") << 5 << "06/15/2001" << pink;
        QTest::newRow("no calendar date") << with(5, "02/30/YYYY") << 5 << "02/30/YYYY" << pink;
        QTest::newRow("county zero") << with(6, "00") << 6 << "00" << pink;
        QTest::newRow("address empty") << with(7, "") << 7 << "" << pink;
        QTest::newRow("county as number") << with(6, "1.0") << 6 << "01" << white;
        QTest::newRow("quantity with commas") << with(3, "1,000,000") << 3 << "1000000" << white;
        QTest::newRow("epa with slash") << with(1, "100/200") << 1 << "100-200" << white;
        QTest::newRow("blanks around") << with(2, " ROUNDUP") << 2 << "ROUNDUP" << white;
    }
    void wholeCheckOfRows() {
        Folder folder;
        UiScript ui;
        newForm(ui, [](Form27& form) { checkRowsAgree(form); });
    }
};

QTEST_MAIN(tst_form27)
#include "tst_form27.moc"

#include "FormTest.h"

#include "applicators/Applicators.h"
#include "forms/Form26.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/ui/Ui.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QListWidget>
#include <QRadioButton>

using Dazozuvi::Form26;
using namespace FormTest;

namespace {

const QString kValidation = QStringLiteral("ZOV zAzeru Data Validation");
// The filer, and the applicators of the year's Form 26A list: Bo without
// applications, Lastonly without a first name, Cy with an id the identity
// refuses.
const QString kCertId = QStringLiteral("C1234567");
const QString kName = QStringLiteral("Al Roe");
const QString kBusReg = QStringLiteral("12345");
const QByteArray kList = "0|T3456789|34567|Ann|Lee|\r\n3|B2345678|23456|Bo|Ray|\r\n0|T1111111|11111||Lastonly|\r\n"
                         "0|X99|34567|Cy|Zed|\r\n";

const QString kApp1 = QStringLiteral("100-200|ROUNDUP|2.5|GL|06/15/2023||01|1 MAIN ST|ALBANY|12207|2 OZ PER GAL|SPRAY|"
                                     "WEEDS|LAWN");
const QString kApp2 =
    QStringLiteral("2345-2345-2345|NAME FROM LABEL|10|LB|07/01/2023|07/02/2023|58|2 PARK AVE|BRONX|10451||||TURF");
// A grid row without data, its fourteen cells joined.
const QString kBlank(13, u'|');

// A report folder whose filer is an applicator, with the year's Form 26A
// list read into the registry.
class Year : public Folder {
public:
    Year() {
        YearFolder::setFiler(kCertId, kName, kBusReg);
        write(QStringLiteral("A00.txt"), kList);
        Dazozuvi::modGlobals::RefreshApplicators();
    }
};

// Opens path in a new Form 26 as the program does, with the activity a host
// may set first; see showForm.
bool openForm(UiScript& ui, const QString& path, const std::function<void(Form26&)>& action,
              const Vezedad::IdentityPtr& identity = nullptr, bool hasActivity = true) {
    return showForm<Form26>(ui, path, action, identity, [hasActivity](Form26& form) {
        if (!hasActivity) form.setHasActivity(false);
    });
}

// A new report for the filer, as the Control Center opens one.
void newForm(UiScript& ui, const std::function<void(Form26&)>& action) {
    openForm(ui, QString(), action, Vezedad::Globals::ZelReport().Identity());
}

QCheckBox* noApps(QWidget& form) { return child<QCheckBox>(form, "chkNoApps"); }

QString record(const QString& ids, const QString& cells) { return QStringLiteral("0|") + ids + u'|' + cells + u'|'; }

} // namespace

class tst_form26 : public QObject {
    Q_OBJECT

private slots:
    // A new report shows the identity it was given, read-only; with
    // activity it starts unchanged, without (an applicator who made no
    // applications) the data entry is hidden and the report counts as
    // changed.
    void newReport_data() {
        QTest::addColumn<bool>("hasActivity");
        QTest::newRow("with applications") << true;
        QTest::newRow("no applications") << false;
    }
    void newReport() {
        QFETCH(bool, hasActivity);
        Year year;
        UiScript ui;
        openForm(
            ui, QString(),
            [&](Form26& form) {
                QCOMPARE(form.windowTitle(),
                         QStringLiteral("ZOV Form 26: APPLICATOR/TECHNICIAN PESTICIDE USE ANNUAL REPORT"));
                QCOMPARE(text(form, "txtCertId"), kCertId);
                QCOMPARE(text(form, "txtName"), kName);
                QCOMPARE(text(form, "txtBusRegNum"), kBusReg);
                for (const char* box : {"txtCertId", "txtName", "txtBusRegNum"})
                    QVERIFY(!child<QLineEdit>(form, box)->isEnabled());
                QCOMPARE(form.HasActivity(), hasActivity);
                QCOMPARE(noApps(form)->isChecked(), !hasActivity);
                QCOMPARE(child<QWidget>(form, "fraDataEntry")->isHidden(), !hasActivity);
                QCOMPARE(form.IsDirty(), !hasActivity);
                QCOMPARE(form.Grid().rowCount(), 5);
                QCOMPARE(form.Grid().columnCount(), 14);
                // The focus waits on the switch when it is on.
                QTRY_VERIFY(hasActivity ? form.Grid().hasFocus() : noApps(form)->hasFocus());
            },
            Vezedad::Globals::ZelReport().Identity(), hasActivity);
        QCOMPARE(ui.modalNames().size(), hasActivity ? 1 : 2);
    }

    // The banner over the columns is text a screen reader hears (the grid's
    // description, and each column's with its name), and at the form's
    // first width, in the stand-in font, it shows whole: its text is centred
    // on the part of its span in view, not on the whole span, whose right
    // end lies beyond the window.
    void bannerIsHeardAndFits() {
        Year year;
        UiScript ui;
        newForm(ui, [&](Form26& form) {
            const QString required =
                QStringLiteral("All Columns are REQUIRED except \"End Date\" and \"Record Keeping Columns\"");
            const QString keeping = QStringLiteral("Record Keeping Columns");
            Dazozuvi::ReportGrid& grid = form.Grid();
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&grid);
            QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Form 26 Report"));
            QVERIFY(face->text(QAccessible::Description).contains(required));
            QVERIFY(face->text(QAccessible::Description).contains(keeping));
            const QAbstractItemModel* model = grid.model();
            QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::AccessibleDescriptionRole).toString(), required);
            QCOMPARE(model->headerData(9, Qt::Horizontal, Qt::AccessibleDescriptionRole).toString(), required);
            QCOMPARE(model->headerData(10, Qt::Horizontal, Qt::AccessibleDescriptionRole).toString(), keeping);

            // The painted row: the text's pixels lie inside the header's
            // view, clear of its right edge, and span about the text's width.
            QHeaderView* header = grid.horizontalHeader();
            QTRY_VERIFY(header->isVisible());
            const int spanRight = header->sectionViewportPosition(9) + header->sectionSize(9);
            QVERIFY2(spanRight > header->viewport()->width(), "the span fits: nothing to show");
            const QImage image = header->viewport()->grab().toImage();
            const int half = image.height() / 2;
            int first = image.width();
            int last = -1;
            for (int y = 2; y < half - 2; ++y)
                for (int x = 0; x < std::min(spanRight, image.width()); ++x)
                    if (qGray(image.pixel(x, y)) < 100) {
                        first = std::min(first, x);
                        last = std::max(last, x);
                    }
            const int textWidth = header->fontMetrics().horizontalAdvance(required);
            QVERIFY2(last >= 0, "no banner text painted");
            QVERIFY2(last < image.width() - 3,
                     qPrintable(QStringLiteral("cut at the right edge: %1 of %2").arg(last).arg(image.width())));
            QVERIFY2(last - first + 1 >= textWidth * 9 / 10,
                     qPrintable(QStringLiteral("%1 of %2 pixels shown").arg(last - first + 1).arg(textWidth)));
        });
    }

    // Record 1 gives the header, the name coming from the registry under its
    // certification id; every application record fills the row of its place
    // among the non-empty lines, any other line leaves its row empty.
    void reads_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("header"); // the three boxes
        QTest::addColumn<QStringList>("clone");  // the clone's certification id and name
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("told"); // the notice before the verdict, if any
        const QString ann = QStringLiteral("T3456789|34567|");
        const QStringList annHeader{"T3456789", "Ann Lee", "34567"};
        const QStringList annClone{"T3456789", "Ann Lee"};
        auto line = [](const QString& text) { return text.toLatin1() + "\r\n"; };
        QTest::newRow("applications, blank middle row")
            << line(QStringLiteral("0|") + ann + kApp1 + u'|') + line(QStringLiteral("0|") + ann + QString(14, u'|')) +
                   line(QStringLiteral("0|") + ann + kApp2 + u'|')
            << annHeader << annClone << QStringList{kApp1, kBlank, kApp2} << QString();
        QTest::newRow("no applications") << QByteArray("3|B2345678|23456|||||||||||\r\n")
                                         << QStringList{"B2345678", "Bo Ray", "23456"}
                                         << QStringList{"B2345678", "Bo Ray"} << QStringList{} << QString();
        QString commas = QStringLiteral("0,T3456789,34567,") + kApp1 + u',';
        commas.replace(u'|', u',');
        QTest::newRow("commas") << line(commas) << annHeader << annClone << QStringList{kApp1} << QString();
        QTest::newRow("lines that are not application records")
            << line(QStringLiteral("0|") + ann + kApp1 + u'|') + line(QStringLiteral(" 0|") + ann + kApp2 + u'|') +
                   line(QStringLiteral("00|") + ann + kApp2 + u'|') + line(QStringLiteral("0|T3456789|34567")) +
                   line(QStringLiteral("3|") + ann + QString(10, u'|')) +
                   line(QStringLiteral("0|") + ann + kApp2 + u'|')
            << annHeader << annClone << QStringList{kApp1, kApp2}
            << QStringLiteral("4 lines of the file were not loaded (lines 2, 3, 4 and 5)");
        QTest::newRow("applicator without a first name")
            << line(QStringLiteral("0|T1111111|11111|") + kApp1 + u'|') << QStringList{"T1111111", "Lastonly", "11111"}
            << QStringList{"T1111111", "Lastonly"} << QStringList{kApp1} << QString();
        // Neither the filer's name nor the filer's id stands over another's
        // report, in print either: an id the identity refuses is shown as it
        // stands, and the clone holds none.
        QTest::newRow("certification id the registry does not know")
            << line(QStringLiteral("0|C7654321|34567|") + kApp1 + u'|') << QStringList{"C7654321", "", "34567"}
            << QStringList{"C7654321", ""} << QStringList{kApp1} << QString();
        const QStringList nobody{"", ""};
        QTest::newRow("certification id the identity refuses")
            << line(QStringLiteral("0|BAD|34567|") + kApp1 + u'|') << QStringList{"BAD", "", "34567"} << nobody
            << QStringList{kApp1} << QString();
        QTest::newRow("certification id the identity refuses, of someone listed")
            << line(QStringLiteral("0|x99|34567|") + kApp1 + u'|') << QStringList{"x99", "Cy Zed", "34567"}
            << QStringList{"", "Cy Zed"} << QStringList{kApp1} << QString();
        QTest::newRow("empty certification id")
            << line(QStringLiteral("0||23456|") + kApp1 + u'|') << QStringList{"", "", "23456"} << nobody
            << QStringList{kApp1} << QString();
        QTest::newRow("the filer's id in small letters")
            << QByteArray("3|c1234567|12345|||||||||||\r\n") << QStringList{"c1234567", kName, kBusReg}
            << QStringList{"c1234567", kName} << QStringList{} << QString();
    }
    void reads() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, header);
        QFETCH(QStringList, clone);
        QFETCH(QStringList, rows);
        QFETCH(QString, told);
        Year year;
        const QString path = year.write(QStringLiteral("PT345678900.txt"), file);
        UiScript ui;
        if (!told.isEmpty()) ui.expectBox(); // what was not loaded
        ui.expectBox();                      // the verdict
        QVERIFY(!openForm(ui, path, [&](Form26& form) {
            QCOMPARE((QStringList{text(form, "txtCertId"), text(form, "txtName"), text(form, "txtBusRegNum")}), header);
            QCOMPARE((QStringList{form.IdentityClone()->CertificationId(), form.IdentityClone()->ApplicatorName()}),
                     clone);
            QVERIFY(!child<QLineEdit>(form, "txtCertId")->isEnabled());
            QCOMPARE(FormTest::rows(form), rows);
            QCOMPARE(form.Grid().rowCount(), rows.size() + 5);
            QCOMPARE(noApps(form)->isChecked(), rows.isEmpty());
            QCOMPARE(child<QWidget>(form, "fraDataEntry")->isHidden(), rows.isEmpty());
            QVERIFY(!form.IsDirty());
        }));
        if (!told.isEmpty())
            QVERIFY2(ui.boxes().value(0).prompt.contains(told), qPrintable(ui.boxes().value(0).prompt));
        QCOMPARE(ui.boxes().value(told.isEmpty() ? 0 : 1).title, kValidation);
    }

    // One record per row up to the last data row, or the no-applications
    // line alone; the proposed name carries the certification id.
    void writes_data() {
        QTest::addColumn<bool>("hasActivity");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("file");
        const QString ids = kCertId + u'|' + kBusReg;
        QTest::newRow("rows 1 and 3, blank row 2")
            << true << QStringList{kApp1, QString(), kApp2}
            << QStringList{record(ids, kApp1), record(ids, kBlank), record(ids, kApp2)};
        QString padded = QStringLiteral(" ") + kApp1 + u' ';
        padded.replace(u'|', QStringLiteral(" | "));
        QTest::newRow("cells trimmed") << true << QStringList{padded} << QStringList{record(ids, kApp1)};
        QTest::newRow("no applications, whatever the grid holds")
            << false << QStringList{kApp1, kApp2} << QStringList{QStringLiteral("3|C1234567|12345|||||||||||")};
    }
    void writes() {
        QFETCH(bool, hasActivity);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, file);
        Year year;
        const QString path = year.file(QStringLiteral("PC123456700.txt"));
        UiScript ui;
        newForm(ui, [&](Form26& form) {
            setRows(form, rows);
            if (!hasActivity) click(noApps(form));
            save(ui, form, path, hasActivity);
            QCOMPARE(TestSupport::readFile(path), crlf(file));
            QCOMPARE(text(form, "lblFileName"), QStringLiteral("File: PC123456700.txt"));
            QVERIFY(!form.IsDirty());
        });
        QCOMPARE(QFileInfo(ui.dialogs().value(0).file.fileName).fileName(), QStringLiteral("PC123456700.txt"));
        // 17 fields to an application record, 13 to the no-applications
        // one, each followed by "|".
        for (const QString& line : file) QCOMPARE(line.count(u'|'), hasActivity ? 17 : 13);
    }

    // A file opened and saved unchanged keeps every byte; one separated by
    // commas is saved with "|".
    void savesAgain_data() {
        QTest::addColumn<QByteArray>("file");
        const QByteArray pipes = fixture(QStringLiteral("form26.txt"));
        QTest::newRow("pipes") << pipes;
        QTest::newRow("commas") << QByteArray(pipes).replace('|', ',');
    }
    void savesAgain() {
        QFETCH(QByteArray, file);
        Year year;
        const QString path = year.write(QStringLiteral("PC123456700.txt"), file);
        UiScript ui;
        ui.expectBox(); // the verdict
        openForm(ui, path, [&](Form26& form) {
            form.GridController()->setIsDirty(true);
            save(ui, form, QString());
        });
        QCOMPARE(TestSupport::readFile(path), fixture(QStringLiteral("form26.txt")));
        QCOMPARE(ui.dialogs().size(), 0); // the file exists: no dialog
    }

    // With activity and no data there is nothing to save, and nothing is
    // written.
    void emptyGridNotSaved() {
        Year year;
        UiScript ui;
        newForm(ui, [&](Form26& form) {
            form.GridController()->setIsDirty(true);
            ui.expectBox();
            trigger(form, QStringLiteral("mnuFileSave"));
            QVERIFY(form.IsDirty());
        });
        QCOMPARE(ui.boxes().value(0).prompt, QStringLiteral("The data form is empty, so there is nothing to save."));
        QVERIFY(ui.dialogs().isEmpty());
        QVERIFY(!QFile::exists(year.file(QStringLiteral("PC123456700.txt"))));
    }

    // A value that would break a record stops the save, in every column the
    // file holds; the name, which the file does not hold, does not.
    void refusedCharacters_data() {
        QTest::addColumn<QString>("box"); // the header box changed, or "" for the last cell of row 1
        QTest::addColumn<QString>("message");
        QTest::newRow("record keeping column")
            << QString() << QStringLiteral("Row 1, column 14 (Place of Appl.) holds \"|\"");
        QTest::newRow("registration number")
            << QStringLiteral("txtBusRegNum") << QStringLiteral("The header box \"Bus./Agency Reg. # \" holds \"|\"");
        QTest::newRow("name") << QStringLiteral("txtName") << QString();
    }
    void refusedCharacters() {
        QFETCH(QString, box);
        QFETCH(QString, message);
        Year year;
        const QString path = year.file(QStringLiteral("PC123456700.txt"));
        UiScript ui;
        openForm(ui, QString(), [&](Form26& form) {
            setRows(form, {kApp1});
            if (box.isEmpty())
                form.Grid().setText(14, 1, QStringLiteral("LAWN|GARDEN"));
            else
                child<QLineEdit>(form, box)->setText(QStringLiteral("12|45"));
            ui.expectBox(Vezedad::Ui::vbNo);
            ui.expectFile(path);
            if (!message.isEmpty()) ui.expectBox();
            trigger(form, QStringLiteral("mnuFileSave"));
            QCOMPARE(form.FilePath(), message.isEmpty() ? path : QString());
        });
        QCOMPARE(QFile::exists(path), message.isEmpty());
        if (!message.isEmpty())
            QVERIFY2(ui.boxes().value(1).prompt.startsWith(QStringLiteral("Nothing was saved. ") + message),
                     qPrintable(ui.boxes().value(1).prompt));
    }

    // The header boxes of a report opened without an identity: an id is
    // checked as the focus leaves it (a refused one keeps the focus) and
    // changes the report; the name goes to the identity clone as it stands.
    void headerBoxes() {
        Year year;
        UiScript ui;
        openForm(ui, QString(), [&](Form26& form) {
            auto* certId = child<QLineEdit>(form, "txtCertId");
            auto* name = child<QLineEdit>(form, "txtName");
            QVERIFY(certId->isEnabled() && name->isEnabled());
            QVERIFY(!form.IsDirty());
            // Into a box by a click, all of it replaced as typed.
            auto typeInto = [](QLineEdit* box, const QString& keys) {
                QTest::mouseClick(box, Qt::LeftButton);
                QTRY_VERIFY(box->hasFocus());
                QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(box, keys);
                QTest::keyClick(box, Qt::Key_Tab);
            };
            typeInto(name, QStringLiteral("Ann Lee"));
            QTRY_COMPARE(form.IdentityClone()->ApplicatorName(), QStringLiteral("Ann Lee"));
            QVERIFY(!form.IsDirty());

            ui.expectBox();
            typeInto(certId, QStringLiteral("X12"));
            QTRY_COMPARE(ui.boxes().size(), 1);
            QCOMPARE(ui.boxes().value(0).title, kValidation);
            QVERIFY(certId->hasFocus());
            QCOMPARE(Dazozuvi::bgrFromColour(certId->palette().color(QPalette::Base)), Dazozuvi::CellColour::PalePink);
            QCOMPARE(form.IdentityClone()->CertificationId(), kCertId);
            QTest::keyClick(certId, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(certId, QStringLiteral("t3456789"));
            QTest::keyClick(certId, Qt::Key_Tab);
            QTRY_COMPARE(certId->text(), QStringLiteral("T3456789"));
            QCOMPARE(form.IdentityClone()->CertificationId(), QStringLiteral("T3456789"));
            QVERIFY(form.IsDirty());
            // The filer stays as it was.
            QCOMPARE(Vezedad::Globals::ZelReport().Identity()->CertificationId(), kCertId);
        });
    }

    // The county column, by the selector's behaviour: a code picked from the
    // list or the default code is filled in and checked, and the cursor
    // moves on to the address (back to the end date when it came from the
    // address); by hand, or after a cancelled list, the cell opens for
    // typing and no second list follows.
    void countyColumn_data() {
        QTest::addColumn<int>("behavior");
        QTest::addColumn<int>("from");       // the column the cursor comes from
        QTest::addColumn<QString>("pick");   // the list's answer: a county, "cancel", or "" for no list
        QTest::addColumn<QString>("code");   // in the cell afterwards
        QTest::addColumn<int>("col");        // the active column afterwards
        QTest::addColumn<QString>("status"); // the status button's caption, before " Click to change."
        QTest::newRow("pick list") << 0 << 6 << QStringLiteral("Bronx") << QStringLiteral("58") << 8
                                   << QStringLiteral("County Code Popup.");
        QTest::newRow("pick list cancelled")
            << 0 << 6 << QStringLiteral("cancel") << QString() << 7 << QStringLiteral("County Code Popup.");
        QTest::newRow("default code, from the end date")
            << 1 << 6 << QString() << QStringLiteral("01") << 8 << QStringLiteral("Using Default County 01 (Albany).");
        QTest::newRow("default code, from the address")
            << 1 << 8 << QString() << QStringLiteral("01") << 6 << QStringLiteral("Using Default County 01 (Albany).");
        QTest::newRow("manual entry") << 2 << 6 << QString() << QString() << 7
                                      << QStringLiteral("County Code - Manual Entry Mode.");
    }
    void countyColumn() {
        QFETCH(int, behavior);
        QFETCH(int, from);
        QFETCH(QString, pick);
        QFETCH(QString, code);
        QFETCH(int, col);
        QFETCH(QString, status);
        Year year;
        Vezedad::Globals::Configuration().setCountySelectorBehavior(behavior);
        Vezedad::Globals::Configuration().setCountySelectorDefault(QStringLiteral("01"));
        UiScript ui;
        newForm(ui, [&](Form26& form) {
            QCOMPARE(child<QPushButton>(form, "cmdCountyPopup")->text(), status + QStringLiteral(" Click to change."));
            Dazozuvi::ReportGrid& grid = form.Grid();
            grid.setFocus();
            grid.setActiveCell(from, 1);
            if (pick == QStringLiteral("cancel")) {
                ui.expectModal([](QDialog& d) { d.reject(); });
            } else if (!pick.isEmpty()) {
                ui.expectModal([pick](QDialog& d) {
                    auto* list = child<QListWidget>(d, "lstCountyCodes");
                    const QList<QListWidgetItem*> found = list->findItems(pick, Qt::MatchStartsWith);
                    QVERIFY(!found.isEmpty());
                    list->scrollToItem(found[0]);
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
                    QTRY_VERIFY(!d.isVisible());
                });
            }
            QTest::keyClick(&grid, from < 7 ? Qt::Key_Right : Qt::Key_Left);
            QCOMPARE(grid.text(7, 1), code);
            QCOMPARE(grid.activeCol(), col);
            QCOMPARE(grid.isEditing(), code.isEmpty());
            QCOMPARE(form.IsDirty(), !code.isEmpty());
            if (code.isEmpty()) {
                type(grid, QStringLiteral("62"));
                press(grid, Qt::Key_Tab);
                QCOMPARE(grid.text(7, 1), QStringLiteral("62"));
                QCOMPARE(grid.activeCol(), 8);
            }
        });
        QCOMPARE(ui.modalNames().count(QStringLiteral("frmCountyCodes")), pick.isEmpty() ? 0 : 1);
    }

    // The status button opens the selector's options and shows the new
    // behaviour.
    void countyOptions() {
        Year year;
        UiScript ui;
        newForm(ui, [&](Form26& form) {
            auto* button = child<QPushButton>(form, "cmdCountyPopup");
            QCOMPARE(button->text(), QStringLiteral("County Code Popup. Click to change."));
            ui.expectModal([](QDialog& d) {
                QCOMPARE(d.objectName(), QStringLiteral("frmCountyCodes"));
                click(child<QRadioButton>(d, "optBehavior2"));
                QTest::mouseClick(child<QPushButton>(d, "cmdOK"), Qt::LeftButton);
            });
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(button->text(), QStringLiteral("County Code - Manual Entry Mode. Click to change."));
        });
        // The selector keeps the choice in the settings once the form ends.
        QCOMPARE(Vezedad::Globals::Configuration().CountySelectorBehavior(), 2);
    }

    // Values that pass, fail and are written in another form, in each kind
    // of column; a column the form judges itself keeps its text.
    void wholeCheckOfRows_data() {
        checkRowsColumns();
        const QString row = QStringLiteral("100-200|ROUNDUP|2.5|GL|06/15/YYYY||01|1 MAIN ST|ALBANY|12207|2 OZ PER "
                                           "GAL|SPRAY|WEEDS|LAWN");
        const auto with = [&](int col, const QString& value) { return withCell(row, col, value); };
        const quint32 white = Dazozuvi::CellColour::White, pink = Dazozuvi::CellColour::PalePink;
        QTest::newRow("passes") << row << 1 << "100-200" << white;
        QTest::newRow("end date") << with(6, "07/02/YYYY") << 6 << "07/02/YYYY" << white;
        QTest::newRow("epa of one group") << with(1, "12345678901") << 1 << "12345678901" << white;
        QTest::newRow("quantity zero") << with(3, "0") << 3 << "0" << pink;
        QTest::newRow("quantity negative") << with(3, "-2.5") << 3 << "-2.5" << pink;
        QTest::newRow("unit unknown") << with(4, "XX") << 4 << "XX" << pink;
        QTest::newRow("date of another year") << with(5, "06/15/2001") << 5 << "06/15/2001" << pink;
        QTest::newRow("date empty") << with(5, "") << 5 << "" << pink;
        QTest::newRow("product numeric") << with(2, "123") << 2 << "123" << pink;
        QTest::newRow("epa of letters") << with(1, "ABC") << 1 << "ABC" << pink;
        QTest::newRow("county beyond") << with(7, "63") << 7 << "63" << pink;
        QTest::newRow("zip of zeros") << with(10, "00000") << 10 << "00000" << pink;
        QTest::newRow("ditto mark") << with(8, "\"") << 8 << "\"" << pink;
        QTest::newRow("county padded") << with(7, "5") << 7 << "05" << white;
        QTest::newRow("zip padded") << with(10, "1234") << 10 << "01234" << white;
        QTest::newRow("quantity with comma") << with(3, "1,000") << 3 << "1000" << white;
        QTest::newRow("date day first") << with(5, "15/06/YYYY") << 5 << "06/15/YYYY" << white;
        QTest::newRow("date short") << with(5, "6/15/YYYY") << 5 << "06/15/YYYY" << white;
        QTest::newRow("epa with blank") << with(1, "100 200") << 1 << "100-200" << white;
        QTest::newRow("unit long") << with(4, "GLS") << 4 << "GL" << white;
        QTest::newRow("blanks around") << with(9, " ALBANY ") << 9 << "ALBANY" << white;
        QTest::newRow("own column") << with(12, "123") << 12 << "123" << white;
    }
    void wholeCheckOfRows() {
        Year year;
        UiScript ui;
        newForm(ui, [](Form26& form) { checkRowsAgree(form); });
    }
};

QTEST_MAIN(tst_form26)
#include "tst_form26.moc"

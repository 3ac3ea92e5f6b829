#include "FormTest.h"
#include "support/AllocationFailure.h"

#include "forms/Form25.h"
#include "forms/Form26.h"
#include "forms/Form26A.h"
#include "forms/Form27.h"
#include "forms/Forms.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/validation/ValidationTypes.h"
#include "Vezedad/validation/Validator.h"
#include "ZozedizIZ/editors/EpaDataList.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollBar>

using Dazozuvi::Form25;
using Dazozuvi::ReportForm;
using namespace FormTest;

namespace {

const QString kRow1 = QStringLiteral("2345-2345-2345|NAME FROM LABEL|2|GL|24");
const QString kRow2 = QStringLiteral("100-200|ROUNDUP|1.5|OZ|3");

// A form with a check box for its switch and a county column between a
// product and an address, as the application and private-sales forms have.
class CountyForm : public ReportForm {
public:
    CountyForm() : ReportForm(params()) {}
    static Dazozuvi::ReportFormSpec params() {
        Dazozuvi::ReportFormSpec s;
        s.formType = Vezedad::zfotForm27;
        s.name = QStringLiteral("CountyForm");
        s.caption = QStringLiteral("County form");
        s.activity.kind = Dazozuvi::NoActivitySpec::CheckBox;
        s.activity.control = QStringLiteral("chkNoSales");
        s.activity.captions = {QStringLiteral("No Sales")};
        s.activity.editRefusal = QStringLiteral("No sales.");
        s.duplicateRows = false;
        s.productList = false;
        s.columns = {Dazozuvi::GridColumn{QStringLiteral("EPA Reg Number"), 20, {}},
                     Dazozuvi::GridColumn{QStringLiteral("Product Name"), 20, {}},
                     Dazozuvi::GridColumn{QStringLiteral("County"), 6, Dazozuvi::CellType::digits(2)},
                     Dazozuvi::GridColumn{QStringLiteral("Address"), 20, {}}};
        s.fields = {Vezedad::zrfEPANumber, Vezedad::zrfProductName, Vezedad::zrfCounty, Vezedad::zrfAddress};
        s.validatedColumns = 4;
        s.countyColumn = 3;
        s.leadingFields = 2;
        return s;
    }

protected:
    void WriteRecords(Vezedad::ReportFile::RecordWriter& file) override {
        WriteDataRecords(file, {QStringLiteral("0"), QStringLiteral("R12345")}, {}, 4);
    }
};

// Shows a new form of type F for the filer, hands it to action and closes it.
template <class F> void withForm(UiScript& ui, const std::function<void(F&)>& action) {
    showForm<F>(ui, QString(), action, Vezedad::Globals::ZelReport().Identity());
}

// The four report forms as the tests of what they share see them: a new
// report for the filer, shown, and what a user puts into it.
struct FormCase {
    QString name; // the form's object name, "Form25"
    std::function<void(UiScript&, const std::function<void(ReportForm&)>&)> open;
    // Sets the no-activity switch as a user does: off, or on (Form 25: the
    // option of that index); empty for the list, which has no switch.
    std::function<void(ReportForm&, int)> activity;
    QString first, last; // two rows of data
    QString lastShows;   // what a printout of the last row shows
    QString record;      // the record the first row makes
    QString fileName;    // a name of its report file
};

template <class F> auto opener() {
    return [](UiScript& ui, const std::function<void(ReportForm&)>& action) {
        withForm<F>(ui, [&action](F& form) { action(form); });
    };
}

// A switch that is a check box: ticked is no activity.
auto checkBox(const char* name) {
    return [name](ReportForm& form, int on) {
        auto* box = child<QCheckBox>(form, QLatin1String(name));
        if (box->isChecked() == (on != 0)) click(box);
    };
}

// The form of that name; its dates lie in the report year, so that a check
// finds nothing to say of them.
FormCase formCase(const QString& name) {
    const QString year = QString::number(Vezedad::Globals::ZelReport().ReportYear());
    const QString app1 =
        QStringLiteral("100-200|ROUNDUP|2.5|GL|06/15/%1||01|1 MAIN ST|ALBANY|12207|2 OZ PER GAL|SPRAY|WEEDS|LAWN")
            .arg(year);
    const QString app2 =
        QStringLiteral("2345-2345-2345|NAME FROM LABEL|10|LB|07/01/%1|07/02/%1|58|2 PARK AVE|BRONX|10451||||TURF")
            .arg(year);
    const QString sale1 = QStringLiteral("100-200|ROUNDUP|2.5|GL|06/15/%1|01|1 MAIN ST|ALBANY|12207").arg(year);
    const QString sale2 =
        QStringLiteral("2345-2345-2345|NAME FROM LABEL|10|LB|07/01/%1|58|2 PARK AVE|BRONX|10451").arg(year);
    const QList<FormCase> cases{
        {QStringLiteral("Form25"), opener<Form25>(),
         [](ReportForm& form, int option) {
             click(child<QRadioButton>(form, QStringLiteral("optSalesType(%1)").arg(option)));
         },
         kRow1, kRow2, QStringLiteral("ROUNDUP"), QStringLiteral("0|R12345|") + kRow1 + QStringLiteral("|X||"),
         QStringLiteral("MR1234500.txt")},
        {QStringLiteral("Form26"), opener<Dazozuvi::Form26>(), checkBox("chkNoApps"), app2, app1,
         QStringLiteral("ROUNDUP"), QStringLiteral("0|C1234567|12345|") + app2 + u'|',
         QStringLiteral("PC123456700.txt")},
        {QStringLiteral("Form27"), opener<Dazozuvi::Form27>(), checkBox("chkNoSales"), sale2, sale1,
         QStringLiteral("ROUNDUP"), QStringLiteral("0|R12345|") + sale2 + u'|', QStringLiteral("SR1234500.txt")},
        {QStringLiteral("Form26A"),
         opener<Dazozuvi::Form26A>(),
         {},
         QStringLiteral("T3456789|12345|ANN|LEE|"),
         QStringLiteral("B2345678|12345|BO|RAY|1"),
         QStringLiteral("RAY"),
         QStringLiteral("0|T3456789|12345|ANN|LEE|"),
         QStringLiteral("A1234500.txt")},
    };
    for (const FormCase& c : cases)
        if (c.name == name) return c;
    qFatal("no form %s", qPrintable(name));
}

// A report folder whose filer may open every form: a seller with a permit
// and an applicator with a registration number.
class Filer : public Folder {
public:
    Filer() { YearFolder::setFiler(QStringLiteral("C1234567"), QStringLiteral("Al Roe"), QStringLiteral("12345")); }
};

// A Form 25 with resale selected and these rows, the cursor on (col, row).
void withSales(UiScript& ui, const QStringList& lines, const std::function<void(Form25&)>& action, int col = 2,
               int row = 1) {
    withForm<Form25>(ui, [&](Form25& form) {
        form.setActivity(Form25::Resale);
        setRows(form, lines);
        form.Grid().setFocus();
        form.Grid().setActiveCell(col, row);
        action(form);
    });
}

} // namespace

class tst_reportform : public QObject {
    Q_OBJECT

private slots:
    // A form's column map and the validator's record layout describe the
    // same file: column by column, the field a grid column holds is the
    // field the validator reads at its place in the record.
    void columnMapsMatchTheValidator_data() {
        QTest::addColumn<QList<qint32>>("fields");
        QTest::addColumn<qint32>("formType");
        QTest::addColumn<int>("leadingFields");
        // The record field each grid column is written to, from 0.
        QTest::addColumn<QList<int>>("recordFields");
        auto row = [](const char* name, const Dazozuvi::ReportFormSpec& form, const QList<int>& recordFields) {
            QTest::newRow(name) << form.fields << form.formType << form.leadingFields << recordFields;
        };
        row("Form 25", Dazozuvi::Form25::FormSpec(), {2, 3, 4, 5, 6});
        row("Form 26", Dazozuvi::Form26::FormSpec(), {3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
        row("Form 27", Dazozuvi::Form27::FormSpec(), {2, 3, 4, 5, 6, 7, 8, 9, 10});
        // Form 26A writes its indicator from column 5 (Form26A::WriteRecords).
        row("Form 26A", Dazozuvi::Form26A::FormSpec(), {1, 2, 3, 4, 0});
    }
    void columnMapsMatchTheValidator() {
        QFETCH(QList<qint32>, fields);
        QFETCH(qint32, formType);
        QFETCH(int, leadingFields);
        QFETCH(QList<int>, recordFields);
        const Vezedad::RecordLayout& layout = Vezedad::Validator::Layout(formType);
        for (int c = 1; c <= recordFields.size(); ++c) {
            const int field = recordFields[c - 1];
            QVERIFY2(field < layout.Width(), qPrintable(QStringLiteral("column %1").arg(c)));
            QCOMPARE(fields.value(c - 1), layout.Fields[field]);
            if (formType != Vezedad::zfotForm26A) QCOMPARE(field, leadingFields + c - 1);
        }
        // Every other column lies beyond what the validator reads.
        for (int c = int(recordFields.size()) + 1; c <= fields.size(); ++c)
            QVERIFY(leadingFields + c - 1 >= layout.Width());
    }

    void init() { QGuiApplication::clipboard()->clear(); }

    // The menus as the forms share them, each form's help pages opening
    // their documentation; a form may leave items out.
    void menus_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QList<qint32>>("pages");
        const QStringList file{"mnuFile=&File",
                               "mnuFileSave=&Save",
                               "mnuFileSaveas=Save &As...",
                               "mnuFilePrint=&Print",
                               "mnuFilePrintSelection=Print Selection",
                               "mnuExit=&Close"};
        const QStringList edit{"mnuGrid=&Edit",
                               "mnuGridCut=Cu&t",
                               "mnuGridCopy=&Copy",
                               "mnuGridPasteOverwrite=&Paste",
                               "mnuGridPasteInsert=&Insert",
                               "mnuGridInsert=Insert &Rows",
                               "mnuGridDelete=&Delete Rows"};
        const QStringList products{"mnuGridDuplicate=Duplicate Rows", "mnuProducts=&Product List",
                                   "mnuProductsEdit=&Edit List", "mnuProductsPick=Pick from &List"};
        const QStringList help{"mnuValidate=&Validate", "mnuHelp=&Help", "mnuHelpGuide=&User Guide"};
        const QList<qint32> pages{Vezedad::docUserGuideA, Vezedad::docUploadReport};
        const QList<qint32> withCounty = pages + QList<qint32>{Vezedad::docCountyPop};
        const QStringList county{"mnuHelpSubmit=How to &Submit Files To RUR",
                                 "mnuHelpCountyPopup=County Code &Popup Options Help"};
        QTest::newRow("Form 25") << "Form25"
                                 << file + edit + products + help +
                                        QStringList{"mnuHelpSubmit=How to &Submit Files to RUR"}
                                 << pages;
        QTest::newRow("Form 26") << "Form26" << file + edit + products + help + county << withCounty;
        QTest::newRow("Form 27") << "Form27" << file + edit + products + help + county << withCounty;
        QTest::newRow("Form 26A") << "Form26A"
                                  << file + edit + help + QStringList{"mnuHelpSubmit=How to &Submit Files to RUR"}
                                  << pages;
    }
    void menus() {
        QFETCH(QString, name);
        QFETCH(QStringList, items);
        QFETCH(QList<qint32>, pages);
        Filer folder;
        OpenedPages opened;
        UiScript ui;
        formCase(name).open(ui, [&](ReportForm& form) {
            QStringList shown;
            for (QAction* top : form.findChild<QMenuBar*>()->actions()) {
                shown << top->objectName() + QLatin1Char('=') + top->text();
                if (top->menu())
                    for (QAction* item : top->menu()->actions())
                        shown << item->objectName() + QLatin1Char('=') + item->text();
            }
            QCOMPARE(shown, items);
            for (QAction* item : child<QMenu>(form, "mnuHelp")->actions()) trigger(form, item->objectName());
        });
        QStringList expected;
        for (qint32 page : pages) expected << Vezedad::Globals::Documentation().GetUri(page, 1);
        QCOMPARE(opened.pages(), expected);
    }

    // Save As for a report whose folder was renamed since it was opened
    // starts in the year folder with the file's name alone: Save, as the
    // dialog opens, saves the report there.
    void saveAsWhenItsFolderIsGone() {
        Folder folder;
        const QString old = folder.file(QStringLiteral("old"));
        QVERIFY(QDir().mkpath(old));
        const QByteArray record = "0|R12345|100-200|ROUNDUP|1.5|OZ|3|X||\r\n";
        TestSupport::writeFile(old + QStringLiteral("/MR1234500.txt"), record);
        const QString path = folder.file(QStringLiteral("MR1234500.txt"));
        UiScript ui;
        ui.expectBox(); // the verdict on the file
        const auto saveAs = [&](Form25& form) {
            QVERIFY(QDir().rename(old, folder.file(QStringLiteral("renamed"))));
            ui.expectBox(Vezedad::Ui::vbNo); // check it first?
            ui.expectRealDialog([](QDialog& dialog) {
                auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QVERIFY(name);
                const QString shown = name->text();
                if (shown != QStringLiteral("MR1234500.txt")) dialog.reject();
                QCOMPARE(shown, QStringLiteral("MR1234500.txt"));
                QTest::keyClick(name, Qt::Key_Return);
            });
            trigger(form, QStringLiteral("mnuFileSaveas"));
            QCOMPARE(form.FilePath(), path);
            QVERIFY(!form.IsDirty());
        };
        showForm<Form25>(ui, old + QStringLiteral("/MR1234500.txt"), saveAs, Vezedad::Globals::ZelReport().Identity());
        QCOMPARE(TestSupport::readFile(path), record);
    }

    // A form without a product list or Duplicate Rows leaves them out
    // everywhere; a check box form starts with activity and unchanged.
    void formsLeaveItemsOut() {
        Folder folder;
        UiScript ui;
        withForm<CountyForm>(ui, [](CountyForm& form) {
            QVERIFY(!form.findChild<QAction*>(QStringLiteral("mnuGridDuplicate")));
            QVERIFY(!form.findChild<QMenu*>(QStringLiteral("mnuProducts")));
            QVERIFY(!form.findChild<QWidget*>(QStringLiteral("fpEpaList")));
            QVERIFY(form.HasActivity());
            QVERIFY(!form.IsDirty());
        });
    }

    // Closing a changed report: each exit choice, and saves that fail keep the
    // window open with its changes.
    void closing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("answer"); // the save dialog: a file name, "cancel" or "folder"
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("written");
        for (const char* name : {"Form25", "Form26", "Form27", "Form26A"}) {
            const auto row = [name](const char* what) -> QTestData& {
                return QTest::addRow("%s: %s", name, what) << QString::fromLatin1(name);
            };
            row("keep it open") << 0 << QString() << false << false;
            row("save and close") << 1 << QStringLiteral("file") << true << true;
            row("validate, save, close") << 2 << QStringLiteral("file") << true << true;
            row("close without saving") << 3 << QString() << true << false;
            row("save dialog cancelled") << 1 << QStringLiteral("cancel") << false << false;
            row("file cannot be written") << 1 << QStringLiteral("folder") << false << false;
        }
    }
    void closing() {
        QFETCH(QString, name);
        QFETCH(int, choice);
        QFETCH(QString, answer);
        QFETCH(bool, closes);
        QFETCH(bool, written);
        Filer folder;
        const FormCase c = formCase(name);
        const QString path = folder.file(c.fileName);
        const QString blocked = folder.file(QStringLiteral("blocked.txt"));
        QDir().mkpath(blocked); // a folder where the file should go
        UiScript ui;
        c.open(ui, [&](ReportForm& form) {
            if (c.activity) c.activity(form, 1);
            setRows(form, {c.first});
            // Rows set by the program are no edit of the user's.
            form.GridController()->setIsDirty(true);
            ui.expectModal(exitChoice(choice));
            if (answer == QStringLiteral("cancel")) {
                ui.expectDialogCancel();
            } else if (answer == QStringLiteral("folder")) {
                ui.expectFile(blocked);
                ui.expectBox(); // the write error
            } else if (!answer.isEmpty()) {
                ui.expectFile(path);
            }
            trigger(form, QStringLiteral("mnuExit"));
            QCOMPARE(!form.isVisible(), closes);
            if (!closes) QVERIFY(form.IsDirty());
        });
        QCOMPARE(QFile::exists(path), written);
        if (written) QCOMPARE(TestSupport::readFile(path), crlf({c.record}));
        if (answer == QStringLiteral("folder")) {
            const QString error = ui.boxes().value(0).prompt;
            QVERIFY2(error.contains(QStringLiteral("\nIn Dazozuvi::") + name + QStringLiteral(".WriteToFile\n")),
                     qPrintable(error));
        }
    }

    // Without activity the data entry goes, the grid keeps its rows with a
    // warning of their loss, the commands on data and edits are refused;
    // with activity again everything is back.
    void noActivitySwitch_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("warningLabel");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("Form 25") << "Form25"
                                 << "lblNoSalesWarning"
                                 << "You selected 'No Sales' but there were data entries.\r\n"
                                    "Any data that was previously entered will be lost when you save this form."
                                 << "The 'No Sales Made' indicator is checked.\r\n"
                                    "You may not add sales until you deselect it.";
        QTest::newRow("Form 26") << "Form26"
                                 << "lblNoAppWarning"
                                 << "You selected 'No Applications' but there were data entries in the grid.\r\n"
                                    "Any data that was previously entered will be lost when you save this form."
                                 << "The 'No Applications Made' box is checked.\r\n"
                                    "You may not add applications until you uncheck it.";
        QTest::newRow("Form 27") << "Form27"
                                 << "lblNoSalesWarning"
                                 << "You selected 'No Sales' but there were data entries in the grid.\r\n"
                                    "Any data that was previously entered will be lost when you save this form."
                                 << "The 'No Sales Made' indicator is checked.\r\n"
                                    "You may not add sales until you deselect it.";
    }
    void noActivitySwitch() {
        QFETCH(QString, name);
        QFETCH(QString, warningLabel);
        QFETCH(QString, warning);
        QFETCH(QString, refusal);
        Filer folder;
        const FormCase c = formCase(name);
        UiScript ui;
        c.open(ui, [&](ReportForm& form) {
            auto* dataEntry = child<QWidget>(form, "fraDataEntry");
            auto* label = child<QLabel>(form, warningLabel);
            c.activity(form, 1);
            QVERIFY(dataEntry->isVisible());
            setRows(form, {c.first});
            c.activity(form, 0);
            QVERIFY(!form.HasActivity());
            QVERIFY(dataEntry->isHidden());
            QVERIFY(label->isVisible());
            QCOMPARE(label->text(), warning);
            QVERIFY(!child<QAction>(form, "mnuValidate")->isEnabled());
            QVERIFY(!child<QMenu>(form, "mnuGrid")->menuAction()->isEnabled());
            QVERIFY(!child<QWidget>(form, "fpEpaList")->isEnabled());
            QVERIFY(form.IsDirty());
            QCOMPARE(form.ValidateForm(), 0);

            ui.expectBox();
            form.Grid().setActiveCell(1, 1);
            QVERIFY(!form.Grid().startEdit());
            QCOMPARE(ui.boxes().value(0).title, QStringLiteral("Warning"));
            QCOMPARE(ui.boxes().value(0).prompt, refusal);

            c.activity(form, 2);
            QVERIFY(form.HasActivity());
            QVERIFY(label->isHidden());
            QVERIFY(dataEntry->isVisible());
            QCOMPARE(FormTest::rows(form), QStringList{c.first});
        });
    }

    // Print: with activity the rows up to the last with data, under the
    // activity's subtitle where the form has one; without, the subtitle says
    // so and no row is printed. Print Selection needs activity and data,
    // except on the list. Afterwards the grid is whole again.
    void printing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("activity");
        QTest::addColumn<QString>("subtitle"); // "": none checked
        QTest::addColumn<int>("printedRows");
        QTest::addColumn<bool>("selection");
        QTest::newRow("Form 25, resale") << "Form25" << 1 << "Report for Sales to Commercial Permit Holders for Resale"
                                         << 3 << true;
        QTest::newRow("Form 25, no sales") << "Form25" << 0 << "NO sales were made this year" << 0 << false;
        QTest::newRow("Form 26, applications") << "Form26" << 1 << "" << 3 << true;
        QTest::newRow("Form 26, no applications")
            << "Form26" << 0 << "NO Commercial applications were made this year" << 0 << false;
        QTest::newRow("Form 27, sales") << "Form27" << 1 << "" << 3 << true;
        QTest::newRow("Form 27, no sales") << "Form27" << 0 << "NO Sales Were Made this Year" << 0 << false;
        QTest::newRow("Form 26A") << "Form26A" << 1 << "" << 3 << true;
    }
    void printing() {
        QFETCH(QString, name);
        QFETCH(int, activity);
        QFETCH(QString, subtitle);
        QFETCH(int, printedRows);
        QFETCH(bool, selection);
        Filer folder;
        const FormCase c = formCase(name);
        UiScript ui;
        c.open(ui, [&](ReportForm& form) {
            if (c.activity) c.activity(form, 1);
            setRows(form, {c.first, QString(), c.last});
            if (c.activity) c.activity(form, activity);
            Q_EMIT child<QMenu>(form, "mnuFile")->aboutToShow();
            QCOMPARE(child<QAction>(form, "mnuFilePrintSelection")->isEnabled(), selection);
            int printed = -1;
            QString page;
            ui.expectModal(printPreview(form, printed, page));
            trigger(form, QStringLiteral("mnuFilePrint"));
            QCOMPARE(printed, printedRows);
            if (!subtitle.isEmpty()) QVERIFY2(page.contains(subtitle), qPrintable(page));
            QCOMPARE(page.contains(c.lastShows), printedRows > 0);
            // The grid is whole again, with its rows to type on.
            QCOMPARE(form.Grid().printRange(), Dazozuvi::PrintRange::Grid);
            QCOMPARE(FormTest::rows(form).size(), 3);
        });
    }

    // A host may switch activity off before Edit, as for an applicator who
    // made no applications: the window opens without activity, changed.
    void activitySetBeforeEdit() {
        Folder folder;
        UiScript ui;
        CountyForm form;
        form.setHasActivity(false);
        ui.expectModal([&](QDialog&) {
            QVERIFY(!form.HasActivity());
            QVERIFY(child<QCheckBox>(form, "chkNoSales")->isChecked());
            QVERIFY(child<QWidget>(form, "fraDataEntry")->isHidden());
            QVERIFY(form.IsDirty());
            discard(ui, form);
        });
        bool cancel = false;
        form.Edit(cancel, Vezedad::Globals::ZelReport().Identity(), QString());
        QCOMPARE(ui.modalNames(), (QStringList{"CountyForm", "frmExitOptions"}));
    }

    // Closing while a cell is being edited ends the edit first: a valid
    // change counts, and the form asks.
    void closingEndsTheEdit() {
        Folder folder;
        UiScript ui;
        withSales(ui, {kRow1}, [&](Form25& form) {
            form.GridController()->setIsDirty(false);
            form.Grid().setActiveCell(3, 1);
            type(form.Grid(), QStringLiteral("7"));
            QVERIFY(form.Grid().isEditing());
            ui.expectModal(exitChoice(0));
            trigger(form, QStringLiteral("mnuExit"));
            QVERIFY(form.isVisible());
            QCOMPARE(form.Grid().text(3, 1), QStringLiteral("7"));
        });
    }

    // The key table: only these keys with exactly these modifiers act.
    void keys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("cell");      // cell (2,1) afterwards
        QTest::addColumn<QString>("clipboard"); // afterwards
        const QString name = QStringLiteral("NAME FROM LABEL");
        const QString pasted = QStringLiteral("PASTED");
        QTest::newRow("Delete clears") << int(Qt::Key_Delete) << 0 << QString() << pasted;
        QTest::newRow("Shift+Delete cuts") << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << QString() << name;
        QTest::newRow("Ctrl+X cuts") << int(Qt::Key_X) << int(Qt::ControlModifier) << QString() << name;
        QTest::newRow("Ctrl+C copies") << int(Qt::Key_C) << int(Qt::ControlModifier) << name << name;
        QTest::newRow("Ctrl+Insert copies") << int(Qt::Key_Insert) << int(Qt::ControlModifier) << name << name;
        QTest::newRow("Ctrl+V pastes") << int(Qt::Key_V) << int(Qt::ControlModifier) << pasted << pasted;
        QTest::newRow("Shift+Insert pastes") << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << pasted << pasted;
        QTest::newRow("Ctrl+Shift+V does nothing")
            << int(Qt::Key_V) << int(Qt::ControlModifier | Qt::ShiftModifier) << name << pasted;
        QTest::newRow("Alt+Delete does nothing") << int(Qt::Key_Delete) << int(Qt::AltModifier) << name << pasted;
    }
    void keys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, cell);
        QFETCH(QString, clipboard);
        Folder folder;
        UiScript ui;
        withSales(ui, {kRow1}, [&](Form25& form) {
            QGuiApplication::clipboard()->setText(QStringLiteral("PASTED"));
            QTest::keyClick(&form.Grid(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            QCOMPARE(form.Grid().text(2, 1), cell);
            QCOMPARE(QGuiApplication::clipboard()->text().trimmed(), clipboard);
        });
    }

    // Cell edits: a valid one marks the report changed, a refused one keeps
    // the cursor on its cell, and editing the last row adds one.
    void editing() {
        Folder folder;
        UiScript ui;
        withSales(ui, {}, [&](Form25& form) {
            Dazozuvi::ReportGrid& grid = form.Grid();
            form.GridController()->setIsDirty(false);
            grid.setActiveCell(3, 5);
            type(grid, QStringLiteral("0"));
            ui.expectBox();
            press(grid, Qt::Key_Tab);
            QCOMPARE(ui.boxes().value(0).title, QStringLiteral("ZOV zAzeru Data Validation"));
            QCOMPARE(grid.activeCol(), 3);
            QCOMPARE(grid.activeRow(), 5);
            QCOMPARE(grid.rowCount(), 6);
            QVERIFY(!form.IsDirty());
            type(grid, QStringLiteral("12"));
            press(grid, Qt::Key_Tab);
            QCOMPARE(grid.text(3, 5), QStringLiteral("12"));
            QCOMPARE(grid.activeCol(), 4);
            QVERIFY(form.IsDirty());
            // Esc in a cell only ends its edit.
            type(grid, QStringLiteral("OZ"));
            press(grid, Qt::Key_Escape);
            QVERIFY(!grid.isEditing());
            QVERIFY(form.isVisible());
            QCOMPARE(grid.text(4, 5), QString());
        });
    }

    // A units cell is typed over as every cell is: a value the check
    // refused and a valid one alike are replaced by what is typed.
    void typingReplacesAUnitsCell_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"Form25", "Form26", "Form27"}) QTest::newRow(name) << QString::fromLatin1(name);
    }
    void typingReplacesAUnitsCell() {
        QFETCH(QString, name);
        Filer folder;
        const FormCase c = formCase(name);
        UiScript ui;
        c.open(ui, [&](ReportForm& form) {
            c.activity(form, 1);
            QCOMPARE(form.Grid().column(4).type.kind, Dazozuvi::CellType::List);
            Dazozuvi::ReportGrid& grid = form.Grid();
            grid.setFocus();
            grid.setActiveCell(4, 1);
            type(grid, QStringLiteral("GAL"));
            ui.expectBox();
            press(grid, Qt::Key_Tab);
            QCOMPARE(ui.boxes().size(), 1);
            QCOMPARE(grid.activeCol(), 4);
            type(grid, QStringLiteral("GL"));
            press(grid, Qt::Key_Tab);
            QCOMPARE(grid.text(4, 1), QStringLiteral("GL"));
            QCOMPARE(grid.activeCol(), 5);
            grid.setActiveCell(4, 1);
            type(grid, QStringLiteral("OZ"));
            press(grid, Qt::Key_Tab);
            QCOMPARE(grid.text(4, 1), QStringLiteral("OZ"));
            QCOMPARE(ui.boxes().size(), 1);
        });
    }

    // The Edit menu opens from the keyboard on the active cell, where the
    // arrow keys and Enter choose from it.
    void contextMenuByKeyboard_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Menu") << int(Qt::Key_Menu) << 0;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    }
    void contextMenuByKeyboard() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Folder folder;
        UiScript ui;
        withSales(
            ui, {kRow1, kRow2},
            [&](Form25& form) {
                Dazozuvi::ReportGrid& grid = form.Grid();
                auto* menu = child<QMenu>(form, "mnuGrid");
                const QRect cell(grid.viewport()->mapToGlobal(grid.visualRect(grid.gridModel().index(1, 1)).topLeft()),
                                 grid.visualRect(grid.gridModel().index(1, 1)).size());
                QTest::keyClick(&grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
                QTRY_VERIFY(menu->isVisible());
                // A corner of it at the cell's centre (it opens upwards or
                // leftwards where the screen ends).
                QVERIFY2(menu->geometry().adjusted(-2, -2, 2, 2).contains(cell.center()),
                         qPrintable(QStringLiteral("menu at %1,%2 for the cell at %3,%4")
                                        .arg(menu->x())
                                        .arg(menu->y())
                                        .arg(cell.x())
                                        .arg(cell.y())));
                // Its first item, Cut.
                QTest::keyClick(menu, Qt::Key_Down);
                QTest::keyClick(menu, Qt::Key_Return);
                QTRY_VERIFY(!menu->isVisible());
                QCOMPARE(QGuiApplication::clipboard()->text().trimmed(), QStringLiteral("ROUNDUP"));
                QCOMPARE(grid.text(2, 2), QString());
                QCOMPARE(grid.activeCol(), 2);
                QCOMPARE(grid.activeRow(), 2);
                // Esc closes it, and the keys are the grid's again.
                QTest::keyClick(&grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
                QTRY_VERIFY(menu->isVisible());
                QTest::keyClick(menu, Qt::Key_Escape);
                QTRY_VERIFY(!menu->isVisible());
                QTRY_VERIFY(grid.hasFocus());
            },
            2, 2);
    }

    // What a screen reader hears of a form: no two of its controls and menus
    // share a name, whatever their kind (the Edit menu and the product
    // list's button "Edit" did).
    void namesAreDistinct_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"Form25", "Form26", "Form27", "Form26A"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void namesAreDistinct() {
        QFETCH(QString, name);
        Filer folder;
        UiScript ui;
        formCase(name).open(ui, [&](ReportForm& form) {
            QHash<QString, QString> heard; // name -> what carries it
            const auto hear = [&heard](const QString& spoken, const QString& what) {
                const QString key = spoken.trimmed();
                if (key.isEmpty()) return;
                QVERIFY2(!heard.contains(key), qPrintable(QStringLiteral("\"") + key + QStringLiteral("\" names ") +
                                                          heard.value(key) + QStringLiteral(" and ") + what));
                heard.insert(key, what);
            };
            QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(form.findChild<QMenuBar*>());
            for (int i = 0; i < bar->childCount(); ++i)
                hear(bar->child(i)->text(QAccessible::Name), QStringLiteral("a menu"));
            for (QWidget* control : form.findChildren<QWidget*>())
                if (control->focusPolicy() & Qt::TabFocus && control->isVisibleTo(&form))
                    hear(TestSupport::accessibleName(control), control->objectName());
        });
    }

    // The row commands of the Edit menu.
    void rowCommands() {
        Folder folder;
        UiScript ui;
        withSales(ui, {kRow1, kRow2}, [&](Form25& form) {
            Dazozuvi::ReportGrid& grid = form.Grid();
            grid.selectRows(1, 1);
            trigger(form, QStringLiteral("mnuGridDuplicate"));
            QCOMPARE(rows(form), (QStringList{kRow1, kRow2, kRow1}));
            grid.selectRows(2, 2);
            trigger(form, QStringLiteral("mnuGridDelete"));
            QCOMPARE(rows(form), (QStringList{kRow1, kRow1}));
            grid.selectRows(1, 1);
            trigger(form, QStringLiteral("mnuGridCopy"));
            QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("2345-2345-2345\tNAME FROM LABEL")));
            QVERIFY(!grid.isCellSelected(3, 1) || grid.firstSelectedBlock().rowCount() <= 1);
            grid.setActiveCell(1, 3);
            trigger(form, QStringLiteral("mnuGridPasteOverwrite"));
            QCOMPARE(rows(form), (QStringList{kRow1, kRow1, kRow1}));
        });
    }

    // A row command that cannot get its memory tells the user "Out of
    // memory" (error 7) and leaves every row with its texts and colours as
    // it was. The grid is large enough that each command's largest step
    // (the rows of several colours renumbered, the table of them grown) is
    // the first allocation of a quarter of a megabyte, which fails.
    void rowCommandsWhenMemoryRunsOut_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("firstRow");
        QTest::newRow("insert rows") << "mnuGridInsert" << 2;
        QTest::newRow("delete rows") << "mnuGridDelete" << 2;
        QTest::newRow("duplicate rows") << "mnuGridDuplicate" << 1;
    }

    void rowCommandsWhenMemoryRunsOut() {
        if (!AllocationFailure::available()) QSKIP("a sanitized build keeps its own allocator");
        QFETCH(QString, command);
        QFETCH(int, firstRow);
        // Just short of three quarters of the table of rows of several
        // colours: two more make it grow.
        constexpr int kRows = 49151;
        Folder folder;
        UiScript ui;
        withSales(ui, {}, [&](Form25& form) {
            Dazozuvi::ReportGrid& grid = form.Grid();
            Dazozuvi::GridModel& model = grid.gridModel();
            {
                Dazozuvi::GridModel::BulkUpdate bulk(model);
                model.reserveRows(kRows + 100);
                model.setRows(kRows + 5);
                for (int r = 0; r < kRows; ++r) {
                    const QString number = QString::number(r);
                    const QStringView cells[] = {number, u"NAME", u"2", u"GL", number};
                    model.setCells(r, 0, cells, 5);
                    model.setColour(r, r % 5, Dazozuvi::CellColour::PalePink);
                }
            }
            const auto snapshot = [&] {
                QStringList cells;
                for (int r = 1; r <= grid.rowCount(); ++r)
                    for (int c = 1; c <= grid.columnCount(); ++c)
                        cells << grid.text(c, r) + QString::number(grid.cellColour(c, r), 16);
                return cells;
            };
            const QStringList before = snapshot();
            const int rowCount = grid.rowCount();
            grid.selectRows(firstRow, firstRow + 1);
            form.GridController()->setIsDirty(false);
            ui.expectBox();
            {
                AllocationFailure::Armed failing(0, 256 << 10);
                trigger(form, command);
                QVERIFY(failing.failed());
            }
            QVERIFY2(ui.boxes().value(0).prompt.startsWith(QStringLiteral("Error 7: Out of memory")),
                     qPrintable(ui.boxes().value(0).prompt));
            QCOMPARE(grid.rowCount(), rowCount);
            QVERIFY(snapshot() == before);
            // With memory to spare the command works as ever.
            trigger(form, command);
            QVERIFY(form.IsDirty());
            QVERIFY(snapshot() != before);
        });
    }

    // A right click on an unselected cell makes it the active cell, one on
    // the column headers does not; the Edit menu pops up either way.
    void rightClick() {
        Folder folder;
        UiScript ui;
        withSales(ui, {kRow1, kRow2}, [&](Form25& form) {
            Dazozuvi::ReportGrid& grid = form.Grid();
            auto* menu = child<QMenu>(form, "mnuGrid");
            emit grid.rightClick(1, 4, 0, QPoint(10, 10));
            QTRY_VERIFY(menu->isVisible());
            menu->hide();
            QCOMPARE(grid.activeCol(), 2);
            QCOMPARE(grid.activeRow(), 1);
            emit grid.rightClick(1, 4, 2, QPoint(10, 10));
            QTRY_VERIFY(menu->isVisible());
            menu->hide();
            QCOMPARE(grid.activeCol(), 4);
            QCOMPARE(grid.activeRow(), 2);
        });
    }

    // A product picked from the list fills the active row's number and name
    // and moves on to the container size.
    void productPick() {
        Folder folder;
        ZozedizIZ::Globals::EpaList().Add(QStringLiteral("2345-2345-2345"), QStringLiteral("NAME FROM LABEL"));
        ZozedizIZ::Globals::EpaList().Add(QStringLiteral("100-200"), QStringLiteral("ROUNDUP"));
        UiScript ui;
        withSales(ui, {kRow1}, [&](Form25& form) {
            auto* list = child<Dazozuvi::ReportGrid>(form, "fpEpaList");
            // In the list's order, by number.
            QCOMPARE(list->text(2, 1), QStringLiteral("ROUNDUP"));
            form.GridController()->setIsDirty(false);
            form.Grid().setActiveCell(5, 2);
            emit list->click(1, 1);
            QCOMPARE(form.Grid().text(1, 2), QStringLiteral("100-200"));
            QCOMPARE(form.Grid().text(2, 2), QStringLiteral("ROUNDUP"));
            QCOMPARE(form.Grid().activeCol(), 3);
            QVERIFY(form.IsDirty());
            // Enter on the list picks its active row.
            list->setActiveCell(1, 2);
            list->setFocus();
            form.Grid().setActiveCell(1, 3);
            QTest::keyClick(list, Qt::Key_Return);
            QCOMPARE(form.Grid().text(2, 3), QStringLiteral("NAME FROM LABEL"));
            auto* products = child<QMenu>(form, "mnuProducts");
            Q_EMIT products->aboutToShow();
            QVERIFY(child<QAction>(form, "mnuProductsPick")->isEnabled());
        });
    }

    // Column tips, the row numbers, the way back out of the grid.
    void gridDecorations() {
        Folder folder;
        UiScript ui;
        withSales(ui, {kRow1}, [&](Form25& form) {
            Dazozuvi::ReportGrid& grid = form.Grid();
            int multiLine = 0, width = 0;
            QString tip;
            bool show = false;
            emit grid.textTipFetch(1, 1, multiLine, width, tip, show);
            QVERIFY(show);
            QCOMPARE(multiLine, 1);
            QCOMPARE(tip, ZozedizIZ::Globals::GetMessage(314));
            show = false;
            emit grid.textTipFetch(6, 1, multiLine, width, tip, show);
            QVERIFY(!show);

            auto* numbers = child<QCheckBox>(form, "chkShowRowNumbers");
            QTest::mouseClick(numbers, Qt::LeftButton, {}, QPoint(8, numbers->height() / 2));
            QVERIFY(grid.rowHeadersVisible());

            grid.setFocus();
            grid.setActiveCell(1, 1);
            QTest::keyClick(&grid, Qt::Key_Backtab, Qt::ShiftModifier);
            QTRY_VERIFY(numbers->hasFocus());
        });
    }

    // The header canvas scrolls sideways when the window is narrower.
    void headerScrolls() {
        Folder folder;
        UiScript ui;
        withForm<Form25>(ui, [](Form25& form) {
            auto* bar = child<QScrollBar>(form, "hsbHeader");
            auto* canvas = child<QWidget>(form, "fraCanvas");
            form.resize(canvas->sizeHint().width() + 200, form.height());
            QTRY_VERIFY(!bar->isVisible());
            form.resize(form.minimumWidth(), form.height());
            QTRY_VERIFY(bar->isVisible());
            bar->setValue(bar->maximum());
            QCOMPARE(canvas->x(), -bar->maximum());
            QVERIFY(canvas->height() >= canvas->sizeHint().height());
            form.resize(canvas->sizeHint().width() + 200, form.height());
            QTRY_VERIFY(!bar->isVisible());
            QCOMPARE(bar->value(), 0);
        });
    }

    // A form opens as wide as its header and its grid's columns need, where
    // the screen has room: in Arial's metric twin as users get it, and in the
    // wider stand-in.
    void opensAsWideAsItNeeds_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("twins");
        for (const char* name : {"Form25", "Form26", "Form26A", "Form27"}) {
            QTest::addRow("%s, Arial's metric twin", name) << QString::fromLatin1(name) << true;
            QTest::addRow("%s, wider stand-in", name) << QString::fromLatin1(name) << false;
        }
    }
    void opensAsWideAsItNeeds() {
        QFETCH(QString, name);
        QFETCH(bool, twins);
        const TestSupport::ArialFont font(twins);
        Filer folder;
        UiScript ui;
        formCase(name).open(ui, [](ReportForm& form) { FormTest::opensAsWideAsItNeeds(form); });
    }

    // Esc closes the window as its close box does: a changed report asks.
    void escapeAsks() {
        Folder folder;
        UiScript ui;
        withForm<Form25>(ui, [&](Form25& form) {
            QVERIFY(form.IsDirty());
            ui.expectModal(exitChoice(0));
            QTest::keyClick(&form, Qt::Key_Escape);
            QVERIFY(form.isVisible());
        });
        QCOMPARE(ui.modalNames(), (QStringList{"Form25", "frmExitOptions", "frmExitOptions"}));
    }

    // The county column: a default code is filled in and checked and the
    // cursor moves past it (back when coming from the right); by hand, the
    // cell opens for typing; a cancelled pick list leaves it open once.
    // Tab and Shift+Tab go round every control of every form and come back,
    // whether the product list is empty (as every new user's is) or not and
    // whether the report has activity: the list is one stop, the grid takes
    // Tab from cell to cell and hands the focus on at its ends.
    void keyboardGoesRoundEveryForm_data() {
        QTest::addColumn<int>("formType");
        QTest::addColumn<bool>("products");
        QTest::addColumn<bool>("activity");
        for (const auto& [type, name] : {std::pair{Vezedad::zfotForm25, "Form 25"},
                                         {Vezedad::zfotForm26, "Form 26"},
                                         {Vezedad::zfotForm27, "Form 27"},
                                         {Vezedad::zfotForm26A, "Form 26A"}})
            for (const bool products : {false, true})
                for (const bool activity : {true, false}) {
                    if (type == Vezedad::zfotForm26A && !activity) continue; // no switch
                    QTest::addRow("%s, %s, %s", name, products ? "products" : "no products",
                                  activity ? "activity" : "no activity")
                        << int(type) << products << activity;
                }
    }
    void keyboardGoesRoundEveryForm() {
        QFETCH(int, formType);
        QFETCH(bool, products);
        QFETCH(bool, activity);
        Folder folder;
        // The county column opens no pick list as the Tab passes it.
        Vezedad::Globals::Configuration().setCountySelectorBehavior(2);
        ZozedizIZ::EpaDataList& list = ZozedizIZ::Globals::EpaList();
        list.Clear();
        if (products) {
            list.Add(QStringLiteral("2345-2345-2345"), QStringLiteral("NAME FROM LABEL"));
            list.Add(QStringLiteral("100-200"), QStringLiteral("ROUNDUP"));
        }
        std::unique_ptr<ReportForm> form = Dazozuvi::NewReportForm(formType);
        if (formType != Vezedad::zfotForm26A) form->setHasActivity(activity);
        UiScript ui;
        ui.expectModal([&](QDialog&) {
            form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(form.get()));
            QTRY_VERIFY(QApplication::focusWidget() && form->isAncestorOf(QApplication::focusWidget()));
            for (const bool forward : {true, false}) {
                const QList<QWidget*> cycle = TestSupport::tabCycle(*form, forward);
                const QString path = TestSupport::pathOf(cycle);
                QVERIFY2(cycle.size() > 2 && cycle.last() == cycle.first(), qPrintable(path));
                const QStringList unreached = TestSupport::unreachedStops(*form, cycle);
                QVERIFY2(unreached.isEmpty(),
                         qPrintable(unreached.join(QStringLiteral(", ")) + QStringLiteral(" never reached: ") + path));
            }
            // However many rows it holds, Ctrl+End then Tab leave the grid
            // forward, Ctrl+Home then Shift+Tab backward.
            Dazozuvi::ReportGrid& grid = form->Grid();
            if (grid.isVisible()) {
                for (const bool forward : {true, false}) {
                    grid.setFocus();
                    QTest::keyClick(&grid, forward ? Qt::Key_End : Qt::Key_Home, Qt::ControlModifier);
                    QTest::keyClick(&grid, forward ? Qt::Key_Tab : Qt::Key_Backtab,
                                    forward ? Qt::NoModifier : Qt::ShiftModifier);
                    QVERIFY(!grid.hasFocus());
                }
            }
            // Alt+L, the key of its label, goes to the product list.
            if (auto* products = form->findChild<Dazozuvi::ReportGrid*>(QStringLiteral("fpEpaList"));
                products && products->isEnabled()) {
                QTest::keyClick(form.get(), Qt::Key_L, Qt::AltModifier);
                QTRY_VERIFY(products->hasFocus());
            }
            if (form->IsDirty()) ui.expectModal(exitChoice(3));
            form->close();
        });
        bool cancel = false;
        form->Edit(cancel, nullptr, QString());
        list.Clear();
    }

    // The county pick list by keyboard: it opens with the keys in it, its
    // first row current but not chosen. Enter there chooses nothing (the
    // cell opens for typing, as after Esc); Down then Enter takes the second
    // row. Afterwards the form is the active window again with the keys in
    // the grid (no click needed), and a code typed into a county cell goes
    // into the cell without the list opening on its first key and taking
    // the rest.
    void countyListByKeyboard() {
        Folder folder;
        Vezedad::Globals::Configuration().setCountySelectorBehavior(0);
        Vezedad::Globals::Configuration().setCountySelectorDefault(QString());
        UiScript ui;
        withForm<CountyForm>(ui, [&](CountyForm& form) {
            Dazozuvi::ReportGrid& grid = form.Grid();
            const auto popUp = [&ui](QList<Qt::Key> keys) {
                ui.expectModal([keys](QDialog& d) {
                    QCOMPARE(d.objectName(), QStringLiteral("frmCountyCodes"));
                    auto* list = d.findChild<QListWidget*>(QStringLiteral("lstCountyCodes"));
                    d.activateWindow();
                    QVERIFY(QTest::qWaitForWindowActive(&d));
                    QCOMPARE(QApplication::focusWidget(), list);
                    QCOMPARE(list->currentRow(), 0);
                    QVERIFY(list->selectedItems().isEmpty());
                    for (const Qt::Key key : keys) QTest::keyClick(list, key);
                    QVERIFY(!d.isVisible());
                });
            };
            grid.setFocus();
            grid.setActiveCell(2, 1);
            popUp({Qt::Key_Return});
            QTest::keyClick(&grid, Qt::Key_Tab);
            QCOMPARE(ui.modalNames().count(QStringLiteral("frmCountyCodes")), 1);
            QCOMPARE(grid.text(3, 1), QString());
            QVERIFY(grid.isEditing());
            QTRY_COMPARE(QApplication::activeWindow(), &form);
            press(grid, Qt::Key_Escape);

            grid.setActiveCell(2, 2);
            popUp({Qt::Key_Down, Qt::Key_Return});
            QTest::keyClick(&grid, Qt::Key_Tab);
            QCOMPARE(ui.modalNames().count(QStringLiteral("frmCountyCodes")), 2);
            QCOMPARE(grid.text(3, 2), QStringLiteral("02"));
            QCOMPARE(grid.activeCol(), 4);
            QTRY_COMPARE(QApplication::activeWindow(), &form);
            QVERIFY(grid.hasFocus());

            grid.setActiveCell(3, 3);
            type(grid, QStringLiteral("05"));
            press(grid, Qt::Key_Tab);
            QCOMPARE(grid.text(3, 3), QStringLiteral("05"));
            QCOMPARE(ui.modalNames().count(QStringLiteral("frmCountyCodes")), 2);
        });
    }

    void countyColumn_data() {
        QTest::addColumn<int>("behavior");
        QTest::addColumn<int>("from");     // the column the cursor comes from
        QTest::addColumn<QString>("code"); // in the cell afterwards
        QTest::addColumn<int>("col");      // the active column afterwards
        QTest::addColumn<bool>("editing");
        QTest::addColumn<bool>("pickList");
        QTest::newRow("default code, from the left") << 1 << 2 << QStringLiteral("01") << 4 << false << false;
        QTest::newRow("default code, from the right") << 1 << 4 << QStringLiteral("01") << 2 << false << false;
        QTest::newRow("by hand") << 2 << 2 << QString() << 3 << true << false;
        QTest::newRow("pick list cancelled") << 0 << 2 << QString() << 3 << true << true;
    }
    void countyColumn() {
        QFETCH(int, behavior);
        QFETCH(int, from);
        QFETCH(QString, code);
        QFETCH(int, col);
        QFETCH(bool, editing);
        QFETCH(bool, pickList);
        Folder folder;
        Vezedad::Globals::Configuration().setCountySelectorBehavior(behavior);
        Vezedad::Globals::Configuration().setCountySelectorDefault(QStringLiteral("01"));
        UiScript ui;
        withForm<CountyForm>(ui, [&](CountyForm& form) {
            auto* button = child<QPushButton>(form, "cmdCountyPopup");
            QVERIFY(button->text().endsWith(QStringLiteral(" Click to change.")));
            Dazozuvi::ReportGrid& grid = form.Grid();
            grid.setFocus();
            grid.setActiveCell(from, 1);
            if (pickList) ui.expectModal([](QDialog& d) { d.reject(); });
            QTest::keyClick(&grid, from < 3 ? Qt::Key_Right : Qt::Key_Left);
            QCOMPARE(grid.text(3, 1), code);
            QCOMPARE(grid.activeCol(), col);
            QCOMPARE(grid.isEditing(), editing);
            if (editing) {
                // Typed by hand, with no second pick list.
                type(grid, QStringLiteral("62"));
                press(grid, Qt::Key_Tab);
                QCOMPARE(grid.text(3, 1), QStringLiteral("62"));
            }
            // Backwards out of the grid: to the county button. (The window
            // comes back to the front after the pick list, as a window
            // manager brings it.)
            form.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            grid.setActiveCell(1, 1);
            QTest::keyClick(&grid, Qt::Key_Backtab, Qt::ShiftModifier);
            QTRY_VERIFY(button->hasFocus());
        });
        QCOMPARE(ui.modalNames().count(QStringLiteral("frmCountyCodes")), pickList ? 1 : 0);
    }
};

QTEST_MAIN(tst_reportform)
#include "tst_reportform.moc"

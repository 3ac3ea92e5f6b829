#pragma once
// What the report-form tests share: a report year folder with a filer, the
// form's controls by name, and the answers to the windows a form opens.
#include "standalone_entry/applicators/YearFolder.h"
#include "standalone_entry/grid/TextRecorder.h"
#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "forms/ReportForm.h"
#include "grid/CZelFarpoint.h"
#include "grid/GridPrinter.h"
#include "grid/ReportGrid.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>

namespace FormTest {

using TestSupport::UiScript;

const QString kPermit = QStringLiteral("R12345");
const QString kBusiness = QStringLiteral("A/CO SUPPLY");

// A report root of its own with the year folder made and a filer who may
// open the sales forms; the shared services end with it.
class Folder : public YearFolder::Root {
public:
    Folder() {
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        report.ConfirmReportFolder();
        const Vezedad::IdentityPtr filer = report.Identity();
        filer->setSalesPermitNumber(kPermit);
        filer->setBusinessName(kBusiness);
    }
    QString file(const QString& name) const { return YearFolder::file(name); }
    QString write(const QString& name, const QByteArray& bytes) const {
        YearFolder::write(name, bytes);
        return file(name);
    }
};

template <class T = QWidget> T* child(QWidget& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (!found) qWarning("no child %s", qPrintable(name));
    return found;
}

inline void trigger(QWidget& window, const QString& name) {
    QAction* action = child<QAction>(window, name);
    QVERIFY2(action, qPrintable(name));
    QVERIFY2(action->isEnabled(), qPrintable(name + QStringLiteral(" is disabled")));
    action->trigger();
}

// A click on a check box or option button, where its indicator is.
inline void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

inline QString text(QWidget& window, const QString& name) {
    if (auto* box = window.findChild<QLineEdit*>(name)) return box->text();
    if (auto* label = window.findChild<QLabel*>(name)) return label->text();
    return QStringLiteral("<no %1>").arg(name);
}

// The exit choices answered with the button of that index.
inline UiScript::Action exitChoice(int index) {
    return [index](QDialog& d) {
        QCOMPARE(d.objectName(), QStringLiteral("frmExitOptions"));
        auto* button = d.findChild<QPushButton*>(QStringLiteral("cmdExitOption(%1)").arg(index));
        QVERIFY(button && button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    };
}

// The progress window, after the job inside it has run.
inline UiScript::Action progressRuns(QString* description = nullptr, QString* status = nullptr) {
    return [description, status](QDialog& d) {
        QCOMPARE(d.objectName(), QStringLiteral("frmProgress"));
        QTRY_VERIFY(!d.isVisible());
        if (description) *description = d.findChild<QLabel*>(QStringLiteral("lblOperation"))->toolTip();
        if (status) *status = d.findChild<QLabel*>(QStringLiteral("lblStatus"))->text();
    };
}

// The print preview of form, answered by printing what it would print as
// text: the number of grid rows printed and the first page, then closed.
inline UiScript::Action printPreview(Dazozuvi::ReportForm& form, int& printedRows, QString& firstPage) {
    return [&form, &printedRows, &firstPage](QDialog& d) {
        QCOMPARE(d.objectName(), QStringLiteral("frmPrintPreview"));
        Dazozuvi::GridPrinter printer(form.Grid());
        printedRows = printer.cells().rowCount();
        TextRecorder device;
        QPainter painter(&device);
        printer.print(painter, QRectF(0, 0, 3508, 2480), [&device] {
            device.newPage();
            return true;
        });
        painter.end();
        firstPage = device.page(0);
        d.reject();
    };
}

// Closes the form, throwing its changes away when it asks.
inline void discard(UiScript& ui, Dazozuvi::ReportForm& form) {
    if (form.IsDirty()) ui.expectModal(exitChoice(3));
    trigger(form, QStringLiteral("mnuExit"));
    QVERIFY(!form.isVisible());
}

// Opens path in a new form of type F as the program does (a new report when
// no such file exists), after prepare has had the form, and hands the shown,
// active window to action; the window is closed afterwards when action left
// it open. Returns Cancel.
template <class F>
bool showForm(UiScript& ui, const QString& path, const std::function<void(F&)>& action,
              const Vezedad::IdentityPtr& identity = nullptr, const std::function<void(F&)>& prepare = {}) {
    F form;
    if (prepare) prepare(form);
    if (action)
        ui.expectModal([&](QDialog&) {
            form.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            action(form);
            if (form.isVisible()) discard(ui, form);
        });
    bool cancel = false;
    form.Edit(cancel, identity, path);
    return cancel;
}

// What of a form's header and grid the window does not show whole without
// scrolling: each header control by name, each grid column by its header.
inline QStringList notShownWhole(Dazozuvi::ReportForm& form) {
    QStringList cut;
    auto* header = child<QAbstractScrollArea>(form, QStringLiteral("fraHeader"));
    QWidget* canvas = child<QWidget>(form, QStringLiteral("fraCanvas"));
    const QRect shown = header->viewport()->rect();
    for (QWidget* w : canvas->findChildren<QWidget*>()) {
        bool part = false; // of a list in the header
        for (QWidget* p = w->parentWidget(); p != canvas; p = p->parentWidget())
            part = part || qobject_cast<QAbstractScrollArea*>(p);
        if (part || !w->isVisible()) continue;
        if (!shown.contains(QRect(w->mapTo(header->viewport(), QPoint(0, 0)), w->size()))) cut << w->objectName();
    }
    QTableView& grid = form.Grid();
    for (int c = 0; c < grid.model()->columnCount(); ++c) {
        const int left = grid.columnViewportPosition(c);
        if (left < 0 || left + grid.columnWidth(c) > grid.viewport()->width())
            cut << grid.model()->headerData(c, Qt::Horizontal).toString();
    }
    return cut;
}

// A form opens as wide as its header and its grid's columns need, unless the
// screen it opens on stops it: then it spans the screen's free width. The
// report's activity is turned on first, so that its grid shows.
inline void opensAsWideAsItNeeds(Dazozuvi::ReportForm& form) {
    form.setHasActivity(true);
    QApplication::processEvents();
    QVERIFY(form.Grid().isVisible());
    const QRect area = form.screen()->availableGeometry();
    // A scaled screen's width may round up by one of the windows' pixels.
    const bool stopped = form.frameGeometry().width() >= area.width() - 1;
    const QStringList cut = notShownWhole(form);
    QVERIFY2(stopped || cut.isEmpty(), qPrintable(QStringLiteral("%1 wide on a screen of %2 leaves out: %3")
                                                      .arg(form.frameGeometry().width())
                                                      .arg(area.width())
                                                      .arg(cut.join(QStringLiteral(", ")))));
}

// The grid's rows 1 .. its last data row, cells joined by "|".
inline QStringList rows(const Dazozuvi::ReportForm& form) {
    Dazozuvi::ReportGrid& grid = form.Grid();
    QStringList out;
    for (int r = 1; r <= grid.lastDataRow(); ++r) {
        QStringList cells;
        for (int c = 1; c <= grid.columnCount(); ++c) cells << grid.text(c, r);
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

inline void setRows(Dazozuvi::ReportForm& form, const QStringList& lines) {
    Dazozuvi::ReportGrid& grid = form.Grid();
    if (grid.rowCount() < lines.size() + 5) grid.setRowCount(int(lines.size()) + 5);
    for (int r = 0; r < lines.size(); ++r) {
        const QStringList cells = lines[r].split(QLatin1Char('|'));
        for (int c = 0; c < cells.size(); ++c) grid.setText(c + 1, r + 1, cells[c]);
    }
}

// What a whole-grid check left: the count it returned, each cell's text and
// colour, and whether the report changed.
struct CheckOutcome {
    qint32 errors = 0;
    QStringList cells; // "row,col text colour"
    bool dirty = false;
    bool operator==(const CheckOutcome&) const = default;
};

// The whole-grid check of lines put into the grid as a load leaves them
// (upper case), each three times, from white cells and an unchanged report;
// asText: someone listens to Validating, so that every cell is asked about
// and checked as text.
inline CheckOutcome wholeCheck(Dazozuvi::ReportForm& form, const QStringList& lines, bool asText) {
    Dazozuvi::ReportGrid& grid = form.Grid();
    Dazozuvi::CZelFarpoint& controller = *form.GridController();
    QStringList rows;
    for (const QString& line : lines) rows << line << line << line;
    setRows(form, rows);
    for (int r = 1; r <= rows.size(); ++r)
        for (int c = 1; c <= grid.columnCount(); ++c) grid.setCellColour(c, r, Dazozuvi::CellColour::White);
    controller.setIsDirty(false);
    QMetaObject::Connection listener;
    if (asText)
        listener = QObject::connect(&controller, &Dazozuvi::CZelFarpoint::Validating, &controller,
                                    [](qint32, qint32, QStringView, bool&, qint32&, bool&) {});
    CheckOutcome outcome;
    outcome.errors = controller.ValidateForm(false);
    QObject::disconnect(listener);
    for (int r = 1; r <= rows.size(); ++r)
        for (int c = 1; c <= grid.columnCount(); ++c)
            outcome.cells
                << QStringLiteral("%1,%2 %3 %4").arg(r).arg(c).arg(grid.text(c, r)).arg(grid.cellColour(c, r), 0, 16);
    outcome.dirty = controller.IsDirty();
    return outcome;
}

// The data of the check's agreement test of a form: a grid row (cells
// joined by "|"; YYYY stands for the report year), the column it is about,
// and that cell's text and colour after the check.
// A row of cells joined by "|" with cell col (from 1) replaced by value.
inline QString withCell(const QString& row, int col, const QString& value) {
    QStringList cells = row.split(u'|');
    cells[col - 1] = value;
    return cells.join(u'|');
}

inline void checkRowsColumns() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<quint32>("colour");
}

// A row checked in a whole-grid check (most rows are checked on their
// record's bytes) ends as it does when every cell is checked as text, and
// its cell col as the data says.
inline void checkRowsAgree(Dazozuvi::ReportForm& form) {
    QFETCH(QString, line);
    QFETCH(int, col);
    QFETCH(QString, stored);
    QFETCH(quint32, colour);
    const QString year = QString::number(Vezedad::Globals::ZelReport().ReportYear());
    line.replace(QLatin1String("YYYY"), year);
    stored.replace(QLatin1String("YYYY"), year);
    const CheckOutcome asRun = wholeCheck(form, {line}, false);
    const CheckOutcome asText = wholeCheck(form, {line}, true);
    QCOMPARE(asRun.cells, asText.cells);
    QCOMPARE(asRun.errors, asText.errors);
    QCOMPARE(asRun.dirty, asText.dirty);
    for (int r = 1; r <= 3; ++r) {
        QCOMPARE(form.Grid().text(col, r), stored);
        QCOMPARE(form.Grid().cellColour(col, r), colour);
    }
}

inline QByteArray crlf(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) out += Vezedad::Cp1252::encodeOrRaise(line, QString()) + "\r\n";
    return out;
}

#ifdef TEST_DATA_DIR
// A file of the test's data folder.
inline QByteArray fixture(const QString& name) {
    return TestSupport::readFile(QStringLiteral(TEST_DATA_DIR "/") + name);
}
#endif

// Save, answering "validate first?" with No when the form asks it, and the
// save dialog with path when one is expected.
inline void save(UiScript& ui, Dazozuvi::ReportForm& form, const QString& path, bool asks = true) {
    if (asks) ui.expectBox(Vezedad::Ui::vbNo);
    if (!path.isEmpty()) ui.expectFile(path);
    trigger(form, QStringLiteral("mnuFileSave"));
}

// Types into the grid as a user does: the first key opens the cell's editor,
// which takes the keys that follow.
inline QWidget* keyTarget(Dazozuvi::ReportGrid& grid) {
    QWidget* target = grid.isEditing() ? grid.cellEditor() : &grid;
    if (QWidget* proxy = target->focusProxy()) target = proxy;
    return target;
}
inline void type(Dazozuvi::ReportGrid& grid, const QString& keys) {
    for (const QChar c : keys) QTest::keyClicks(keyTarget(grid), QString(c));
}
inline void press(Dazozuvi::ReportGrid& grid, Qt::Key key) { QTest::keyClick(keyTarget(grid), key); }

// The documentation pages opened while it lives, instead of a browser.
class OpenedPages {
public:
    OpenedPages() : m_before(Vezedad::Documentation::shellOpener()) {
        targets().clear();
        Vezedad::Documentation::setShellOpener(&record);
    }
    ~OpenedPages() { Vezedad::Documentation::setShellOpener(m_before); }
    OpenedPages(const OpenedPages&) = delete;
    OpenedPages& operator=(const OpenedPages&) = delete;
    const QStringList& pages() const { return targets(); }

private:
    static QStringList& targets() {
        static QStringList opened;
        return opened;
    }
    static qint32 record(const QString& target, bool) {
        targets() << target;
        return 0;
    }
    Vezedad::Documentation::ShellOpener m_before;
};

// Presses Stop in the progress window as soon as it shows: the click waits
// in the event queue until the job lets window events through.
class StopWhenShown : public QObject {
public:
    StopWhenShown() { qApp->installEventFilter(this); }
    ~StopWhenShown() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == QStringLiteral("frmProgress"))
            if (auto* stop = static_cast<QWidget*>(watched)->findChild<QPushButton*>(QStringLiteral("cmdStop")))
                QMetaObject::invokeMethod(stop, &QPushButton::click, Qt::QueuedConnection);
        return false;
    }
};

} // namespace FormTest

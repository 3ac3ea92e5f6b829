#include "grid/ReportGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtTest>

#include <utility>

using namespace Dazozuvi;

namespace Dazozuvi {
char* toString(const GridBlock& b) {
    return QTest::toString(QStringLiteral("{%1,%2,%3,%4}").arg(b.col1).arg(b.row1).arg(b.col2).arg(b.row2));
}
} // namespace Dazozuvi

Q_DECLARE_METATYPE(Dazozuvi::CellType)

namespace {

// A window with a box before and after the grid, so that the focus can leave
// the grid both ways.
struct Window {
    QStringList log; // outlives the grid, whose events write to it
    QWidget window;
    QLineEdit* before = nullptr;
    ReportGrid* grid = nullptr;
    QLineEdit* after = nullptr;

    Window() {
        before = new QLineEdit(&window);
        before->setObjectName(QStringLiteral("before"));
        grid = new ReportGrid(&window);
        grid->setObjectName(QStringLiteral("fpZelForm"));
        after = new QLineEdit(&window);
        after->setObjectName(QStringLiteral("after"));
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(grid);
        layout->addWidget(after);
        grid->setColumns({
            {QStringLiteral("Name"), 10, CellType::text(5)},
            {QStringLiteral("Qty"), 8, CellType::number(0, 999.99, 2)},
            {QStringLiteral("County"), 4, CellType::digits(2)},
            {QStringLiteral("Units"), 6, CellType::listFromTabs(QStringLiteral("FL\tGL\tLB"))},
            {QStringLiteral("No Apps"), 4, CellType::check()},
        });
        grid->setRowCount(5);
        window.resize(700, 400);
        QObject::connect(grid, &ReportGrid::editStarting, grid,
                         [this](int c, int r, bool&) { log << QStringLiteral("start %1,%2").arg(c).arg(r); });
        QObject::connect(grid, &ReportGrid::editMode, grid, [this](int c, int r, int mode, bool changed) {
            log << QStringLiteral("edit%1 %2,%3%4").arg(mode).arg(c).arg(r).arg(changed ? " changed" : "");
        });
        QObject::connect(grid, &ReportGrid::leaveCell, grid, [this](int c, int r, int nc, int nr, bool&) {
            log << QStringLiteral("leave %1,%2>%3,%4").arg(c).arg(r).arg(nc).arg(nr);
        });
        QObject::connect(grid, &ReportGrid::advance, grid,
                         [this](bool forward) { log << QStringLiteral("advance %1").arg(forward ? 1 : 0); });
        QObject::connect(grid, &ReportGrid::click, grid,
                         [this](int c, int r) { log << QStringLiteral("click %1,%2").arg(c).arg(r); });
        QObject::connect(grid, &ReportGrid::rightClick, grid, [this](int type, int c, int r, const QPoint&) {
            log << QStringLiteral("right%1 %2,%3").arg(type).arg(c).arg(r);
        });
        QObject::connect(grid, &ReportGrid::inputRefused, grid, [this](int c, int r, const QString&) {
            log << QStringLiteral("refused %1,%2").arg(c).arg(r);
        });
    }

    bool show() {
        window.show();
        // Without a window manager (a bare X server) nobody else activates it.
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window)) return false;
        grid->setFocus();
        grid->setActiveCell(1, 1);
        return grid->hasFocus();
    }

    QPoint centre(int col, int row) const {
        return grid->visualRect(grid->gridModel().index(row - 1, col - 1)).center();
    }
    void click(int col, int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, centre(col, row));
    }
    static QWidget* focus() { return QApplication::focusWidget(); }
    static void key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(focus(), Qt::Key(key), modifiers);
    }
    static void type(const QString& text) {
        for (QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClicks(focus(), QString(c));
            else // a key the test library cannot name: just its text
                QTest::sendKeyEvent(QTest::Click, focus(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    QString editorText() const {
        auto* editor = qobject_cast<QLineEdit*>(grid->cellEditor());
        return editor ? editor->text() : QStringLiteral("<closed>");
    }
};

// Runs a small script: "click C R", "dclick C R", "type TEXT", "key NAME" (Tab, Backtab,
// Return, Escape, Left, Right, Up, Down, F2, Space).
void run(Window& w, const QString& script) {
    static const QHash<QString, int> keys{
        {"Tab", Qt::Key_Tab},   {"Backtab", Qt::Key_Backtab}, {"Return", Qt::Key_Return}, {"Escape", Qt::Key_Escape},
        {"Left", Qt::Key_Left}, {"Right", Qt::Key_Right},     {"Up", Qt::Key_Up},         {"Down", Qt::Key_Down},
        {"F2", Qt::Key_F2},     {"Space", Qt::Key_Space},
    };
    for (const QString& step : script.split(QStringLiteral("; "))) {
        const QStringList p = step.split(u' ');
        if (p[0] == u"click") w.click(p[1].toInt(), p[2].toInt());
        if (p[0] == u"dclick")
            QTest::mouseDClick(w.grid->viewport(), Qt::LeftButton, {}, w.centre(p[1].toInt(), p[2].toInt()));
        if (p[0] == u"type") w.type(p.mid(1).join(u' '));
        if (p[0] == u"key") Window::key(keys.value(p[1]));
    }
}

} // namespace

class tst_grid : public QObject {
    Q_OBJECT

private slots:
    void init() { QGuiApplication::clipboard()->clear(); }

    void editingEventsComeInOrder_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("text11");
        QTest::addColumn<QString>("active");
        QTest::newRow("type, then Tab") << "type abc; key Tab"
                                        << QStringList{"start 1,1", "edit1 1,1", "edit0 1,1 changed", "leave 1,1>2,1"}
                                        << "abc"
                                        << "2,1";
        QTest::newRow("Escape drops the typing")
            << "type abc; key Escape" << QStringList{"start 1,1", "edit1 1,1", "edit0 1,1"} << ""
            << "1,1";
        QTest::newRow("a click elsewhere ends the edit first")
            << "type ab; click 3 2"
            << QStringList{"start 1,1", "edit1 1,1", "edit0 1,1 changed", "leave 1,1>3,2", "click 3,2"} << "ab"
            << "3,2";
        QTest::newRow("double click edits")
            << "click 2 2; dclick 2 2; type 5; key Escape"
            << QStringList{"leave 1,1>2,2", "click 2,2", "start 2,2", "edit1 2,2", "edit0 2,2"} << ""
            << "2,2";
        QTest::newRow("Enter commits and moves down")
            << "key F2; type z; key Return"
            << QStringList{"start 1,1", "edit1 1,1", "edit0 1,1 changed", "leave 1,1>1,2"} << "z"
            << "1,2";
        QTest::newRow("same text is no change") << "type q; key Escape; key F2; key Tab"
                                                << QStringList{"start 1,1", "edit1 1,1", "edit0 1,1",    "start 1,1",
                                                               "edit1 1,1", "edit0 1,1", "leave 1,1>2,1"}
                                                << ""
                                                << "2,1";
        QTest::newRow("arrows move without editing")
            << "key Down; key Right; key Up" << QStringList{"leave 1,1>1,2", "leave 1,2>2,2", "leave 2,2>2,1"} << ""
            << "2,1";
        QTest::newRow("Tab at a row's end wraps")
            << "click 5 1; key Tab"
            << QStringList{"leave 1,1>5,1", "start 5,1", "edit1 5,1", "edit0 5,1 changed", "click 5,1", "leave 5,1>1,2"}
            << ""
            << "1,2";
    }

    void editingEventsComeInOrder() {
        QFETCH(QString, script);
        QFETCH(QStringList, events);
        QFETCH(QString, text11);
        QFETCH(QString, active);
        Window w;
        QVERIFY(w.show());
        run(w, script);
        QCOMPARE(w.log, events);
        QCOMPARE(w.grid->text(1, 1), text11);
        QCOMPARE(QStringLiteral("%1,%2").arg(w.grid->activeCol()).arg(w.grid->activeRow()), active);
        QVERIFY(!w.grid->isEditing());
    }

    void handlersRefuseAndRedirect() {
        {
            // A refused start opens no editor and the key is lost.
            Window w;
            QVERIFY(w.show());
            QObject::connect(w.grid, &ReportGrid::editStarting, w.grid, [](int, int, bool& cancel) { cancel = true; });
            w.type(QStringLiteral("x"));
            Window::key(Qt::Key_F2);
            QVERIFY(!w.grid->isEditing());
            QCOMPARE(w.grid->text(1, 1), QString());
            QCOMPARE(w.log, (QStringList{"start 1,1", "start 1,1"}));
        }
        {
            // A refused move keeps the cursor; the edit has ended already.
            Window w;
            QVERIFY(w.show());
            QObject::connect(w.grid, &ReportGrid::leaveCell, w.grid,
                             [](int, int, int, int, bool& cancel) { cancel = true; });
            w.type(QStringLiteral("7"));
            Window::key(Qt::Key_Tab);
            w.click(2, 3);
            QCOMPARE(w.grid->activeCol(), 1);
            QCOMPARE(w.grid->activeRow(), 1);
            QCOMPARE(w.grid->text(1, 1), QStringLiteral("7"));
        }
        {
            // An invalid cell: the end-of-edit handler puts the cursor back,
            // so the move that ended the edit does not happen.
            Window w;
            QVERIFY(w.show());
            QObject::connect(w.grid, &ReportGrid::editMode, w.grid, [&w](int c, int r, int mode, bool changed) {
                if (mode == 0 && changed) w.grid->setActiveCell(c, r);
            });
            w.type(QStringLiteral("bad"));
            Window::key(Qt::Key_Tab);
            QCOMPARE(w.grid->activeCol(), 1);
            QVERIFY(!w.log.contains(QStringLiteral("leave 1,1>2,1")));
            w.type(QStringLiteral("x"));
            w.click(3, 3);
            QCOMPARE(w.grid->activeCol(), 1);
            QCOMPARE(w.grid->activeRow(), 1);
        }
        {
            // A leave handler that places the cursor itself decides, and may
            // start editing there (the county column's manual entry).
            Window w;
            QVERIFY(w.show());
            QObject::connect(w.grid, &ReportGrid::leaveCell, w.grid, [&w](int, int, int nc, int nr, bool&) {
                if (nc != 3) return;
                w.grid->setActiveCell(3, nr);
                w.grid->startEdit();
            });
            Window::key(Qt::Key_Right);
            Window::key(Qt::Key_Right);
            QCOMPARE(w.grid->activeCol(), 3);
            QVERIFY(w.grid->isEditing());
            w.type(QStringLiteral("12"));
            Window::key(Qt::Key_Tab);
            QCOMPARE(w.grid->text(3, 1), QStringLiteral("12"));
            QCOMPARE(w.grid->activeCol(), 4);
        }
    }

    void aRowAddedWhileLeavingTheLastRowIsEntered() {
        // The form adds a row whenever an edit in the last row ends; the move
        // that ended the edit then goes into that row.
        Window w;
        QVERIFY(w.show());
        QObject::connect(w.grid, &ReportGrid::editMode, w.grid, [&w](int, int r, int, bool) {
            if (r == w.grid->rowCount()) w.grid->setRowCount(r + 1);
        });
        w.grid->setActiveCell(2, 5);
        w.type(QStringLiteral("4"));
        Window::key(Qt::Key_Down);
        QCOMPARE(w.grid->rowCount(), 6);
        QCOMPARE(w.grid->activeRow(), 6);
        w.grid->setActiveCell(5, 6);
        w.type(QStringLiteral(" "));
        Window::key(Qt::Key_Tab);
        QCOMPARE(w.grid->rowCount(), 7);
        QCOMPARE(w.grid->activeRow(), 7);
        QCOMPARE(w.grid->activeCol(), 1);
        QVERIFY(!w.log.contains(QStringLiteral("advance 1")));
    }

    void programSetsTextWhileEditing() {
        // The start-of-edit handler fills the cell and ends the edit (a code
        // picked from a list): the picked text stays and counts as a change.
        Window w;
        QVERIFY(w.show());
        QObject::connect(w.grid, &ReportGrid::editMode, w.grid, [&w](int c, int r, int mode, bool) {
            if (mode != 1) return;
            w.grid->setText(c, r, QStringLiteral("07"));
            w.grid->endEdit();
        });
        w.grid->setActiveCell(3, 2);
        w.type(QStringLiteral("5"));
        QVERIFY(!w.grid->isEditing());
        QCOMPARE(w.grid->text(3, 2), QStringLiteral("07"));
        QCOMPARE(w.log.last(), QStringLiteral("edit0 3,2 changed"));
    }

    void advancingOutOfTheGrid() {
        {
            Window w;
            QVERIFY(w.show());
            Window::key(Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(w.log, QStringList{"advance 0"});
            QCOMPARE(Window::focus(), w.before);
        }
        {
            // The handler moves the focus itself; the grid leaves it there.
            Window w;
            QVERIFY(w.show());
            QObject::connect(w.grid, &ReportGrid::advance, w.grid, [&w](bool) { w.after->setFocus(); });
            Window::key(Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(Window::focus(), w.after);
        }
        {
            // Arrows past the first cell report it but keep the focus.
            Window w;
            QVERIFY(w.show());
            Window::key(Qt::Key_Left);
            Window::key(Qt::Key_Up);
            Window::key(Qt::Key_Right);
            Window::key(Qt::Key_Up);
            QCOMPARE(w.log, (QStringList{"advance 0", "advance 0", "leave 1,1>2,1"}));
            QCOMPARE(Window::focus(), w.grid);
        }
        {
            // Tab in the last cell, while editing: the edit ends first.
            Window w;
            QVERIFY(w.show());
            w.grid->setActiveCell(4, 5);
            w.type(QStringLiteral("GL"));
            Window::key(Qt::Key_Tab);
            QCOMPARE(w.log, (QStringList{"start 4,5", "edit1 4,5", "edit0 4,5 changed", "leave 4,5>5,5"}));
            w.log.clear();
            Window::key(Qt::Key_Tab);
            QCOMPARE(w.log, QStringList{"advance 1"});
            QCOMPARE(Window::focus(), w.after);
            QCOMPARE(w.grid->text(4, 5), QStringLiteral("GL"));
        }
    }

    void keyDownCarriesModifiers_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("shift");
        QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << 0;
        QTest::newRow("Shift+Insert") << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << 1;
        QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier) << 2;
        QTest::newRow("Ctrl+Shift+V") << int(Qt::Key_V) << int(Qt::ControlModifier | Qt::ShiftModifier) << 3;
        QTest::newRow("Alt+Delete") << int(Qt::Key_Delete) << int(Qt::AltModifier) << 4;
    }

    void keyDownCarriesModifiers() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, shift);
        Window w;
        QVERIFY(w.show());
        QList<QPair<int, int>> seen;
        QObject::connect(w.grid, &ReportGrid::keyDown, w.grid, [&seen](int& code, int state) {
            // The modifier keys themselves go down too.
            if (code < Qt::Key_Shift || code > Qt::Key_Alt) seen.append({code, state});
        });
        Window::key(key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(seen, (QList<QPair<int, int>>{{key, shift}}));
    }

    void gridKeysNeverActTwice() {
        Window w;
        QVERIFY(w.show());
        w.grid->setText(1, 1, QStringLiteral("keep"));
        QGuiApplication::clipboard()->setText(QStringLiteral("P1\r\nP2\r\n"));
        // Without the form's key table the grid's clipboard and delete keys
        // do nothing at all.
        Window::key(Qt::Key_V, Qt::ControlModifier);
        Window::key(Qt::Key_Insert, Qt::ShiftModifier);
        Window::key(Qt::Key_Delete);
        Window::key(Qt::Key_C, Qt::ControlModifier);
        Window::key(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(w.grid->text(1, 1), QStringLiteral("keep"));
        QCOMPARE(w.grid->text(1, 2), QString());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("P1\r\nP2\r\n"));
        QVERIFY(!w.grid->isEditing());

        // With the key table, Ctrl+V pastes exactly once: rows 4 and 5 are
        // written and the grid grows by one to hold the third row.
        int pastes = 0;
        QObject::connect(w.grid, &ReportGrid::keyDown, w.grid, [&](int& code, int state) {
            if (code == Qt::Key_V && state == 2) {
                ++pastes;
                w.grid->clipboardPaste();
            }
        });
        QGuiApplication::clipboard()->setText(QStringLiteral("A\tB\r\nC\r\nD\r\n"));
        w.grid->setActiveCell(1, 4);
        Window::key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(pastes, 1);
        QCOMPARE(w.grid->rowCount(), 6);
        QCOMPARE(w.grid->text(1, 4), QStringLiteral("A"));
        QCOMPARE(w.grid->text(2, 4), QStringLiteral("B"));
        QCOMPARE(w.grid->text(1, 6), QStringLiteral("D"));
        QCOMPARE(w.grid->text(1, 7), QString());

        // While editing, Ctrl+V belongs to the cell's editor: pasted once.
        QGuiApplication::clipboard()->setText(QStringLiteral("xy"));
        w.grid->setActiveCell(1, 2);
        Window::key(Qt::Key_F2);
        Window::key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.editorText(), QStringLiteral("xy"));
        QCOMPARE(pastes, 1);

        // A key the form swallows does not start an edit.
        Window::key(Qt::Key_Escape);
        QObject::connect(w.grid, &ReportGrid::keyDown, w.grid, [](int& code, int) { code = 0; });
        w.type(QStringLiteral("q"));
        QVERIFY(!w.grid->isEditing());
    }

    void keyPressReportsCharacters() {
        Window w;
        QVERIFY(w.show());
        w.grid->setReadOnly(true);
        QList<int> typed;
        QObject::connect(w.grid, &ReportGrid::keyPress, w.grid, [&typed](int& ascii) { typed << ascii; });
        w.type(QStringLiteral("a"));
        Window::key(Qt::Key_Return);
        Window::key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(typed, (QList<int>{'a', 13}));
        QVERIFY(!w.grid->isEditing());
    }

    void typingRules_data() {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("refused");
        QTest::newRow("text limit") << 1 << "abcdefg"
                                    << "abcde" << false;
        QTest::newRow("bar refused") << 1 << "a|b"
                                     << "ab" << true;
        QTest::newRow("beyond windows-1252 refused") << 1 << QStringLiteral("a\u03a9") << "a" << true;
        QTest::newRow("windows-1252 accepted")
            << 1 << QStringLiteral("\u20ac\u00e9") << QStringLiteral("\u20ac\u00e9") << false;
        QTest::newRow("number decimals") << 2 << "12.345"
                                         << "12.34" << false;
        QTest::newRow("number range") << 2 << "1000"
                                      << "100" << false;
        QTest::newRow("number letters") << 2 << "1x.5"
                                        << "1.5" << false;
        QTest::newRow("digits") << 3 << "1a23"
                                << "12" << false;
        QTest::newRow("list takes typing") << 4 << "lb"
                                           << "lb" << false;
    }

    void typingRules() {
        QFETCH(int, col);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(bool, refused);
        Window w;
        QVERIFY(w.show());
        w.grid->setActiveCell(col, 1);
        w.type(typed);
        QVERIFY(w.grid->isEditing());
        Window::key(Qt::Key_Return);
        QCOMPARE(w.grid->text(col, 1), text);
        QCOMPARE(w.log.contains(QStringLiteral("refused %1,1").arg(col)), refused);
    }

    // A key typed on a cell of any kind replaces what the cell holds, as in
    // a spreadsheet; F2 and a double click edit it where it stands. A cell
    // the form refused and kept the cursor on is typed over alike.
    void typingReplacesACell_data() {
        QTest::addColumn<CellType>("type");
        QTest::addColumn<QString>("held");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("typedOver"); // the keys typed on the cell
        QTest::addColumn<QString>("inPlace");   // the keys typed after F2
        QTest::newRow("text") << CellType::text(8) << "GL"
                              << "OZ"
                              << "OZ"
                              << "GLOZ";
        QTest::newRow("digits") << CellType::digits(4) << "12"
                                << "34"
                                << "34"
                                << "1234";
        QTest::newRow("date") << CellType::date() << "1/2"
                              << "34"
                              << "34"
                              << "1/234";
        QTest::newRow("number") << CellType::number(0, 999.99, 2) << "1.5"
                                << "7"
                                << "7"
                                << "1.57";
        QTest::newRow("list") << CellType::listFromTabs(QStringLiteral("GL\tOZ\tQT")) << "GL"
                              << "OZ"
                              << "OZ"
                              << "GLOZ";
    }
    void typingReplacesACell() {
        QFETCH(CellType, type);
        QFETCH(QString, held);
        QFETCH(QString, keys);
        QFETCH(QString, typedOver);
        QFETCH(QString, inPlace);
        Window w;
        w.grid->setColumn(1, {QStringLiteral("Cell"), 10, type});
        QVERIFY(w.show());
        w.grid->setText(1, 1, held);
        w.grid->setText(1, 2, held);
        w.grid->setText(1, 3, held);
        // Row 1 refuses its first change, as a form refuses a bad value:
        // the cursor goes back and the cell keeps what was typed.
        bool refuse = true;
        QObject::connect(w.grid, &ReportGrid::editMode, w.grid, [&](int c, int r, int mode, bool changed) {
            if (mode == 0 && changed && r == 1 && std::exchange(refuse, false)) w.grid->setActiveCell(c, r);
        });
        w.type(keys + keys);
        Window::key(Qt::Key_Return);
        QCOMPARE(w.grid->activeRow(), 1);
        w.type(keys);
        Window::key(Qt::Key_Return);
        QCOMPARE(w.grid->text(1, 1), typedOver);
        QCOMPARE(w.grid->activeRow(), 2);
        w.type(keys);
        Window::key(Qt::Key_Return);
        QCOMPARE(w.grid->text(1, 2), typedOver);
        Window::key(Qt::Key_F2);
        w.type(keys);
        Window::key(Qt::Key_Return);
        QCOMPARE(w.grid->text(1, 3), inPlace);
        w.grid->setText(1, 4, held);
        QTest::mouseDClick(w.grid->viewport(), Qt::LeftButton, {}, w.centre(1, 4));
        w.type(keys);
        Window::key(Qt::Key_Return);
        QCOMPARE(w.grid->text(1, 4), inPlace);
    }

    void pastedBreaksAreRefusedInTheEditor() {
        Window w;
        QVERIFY(w.show());
        // The editor takes the first line of a text and drops the tab.
        QGuiApplication::clipboard()->setText(QStringLiteral("a\tb\r\nc"));
        Window::key(Qt::Key_F2);
        Window::key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.editorText(), QStringLiteral("ab"));
        QVERIFY(w.log.contains(QStringLiteral("refused 1,1")));
        QVERIFY(QToolTip::text().contains(QStringLiteral("line breaks")));
    }

    void editorNeverCutsOrJudgesLoadedText() {
        Window w;
        QVERIFY(w.show());
        w.grid->setText(1, 1, QStringLiteral("longer than five"));
        w.grid->setText(3, 1, QStringLiteral("A|9"));
        Window::key(Qt::Key_F2);
        QCOMPARE(w.editorText(), QStringLiteral("longer than five"));
        Window::key(Qt::Key_Return);
        QCOMPARE(w.grid->text(1, 1), QStringLiteral("longer than five"));
        QCOMPARE(w.log.at(2), QStringLiteral("edit0 1,1"));
        w.grid->setActiveCell(3, 1);
        Window::key(Qt::Key_F2);
        QCOMPARE(w.editorText(), QStringLiteral("A|9"));
        Window::key(Qt::Key_Tab);
        QCOMPARE(w.grid->text(3, 1), QStringLiteral("A|9"));
        QVERIFY(!w.log.contains(QStringLiteral("refused 3,1")));
    }

    void tickBoxToggles() {
        Window w;
        QVERIFY(w.show());
        w.click(5, 2);
        QCOMPARE(w.grid->text(5, 2), QStringLiteral("1"));
        QCOMPARE(w.log, (QStringList{"leave 1,1>5,2", "start 5,2", "edit1 5,2", "edit0 5,2 changed", "click 5,2"}));
        w.log.clear();
        Window::key(Qt::Key_Space);
        QCOMPARE(w.grid->text(5, 2), QStringLiteral("0"));
        QCOMPARE(w.log, (QStringList{"start 5,2", "edit1 5,2", "edit0 5,2 changed"}));
        Window::key(Qt::Key_F2);
        QVERIFY(!w.grid->isEditing());
    }

    void selectionBlocks() {
        Window w;
        QVERIFY(w.show());
        w.grid->setText(2, 3, QStringLiteral("data"));
        // Nothing selected: the active cell.
        w.grid->setActiveCell(2, 2);
        QCOMPARE(w.grid->firstSelectedBlock(), (GridBlock{2, 2, 2, 2}));

        // A drag selects a block and leaves the active cell where it began.
        QTest::mousePress(w.grid->viewport(), Qt::LeftButton, {}, w.centre(4, 4));
        QMouseEvent move(QEvent::MouseMove, w.centre(3, 2), w.grid->viewport()->mapToGlobal(w.centre(3, 2)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.grid->viewport(), &move);
        QTest::mouseRelease(w.grid->viewport(), Qt::LeftButton, {}, w.centre(3, 2));
        QCOMPARE(w.grid->firstSelectedBlock(), (GridBlock{3, 2, 4, 4}));
        QCOMPARE(w.grid->activeCol(), 4);
        QCOMPARE(w.grid->activeRow(), 4);
        QVERIFY(w.grid->isCellSelected(3, 3));
        QVERIFY(!w.grid->isCellSelected(2, 3));

        // Shift+arrows move the far corner; the active cell stays.
        Window::key(Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(w.grid->firstSelectedBlock(), (GridBlock{3, 1, 4, 4}));
        w.click(4, 4);
        Window::key(Qt::Key_Up, Qt::ShiftModifier);
        Window::key(Qt::Key_Left, Qt::ShiftModifier);
        Window::key(Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(w.grid->firstSelectedBlock(), (GridBlock{2, 3, 4, 4}));
        QCOMPARE(w.grid->activeCol(), 4);

        // Whole columns count as rows 1 to the last data row.
        QTest::mouseClick(w.grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(w.grid->columnViewportPosition(1) + 10, 5));
        QCOMPARE(w.grid->firstSelectedBlock(), (GridBlock{2, 1, 2, 3}));
        QCOMPARE(w.log.last(), QStringLiteral("click 2,0"));

        // Whole rows hold every column.
        const auto rowHeader = [&w](int row) { return QPoint(5, w.grid->rowViewportPosition(row - 1) + 8); };
        QTest::mouseClick(w.grid->verticalHeader()->viewport(), Qt::LeftButton, {}, rowHeader(2));
        QTest::mouseClick(w.grid->verticalHeader()->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowHeader(4));
        QCOMPARE(w.grid->firstSelectedBlock(), (GridBlock{1, 2, 5, 4}));

        // The whole grid, and an empty grid's whole column.
        Window::key(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w.grid->firstSelectedBlock(), (GridBlock{1, 1, 5, 3}));
        w.grid->setText(2, 3, QString());
        QCOMPARE(w.grid->firstSelectedBlock().rowCount(), 0);

        // Moving the cursor or clearing ends the selection.
        w.grid->clearSelectedBlocks();
        QCOMPARE(w.grid->firstSelectedBlock(), (GridBlock{4, 4, 4, 4}));
    }

    void rightClickLeavesTheCursor() {
        Window w;
        QVERIFY(w.show());
        QTest::mouseClick(w.grid->viewport(), Qt::RightButton, {}, w.centre(3, 4));
        QTest::mouseClick(w.grid->horizontalHeader()->viewport(), Qt::RightButton, {},
                          QPoint(w.grid->columnViewportPosition(1) + 10, 5));
        QCOMPARE(w.log, (QStringList{"right1 3,4", "right1 2,0"}));
        QCOMPARE(w.grid->activeCol(), 1);
        QCOMPARE(w.grid->activeRow(), 1);
    }

    // The context-menu key and Shift+F10 ask for the menu of the active
    // cell, at its place; other F10 chords do not.
    void contextMenuKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("asks");
        QTest::newRow("Menu") << int(Qt::Key_Menu) << 0 << true;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << true;
        QTest::newRow("F10") << int(Qt::Key_F10) << 0 << false;
        QTest::newRow("Ctrl+F10") << int(Qt::Key_F10) << int(Qt::ControlModifier) << false;
    }
    void contextMenuKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, asks);
        Window w;
        QVERIFY(w.show());
        w.grid->setActiveCell(3, 4);
        w.log.clear();
        QPoint at;
        QObject::connect(w.grid, &ReportGrid::rightClick, w.grid,
                         [&at](int, int, int, const QPoint& globalPos) { at = globalPos; });
        Window::key(key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w.log, asks ? QStringList{"right1 3,4"} : QStringList{});
        if (asks) QCOMPARE(w.grid->viewport()->mapFromGlobal(at), w.centre(3, 4));
        QVERIFY(!w.grid->isEditing());
    }

    void textTipsAreAskedOfTheForm() {
        Window w;
        QVERIFY(w.show());
        QList<QPair<int, int>> asked;
        QObject::connect(w.grid, &ReportGrid::textTipFetch, w.grid,
                         [&asked](int c, int r, int& multiLine, int&, QString& tip, bool& show) {
                             asked.append({c, r});
                             if (c != 2) return;
                             multiLine = 1;
                             tip = QStringLiteral("Quantity applied");
                             show = true;
                         });
        QHelpEvent onCell(QEvent::ToolTip, w.centre(2, 3), w.grid->viewport()->mapToGlobal(w.centre(2, 3)));
        QApplication::sendEvent(w.grid->viewport(), &onCell);
        QVERIFY(QToolTip::text().contains(QStringLiteral("Quantity applied")));
        const QPoint header(w.grid->columnViewportPosition(0) + 5, 5);
        QHelpEvent onHeader(QEvent::ToolTip, header, w.grid->horizontalHeader()->viewport()->mapToGlobal(header));
        QApplication::sendEvent(w.grid->horizontalHeader()->viewport(), &onHeader);
        QCOMPARE(asked, (QList<QPair<int, int>>{{2, 3}, {1, 0}}));
    }

    void clipboardCopyCutPaste() {
        Window w;
        QVERIFY(w.show());
        w.grid->setText(1, 1, QStringLiteral("a"));
        w.grid->setText(2, 1, QStringLiteral("1.5"));
        w.grid->setText(2, 2, QStringLiteral("2"));
        w.grid->setCellColour(2, 2, CellColour::PalePink);
        w.grid->selectBlock(GridBlock{1, 1, 2, 2});
        w.grid->clipboardCopy();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a\t1.5\r\n\t2\r\n"));
        w.grid->clipboardCut();
        QCOMPARE(w.grid->lastDataRow(), 0);
        QCOMPARE(w.grid->cellColour(2, 2), CellColour::PalePink);

        // Pasting at the last row grows the grid: no row is lost.
        w.grid->setActiveCell(2, 5);
        QCOMPARE(w.grid->clipboardPaste(), 2);
        QCOMPARE(w.grid->rowCount(), 6);
        QCOMPARE(w.grid->text(2, 5), QStringLiteral("a"));
        QCOMPARE(w.grid->text(3, 5), QStringLiteral("1.5"));
        QCOMPARE(w.grid->text(3, 6), QStringLiteral("2"));
        QCOMPARE(w.grid->text(2, 6), QString());

        // Cells beyond the last column are dropped.
        QGuiApplication::clipboard()->setText(QStringLiteral("x\ty\tz"));
        w.grid->setActiveCell(4, 1);
        w.grid->clipboardPaste();
        QCOMPARE(w.grid->text(4, 1), QStringLiteral("x"));
        QCOMPARE(w.grid->text(5, 1), QStringLiteral("y"));

        QGuiApplication::clipboard()->clear();
        QCOMPARE(w.grid->clipboardPaste(), 0);
    }

    void headersWidthsAndRowNumbers() {
        Window w;
        QVERIFY(w.show());
        QHeaderView* header = w.grid->horizontalHeader();
        const int oneRow = header->height();
        w.grid->setUpperHeaders({{1, 3, QStringLiteral("All Columns are REQUIRED")}, {4, 5, QStringLiteral("Other")}});
        QTRY_VERIFY(header->height() >= 2 * oneRow - 2);
        w.grid->setColumn(1, {QStringLiteral("Wide"), 20, CellType::text()});
        w.grid->setColumn(2, {QStringLiteral("Narrow"), 10, CellType::text()});
        const double ratio = double(header->sectionSize(0) - 8) / double(header->sectionSize(1) - 8);
        QVERIFY2(qAbs(ratio - 2.0) < 0.05, qPrintable(QString::number(ratio)));
        QVERIFY(w.grid->rowHeadersVisible());
        w.grid->setRowHeadersVisible(false);
        QVERIFY(w.grid->verticalHeader()->isHidden());
        QCOMPARE(w.grid->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        w.grid->setRepaintSuspended(true);
        QVERIFY(!w.grid->viewport()->updatesEnabled());
        w.grid->setRepaintSuspended(false);
        QVERIFY(w.grid->viewport()->updatesEnabled());
    }

    void rowCommands() {
        Window w;
        for (int r = 1; r <= 5; ++r) w.grid->setText(1, r, QString::number(r));
        w.grid->setCellColour(1, 4, CellColour::PaleYellow);
        // Rows 3..5 selected: three new rows appear as 6..8.
        w.grid->insertRows(6, 3);
        QCOMPARE(w.grid->rowCount(), 8);
        w.grid->deleteRows(2, 2);
        QCOMPARE(w.grid->rowCount(), 8);
        QCOMPARE(w.grid->text(1, 2), QStringLiteral("4"));
        QCOMPARE(w.grid->cellColour(1, 2), CellColour::PaleYellow);
        w.grid->copyRows(1, 3, 8);
        QCOMPARE(w.grid->rowCount(), 10);
        QCOMPARE(w.grid->text(1, 9), QStringLiteral("4"));
        QCOMPARE(w.grid->cellColour(1, 9), CellColour::PaleYellow);
        w.grid->clearBlock(GridBlock{1, 1, 1, 9});
        QCOMPARE(w.grid->lastDataRow(), 10);
        QCOMPARE(w.grid->cellColour(1, 9), CellColour::PaleYellow);
    }
};

QTEST_MAIN(tst_grid)
#include "tst_grid.moc"

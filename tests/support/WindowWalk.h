#pragma once
// The checks every window of the system passes where a test opens it: a
// screen reader hears a name for each of its controls, and every text of its
// labels, buttons and frames fits at the window's first size in the wider
// font that stands in for Arial on a machine without it.
//
// UiScript walks each modal window it shows (before the window's first
// activation runs); a test walks a modeless window itself with walkWindow.
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace TestSupport {

// The stand-in for Arial: every test that drives windows runs with it as the
// application font, set before the application object exists, and windows
// asking for Arial get it, not Arial's metric twins (Liberation Sans and the
// others the program asks for where Arial is missing): laid out in a wider
// font than users get, a text that a layout cuts shows.
QFont standInFont();

// Windows made while one lives get Arial's metric twins where they ask for
// Arial, as the program's users do (twins true: the test fails when none is
// installed), or the stand-in; the stand-in comes back when it ends.
class ArialFont {
public:
    explicit ArialFont(bool twins);
    ~ArialFont();
    ArialFont(const ArialFont&) = delete;
    ArialFont& operator=(const ArialFont&) = delete;
    // What a window asking for Arial gets.
    QString family() const;
};

// The rows of a window test that runs in both fonts: a column "twins" (for
// ArialFont), rows "Arial's metric twin" and "wider stand-in".
void addArialFontRows();

// What a screen reader calls the control ("" for nothing).
QString accessibleName(QWidget* control);

// The interactive controls of window (those that take the focus) that have
// no accessible name, a list that is announced by its value (a combo box's
// name is its current text), or a name another control of the same kind in
// the window has too; and the controls and empty labels heard by the title
// of the frame around them. Each entry reads "objectName (Class): why".
QStringList unnamedControls(QWidget& window);

// The visible labels, buttons, check boxes, option buttons and frame titles
// of window whose text is wider or taller than the room they have, each as
// "objectName (Class): \"text\" needs WxH, has WxH".
QStringList cutTexts(QWidget& window);

// Both checks, and that the window lies inside its screen (outsideScreen in
// TestSupport.h); each finding fails the running test (the walk goes on, so
// one run names every finding).
void walkWindow(QWidget& window);

// Every control the focus reaches from the focused one by pressing Tab
// (forward) or Shift+Tab, in order, until it comes back to where it started,
// at most presses presses. Tab inside a grid moves through its cells: the
// grid is listed once, however many presses it takes. The last entry is the
// control the focus came back to (the first), or the one where it stuck.
QList<QWidget*> tabCycle(QWidget& window, bool forward, int presses = 400);

// The enabled, visible controls of window that take the focus by Tab.
QList<QWidget*> tabStops(QWidget& window);

// The Tab stops of window (see tabStops) that cycle never reached, by object
// name. A group of option buttons that exclude each other is one stop, as
// Tab treats it (the arrow keys move inside it): reaching one reaches all.
QStringList unreachedStops(QWidget& window, const QList<QWidget*>& cycle);

// A cycle as a readable path: "txtPermitNumber > optSalesType(0) > ...".
QString pathOf(const QList<QWidget*>& cycle);

} // namespace TestSupport

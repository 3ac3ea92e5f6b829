#include "WindowWalk.h"
#include "TestSupport.h"

#include "Vezedad/ui/Ui.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <cmath>

namespace TestSupport {

namespace {

// The twins the program asks for in place of Arial (as its library loads,
// before this), kept while the tests lay windows out in the stand-in.
const QStringList& arialTwins() {
    static const QStringList twins = QFont::substitutes(QStringLiteral("Arial"));
    return twins;
}

// Windows are made after main starts; the font they take must be there
// before the application object.
const bool gStandInFont =
    (arialTwins(), QFont::removeSubstitutions(QStringLiteral("Arial")), QApplication::setFont(standInFont()), true);

QString describe(const QWidget* w) {
    QString name = w->objectName();
    // An inner part is found by the named control it belongs to.
    for (const QWidget* p = w->parentWidget(); name.isEmpty() && p; p = p->parentWidget())
        if (!p->objectName().isEmpty()) name = QStringLiteral("<part of ") + p->objectName() + QLatin1Char('>');
    return name + QStringLiteral(" (") + QLatin1String(w->metaObject()->className()) + QLatin1Char(')');
}

// An editor that a list or grid opens inside one of its cells belongs to it.
QAbstractItemView* cellEditorOwner(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    if (!parent) return nullptr;
    auto* view = qobject_cast<QAbstractItemView*>(parent->parentWidget());
    return view && view->viewport() == parent ? view : nullptr;
}

// A control that only stands in for another (a combo box's text box, the
// visible area of a list or page) is that control to the user.
bool isFocusProxyPart(const QWidget* w, const QWidget& window) {
    if (auto* area = qobject_cast<const QAbstractScrollArea*>(w->parentWidget()); area && area->viewport() == w)
        return true;
    for (const QWidget* p = w->parentWidget(); p && p != &window; p = p->parentWidget())
        if (p->focusProxy() == w) return true;
    return false;
}

bool isInteractive(QWidget* w, QWidget& window) {
    if (w == &window || w->window() != &window) return false;
    // A label is heard by its text; a page of text is read even where the
    // focus never goes.
    if (qobject_cast<QLabel*>(w)) return false;
    const bool page = qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w);
    if (w->focusPolicy() == Qt::NoFocus && !page) return false;
    if (cellEditorOwner(w) || isFocusProxyPart(w, window)) return false;
    return true;
}

// The part of w's contents rectangle its parents leave visible, in w's
// coordinates. What lies inside a scrolling area is reached by scrolling, so
// the area's edge cuts nothing.
QRect visiblePart(const QWidget* w, const QRect& rect, const QWidget& window) {
    QRect r = rect;
    QPoint offset(0, 0);
    for (const QWidget* p = w; p && p != &window; p = p->parentWidget()) {
        offset += p->pos();
        const QWidget* parent = p->parentWidget();
        if (!parent) break;
        if (auto* area = qobject_cast<const QAbstractScrollArea*>(parent->parentWidget());
            area && area->viewport() == parent)
            break;
        r = r.intersected(parent->rect().translated(-offset));
    }
    return r;
}

// A line's height in whole pixels rounds either way: one pixel short of it
// cuts nothing.
bool fits(const QSize& needs, const QRect& room) {
    return needs.width() <= room.width() && needs.height() <= room.height() + 1;
}

QString sizeText(const QSize& s) { return QStringLiteral("%1x%2").arg(s.width()).arg(s.height()); }

QString finding(const QWidget* w, const QString& text, const QSize& needs, const QSize& has) {
    QString shown = text;
    shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (shown.size() > 60) shown = shown.left(57) + QStringLiteral("...");
    return describe(w) + QStringLiteral(": \"") + shown + QStringLiteral("\" needs ") + sizeText(needs) +
           QStringLiteral(", has ") + sizeText(has);
}

QSize labelNeeds(const QLabel* label, const QRect& room) {
    const QString text = label->text();
    const bool rich =
        label->textFormat() == Qt::RichText || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
    if (rich) {
        QTextDocument doc;
        doc.setDefaultFont(label->font());
        doc.setDocumentMargin(0);
        doc.setHtml(text);
        if (label->wordWrap()) doc.setTextWidth(room.width());
        return QSize(int(std::ceil(doc.idealWidth())), int(std::ceil(doc.size().height())));
    }
    // Where the lines sit changes nothing of how much room they need.
    int flags = Qt::TextExpandTabs | (label->buddy() ? Qt::TextShowMnemonic : Qt::TextHideMnemonic);
    if (!label->wordWrap()) {
        // Whole pixels, rounded up: a glyph cut by a fraction is cut.
        const QSizeF size = QFontMetricsF(label->font()).size(flags, text);
        return QSize(int(std::ceil(size.width())), int(std::ceil(size.height())));
    }
    const QRect space(0, 0, std::max(room.width(), 1), 100000);
    return label->fontMetrics()
        .boundingRect(space, flags | Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text)
        .size();
}

void checkLabel(QLabel* label, const QWidget& window, QStringList& out) {
    if (label->text().isEmpty()) return;
    QRect contents = label->contentsRect();
    const int margin = label->margin();
    contents.adjust(margin, margin, -margin, -margin);
    if (label->indent() > 0) {
        const Qt::Alignment a = label->alignment();
        if (a & Qt::AlignLeft) contents.setLeft(contents.left() + label->indent());
        if (a & Qt::AlignRight) contents.setRight(contents.right() - label->indent());
        if (a & Qt::AlignTop) contents.setTop(contents.top() + label->indent());
        if (a & Qt::AlignBottom) contents.setBottom(contents.bottom() - label->indent());
    }
    const QRect room = visiblePart(label, contents, window);
    const QSize needs = labelNeeds(label, contents);
    if (!fits(needs, room)) out << finding(label, label->text(), needs, room.size());
}

void checkButton(QAbstractButton* button, const QWidget& window, QStringList& out) {
    const QString text = button->text();
    if (text.isEmpty()) return;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = text;
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    QStyle::SubElement element;
    if (auto* push = qobject_cast<QPushButton*>(button)) {
        element = QStyle::SE_PushButtonContents;
        if (push->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
        if (push->isFlat()) option.features |= QStyleOptionButton::Flat;
    } else if (qobject_cast<QCheckBox*>(button)) {
        element = QStyle::SE_CheckBoxContents;
    } else if (qobject_cast<QRadioButton*>(button)) {
        element = QStyle::SE_RadioButtonContents;
    } else {
        return;
    }
    const QRect contents = button->style()->subElementRect(element, &option, button);
    QSize needs = button->fontMetrics().size(Qt::TextShowMnemonic, text);
    if (!option.icon.isNull()) needs.rwidth() += option.iconSize.width() + 4;
    const QRect room = visiblePart(button, contents, window);
    if (!fits(needs, room)) out << finding(button, text, needs, room.size());
}

void checkFrameTitle(QGroupBox* box, const QWidget& window, QStringList& out) {
    if (box->title().isEmpty()) return;
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (box->isCheckable()) option.subControls |= QStyle::SC_GroupBoxCheckBox;
    if (box->isFlat()) option.features |= QStyleOptionFrame::Flat;
    const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    const QSize needs = box->fontMetrics().size(Qt::TextShowMnemonic, box->title());
    const QRect room = visiblePart(box, label.intersected(box->rect()), window);
    if (!fits(needs, room)) out << finding(box, box->title(), needs, room.size());
}

// The control the user sees as having the focus: a grid or list for the
// editor of one of its cells, a combo box for its text box.
QWidget* controlOf(QWidget* focus, QWidget& window) {
    if (!focus) return nullptr;
    QWidget* control = focus;
    for (QWidget* p = focus->parentWidget(); p && p != &window; p = p->parentWidget())
        if (qobject_cast<QAbstractItemView*>(p) || qobject_cast<QComboBox*>(p) || qobject_cast<QAbstractSpinBox*>(p))
            control = p;
    return control;
}

} // namespace

QFont standInFont() {
    // DejaVu Sans is wider than Arial and its metric twin Liberation Sans,
    // and it is what fontconfig gives a Debian machine for a missing Arial.
    return QFont(QStringLiteral("DejaVu Sans"), 9);
}

ArialFont::ArialFont(bool twins) {
    if (!twins) return;
    QFont::insertSubstitutions(QStringLiteral("Arial"), arialTwins());
    if (family() == QFontInfo(QApplication::font()).family())
        QTest::qFail(qPrintable(QStringLiteral("None of Arial's metric twins is installed (") +
                                arialTwins().join(QStringLiteral(", ")) +
                                QStringLiteral("): scripts/install-deps.sh installs fonts-liberation2")),
                     __FILE__, __LINE__);
}

ArialFont::~ArialFont() { QFont::removeSubstitutions(QStringLiteral("Arial")); }

QString ArialFont::family() const { return QFontInfo(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75)).family(); }

void addArialFontRows() {
    QTest::addColumn<bool>("twins");
    QTest::newRow("Arial's metric twin") << true;
    QTest::newRow("wider stand-in") << false;
}

QString accessibleName(QWidget* control) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
    return face ? face->text(QAccessible::Name) : QString();
}

QStringList unnamedControls(QWidget& window) {
    QStringList out;
    if (accessibleName(&window).trimmed().isEmpty())
        out << describe(&window) + QStringLiteral(": the window has no title");
    QHash<QString, QList<QWidget*>> byName;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        // Without a name or text of its own, a control or an empty label is
        // heard by the title of the frame it sits in, which names the frame.
        if (auto* frame = qobject_cast<QGroupBox*>(w->parentWidget());
            frame && w->window() == &window && w->accessibleName().isEmpty() &&
            (isInteractive(w, window) || (qobject_cast<QLabel*>(w) && !w->isHidden()))) {
            const QString title = QString(frame->title()).remove(QLatin1Char('&')).trimmed();
            if (!title.isEmpty() && accessibleName(w).trimmed() == title) {
                out << describe(w) + QStringLiteral(": heard by its frame's title \"") + title + QLatin1Char('"');
                continue;
            }
        }
        if (!isInteractive(w, window)) continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
        const QString name = face ? face->text(QAccessible::Name).trimmed() : QString();
        if (name.isEmpty()) {
            out << describe(w) + QStringLiteral(": no accessible name");
            continue;
        }
        if (face->role() == QAccessible::ComboBox && !face->text(QAccessible::Value).isEmpty() &&
            name == face->text(QAccessible::Value).trimmed()) {
            out << describe(w) + QStringLiteral(": announced by its value \"") + name + QLatin1Char('"');
            continue;
        }
        byName[QString::number(int(face->role())) + QLatin1Char('/') + name] << w;
    }
    for (auto it = byName.cbegin(); it != byName.cend(); ++it) {
        if (it.value().size() < 2) continue;
        QStringList names;
        for (QWidget* w : it.value()) names << describe(w);
        const QString name = it.key().section(QLatin1Char('/'), 1);
        for (QWidget* w : it.value())
            out << describe(w) + QStringLiteral(": shares its name \"") + name + QStringLiteral("\" with ") +
                       names.join(QStringLiteral(", "));
    }
    return out;
}

QStringList cutTexts(QWidget& window) {
    QStringList out;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->window() != &window || !w->isVisible()) continue;
        if (auto* label = qobject_cast<QLabel*>(w))
            checkLabel(label, window, out);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            checkButton(button, window, out);
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            checkFrameTitle(box, window, out);
    }
    return out;
}

void walkWindow(QWidget& window) {
    const QString title = describe(&window) + QStringLiteral(" \"") + window.windowTitle() + QStringLiteral("\"");
    const QString outside = outsideScreen(window);
    if (!outside.isEmpty()) QTest::qFail(qPrintable(title + QStringLiteral(": ") + outside), __FILE__, __LINE__);
    const QStringList unnamed = unnamedControls(window);
    if (!unnamed.isEmpty())
        QTest::qFail(qPrintable(title + QStringLiteral(": a screen reader hears no name for:\n  ") +
                                unnamed.join(QStringLiteral("\n  "))),
                     __FILE__, __LINE__);
    const QStringList cut = cutTexts(window);
    if (!cut.isEmpty())
        QTest::qFail(
            qPrintable(title + QStringLiteral(": texts that do not fit:\n  ") + cut.join(QStringLiteral("\n  "))),
            __FILE__, __LINE__);
}

QList<QWidget*> tabStops(QWidget& window) {
    QList<QWidget*> stops;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!isInteractive(w, window) || !w->isVisible() || !w->isEnabled()) continue;
        if ((w->focusPolicy() & Qt::TabFocus) != Qt::TabFocus) continue;
        stops << w;
    }
    return stops;
}

namespace {

// The option buttons that exclude w, itself included (only w when none).
QList<QAbstractButton*> exclusiveGroupOf(QAbstractButton* w) {
    if (QButtonGroup* group = w->group(); group && group->exclusive()) return group->buttons();
    QList<QAbstractButton*> members{w};
    if (w->autoExclusive() && w->parentWidget())
        for (QAbstractButton* other : w->parentWidget()->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
            if (other != w && other->autoExclusive() && !other->group() && other->metaObject() == w->metaObject())
                members << other;
    return members;
}

} // namespace

QStringList unreachedStops(QWidget& window, const QList<QWidget*>& cycle) {
    QStringList out;
    for (QWidget* stop : tabStops(window)) {
        bool reached = cycle.contains(stop);
        if (auto* option = qobject_cast<QRadioButton*>(stop); option && !reached)
            for (QAbstractButton* member : exclusiveGroupOf(option)) reached = reached || cycle.contains(member);
        if (!reached) out << describe(stop);
    }
    return out;
}

QString pathOf(const QList<QWidget*>& cycle) {
    QStringList names;
    for (QWidget* w : cycle)
        names << (w ? (w->objectName().isEmpty() ? describe(w) : w->objectName()) : QStringLiteral("<nowhere>"));
    return names.join(QStringLiteral(" > "));
}

QList<QWidget*> tabCycle(QWidget& window, bool forward, int presses) {
    QList<QWidget*> visited;
    QWidget* start = controlOf(QApplication::focusWidget(), window);
    if (!start) return visited;
    visited << start;
    QWidget* last = start;
    int cellOfLast = -1;
    for (int i = 0; i < presses; ++i) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus) break;
        QTest::keyClick(focus, forward ? Qt::Key_Tab : Qt::Key_Backtab, forward ? Qt::NoModifier : Qt::ShiftModifier);
        QWidget* now = controlOf(QApplication::focusWidget(), window);
        if (!now) {
            visited << nullptr;
            break;
        }
        if (now == last) {
            // A grid moves its cursor from cell to cell; anything else that
            // keeps the focus is a trap.
            auto* view = qobject_cast<QAbstractItemView*>(now);
            const QModelIndex cell = view ? view->currentIndex() : QModelIndex();
            const int at = cell.isValid() ? cell.row() * 10000 + cell.column() : -1;
            if (!view || at == cellOfLast) break;
            cellOfLast = at;
            continue;
        }
        visited << now;
        last = now;
        auto* view = qobject_cast<QAbstractItemView*>(now);
        cellOfLast = view && view->currentIndex().isValid()
                         ? view->currentIndex().row() * 10000 + view->currentIndex().column()
                         : -1;
        if (now == start) break;
    }
    return visited;
}

} // namespace TestSupport

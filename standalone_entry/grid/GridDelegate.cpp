#include "grid/GridDelegate.h"

#include "grid/CellInput.h"
#include "grid/ReportGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionButton>

namespace Dazozuvi {

namespace {

bool insideEditor(const QWidget* widget, const QWidget* editor) {
    for (; widget; widget = widget->parentWidget())
        if (widget == editor) return true;
    return false;
}

} // namespace

GridDelegate::GridDelegate(ReportGrid& grid) : QStyledItemDelegate(&grid), m_grid(grid) {}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    Q_UNUSED(option);
    const CellType& type = m_grid.gridModel().column(index.column()).type;
    if (type.kind == CellType::Check) return nullptr;
    QWidget* editor = nullptr;
    if (type.kind == CellType::List) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
        combo->addItems(type.items);
        combo->setFrame(false);
        // The line edit has the focus and sees the keys first.
        combo->lineEdit()->installEventFilter(const_cast<GridDelegate*>(this));
        editor = combo;
    } else {
        auto* line = new QLineEdit(parent);
        line->setFrame(false);
        if (type.kind == CellType::Number) line->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        editor = line;
    }
    editor->setObjectName(QStringLiteral("cellEditor"));
    ReportGrid* grid = &m_grid;
    auto* filter = new CellInputFilter(
        type, [grid](const QString& message) { grid->editorRefused(message); }, editor);
    filter->setObjectName(QStringLiteral("cellInputFilter"));
    m_grid.m_editor = editor;
    return editor;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    QLineEdit* line = lineEdit(editor);
    if (!line) return;
    const QString text = index.data(Qt::EditRole).toString();
    const CellType& type = m_grid.gridModel().column(index.column()).type;
    // The typing limit never cuts a text the cell already holds, and the
    // filter judges only what the user changes.
    int limit = 32767;
    if (type.kind == CellType::Text || type.kind == CellType::Digits || type.kind == CellType::Date)
        limit = type.maxLength;
    line->setValidator(nullptr);
    line->setMaxLength(std::max<int>(limit, int(text.size())));
    line->setText(text);
    line->setValidator(editor->findChild<CellInputFilter*>(QStringLiteral("cellInputFilter")));
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    // The grid writes the text when editing ends, so it can tell the form
    // whether anything changed.
    Q_UNUSED(editor);
    Q_UNUSED(model);
    Q_UNUSED(index);
}

void GridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    Q_UNUSED(index);
    editor->setGeometry(option.rect);
}

QLineEdit* GridDelegate::lineEdit(QWidget* editor) {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) return combo->lineEdit();
    return qobject_cast<QLineEdit*>(editor);
}

QString GridDelegate::editorText(const QWidget* editor) {
    const QLineEdit* line = lineEdit(const_cast<QWidget*>(editor));
    return line ? line->text() : QString();
}

bool GridDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                               const QModelIndex& index) {
    // Tick boxes are toggled by the grid, which raises the editing events.
    Q_UNUSED(event);
    Q_UNUSED(model);
    Q_UNUSED(option);
    Q_UNUSED(index);
    return false;
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const GridModel& model = m_grid.gridModel();
    const QRect rect = option.rect;
    painter->fillRect(rect, colourFromBgr(model.colour(index.row(), index.column())));
    const bool active = index == m_grid.currentIndex();
    if (option.state & QStyle::State_Selected) {
        QColor highlight = option.palette.color(QPalette::Highlight);
        highlight.setAlpha(90);
        painter->fillRect(rect, highlight);
    }
    // No more of a cell than its width can show: a cell of millions of
    // characters would otherwise be copied and laid out whole at every paint.
    const QString text = model.text(index.row(), index.column(), 4 * qsizetype(rect.width()) + 64);
    const CellType& type = model.column(index.column()).type;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    if (type.kind == CellType::Check) {
        QStyleOptionButton box;
        const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget);
        const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, widget);
        box.rect = QRect(rect.center().x() - w / 2, rect.center().y() - h / 2, w, h);
        box.state = QStyle::State_Enabled | (isTicked(text) ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
    } else if (!text.isEmpty()) {
        painter->save();
        painter->setClipRect(rect);
        painter->setFont(option.font);
        painter->setPen(option.palette.color(QPalette::Text));
        const Qt::Alignment align =
            type.kind == CellType::Number ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter;
        painter->drawText(rect.adjusted(3, 0, -3, 0), int(align) | Qt::TextSingleLine, text);
        painter->restore();
    }
    if (active) {
        painter->save();
        painter->setPen(QPen(option.palette.color(QPalette::Highlight), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(1, 1, -1, -1));
        painter->restore();
    }
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event) {
    QWidget* editor = m_grid.m_editor;
    if (!editor) return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        // Keep a window's shortcuts (a dialog's Esc) from taking the keys
        // that end an edit.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            event->accept();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool list = qobject_cast<QComboBox*>(editor) != nullptr;
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape: m_grid.editorKey(key); return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
            // A drop-down list steps through its items with them.
            if (list) return false;
            m_grid.editorKey(key);
            return true;
        default: return false;
        }
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
        if (QApplication::activePopupWidget()) return false;
        QWidget* now = QApplication::focusWidget();
        if (insideEditor(now, editor)) return false;
        // A click on the grid ends the edit as part of moving the cursor.
        if (now == &m_grid && reason == Qt::MouseFocusReason) return false;
        m_grid.finishEdit(true);
        return false;
    }
    default: break;
    }
    Q_UNUSED(object);
    return false;
}

} // namespace Dazozuvi

#include "ZozedizIZ/editors/frmEPAEditor.h"

#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/editors/EpaDataList.h"
#include "ZozedizIZ/editors/frmEpaItemEditor.h"
#include "ZozedizIZ/shell/GuardedSlot.h"
#include "ZozedizIZ/shell/Twips.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace ZozedizIZ {

// The rows of the list view, read straight from the list: a list of any size
// shows at once, and a refresh is a reset.
class EpaListModel : public QAbstractTableModel {
public:
    explicit EpaListModel(QObject* parent) : QAbstractTableModel(parent) {}

    void setList(EpaDataList* list) {
        beginResetModel();
        m_list = list;
        endResetModel();
    }
    void refresh() {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() || !m_list ? 0 : m_list->Count();
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 2; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!m_list || !index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return QVariant();
        const EpaDataItemPtr item = m_list->Item(index.row() + 1);
        if (!item) return QVariant();
        return index.column() == 0 ? item->EpaRegNumber() : item->ProductName();
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
        return section == 0 ? QStringLiteral("EPA Reg. Number") : QStringLiteral("Product Name");
    }

private:
    EpaDataList* m_list = nullptr;
};

namespace {
const QString kLocation = QStringLiteral("ZozedizIZ::frmEPAEditor.");
} // namespace

frmEPAEditor::frmEPAEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEPAEditor"));
    setWindowTitle(QStringLiteral("Edit Product List"));
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75));

    m_model = new EpaListModel(this);
    lstData = new QTreeView(this);
    lstData->setObjectName(QStringLiteral("lstData"));
    Vezedad::Ui::SetAccessibleName(*lstData, QStringLiteral("Product List"));
    lstData->setModel(m_model);
    lstData->setRootIsDecorated(false);
    lstData->setItemsExpandable(false);
    lstData->setUniformRowHeights(true);
    lstData->setAllColumnsShowFocus(true);
    lstData->setSelectionMode(QAbstractItemView::SingleSelection);
    lstData->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstData->setMinimumSize(Twips::toPixels(QSize(5760, 4575)));
    lstData->header()->setStretchLastSection(true);
    lstData->setColumnWidth(0, Twips::toPixelsX(1800));

    struct ButtonSpec {
        QPushButton*& button;
        const char* name;
        const char* caption;
        const char* toolTip;
        void (frmEPAEditor::*handler)();
    };
    const ButtonSpec specs[] = {
        {cmdAdd, "cmdAdd", "&Add", "Add a new product", &frmEPAEditor::cmdAdd_Click},
        {cmdEdit, "cmdEdit", "&Edit", "Edit the selected product", &frmEPAEditor::cmdEdit_Click},
        {cmdDelete, "cmdDelete", "&Delete", "Delete the selected product", &frmEPAEditor::cmdDelete_Click},
        {cmdClear, "cmdClear", "&Clear", "Remove all products from the list", &frmEPAEditor::cmdClear_Click},
        {cmdReload, "cmdReload", "&Reload", "Ignore all edits; reload the file.", &frmEPAEditor::cmdReload_Click},
        {cmdSave, "cmdSave", "&Save", "Save the list to disk", &frmEPAEditor::cmdSave_Click},
        {cmdExit, "cmdExit", "E&xit", "Close this editor", &frmEPAEditor::cmdExit_Click},
    };
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(Twips::toPixelsY(165));
    QWidget* previous = lstData;
    for (const ButtonSpec& entry : specs) {
        entry.button = new QPushButton(QString::fromLatin1(entry.caption), this);
        entry.button->setObjectName(QString::fromLatin1(entry.name));
        entry.button->setToolTip(QString::fromLatin1(entry.toolTip));
        entry.button->setMinimumSize(Twips::toPixels(QSize(975, 495)));
        connectGuarded(entry.button, &QPushButton::clicked, this,
                       kLocation + QString::fromLatin1(entry.name) + QStringLiteral("_Click"),
                       [this, handler = entry.handler] { (this->*handler)(); });
        buttons->addWidget(entry.button);
        setTabOrder(previous, entry.button);
        previous = entry.button;
    }
    buttons->addStretch();
    cmdSave->setDefault(true);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(lstData, 1);
    layout->addLayout(buttons);
    resize(Twips::toPixels(QSize(7365, 4860)));

    // Told once the window is up: lines of the file that did not make it into
    // the list would be gone after the next save.
    Vezedad::Ui::OnFirstActivation(*this, [this] {
        Vezedad::Ui::GuardShowError(
            kLocation + QStringLiteral("Form_Load"),
            [this] {
                const QString notice = m_list ? m_list->TakeReadNotice() : QString();
                if (!notice.isEmpty())
                    Vezedad::Ui::MsgBox(notice, Vezedad::Ui::vbExclamation | Vezedad::Ui::vbOKOnly,
                                        QStringLiteral("EPA Product List"), this);
            },
            this);
    });
}

frmEPAEditor::~frmEPAEditor() = default;

void frmEPAEditor::showEvent(QShowEvent* event) {
    if (!m_loaded) {
        m_loaded = true;
        Vezedad::Ui::GuardShowError(
            kLocation + QStringLiteral("Form_Load"), [this] { Form_Load(); }, this);
    }
    QDialog::showEvent(event);
}

void frmEPAEditor::Form_Load() {
    SetBackColor();
    if (!m_list) {
        m_ownList.reset(new EpaDataList);
        m_list = m_ownList.get();
    }
    m_model->setList(m_list);
    RefreshListView();
}

void frmEPAEditor::SetBackColor() { Vezedad::Ui::SetBackColor(*this); }

void frmEPAEditor::RefreshListView() {
    m_model->refresh();
    lstData->clearSelection();
}

int frmEPAEditor::selectedRow(const QString& otherwise) {
    const QModelIndexList rows = lstData->selectionModel()->selectedRows();
    if (!rows.isEmpty()) return rows.first().row();
    Vezedad::Ui::MsgBox(otherwise, Vezedad::Ui::vbOKOnly, QString(), this);
    return -1;
}

void frmEPAEditor::keyPressEvent(QKeyEvent* event) {
    // Escape is the Reload button's, not a way to close the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdReload->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmEPAEditor::done(int result) {
    bool stay = false;
    Vezedad::Ui::GuardShowError(
        kLocation + QStringLiteral("Form_QueryUnload"), [&] { stay = Form_QueryUnload(); }, this);
    if (!stay) QDialog::done(result);
}

bool frmEPAEditor::Form_QueryUnload() {
    if (!m_list || !m_list->IsDirty()) return false;
    switch (Vezedad::Ui::MsgBox(QStringLiteral("EPA List has changed. Save it?"),
                                Vezedad::Ui::vbQuestion | Vezedad::Ui::vbYesNoCancel,
                                QStringLiteral("Save Before Exiting?"), this)) {
    case Vezedad::Ui::vbYes: m_list->Save(); return false;
    case Vezedad::Ui::vbNo:
        Vezedad::Ui::MsgBox(QStringLiteral("Any changes will remain available until you exit the application."),
                            Vezedad::Ui::vbInformation | Vezedad::Ui::vbOKOnly, QStringLiteral("Changes Not Saved"),
                            this);
        return false;
    default: return true;
    }
}

void frmEPAEditor::cmdAdd_Click() {
    frmEpaItemEditor editor(this);
    const EpaDataItemPtr item = editor.NewItem();
    if (!item) return;
    m_list->AddItem(item);
    RefreshListView();
}

void frmEPAEditor::cmdEdit_Click() {
    const int row = selectedRow(QStringLiteral("You must select an item first before editing"));
    if (row < 0) return;
    const QString oldNumber = m_model->index(row, 0).data().toString();
    const QString oldName = m_model->index(row, 1).data().toString();
    frmEpaItemEditor editor(this);
    const EpaDataItemPtr item = editor.Edit(oldNumber, oldName);
    if (m_list->ReplaceItem(oldNumber, item->EpaRegNumber(), item->ProductName())) RefreshListView();
}

void frmEPAEditor::cmdDelete_Click() {
    const int row = selectedRow(QStringLiteral("You must first select an item before deleting"));
    if (row < 0) return;
    m_list->Remove(m_model->index(row, 0).data().toString());
    RefreshListView();
}

void frmEPAEditor::cmdClear_Click() {
    if (Vezedad::Ui::MsgBox(QStringLiteral("This will remove all items from the EPA Product List.\r\n"
                                           "This action can only be undone by Reloading the saved file."),
                            Vezedad::Ui::vbExclamation | Vezedad::Ui::vbOKCancel, QStringLiteral("Clear the EPA List?"),
                            this) != Vezedad::Ui::vbOK)
        return;
    m_list->Clear();
    RefreshListView();
}

void frmEPAEditor::cmdReload_Click() {
    if (Vezedad::Ui::MsgBox(QStringLiteral("Reload the last-saved product list, losing any changes since then?"),
                            Vezedad::Ui::vbQuestion | Vezedad::Ui::vbYesNo, QStringLiteral("Reload List"),
                            this) != Vezedad::Ui::vbYes)
        return;
    m_list->Read();
    RefreshListView();
}

void frmEPAEditor::cmdSave_Click() { m_list->Save(); }

void frmEPAEditor::cmdExit_Click() { close(); }

} // namespace ZozedizIZ

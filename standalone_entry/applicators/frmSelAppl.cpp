#include "applicators/frmSelAppl.h"

#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/DialogButtons.h"
#include "ZozedizIZ/shell/GuardedSlot.h"
#include "ZozedizIZ/shell/Twips.h"
#include "applicators/ApplicatorList.h"
#include "applicators/Applicators.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace Dazozuvi {

namespace {

const QString kForm = QStringLiteral("frmSelAppl");
const QString kLocation = QStringLiteral("Dazozuvi::frmSelAppl.");
constexpr int kMadeAppsColumn = 4;
constexpr int kKeyRole = Qt::UserRole;

// A row sorts by the text of the sort column, letter case aside.
class ApplicatorRow : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }
};

} // namespace

frmSelAppl::frmSelAppl(QWidget* parent) : QDialog(parent) {
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("Select Applicator"));

    fraShow = new QGroupBox(QStringLiteral("Show:"), this);
    fraShow->setObjectName(QStringLiteral("fraShow"));
    optShow = new QButtonGroup(this);
    auto* showLayout = new QVBoxLayout(fraShow);
    const QString captions[] = {QStringLiteral("Only Applicators who Made Applications"),
                                QStringLiteral("All Applicators")};
    for (int index = 0; index < 2; ++index) {
        auto* button = new QRadioButton(captions[index], fraShow);
        button->setObjectName(QStringLiteral("optShow%1").arg(index));
        optShow->addButton(button, index);
        showLayout->addWidget(button);
    }

    lstAppl = new QTreeWidget(this);
    lstAppl->setObjectName(QStringLiteral("lstAppl"));
    lstAppl->setAccessibleName(QStringLiteral("Applicators"));
    lstAppl->setToolTip(QStringLiteral("Click column header to sort list; click an applicator to select."));
    lstAppl->setRootIsDecorated(false);
    lstAppl->setItemsExpandable(false);
    lstAppl->setUniformRowHeights(true);
    lstAppl->setAllColumnsShowFocus(true);
    lstAppl->setSelectionMode(QAbstractItemView::SingleSelection);
    lstAppl->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstAppl->setHeaderLabels({QStringLiteral("Cert ID"), QStringLiteral("Bus Num"), QStringLiteral("First Name"),
                              QStringLiteral("Last Name"), QStringLiteral("Made Apps")});
    // The list sorts itself only when a header is clicked.
    lstAppl->setSortingEnabled(false);
    lstAppl->header()->setSectionsClickable(true);
    lstAppl->header()->setStretchLastSection(false);
    const int widths[] = {1300, 1000, 1500, 1500, 1150};
    for (int column = 0; column < 5; ++column)
        lstAppl->setColumnWidth(column, ZozedizIZ::Twips::toPixelsX(widths[column]));
    lstAppl->setMinimumSize(ZozedizIZ::Twips::toPixels(QSize(6600, 2400)));

    ZozedizIZ::MakeOkCancelButtons(this, cmdOK, cmdCancel);
    cmdOK->setToolTip(QStringLiteral("Open Form 26 for selected applicator"));
    cmdCancel->setToolTip(QStringLiteral("Do Not Open Form 26"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraShow);
    layout->addWidget(lstAppl, 1);
    layout->addLayout(buttons);
    setTabOrder(optShow->button(0), optShow->button(1));
    setTabOrder(optShow->button(1), lstAppl);
    setTabOrder(lstAppl, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(optShow, &QButtonGroup::idToggled, this, [this](int index, bool on) {
        if (on) optShow_Click(index);
    });
    connect(lstAppl->header(), &QHeaderView::sectionClicked, this, &frmSelAppl::lstAppl_ColumnClick);
    ZozedizIZ::connectGuarded(lstAppl, &QTreeWidget::currentItemChanged, this,
                              kLocation + QStringLiteral("lstAppl_ItemClick"),
                              [this] { lstAppl_ItemClick(lstAppl->currentItem(), false); });
    // A press on a row is the click that chooses it.
    connect(lstAppl, &QTreeWidget::itemPressed, this, [this](QTreeWidgetItem* item) {
        Vezedad::Ui::GuardShowError(
            kLocation + QStringLiteral("lstAppl_ItemClick"), [&] { lstAppl_ItemClick(item, true); }, this);
    });
    ZozedizIZ::connectGuarded(cmdOK, &QPushButton::clicked, this, kLocation + QStringLiteral("cmdOK_Click"),
                              [this] { accept(); });
    ZozedizIZ::connectGuarded(cmdCancel, &QPushButton::clicked, this, kLocation + QStringLiteral("cmdCancel_Click"),
                              [this] { reject(); });
}

frmSelAppl::~frmSelAppl() = default;

void frmSelAppl::showEvent(QShowEvent* event) {
    if (!m_loaded) {
        m_loaded = true;
        Vezedad::Ui::GuardShowProcedureError(
            QStringLiteral("Form_Load"), Vezedad::Ui::OwnerKind::Form, kForm, [this] { Form_Load(); }, this);
    }
    QDialog::showEvent(event);
}

void frmSelAppl::Form_Load() {
    m_selectedKey.clear();
    m_selected.reset();
    m_cancelled = false;
    SetBackColor();
    m_registry = &modGlobals::Applicators();
    m_madeAppsWidth = lstAppl->columnWidth(kMadeAppsColumn);
    {
        const QSignalBlocker quiet(optShow);
        optShow->button(0)->setChecked(true);
    }
    optShow_Click(0);
    lstAppl->setFocus();
}

void frmSelAppl::SetBackColor() {
    Vezedad::Ui::SetBackColor(*this);
    Vezedad::Ui::SetBackColor(*fraShow);
    for (QAbstractButton* option : optShow->buttons()) {
        Vezedad::Ui::SetBackColor(*option);
        // A button fills its background with the button colour unless told
        // to use the window's.
        option->setBackgroundRole(QPalette::Window);
    }
}

void frmSelAppl::optShow_Click(int index) {
    Vezedad::Ui::GuardShowProcedureError(
        QStringLiteral("optShow_Click"), Vezedad::Ui::OwnerKind::Form, kForm,
        [&] {
            m_showAll = index == 1;
            FillList();
        },
        this);
}

void frmSelAppl::FillList() {
    {
        const QSignalBlocker quiet(lstAppl);
        lstAppl->clear();
        if (m_registry) {
            for (const ApplicatorPtr& applicator : m_registry->Items()) {
                // A Form 26 is filed under its applicator's certification id:
                // someone listed without one (or an empty line of a list) has
                // no report of their own to open, and choosing them would
                // open the filer's.
                if (applicator->CertificationID().trimmed().isEmpty()) continue;
                if (!applicator->AppsDone() && !m_showAll) continue;
                auto* row = new ApplicatorRow(
                    lstAppl, QStringList{applicator->CertificationID(), applicator->BusinessRegNumber(),
                                         applicator->FirstName(), applicator->LastName(),
                                         applicator->AppsDone() ? QStringLiteral("Y") : QStringLiteral("N")});
                row->setData(0, kKeyRole, applicator->CertificationID());
            }
        }
        if (m_sorted) lstAppl->sortItems(m_sortColumn, m_sortOrder);
    }
    lstAppl->setColumnHidden(kMadeAppsColumn, !m_showAll);
    if (m_showAll) lstAppl->setColumnWidth(kMadeAppsColumn, m_madeAppsWidth);
    if (QTreeWidgetItem* first = lstAppl->topLevelItem(0)) {
        const QSignalBlocker quiet(lstAppl);
        lstAppl->setCurrentItem(first);
        m_selectedKey = first->data(0, kKeyRole).toString();
    } else {
        // No row, no choice: a row hidden by the filter is never chosen.
        m_selectedKey.clear();
    }
}

void frmSelAppl::lstAppl_ColumnClick(int column) {
    Vezedad::Ui::GuardShowProcedureError(
        QStringLiteral("lstAppl_ColumnClick"), Vezedad::Ui::OwnerKind::Form, kForm,
        [&] {
            if (m_sorted && column == m_sortColumn) {
                m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
            } else {
                m_sortColumn = column;
                m_sortOrder = Qt::AscendingOrder;
            }
            m_sorted = true;
            lstAppl->header()->setSortIndicatorShown(true);
            const QSignalBlocker quiet(lstAppl);
            lstAppl->sortItems(m_sortColumn, m_sortOrder);
        },
        this);
}

void frmSelAppl::lstAppl_ItemClick(QTreeWidgetItem* item, bool mouseDown) {
    if (!item || !isVisible()) return;
    m_selectedKey = item->data(0, kKeyRole).toString();
    if (mouseDown) accept();
}

void frmSelAppl::done(int result) {
    Form_Unload();
    QDialog::done(result);
}

void frmSelAppl::Form_Unload() {
    m_selected = m_selectedKey.isEmpty() || !m_registry ? ApplicatorPtr() : m_registry->Item(m_selectedKey);
    m_registry.clear();
    m_loaded = false;
}

void frmSelAppl::reject() {
    // Cancel and Escape.
    m_selectedKey.clear();
    m_cancelled = true;
    QDialog::reject();
}

void frmSelAppl::closeEvent(QCloseEvent* event) {
    // The close box accepts, as OK does.
    event->accept();
    QDialog::accept();
}

} // namespace Dazozuvi

#include "ZozedizIZ/editors/frmCountyCodes.h"

#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/DialogButtons.h"
#include "ZozedizIZ/shell/GuardedSlot.h"
#include "ZozedizIZ/shell/Twips.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <utility>

namespace ZozedizIZ {

namespace {

const QString kLocation = QStringLiteral("ZozedizIZ::frmCountyCodes.");
constexpr int kNameWidth = 25;
constexpr int kOutOfState = 99;

// A fixed-pitch font, so that the rows' codes line up as a second column.
QFont listFont() {
    const QString family = QStringLiteral("Courier New");
    if (QFontDatabase::hasFamily(family)) return Vezedad::Ui::NamedFont(family, 9.75);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(9.75);
    return font;
}

QRadioButton* addOption(QButtonGroup* group, QLayout* layout, int index, const QString& caption, const char* name) {
    auto* button = new QRadioButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    group->addButton(button, index);
    layout->addWidget(button);
    return button;
}

} // namespace

const QList<QPair<QString, QString>>& frmCountyCodes::Counties() {
    static const QList<QPair<QString, QString>> table = [] {
        const char* const names[] = {
            "Albany",    "Allegany", "Broome",     "Cattaraugus", "Cayuga",       "Chautauqua",  "Chemung",
            "Chenango",  "Clinton",  "Columbia",   "Cortland",    "Delaware",     "Dutchess",    "Erie",
            "Essex",     "Franklin", "Fulton",     "Genesee",     "Green",        "Hamilton",    "Herkimer",
            "Jefferson", "Lewis",    "Livingston", "Madison",     "Monroe",       "Montgomery",  "Nassau",
            "Niagara",   "Oneida",   "Onondaga",   "Ontario",     "Orange",       "Orleans",     "Oswego",
            "Otsego",    "Putnam",   "Rensselaer", "Rockland",    "St. Lawrence", "Saratoga",    "Schenectady",
            "Schoharie", "Schuyler", "Seneca",     "Steuben",     "Suffolk",      "Sullivan",    "Tioga",
            "Tompkins",  "Ulster",   "Warren",     "Washington",  "Wayne",        "Westchester", "Wyoming",
            "Yates",     "Bronx",    "Kings",      "New York",    "Queens",       "Richmond"};
        QList<QPair<QString, QString>> counties;
        int code = 1;
        for (const char* name : names)
            counties.append({QString::number(code++).rightJustified(2, QLatin1Char('0')), QString::fromLatin1(name)});
        counties.append({QStringLiteral("99"), QStringLiteral("Out of State")});
        return counties;
    }();
    return table;
}

QString frmCountyCodes::CountyName(const QString& code) {
    for (const auto& county : Counties())
        if (county.first == code) return county.second;
    return QString();
}

frmCountyCodes::frmCountyCodes(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCountyCodes"));
    setWindowTitle(QStringLiteral("Select County Codes"));
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 8.25));

    lstCountyCodes = new QListWidget(this);
    lstCountyCodes->setObjectName(QStringLiteral("lstCountyCodes"));
    Vezedad::Ui::SetAccessibleName(*lstCountyCodes, QStringLiteral("County Codes"));
    lstCountyCodes->setSelectionMode(QAbstractItemView::SingleSelection);
    lstCountyCodes->setFont(listFont());
    lstCountyCodes->setMinimumHeight(Twips::toPixelsY(2400));
    lstCountyCodes->viewport()->installEventFilter(this);

    fraBehavior = new QGroupBox(QStringLiteral("Select an option"), this);
    fraBehavior->setObjectName(QStringLiteral("fraBehavior"));
    fraBehavior->setToolTip(QStringLiteral("How do you want to select county codes?"));
    optBehavior = new QButtonGroup(this);
    auto* behaviorLayout = new QVBoxLayout(fraBehavior);
    addOption(optBehavior, behaviorLayout, 0, QStringLiteral("Select county from popup list."), "optBehavior0");
    addOption(optBehavior, behaviorLayout, 1,
              QStringLiteral("Select a county to use as default; same code will be used until you change it."),
              "optBehavior1");
    addOption(optBehavior, behaviorLayout, 2,
              QStringLiteral("Disable the popup; you will manually enter a county code for each line."),
              "optBehavior2");

    fraDefaultCounty = new QGroupBox(QStringLiteral("Select a County from the list above to use as the default"), this);
    fraDefaultCounty->setObjectName(QStringLiteral("fraDefaultCounty"));
    lblCode = new QLabel(QStringLiteral("County Code"), fraDefaultCounty);
    lblCode->setObjectName(QStringLiteral("lblCode"));
    lblCounty = new QLabel(QStringLiteral("County"), fraDefaultCounty);
    lblCounty->setObjectName(QStringLiteral("lblCounty"));
    lblDefaultCode = new QLabel(fraDefaultCounty);
    lblDefaultCode->setObjectName(QStringLiteral("lblDefaultCode"));
    lblDefaultName = new QLabel(fraDefaultCounty);
    lblDefaultName->setObjectName(QStringLiteral("lblDefaultName"));
    ShowDefaultCounty();
    auto* defaultLayout = new QGridLayout(fraDefaultCounty);
    defaultLayout->addWidget(lblCode, 0, 0);
    defaultLayout->addWidget(lblCounty, 0, 1);
    defaultLayout->addWidget(lblDefaultCode, 1, 0);
    defaultLayout->addWidget(lblDefaultName, 1, 1);
    defaultLayout->setColumnStretch(1, 1);
    // The window keeps its shape while the frame comes and goes.
    QSizePolicy keepRoom = fraDefaultCounty->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    fraDefaultCounty->setSizePolicy(keepRoom);

    fraSorting = new QGroupBox(QStringLiteral("Sort By"), this);
    fraSorting->setObjectName(QStringLiteral("fraSorting"));
    optSort = new QButtonGroup(this);
    auto* sortLayout = new QHBoxLayout(fraSorting);
    addOption(optSort, sortLayout, 0, QStringLiteral("Code"), "optSort0");
    addOption(optSort, sortLayout, 1, QStringLiteral("Name"), "optSort1");

    MakeOkCancelButtons(this, cmdOK, cmdCancel);

    auto* side = new QVBoxLayout;
    side->addWidget(fraSorting);
    side->addStretch();
    side->addWidget(cmdOK);
    side->addWidget(cmdCancel);
    auto* top = new QHBoxLayout;
    top->addWidget(lstCountyCodes, 1);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(fraBehavior);
    layout->addWidget(fraDefaultCounty);

    // Tab follows the window as it is drawn: the list and, beside it, Sort
    // By, OK and Cancel; then the options below them.
    const QList<QWidget*> tabOrder{
        lstCountyCodes, optSort->button(0),     optSort->button(1),     cmdOK,
        cmdCancel,      optBehavior->button(0), optBehavior->button(1), optBehavior->button(2)};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // Enter in the list is the default button's: OK takes the row the user
    // picked, never merely the one the focus rests on.
    connectGuarded(lstCountyCodes, &QListWidget::itemSelectionChanged, this,
                   kLocation + QStringLiteral("lstCountyCodes_Click"), [this] { lstCountyCodes_Click(); });
    connect(optBehavior, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) optBehavior_Click(id);
    });
    connect(optSort, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) optSort_Click(id);
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmCountyCodes::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmCountyCodes::reject);
}

void frmCountyCodes::setBehavior(qint32 value) {
    if (value < 0 || value > 2) value = 0;
    if (value == m_behavior) return;
    m_behavior = value;
    if (m_loaded) ApplyBehavior(true);
}

QString frmCountyCodes::BehaviorDescription() const {
    switch (m_behavior) {
    case 1:
        return QStringLiteral("Using Default County ") +
               (m_defaultCode.isEmpty()
                    ? QStringLiteral("(not set)")
                    : m_defaultCode + QStringLiteral(" (") + CountyName(m_defaultCode) + QStringLiteral(")")) +
               QStringLiteral(".");
    case 2: return QStringLiteral("County Code - Manual Entry Mode.");
    default: return QStringLiteral("County Code Popup.");
    }
}

void frmCountyCodes::setDefaultCode(const QString& value) {
    if (value.compare(m_defaultCode, Qt::CaseInsensitive) == 0) return;
    m_defaultCode = CountyName(value).isEmpty() ? QString() : value;
    if (m_loaded) ApplyBehavior(false);
}

void frmCountyCodes::setSelectedCode(const QString& value) {
    if (value == m_selectedCode) return;
    m_selectedCode = CountyName(value).isEmpty() ? QString() : value;
    if (!m_loaded) return;
    if (m_selectedCode.isEmpty()) {
        // An unknown code selects nothing, rather than leaving the row of
        // the code before it looking chosen.
        lstCountyCodes->clearSelection();
        return;
    }
    SelectItem(m_selectedCode.toInt());
    if (m_behavior == 1) setDefaultCode(m_selectedCode);
}

void frmCountyCodes::setSortOrder(qint32 value) {
    if (value == m_sortOrder) return;
    if (value < 0 || value > 1) value = 0;
    m_sortOrder = value;
    if (m_loaded) ApplySort();
}

void frmCountyCodes::Load() {
    if (m_loaded) return;
    Vezedad::Ui::GuardShowError(
        kLocation + QStringLiteral("Form_Load"), [this] { Form_Load(); }, this);
}

void frmCountyCodes::Form_Load() {
    // A loaded window starts with no option chosen; the state below chooses.
    for (QButtonGroup* group : {optBehavior, optSort}) {
        const QSignalBlocker quiet(group);
        group->setExclusive(false);
        for (QAbstractButton* button : group->buttons()) button->setChecked(false);
        group->setExclusive(true);
    }
    SetBackColor();
    ApplySort();
    ApplyBehavior(false);
    m_loaded = true;
}

void frmCountyCodes::SetBackColor() {
    QList<QWidget*> parts{this,    fraBehavior, fraDefaultCounty, fraSorting,
                          lblCode, lblCounty,   lblDefaultCode,   lblDefaultName};
    for (QAbstractButton* button : optBehavior->buttons()) parts.append(button);
    for (QAbstractButton* button : optSort->buttons()) parts.append(button);
    for (QWidget* part : parts) Vezedad::Ui::SetBackColor(*part);
}

void frmCountyCodes::ApplySort() {
    if (QAbstractButton* button = optSort->button(m_sortOrder)) button->setChecked(true);
    FillList();
}

void frmCountyCodes::FillList() {
    QStringList rows;
    QList<int> codes;
    for (const auto& [key, name] : Counties()) {
        const int code = key.toInt();
        qsizetype at = rows.size();
        if (code != kOutOfState) {
            // From the bottom up, over the out-of-state row, to the first row
            // that sorts before the new one.
            qsizetype i = rows.size() - 1;
            for (; i >= 0; --i) {
                if (codes[i] >= kOutOfState) continue;
                const bool before = m_sortOrder == 0 ? codes[i] < code : rows[i].compare(name, Qt::CaseInsensitive) < 0;
                if (before) break;
            }
            at = i + 1;
        }
        rows.insert(at, name.leftJustified(kNameWidth, QLatin1Char(' '), true) + key);
        codes.insert(at, code);
    }
    {
        const QSignalBlocker quiet(lstCountyCodes);
        lstCountyCodes->clear();
        for (qsizetype i = 0; i < rows.size(); ++i) {
            auto* item = new QListWidgetItem(rows[i], lstCountyCodes);
            item->setData(Qt::UserRole, codes[i]);
        }
    }
    if (!m_selectedCode.isEmpty()) SelectItem(m_selectedCode.toInt());
}

void frmCountyCodes::ApplyBehavior(bool switched) {
    if (QAbstractButton* button = optBehavior->button(m_behavior)) {
        const QSignalBlocker quiet(optBehavior);
        button->setChecked(true);
    }
    fraDefaultCounty->setVisible(m_behavior == 1);
    lstCountyCodes->setEnabled(m_behavior != 2);
    if (m_behavior == 1) ApplyDefaultCounty(switched);
    AllowOK();
}

void frmCountyCodes::ApplyDefaultCounty(bool switched) {
    if (switched) {
        // Switching to a default makes the county selected now the default.
        m_defaultCode = m_selectedCode;
    } else if (m_defaultCode.isEmpty()) {
        lstCountyCodes->clearSelection();
    } else {
        SelectItem(m_defaultCode.toInt());
    }
    ShowDefaultCounty();
}

void frmCountyCodes::ShowDefaultCounty() {
    lblDefaultCode->setText(m_defaultCode);
    lblDefaultName->setText(CountyName(m_defaultCode));
    // Heard with its heading, and as not set while it is empty (an empty
    // label would be heard by the frame's title instead).
    for (auto [value, heading] : {std::pair{lblDefaultCode, lblCode}, std::pair{lblDefaultName, lblCounty}})
        value->setAccessibleName(heading->text() + QStringLiteral(": ") +
                                 (value->text().isEmpty() ? QStringLiteral("(not set)") : value->text()));
}

void frmCountyCodes::AllowOK() { cmdOK->setEnabled(m_behavior != 1 || !m_defaultCode.isEmpty()); }

void frmCountyCodes::SelectItem(int code) {
    for (int row = 0; row < lstCountyCodes->count(); ++row) {
        if (lstCountyCodes->item(row)->data(Qt::UserRole).toInt() == code) {
            lstCountyCodes->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
            return;
        }
    }
}

void frmCountyCodes::lstCountyCodes_Click() {
    const QList<QListWidgetItem*> selected = lstCountyCodes->selectedItems();
    if (!selected.isEmpty()) {
        const QString code = selected.first()->text().right(2);
        setSelectedCode(code);
        if (optBehavior->checkedId() == 1) setDefaultCode(code);
    } else {
        // A list that shows no county chosen (its selection cleared for want
        // of a default, or by Ctrl+click) gives none: OK never returns a
        // county the user cannot see picked.
        m_selectedCode.clear();
    }
    AllowOK();
}

bool frmCountyCodes::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstCountyCodes->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_mouseDown = true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            Vezedad::Ui::GuardShowError(
                kLocation + QStringLiteral("lstCountyCodes_MouseUp"), [this] { lstCountyCodes_MouseUp(); }, this);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmCountyCodes::lstCountyCodes_MouseUp() {
    const bool wasDown = m_mouseDown;
    m_mouseDown = false;
    // In pop-up use one click picks the county; under Setup it only selects.
    if (wasDown && !lstCountyCodes->selectedItems().isEmpty() && !m_doingSetup) cmdOK_Click();
}

void frmCountyCodes::optBehavior_Click(int index) {
    Vezedad::Ui::GuardShowError(
        kLocation + QStringLiteral("optBehavior_Click"), [&] { setBehavior(index); }, this);
}

void frmCountyCodes::optSort_Click(int index) {
    Vezedad::Ui::GuardShowError(
        kLocation + QStringLiteral("optSort_Click"), [&] { setSortOrder(index); }, this);
}

void frmCountyCodes::cmdOK_Click() { accept(); }

void frmCountyCodes::FocusList() {
    if (!lstCountyCodes->isEnabled()) {
        if (QAbstractButton* option = optBehavior->checkedButton()) option->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The focus rests on the chosen county (the cell's, or the last one
    // picked), else on the first row without choosing it: a county is only
    // ever chosen by the user, so Down then Enter takes the second row, and
    // Enter alone gives no code.
    const QList<QListWidgetItem*> selected = lstCountyCodes->selectedItems();
    if (!selected.isEmpty()) {
        if (lstCountyCodes->currentItem() != selected.first())
            lstCountyCodes->setCurrentItem(selected.first(), QItemSelectionModel::NoUpdate);
    } else if (lstCountyCodes->count() > 0) {
        lstCountyCodes->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    }
    if (QListWidgetItem* current = lstCountyCodes->currentItem()) lstCountyCodes->scrollToItem(current);
    lstCountyCodes->setFocus(Qt::OtherFocusReason);
}

void frmCountyCodes::reject() {
    // The Cancel button and Escape.
    m_cancelled = true;
    QDialog::reject();
}

void frmCountyCodes::showEvent(QShowEvent* event) {
    if (!m_loaded) Load();
    m_cancelled = false;
    // Every showing starts in the list, whatever had the focus when the
    // window last closed: the arrow keys and Enter work on it at once.
    Vezedad::Ui::GuardShowError(
        kLocation + QStringLiteral("Form_Activate"), [this] { FocusList(); }, this);
    QDialog::showEvent(event);
}

void frmCountyCodes::closeEvent(QCloseEvent* event) {
    // The close box unloads the window and counts as OK; the dialog's state
    // stays for the next showing.
    m_loaded = false;
    event->accept();
    QDialog::done(QDialog::Accepted);
}

} // namespace ZozedizIZ

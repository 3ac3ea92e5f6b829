#pragma once
#include "applicators/Applicator.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace Dazozuvi {

class ApplicatorList;

// "Select Applicator": chooses the applicator for whom a Form 26 opens. The
// list shows the registry's applicators who made applications, or all of
// them, leaving out anyone without a certification id; a header click sorts
// by that column (again: the other way round), and one click on an applicator
// chooses it. OK and the close box accept the selected row, Cancel chooses
// nothing.
//
//     frmSelAppl dialog;
//     Vezedad::Ui::ExecModal(dialog);
//     if (!dialog.Cancelled()) use(dialog.Selected()); // may be empty
class frmSelAppl : public QDialog {
    Q_OBJECT
public:
    explicit frmSelAppl(QWidget* parent = nullptr);
    ~frmSelAppl() override;

    // True when the user pressed Cancel (or Escape).
    bool Cancelled() const { return m_cancelled; }
    // The chosen applicator; empty when no row was chosen or after Cancel.
    ApplicatorPtr Selected() const { return m_selected; }

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void SetBackColor();
    void FillList();
    void lstAppl_ColumnClick(int column);
    void lstAppl_ItemClick(QTreeWidgetItem* item, bool mouseDown);
    void optShow_Click(int index);

    QPointer<ApplicatorList> m_registry;
    QString m_selectedKey;
    ApplicatorPtr m_selected;
    bool m_cancelled = false;
    bool m_showAll = false;
    bool m_loaded = false;
    bool m_sorted = false;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    int m_madeAppsWidth = 0;

    QGroupBox* fraShow = nullptr;
    QButtonGroup* optShow = nullptr;
    QTreeWidget* lstAppl = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};

} // namespace Dazozuvi

#pragma once
#include <QDialog>
#include <memory>

class QPushButton;
class QTreeView;

namespace ZozedizIZ {

class EpaDataList;
class EpaListModel;

// "Edit Product List": the whole product list, with buttons to add, edit,
// delete, clear, reload and save it. Closing it asks whether to save changes.
class frmEPAEditor : public QDialog {
    Q_OBJECT
public:
    explicit frmEPAEditor(QWidget* parent = nullptr);
    ~frmEPAEditor() override;

    // The list to edit; without one the window reads a list of its own.
    void SetList(EpaDataList* list) { m_list = list; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    // True when the window must stay open.
    bool Form_QueryUnload();
    void RefreshListView();
    void SetBackColor();
    // The selected row, or -1 after telling the user otherwise.
    int selectedRow(const QString& otherwise);
    // Button handlers; each runs inside the slot guard with its location.
    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdDelete_Click();
    void cmdClear_Click();
    void cmdReload_Click();
    void cmdSave_Click();
    void cmdExit_Click();

    EpaDataList* m_list = nullptr;
    std::unique_ptr<EpaDataList> m_ownList;
    bool m_loaded = false;

    EpaListModel* m_model = nullptr;
    QTreeView* lstData = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdReload = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdExit = nullptr;
};

} // namespace ZozedizIZ

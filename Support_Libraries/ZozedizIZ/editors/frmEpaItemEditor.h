#pragma once
#include "ZozedizIZ/editors/EpaDataList.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ZozedizIZ {

// "Product Info": one product's registration number and name, each checked
// by the validator as the user leaves its box.
class frmEpaItemEditor : public QDialog {
    Q_OBJECT
public:
    explicit frmEpaItemEditor(QWidget* parent = nullptr);

    // A new product, or nothing when the user cancels.
    EpaDataItemPtr NewItem();
    // The item itself when cancelled or unchanged, otherwise a new item with
    // the accepted values. The item passed in is never changed.
    EpaDataItemPtr EditItem(const EpaDataItemPtr& item);
    EpaDataItemPtr Edit(const QString& number, const QString& name);

    bool Cancelled() const { return m_cancelled; }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void EnableOK();
    void SetBackColor();
    // Each returns false, with the reason in the message label, when it
    // refuses the box's text; on success the box and the held value take the
    // validator's form of it.
    bool checkBox(qint32 fieldId, QLineEdit& box, QString& held);
    bool txtEpaNumber_Validate();
    bool txtProductName_Validate();
    void cmdOK_Click();

    QString m_number;
    QString m_name;
    bool m_cancelled = false;

    QLineEdit* txtEpaNumber = nullptr;
    QLineEdit* txtProductName = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblNumber = nullptr;
    QLabel* lblValMessage = nullptr;
};

} // namespace ZozedizIZ

#pragma once
#include "Vezedad/foundation/Identity.h"
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;

namespace ZozedizIZ {

// Edits the filer identity in eight boxes: the business, the primary
// applicator and the reporting contact. A box writes its value into the
// identity when the user leaves it; a value the identity refuses keeps the
// user in the box with the identity's own message. The identity's changes
// come back into the boxes.
//
// Four flags tell whether the ids that decide which report forms may be
// opened are complete; IdStatusChanged announces each change of a flag with
// its field id (37 applicator name, 3 business registration number,
// 4 certification id, 5 commercial sales permit number).
//
// The control keeps its designed size whatever its host does.
class ZOZEDIZIZ_EXPORT IdentityUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(
        bool MatchFormBackColor READ MatchFormBackColor WRITE setMatchFormBackColor NOTIFY MatchFormBackColorChanged)
public:
    explicit IdentityUI(QWidget* parent = nullptr);
    ~IdentityUI() override;

    // The applicator name holds more than blanks.
    bool StatusApplName() const { return m_statusApplName; }
    void setStatusApplName(bool value);
    // The business registration number has 5 characters.
    bool StatusBusReg() const { return m_statusBusReg; }
    void setStatusBusReg(bool value);
    // The certification id has 8 characters and passes the validator.
    bool StatusCertId() const { return m_statusCertId; }
    void setStatusCertId(bool value);
    // The commercial sales permit number has 6 characters and passes the
    // validator.
    bool StatusPermit() const { return m_statusPermit; }
    void setStatusPermit(bool value);

    // Edits robjIdentity, or the report model's identity when it is null,
    // and fills the boxes from it.
    void Initialize(const Vezedad::IdentityPtr& robjIdentity = nullptr);

    // Follow the host's background colour (false: the system's button face).
    bool MatchFormBackColor() const { return m_matchFormBackColor; }
    void setMatchFormBackColor(bool value);

    // Runs the leave-check of the box that has the focus, so that a value
    // still being typed reaches the identity; raises 380 when the identity
    // refuses it (the user has been told).
    void Validate();

signals:
    void IdStatusChanged(qint32 eProperty, bool blnStatus);
    void MatchFormBackColorChanged(bool value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* makeBox(const char* name, qint32 fieldId, qint32 maxLength, const QString& toolTip);
    void LoadProperties();
    void mobjIdentity_PropertyChanged(qint32 eProperty);
    bool leaveBox(QLineEdit* box, qint32 fieldId);
    void SetBackColor();
    QLineEdit* boxOf(qint32 fieldId) const;
    void setStatus(bool& status, qint32 fieldId, bool value);
    void boxChanged(qint32 fieldId, const QString& text);

    Vezedad::IdentityPtr mobjIdentity;
    bool m_statusApplName = false;
    bool m_statusBusReg = false;
    bool m_statusCertId = false;
    bool m_statusPermit = false;
    bool m_matchFormBackColor = false;
    // Each box with the identity field it edits.
    QList<QPair<QLineEdit*, qint32>> m_boxes;

    QGroupBox* fraBusiness = nullptr;
    QGroupBox* fraApplicator = nullptr;
    QGroupBox* fraContact = nullptr;
    QLabel* lblBusinessName = nullptr;
    QLabel* lblBusRegNum = nullptr;
    QLabel* lblPermitNum = nullptr;
    QLabel* lblCertId = nullptr;
    QLabel* lblApplName = nullptr;
    QLabel* lblContact = nullptr;
    QLabel* lblPhone = nullptr;
    QLabel* lblEmail = nullptr;
    QLineEdit* txtBusinessName = nullptr;
    QLineEdit* txtBusRegNum = nullptr;
    QLineEdit* txtPermitNumber = nullptr;
    QLineEdit* txtCertId = nullptr;
    QLineEdit* txtApplName = nullptr;
    QLineEdit* txtContact = nullptr;
    QLineEdit* txtPhone = nullptr;
    QLineEdit* txtEmail = nullptr;
};

} // namespace ZozedizIZ

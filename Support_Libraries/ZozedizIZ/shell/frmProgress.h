#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QDialog;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace ZozedizIZ {

class ProgressWindow;

// The progress window behind ProgressForm (callers use ProgressForm). The
// window itself exists from its load (StartTracking) to its unload
// (Finished); what it shows is kept here between runs.
class ZOZEDIZIZ_EXPORT frmProgress : public QObject {
    Q_OBJECT
public:
    explicit frmProgress(QObject* parent = nullptr);
    ~frmProgress() override;

    QString Description() const { return m_description; }
    void setDescription(const QString& value);
    float MaximumValue() const { return m_maximum; }
    void setMaximumValue(float value);
    bool StopRequested() const { return m_stop; }
    bool Loaded() const { return m_loaded; }

    void StartTracking(const QString& OperationDescription, float MaximumValue, bool ShowModal = true);
    bool Update(const QString& StatusMessage, float AmountDone);
    // Whether an Update now would paint (see ProgressForm::PaintDue).
    bool PaintDue() const;
    void Finished();

    // The window while it is loaded, else null.
    QDialog* window() const;
    // Hides the window when it is visible (the owner is going away).
    void HideWindow();

    // The estimate shown for R seconds left ("5 sec", "2:05 min",
    // "1:02:05 hr").
    static QString TimeString(float R);
    // The estimate for AmountDone of maximum after elapsedSeconds: "" before
    // anything is done.
    static QString TimeLeftText(float maximum, float AmountDone, qint64 elapsedSeconds);

    // The clock of the estimate, in whole seconds (a test sets its own).
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

signals:
    void Execute();
    void StopExecution();

private:
    friend class ProgressWindow;
    void Form_Load();
    void Form_Activate();
    // The description in its label and as the bar's name.
    void ShowDescription();
    void ControlVisibility();
    void SetBackColor();
    void cmdStop_Click();
    QString TimeLeft(float AmountDone) const;
    void setBar(float value);
    // The window asks to close (Esc, the window manager): refused while a job
    // runs or is about to.
    bool mayClose() const;

    QString m_description;
    float m_maximum = 0;
    bool m_showBar = false;
    bool m_loaded = false;
    bool m_activated = false;
    bool m_running = false;
    bool m_stop = false;
    qint64 m_start = 0;
    std::function<qint64()> m_clock;
    // When the window last showed an update (steady milliseconds).
    qint64 m_lastPaint = -1;

    QPointer<ProgressWindow> m_window;
    QLabel* lblOperation = nullptr;
    QLabel* lblStatus = nullptr;
    QProgressBar* pbProgress = nullptr;
    QLabel* lblTimeLeft = nullptr;
    QLineEdit* txtTimeLeft = nullptr;
    QPushButton* cmdStop = nullptr;
};

} // namespace ZozedizIZ

#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QObject>
#include <QString>
#include <exception>
#include <memory>

namespace ZozedizIZ {

class frmProgress;

// The modal progress window every long job runs in. The caller:
//   1. makes a ProgressForm and connects to Execute;
//   2. calls StartTracking(description, maximum); it returns when the window
//      has closed;
//   3. does the whole job in its Execute handler, which the window raises
//      once per StartTracking on its first activation, calling Update (status
//      line, amount done) regularly and stopping when it returns false (the
//      user pressed Stop);
//   4. calls Finished at the end of the handler, which closes the window.
// An error raised by the Execute handler closes the window and is raised
// again by StartTracking. Esc and the window manager's close do nothing while
// the job runs.
class ZOZEDIZIZ_EXPORT ProgressForm : public QObject {
    Q_OBJECT
public:
    explicit ProgressForm(QObject* parent = nullptr);
    // Hides a window that is still visible.
    ~ProgressForm() override;

    QString Description() const;
    // Replaces the description line.
    void setDescription(const QString& value);
    // The bar's maximum; 100 after a value of 0 or less. 0 hides the bar and
    // the estimate; any other value shows them. Setting it empties the bar
    // and restarts the estimate's clock.
    float MaximumValue() const;
    void setMaximumValue(float value);
    // True once Stop was pressed, until the next StartTracking.
    bool StopRequested() const;

    void StartTracking(const QString& OperationDescription, float MaximumValue, bool ShowModal = true);
    // Shows the status line, moves the bar (never past the maximum), shows
    // the time left, lets pending window events through and returns false
    // once the user has pressed Stop.
    bool Update(const QString& StatusMessage, float AmountDone);
    // Whether an Update now would paint: the window shows its figures at
    // most every 40 ms. A job that reports thousands of times a second asks
    // first, and between paints leaves its figures unmade and the window's
    // events waiting (StopRequested still answers); the last figures it
    // holds back it shows with an Update of its own when it ends.
    bool PaintDue() const;
    // Closes the window, which ends StartTracking. Does nothing when the
    // window is not up.
    void Finished();

    // The window object behind this form.
    frmProgress& Form() const { return *mfrm; }

signals:
    void Execute();
    void StopExecution();

private:
    void mfrm_Execute();
    void mfrm_StopExecution();

    std::unique_ptr<frmProgress> mfrm;
    bool m_modal = true;
    std::exception_ptr m_jobError;
};

} // namespace ZozedizIZ

#include "ZozedizIZ/shell/ProgressForm.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/frmProgress.h"

namespace ZozedizIZ {

ProgressForm::ProgressForm(QObject* parent) : QObject(parent), mfrm(std::make_unique<frmProgress>()) {
    connect(mfrm.get(), &frmProgress::Execute, this, &ProgressForm::mfrm_Execute);
    connect(mfrm.get(), &frmProgress::StopExecution, this, &ProgressForm::mfrm_StopExecution);
}

ProgressForm::~ProgressForm() {
    if (mfrm) mfrm->HideWindow();
}

QString ProgressForm::Description() const { return mfrm->Description(); }
void ProgressForm::setDescription(const QString& value) { mfrm->setDescription(value); }
float ProgressForm::MaximumValue() const { return mfrm->MaximumValue(); }
void ProgressForm::setMaximumValue(float value) { mfrm->setMaximumValue(value); }
bool ProgressForm::StopRequested() const { return mfrm->StopRequested(); }
bool ProgressForm::Update(const QString& StatusMessage, float AmountDone) {
    return mfrm->Update(StatusMessage, AmountDone);
}
bool ProgressForm::PaintDue() const { return mfrm->PaintDue(); }
void ProgressForm::Finished() { mfrm->Finished(); }

void ProgressForm::StartTracking(const QString& OperationDescription, float MaximumValue, bool ShowModal) {
    m_modal = ShowModal;
    m_jobError = nullptr;
    mfrm->StartTracking(OperationDescription, MaximumValue, ShowModal);
    if (m_jobError) {
        const std::exception_ptr error = m_jobError;
        m_jobError = nullptr;
        std::rethrow_exception(error);
    }
}

void ProgressForm::mfrm_Execute() {
    try {
        emit Execute();
    } catch (...) {
        // The job failed inside the window's modal loop: close the window
        // first; StartTracking raises the error once the loop has ended.
        m_jobError = std::current_exception();
        mfrm->Finished();
        if (!m_modal) {
            // No StartTracking is waiting for a window that was not modal.
            const Vezedad::ErrorInfo error = Vezedad::ErrorInfo::fromCurrentException();
            m_jobError = nullptr;
            Vezedad::Ui::ShowError(error, QStringLiteral("ZozedizIZ::ProgressForm.mfrm_Execute"));
        }
    }
}

void ProgressForm::mfrm_StopExecution() { emit StopExecution(); }

} // namespace ZozedizIZ

#include "shell/gui/WaitDialog.h"

#include <QThread>

#include "resources/StringTable.h"
#include "shell/gui/GuiThread.h"

namespace slidemill {

cWaitDlgThread::cWaitDlgThread(cWaitDialog* controller, ProgressMessage& progress)
    : QObject(controller), controller_(controller), progress_(progress) {}

cWaitDlgThread::~cWaitDlgThread() {
    if (window_) delete window_.data();
}

void cWaitDlgThread::Start() {
    state_ = std::make_shared<ProgressWindowState>();  // the close event, not signalled
    window_ = new ProgressDialog(this, progress_, state_);
    connect(window_, &QDialog::finished, this, [this](int) {
        if (window_) window_->deleteLater();
        deleteLater();
    });
    window_->show();
}

cWaitDialog::cWaitDialog(QObject* parent) : QObject(parent) {}

cWaitDialog::~cWaitDialog() = default;

void cWaitDialog::StartProgress(ProgressMessage& progress) {
    RunOnThreadOf(this, [this, &progress] { BeginWait(progress); });
}

void cWaitDialog::BeginWait(ProgressMessage& progress) {
    // A window left up by a failed run would share this run's stop flag: close it first.
    if (thread_ && thread_->State()) thread_->State()->closeEvent.store(true);
    auto* thread = new cWaitDlgThread(this, progress);
    thread_ = thread;
    thread->Start();
    std::lock_guard lock(mutex_);
    threadState_ = thread->State();
}

void cWaitDialog::FinishProgress() {
    std::shared_ptr<ProgressWindowState> state;
    {
        std::lock_guard lock(mutex_);
        state = threadState_;
    }
    if (!state) return;
    state->finished.store(true);
    if (!state->stoppedByUser.load()) {
        state->SetTitleText(strings::kConvertCompletely);
        // The caption belongs to the window; it is changed on the window's thread.
        QMetaObject::invokeMethod(
            this,
            [this, state] {
                if (thread_ && thread_->State() == state && thread_->Window())
                    thread_->Window()->SetStopCaption(QString::fromUtf8(strings::kClose));
            },
            Qt::AutoConnection);
    }
    EndWait();
}

void cWaitDialog::EndWait() {
    QThread::msleep(kEndWaitMs);
    std::lock_guard lock(mutex_);
    if (threadState_) {
        threadState_->closeEvent.store(true);
        threadState_.reset();
    }
}

ProgressDialog* cWaitDialog::CurrentWindow() const { return thread_ ? thread_->Window() : nullptr; }

bool cWaitDialog::HasThread() const {
    std::lock_guard lock(mutex_);
    return threadState_ != nullptr;
}

}  // namespace slidemill

#pragma once
// The progress window's controller. One cWaitDialog serves every run of the program; each
// run gets a new cWaitDlgThread, which owns that run's ProgressDialog and its close event.
//
// The job runs on a worker thread and the windows on the GUI thread, so starting the
// window is carried over to the GUI thread, and the job's thread only ever touches the
// shared ProgressWindowState. The stop flag lives in the job's ProgressMessage, which
// outlives the window: nothing the progress side does can leave the job reading a flag
// whose holder is gone.

#include <memory>
#include <mutex>

#include <QObject>
#include <QPointer>

#include "shell/Progress.h"
#include "shell/gui/ProgressDialog.h"

namespace slidemill {

class cWaitDialog;

class cWaitDlgThread : public QObject {
    Q_OBJECT
public:
    cWaitDlgThread(cWaitDialog* controller, ProgressMessage& progress);
    ~cWaitDlgThread() override;

    // Creates the close event and the window and shows it; the object deletes itself
    // (and its window) once the window has closed.
    void Start();

    cWaitDialog* Controller() const { return controller_; }
    ProgressMessage& Progress() const { return progress_; }
    const std::shared_ptr<ProgressWindowState>& State() const { return state_; }
    ProgressDialog* Window() const { return window_; }

private:
    cWaitDialog* controller_;
    ProgressMessage& progress_;
    std::shared_ptr<ProgressWindowState> state_;
    QPointer<ProgressDialog> window_;
};

class cWaitDialog : public QObject, public IProgressDisplay {
    Q_OBJECT
public:
    // Lives on the GUI thread (the thread that creates it).
    explicit cWaitDialog(QObject* parent = nullptr);
    ~cWaitDialog() override;

    // IProgressDisplay, called from the job's thread (or the GUI thread).
    void StartProgress(ProgressMessage& progress) override;
    void FinishProgress() override;
    // After an automation failure the window stays up, showing the last message, until
    // the user presses Stop.
    void FailProgress() override {}

    // Creates and starts the run's window, on the GUI thread.
    void BeginWait(ProgressMessage& progress);
    // Waits 500 ms on the calling thread, then signals the recorded run's close event and
    // forgets the run.
    void EndWait();

    // The window of the current run, or null.
    ProgressDialog* CurrentWindow() const;
    bool HasThread() const;

    static constexpr int kEndWaitMs = 500;

private:
    // The recorded run, as the job's thread sees it: its shared state only.
    mutable std::mutex mutex_;
    std::shared_ptr<ProgressWindowState> threadState_;
    // The recorded run's controller object; used on the GUI thread only.
    QPointer<cWaitDlgThread> thread_;
};

}  // namespace slidemill

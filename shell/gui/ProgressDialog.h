#pragma once
// The progress window of one run: a borderless pop-up with the job's progress message,
// an animated icon strip and a Stop button. A 50 ms timer keeps the message line in step
// with the job; at the end it shows "Convert completely." above a "Close" button.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

namespace slidemill {

class IconProgressStrip;
class ProgressMessage;
class cWaitDlgThread;

// Control ids of the progress window's layout.
constexpr int kIdProgressMessageLine = 1009;
constexpr int kIdProgressStop = 1039;
constexpr int kIdProgressStrip = 2006;

// What the job's thread hands to the window of a run: the close event (only ever
// signalled), the finished state and its texts. Safe to use from both threads.
struct ProgressWindowState {
    std::atomic<bool> closeEvent{false};
    std::atomic<bool> finished{false};
    std::atomic<bool> stoppedByUser{false};

    void SetTitleText(std::string text) {
        std::lock_guard lock(mutex);
        titleText = std::move(text);
    }
    std::string TitleText() const {
        std::lock_guard lock(mutex);
        return titleText;
    }

private:
    mutable std::mutex mutex;
    std::string titleText;
};

class ProgressDialog : public QDialog {
    Q_OBJECT
public:
    // `owner` is the run's controller, told when Stop is pressed; `progress` holds the
    // message and the stop flag and outlives the window.
    ProgressDialog(cWaitDlgThread* owner, ProgressMessage& progress, std::shared_ptr<ProgressWindowState> state,
                   QWidget* parent = nullptr);
    ~ProgressDialog() override;

    // The counter the strip follows; it runs on from one run to the next.
    static int TickCounter();
    static void SetTickCounter(int value);

    QLabel* MessageLine() const { return messageLine_; }
    QPushButton* StopButton() const { return stopButton_; }
    IconProgressStrip* Strip() const { return strip_; }

public slots:
    void OnStop();
    void OnTick();
    void SetStopCaption(const QString& caption);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    cWaitDlgThread* owner_;
    ProgressMessage& progress_;
    std::shared_ptr<ProgressWindowState> state_;
    QLabel* messageLine_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    IconProgressStrip* strip_ = nullptr;
    QTimer* timer_ = nullptr;
    bool closing_ = false;
};

}  // namespace slidemill

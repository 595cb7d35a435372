// The progress window driven as the job drives it, from a worker thread.

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <thread>

#include "GuiTestSupport.h"
#include "shell/gui/IconProgressStrip.h"
#include "shell/gui/ProgressDialog.h"
#include "shell/gui/WaitDialog.h"

namespace slidemill {
namespace {

using testing::WaitFor;

ProgressDialog* VisibleProgressWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<ProgressDialog*>(w); d && d->isVisible()) return d;
    return nullptr;
}

// Runs `job` on a worker thread while the GUI thread keeps processing events, recording
// every distinct text of the progress window's message line and of its button.
struct Observed {
    std::vector<std::string> messages;
    std::vector<std::string> buttons;
    bool stripHiddenAtEnd = false;
};

Observed RunJob(const std::function<void()>& job, int timeoutMs = 15000) {
    Observed seen;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        job();
        done = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < timeoutMs) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (ProgressDialog* d = VisibleProgressWindow()) {
            const std::string m = d->MessageLine()->text().toStdString();
            const std::string b = d->StopButton()->text().toStdString();
            if (seen.messages.empty() || seen.messages.back() != m) seen.messages.push_back(m);
            if (seen.buttons.empty() || seen.buttons.back() != b) seen.buttons.push_back(b);
            if (m == "Convert completely.") seen.stripHiddenAtEnd = d->Strip()->isHidden();
        }
        QThread::msleep(2);
    }
    worker.join();
    return seen;
}

TEST(ProgressWindow, FollowsTheJobsMessagesThenShowsTheFinishedStateAndCloses) {
    cWaitDialog controller;
    ProgressMessage progress;
    QElapsedTimer finishing;
    qint64 finishTook = 0;
    const Observed seen = RunJob([&] {
        controller.StartProgress(progress);
        progress.Set("Parsing file deck.ppt's data.");
        QThread::msleep(200);
        for (int slide = 1; slide <= 3; ++slide) {
            progress.Set("Converting... page " + std::to_string(slide) + " of 3.");
            QThread::msleep(200);
        }
        progress.Set("Save the output data.");
        QThread::msleep(150);
        finishing.start();
        controller.FinishProgress();
        finishTook = finishing.elapsed();
    });
    const std::vector<std::string> expected = {"Parsing file deck.ppt's data.", "Converting... page 1 of 3.",
                                               "Converting... page 2 of 3.", "Converting... page 3 of 3.",
                                               "Save the output data.", "Convert completely."};
    // The window shows them in order (the empty title text may come first).
    std::vector<std::string> messages = seen.messages;
    if (!messages.empty() && messages.front().empty()) messages.erase(messages.begin());
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(seen.buttons, std::vector<std::string>({"Stop", "Close"}));
    EXPECT_TRUE(seen.stripHiddenAtEnd);
    EXPECT_GE(finishTook, 490);  // the half-second of the finished state
    EXPECT_TRUE(WaitFor([] { return VisibleProgressWindow() == nullptr; }, 2000));
    EXPECT_FALSE(controller.HasThread());
    EXPECT_FALSE(progress.StopRequested());
}

TEST(ProgressWindow, StopSetsTheFlagBlocksHalfASecondAndClosesWithoutTheFinishedState) {
    cWaitDialog controller;
    ProgressMessage progress;
    controller.StartProgress(progress);  // from the GUI thread as well
    progress.Set("Converting... page 2 of 5.");
    ProgressDialog* window = VisibleProgressWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    ASSERT_TRUE(WaitFor([&] { return window->MessageLine()->text() == "Converting... page 2 of 5."; }));
    testing::SaveScreenshot(window, "progress-running");

    QElapsedTimer clock;
    clock.start();
    window->StopButton()->click();
    EXPECT_GE(clock.elapsed(), 490);
    EXPECT_TRUE(progress.StopRequested());
    EXPECT_TRUE(WaitFor([] { return VisibleProgressWindow() == nullptr; }, 2000));
    EXPECT_FALSE(controller.HasThread());

    // The job ends its loop later; finishing then finds no window and does not wait.
    clock.restart();
    controller.FinishProgress();
    EXPECT_LT(clock.elapsed(), 400);
}

TEST(ProgressWindow, TickCounterRunsOnFromOneRunToTheNext) {
    cWaitDialog controller;
    ProgressMessage progress;
    ProgressDialog::SetTickCounter(0);
    controller.StartProgress(progress);
    ProgressDialog* window = VisibleProgressWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitFor([] { return ProgressDialog::TickCounter() >= 12; }));
    EXPECT_EQ(window->Strip()->Pos(), ProgressDialog::TickCounter());
    RunJob([&] { controller.FinishProgress(); });
    ASSERT_TRUE(WaitFor([] { return VisibleProgressWindow() == nullptr; }, 2000));
    const int after = ProgressDialog::TickCounter();
    EXPECT_GE(after, 12);

    controller.StartProgress(progress);
    window = VisibleProgressWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitFor([&] { return window->Strip()->Pos() > 0; }));
    EXPECT_GT(window->Strip()->Pos(), after);  // not restarted at 1
    RunJob([&] { controller.FinishProgress(); });
    ASSERT_TRUE(WaitFor([] { return VisibleProgressWindow() == nullptr; }, 2000));

    // The counter wraps: position 100 shows the whole strip, then it starts again.
    ProgressDialog::SetTickCounter(98);
    controller.StartProgress(progress);
    window = VisibleProgressWindow();
    ASSERT_TRUE(WaitFor([&] { return window->Strip()->Pos() == 100; }, 3000));
    EXPECT_EQ(window->Strip()->VisibleCount(), window->Strip()->Capacity());
    ASSERT_TRUE(WaitFor([&] { return window->Strip()->Pos() < 10; }, 3000));
    RunJob([&] { controller.FinishProgress(); });
    WaitFor([] { return VisibleProgressWindow() == nullptr; }, 2000);
}

TEST(ProgressWindow, EnterDoesNothingAndEscStopsLikeTheButton) {
    cWaitDialog controller;
    ProgressMessage progress;
    controller.StartProgress(progress);
    ProgressDialog* window = VisibleProgressWindow();
    ASSERT_NE(window, nullptr);
    window->StopButton()->setFocus();
    QTest::keyClick(window->StopButton(), Qt::Key_Return);
    QTest::keyClick(window, Qt::Key_Enter);
    QTest::qWait(120);
    EXPECT_FALSE(progress.StopRequested());
    EXPECT_NE(VisibleProgressWindow(), nullptr);

    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(progress.StopRequested());
    EXPECT_TRUE(WaitFor([] { return VisibleProgressWindow() == nullptr; }, 2000));
    // The flag's holder is the job's own; it is still there to be read.
    EXPECT_TRUE(progress.StopRequested());
}

TEST(ProgressWindow, AfterAFailureTheWindowStaysUntilStopped) {
    cWaitDialog controller;
    ProgressMessage progress;
    RunJob([&] {
        controller.StartProgress(progress);
        progress.Set("Converting... page 1 of 2.");
        QThread::msleep(150);
        controller.FailProgress();
    });
    QTest::qWait(700);
    ProgressDialog* window = VisibleProgressWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->MessageLine()->text(), "Converting... page 1 of 2.");
    EXPECT_EQ(window->StopButton()->text(), "Stop");
    window->StopButton()->click();
    EXPECT_TRUE(WaitFor([] { return VisibleProgressWindow() == nullptr; }, 2000));
}

}  // namespace
}  // namespace slidemill

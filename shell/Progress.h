#pragma once
// What the conversion job shares with whoever shows its progress: the progress message,
// the stop flag and, for displays that want a bar, how many selected slides are done.
// Every member is safe to use from any thread; the message is exchanged as a whole string.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace slidemill {

class ProgressMessage {
public:
    void Set(std::string text) {
        std::lock_guard lock(mutex_);
        text_ = std::move(text);
        ++revision_;
    }
    std::string Get() const {
        std::lock_guard lock(mutex_);
        return text_;
    }
    // Grows with every Set, so a display can tell a new message from the old one.
    uint64_t Revision() const {
        std::lock_guard lock(mutex_);
        return revision_;
    }

    // Set once by the display's Stop button, read by the job before every slide.
    void RequestStop() { stop_.store(true); }
    bool StopRequested() const { return stop_.load(); }
    void ResetStop() { stop_.store(false); }

    // Selected slides done so far and selected slides in all (0 while not known).
    void SetSlidesDone(int32_t done, int32_t selected) {
        done_.store(done);
        selected_.store(selected);
    }
    int32_t SlidesDone() const { return done_.load(); }
    int32_t SlidesSelected() const { return selected_.load(); }

private:
    mutable std::mutex mutex_;
    std::string text_;
    uint64_t revision_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int32_t> done_{0};
    std::atomic<int32_t> selected_{0};
};

// The progress window of a run: started after the presentation application is up and
// finished at the end of the run (or left up after an automation failure until the user
// stops it). The command line's display is a status line on the terminal.
class IProgressDisplay {
public:
    virtual ~IProgressDisplay() = default;
    virtual void StartProgress(ProgressMessage& progress) = 0;
    virtual void FinishProgress() = 0;
    // An automation failure ended the run: the window stays up until the user presses
    // Stop. Displays without a window just finish.
    virtual void FailProgress() { FinishProgress(); }
};

}  // namespace slidemill

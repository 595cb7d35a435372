#include "shell/cli/TerminalProgress.h"

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace slidemill {

namespace {
volatile sig_atomic_t interrupted = 0;

void OnInterrupt(int) { interrupted = 1; }

std::string Bar(int32_t done, int32_t total) {
    constexpr int kWidth = 24;
    if (total <= 0) return {};
    const int filled = int(int64_t(kWidth) * std::min(done, total) / total);
    return " [" + std::string(size_t(filled), '#') + std::string(size_t(kWidth - filled), '.') + "] " +
           std::to_string(done) + "/" + std::to_string(total);
}
}  // namespace

void TerminalProgress::CatchInterrupt() {
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sa.sa_flags = SA_RESETHAND;  // a second Ctrl-C ends the program at once
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
}

void TerminalProgress::StartProgress(ProgressMessage& progress) {
    if (running_.exchange(true)) return;
    thread_ = std::thread([this, &progress] { Run(progress); });
}

void TerminalProgress::FinishProgress() {
    if (!running_.exchange(false)) return;
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(out_.mutex);
    out_.ClearStatusLocked();
}

void TerminalProgress::Draw(ProgressMessage& progress, uint64_t& shownRevision, int32_t& shownDone) {
    const uint64_t revision = progress.Revision();
    const int32_t done = progress.SlidesDone();
    if (revision == shownRevision && done == shownDone) return;
    shownRevision = revision;
    shownDone = done;
    const std::string line = progress.Get() + Bar(done, progress.SlidesSelected());
    std::lock_guard lock(out_.mutex);
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    out_.statusShown = true;
    std::fflush(stderr);
}

void TerminalProgress::Run(ProgressMessage& progress) {
    uint64_t shownRevision = 0;
    int32_t shownDone = -1;
    while (running_.load()) {
        if (interrupted) progress.RequestStop();
        if (draw_) Draw(progress, shownRevision, shownDone);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (draw_) Draw(progress, shownRevision, shownDone);  // the last message of the run
}

}  // namespace slidemill

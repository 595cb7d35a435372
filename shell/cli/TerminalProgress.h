#pragma once
// The progress of a run on a terminal's stderr: the current message and a bar of the
// selected slides done, redrawn in place. (Without a terminal the command line shows no
// progress, so that logs get only the outcome.) A first Ctrl-C asks the job to stop
// after the current slide.

#include <atomic>
#include <thread>

#include "shell/Progress.h"
#include "shell/cli/TerminalPrompt.h"

namespace slidemill {

class TerminalProgress : public IProgressDisplay {
public:
    // With draw false nothing is shown, but Ctrl-C still stops the run.
    TerminalProgress(TerminalOutput& out, bool draw) : out_(out), draw_(draw) {}
    ~TerminalProgress() override { FinishProgress(); }

    void StartProgress(ProgressMessage& progress) override;
    void FinishProgress() override;

    // Installs the Ctrl-C handler that the display thread turns into a stop request.
    static void CatchInterrupt();

private:
    void Run(ProgressMessage& progress);
    void Draw(ProgressMessage& progress, uint64_t& shownRevision, int32_t& shownDone);

    TerminalOutput& out_;
    bool draw_;
    std::thread thread_;
    std::atomic<bool> running_{false};
};

}  // namespace slidemill

#pragma once
// The job's questions and messages on a terminal. The overwrite question is answered by
// --yes, else asked on the terminal when there is one, else answered No; the view
// question is answered by --view. Messages go to stderr as one line each.

#include <cstdio>
#include <mutex>
#include <string>

#include "shell/Prompt.h"

namespace slidemill {

// Serialises writes to stderr between the prompt and the progress line.
struct TerminalOutput {
    std::mutex mutex;
    bool tty = false;
    bool statusShown = false;  // a progress line is on screen and must be cleared first

    void ClearStatusLocked() {
        if (statusShown) std::fputs("\r\033[K", stderr);
        statusShown = false;
    }
};

// "a \r\nb " -> "a b": the message boxes' line breaks on one terminal line.
std::string OneLine(const std::string& text);

class TerminalPrompt : public IPrompt {
public:
    TerminalPrompt(TerminalOutput& out, bool assumeYes, bool view, bool interactive)
        : out_(out), assumeYes_(assumeYes), view_(view), interactive_(interactive) {}

    bool AskYesNo(const std::string& text, const std::string& caption, bool defaultYes) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;

    // True once a line was printed for the user (so the caller does not add another).
    bool Reported() const { return reported_; }

private:
    TerminalOutput& out_;
    bool assumeYes_;
    bool view_;
    bool interactive_;
    bool reported_ = false;
};

}  // namespace slidemill

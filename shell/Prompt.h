#pragma once
// How the conversion job talks to the user: yes/no questions and plain messages. The
// command line answers from its flags or the terminal; the window marshals the calls onto
// its own thread. Implementations may be called from the job's worker thread.

#include <string>

namespace slidemill {

// The caption of boxes that carry no caption of their own.
inline constexpr const char* kApplicationTitle = "Slidemill";

class IPrompt {
public:
    virtual ~IPrompt() = default;
    // True for Yes. defaultYes names the default button (what an unattended answer is).
    virtual bool AskYesNo(const std::string& text, const std::string& caption, bool defaultYes) = 0;
    // A plain message box; an empty caption means the application's title.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
};

}  // namespace slidemill

#include "shell/cli/TerminalPrompt.h"

#include <iostream>

#include "shell/ConversionJob.h"

namespace slidemill {

std::string OneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

bool TerminalPrompt::AskYesNo(const std::string& text, const std::string&, bool defaultYes) {
    if (text == kViewQuestion) return view_;
    if (assumeYes_) return true;
    std::lock_guard lock(out_.mutex);
    out_.ClearStatusLocked();
    if (!interactive_) {
        std::fprintf(stderr, "slidemill: %s no (not asked without a terminal; use --yes)\n", OneLine(text).c_str());
        reported_ = true;
        return defaultYes;
    }
    std::fprintf(stderr, "%s [%s] ", OneLine(text).c_str(), defaultYes ? "Y/n" : "y/N");
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) answer.clear();
    if (answer.empty()) return defaultYes;
    return answer[0] == 'y' || answer[0] == 'Y';
}

void TerminalPrompt::ShowMessage(const std::string& text, const std::string&) {
    std::lock_guard lock(out_.mutex);
    out_.ClearStatusLocked();
    std::fprintf(stderr, "slidemill: %s\n", OneLine(text).c_str());
    reported_ = true;
}

}  // namespace slidemill

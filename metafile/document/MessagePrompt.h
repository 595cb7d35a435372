#pragma once
// How the metafile document tells the user about a problem ("File type not
// supported:\n%s"). The shell adapts it to a message box or the terminal.

#include <string>

namespace slidemill {

class IMessagePrompt {
public:
    virtual ~IMessagePrompt() = default;
    // Shows a modal message and returns when the user has seen it.
    virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace slidemill

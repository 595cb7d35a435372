#pragma once
// The job's questions and messages as modal message boxes over the main window, shown on
// the GUI thread whichever thread asks.

#include <QObject>

#include "shell/Prompt.h"

class QWidget;

namespace slidemill {

class GuiPrompt : public IPrompt {
public:
    // `parent` is the window the boxes belong to; it lives on the GUI thread.
    explicit GuiPrompt(QWidget* parent) : parent_(parent) {}

    // Yes and No, no icon; `defaultYes` picks the default button.
    bool AskYesNo(const std::string& text, const std::string& caption, bool defaultYes) override;
    // OK with a warning sign; an empty caption means the application's title.
    void ShowMessage(const std::string& text, const std::string& caption) override;

    // Message texts keep the platform's "\r\n" line breaks; boxes want "\n".
    static QString BoxText(const std::string& text);

private:
    QWidget* parent_;
};

}  // namespace slidemill

#pragma once
// The collaborators of the window in a real run: one clipboard shared by the presentation
// application and the job, the prepared-deck application for deck folders, the office
// suite for presentation files, and the window's metafile document, which the job opens
// every capture into and whose first page the record player draws.

#include <memory>

#include "metafile/document/MessagePrompt.h"
#include "platform/Clipboard.h"
#include "platform/automation/DeckApp.h"
#include "shell/Prompt.h"
#include "shell/SlidePictureSource.h"
#include "shell/gui/MainWindow.h"

namespace slidemill {

class CMetafileDocument;

class GuiBackends : private IMessagePrompt {
public:
    GuiBackends();
    ~GuiBackends() override;
    MainWindowServices Services();
    // Where the metafile document's messages go (the window's message boxes).
    void SetPrompt(IPrompt* prompt) { prompt_ = prompt; }
    // The application for a source path: a deck folder (or its deck.json) goes to the
    // deck application, anything else to the office suite.
    PresentationAppFactory* FactoryFor(const std::string& sourcePath);

private:
    void ShowMessage(const std::string& text) override;

    Clipboard clipboard_;
    DeckAppFactory deck_;
    std::unique_ptr<PresentationAppFactory> office_;
    std::unique_ptr<CMetafileDocument> document_;
    std::unique_ptr<ISlidePictureSource> pictures_;
    IPrompt* prompt_ = nullptr;
};

}  // namespace slidemill

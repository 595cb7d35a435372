#pragma once
// The collaborators of the window in a real run: one clipboard shared by the presentation
// application and the job, the prepared-deck application for deck folders, the office
// suite for presentation files, and the picture source the job opens captures with.

#include <memory>

#include "platform/Clipboard.h"
#include "platform/automation/DeckApp.h"
#include "shell/SlidePictureSource.h"
#include "shell/gui/MainWindow.h"

namespace slidemill {

class GuiBackends {
public:
    GuiBackends();
    ~GuiBackends();
    MainWindowServices Services();
    // The application for a source path: a deck folder (or its deck.json) goes to the
    // deck application, anything else to the office suite.
    PresentationAppFactory* FactoryFor(const std::string& sourcePath);

private:
    Clipboard clipboard_;
    DeckAppFactory deck_;
    std::unique_ptr<PresentationAppFactory> office_;
    std::unique_ptr<ISlidePictureSource> pictures_;
};

}  // namespace slidemill

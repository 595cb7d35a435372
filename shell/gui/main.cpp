// slidemill-gui: the window. Starts the graphics layer, runs the main window modally,
// and when the window closes releases the PDF library's shared tables and shuts the
// layer down. No settings are read or written: every start begins with the default
// options.

#include <QApplication>

#include <podofo/base/PdfEncodingFactory.h>

#include "shell/gui/GraphicsStartup.h"
#include "shell/gui/GuiBackends.h"
#include "shell/gui/MainWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Slidemill");
    // Nothing is shown when the graphics layer cannot be started.
    if (!slidemill::GraphicsLayer().Startup()) return 1;
    {
        slidemill::GuiBackends backends;
        slidemill::MainWindow window(backends.Services());
        backends.SetPrompt(&window.Prompt());
        window.exec();
        backends.SetPrompt(nullptr);
    }
    // The PDF library's shared encoding tables live until the program ends.
    PoDoFo::PdfEncodingFactory::FreeGlobalEncodingInstances();
    slidemill::GraphicsLayer().Shutdown();
    return 0;
}

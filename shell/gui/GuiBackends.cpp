#include "shell/gui/GuiBackends.h"

#include "shell/FramedWmfPictureSource.h"
#if SLIDEMILL_HAVE_OFFICE
#include "platform/office/OfficePresentationApp.h"
#endif

namespace slidemill {

GuiBackends::GuiBackends() : deck_(clipboard_) {
#if SLIDEMILL_HAVE_OFFICE
    office_ = std::make_unique<OfficePresentationAppFactory>(clipboard_);
#endif
    pictures_ = std::make_unique<FramedWmfPictureSource>();
}

GuiBackends::~GuiBackends() = default;

PresentationAppFactory* GuiBackends::FactoryFor(const std::string& sourcePath) {
    if (IsDeckPath(sourcePath)) return &deck_;
    return office_.get();
}

MainWindowServices GuiBackends::Services() {
    MainWindowServices services;
    services.appFactoryFor = [this](const std::string& path) { return FactoryFor(path); };
    services.pictures = pictures_.get();
    services.clipboard = &clipboard_;
    return services;
}

}  // namespace slidemill

#include "shell/gui/GuiBackends.h"

#include "metafile/document/MetafileDocument.h"
#include "platform/office/OfficePresentationApp.h"
#include "render/SharedFontCollection.h"
#include "shell/pictures/DocumentPictureSource.h"

namespace slidemill {

GuiBackends::GuiBackends()
    : deck_(clipboard_),
      office_(std::make_unique<OfficePresentationAppFactory>(clipboard_)),
      document_(std::make_unique<CMetafileDocument>(static_cast<IMessagePrompt*>(this))),
      pictures_(std::make_unique<DocumentPictureSource>(document_.get())) {}

GuiBackends::~GuiBackends() = default;

PresentationAppFactory* GuiBackends::FactoryFor(const std::string& sourcePath) {
    if (IsDeckPath(sourcePath)) return &deck_;
    return office_.get();
}

void GuiBackends::ShowMessage(const std::string& text) {
    if (prompt_) prompt_->ShowMessage(text, "");
}

MainWindowServices GuiBackends::Services() {
    MainWindowServices services;
    services.appFactoryFor = [this](const std::string& path) { return FactoryFor(path); };
    services.pictures = pictures_.get();
    services.clipboard = &clipboard_;
    services.releaseSharedFontCollection = [] { ReleaseSharedFontCollection(); };
    return services;
}

}  // namespace slidemill

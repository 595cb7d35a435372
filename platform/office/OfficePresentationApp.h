#pragma once
// The presentation application played by LibreOffice Impress: a private headless soffice
// per created application, driven over UNO through Slidemill's bridge program.
//
// Copy() exports the slide in pieces (background, the master's objects with the slide's
// own number, footer and date, the slide's shapes), merges them into one Windows
// metafile and puts it on the clipboard the application was created with.

#include <memory>
#include <string>

#include "platform/Clipboard.h"
#include "platform/automation/PresentationApp.h"
#include "platform/office/OfficeInstance.h"

namespace slidemill {

class OfficePresentationAppFactory : public PresentationAppFactory {
public:
    explicit OfficePresentationAppFactory(Clipboard& clipboard, OfficeLaunchOptions options = {});

    // Null when soffice (or the bridge) cannot be found or started; LastError() says why.
    std::unique_ptr<PresentationApp> Create() override;
    const std::string& LastError() const { return lastError_; }

private:
    Clipboard& clipboard_;
    OfficeLaunchOptions options_;
    std::string lastError_;
};

// What a created application exposes beyond the automation interface, for tests and
// diagnostics: the instance behind it.
class OfficePresentationApp : public PresentationApp {
public:
    virtual const OfficeInstance* Instance() const = 0;
};

}  // namespace slidemill

#pragma once
// The presentation application as the conversion job and the main window see it: the
// operations of its automation interface and nothing more. Any backend that offers them
// with these results can take its place (the office suite, a prepared deck folder, a
// test double). Every failing call throws AutomationError carrying a description; only
// TextToDisplay failures are absorbed by the callers (as an empty text).

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace slidemill {

class AutomationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Hyperlink {
public:
    virtual ~Hyperlink() = default;
    virtual std::string Address() = 0;
    virtual std::string SubAddress() = 0;
    virtual std::string TextToDisplay() = 0;  // may throw: the text of a picture's link cannot be read
};

class Hyperlinks {
public:
    virtual ~Hyperlinks() = default;
    virtual int32_t Count() = 0;
    virtual std::shared_ptr<Hyperlink> Item(int32_t index) = 0;  // 1-based
};

class Slide {
public:
    virtual ~Slide() = default;
    // Leaves the slide on the clipboard as a metafile picture.
    virtual void Copy() = 0;
    virtual std::shared_ptr<Hyperlinks> GetHyperlinks() = 0;
};

class Slides {
public:
    virtual ~Slides() = default;
    virtual int32_t Count() = 0;
    virtual std::shared_ptr<Slide> Item(int16_t number) = 0;  // 1-based slide number
};

class PageSetup {
public:
    virtual ~PageSetup() = default;
    virtual float SlideWidth() = 0;   // points
    virtual float SlideHeight() = 0;  // points
};

class DocumentProperty {
public:
    virtual ~DocumentProperty() = default;
    virtual std::string Value() = 0;
};

// Built-in document properties by index: 1 title, 2 subject, 3 author, 4 keywords,
// 7 last author.
class DocumentProperties {
public:
    virtual ~DocumentProperties() = default;
    virtual std::shared_ptr<DocumentProperty> Item(int32_t index) = 0;
};

class Presentation {
public:
    virtual ~Presentation() = default;
    virtual std::shared_ptr<Slides> GetSlides() = 0;
    virtual std::shared_ptr<PageSetup> GetPageSetup() = 0;
    virtual std::shared_ptr<DocumentProperties> BuiltInDocumentProperties() = 0;
};

class Presentations {
public:
    virtual ~Presentations() = default;
    virtual std::shared_ptr<Presentation> Open(const std::string& fileName, int32_t readOnly, int32_t untitled,
                                               int32_t withWindow) = 0;
};

class PresentationApp {
public:
    virtual ~PresentationApp() = default;
    virtual std::shared_ptr<Presentations> GetPresentations() = 0;
    virtual void Quit() = 0;
};

// Starts the application. Returns null when it cannot be started (taken to mean that it
// is not installed).
class PresentationAppFactory {
public:
    virtual ~PresentationAppFactory() = default;
    virtual std::unique_ptr<PresentationApp> Create() = 0;
};

}  // namespace slidemill

#include "FakePresentation.h"

namespace slidemill::testing {

namespace {

class NoLinks : public Hyperlinks {
public:
    int32_t Count() override { return 0; }
    std::shared_ptr<Hyperlink> Item(int32_t) override { throw AutomationError("no such hyperlink"); }
};

class FakeSlide : public Slide {
public:
    FakeSlide(FakeDeck& deck, Clipboard& clipboard, int16_t number)
        : deck_(deck), clipboard_(clipboard), number_(number) {}
    void Copy() override {
        if (deck_.onCopy) deck_.onCopy(number_);
        ++deck_.copies;
        MetafilePicture picture;
        picture.mm = 8;
        picture.xExt = 25400;
        picture.yExt = 19050;
        picture.wmf = TinyWmf();
        clipboard_.SetMetafilePicture(std::move(picture));
    }
    std::shared_ptr<Hyperlinks> GetHyperlinks() override { return std::make_shared<NoLinks>(); }

private:
    FakeDeck& deck_;
    Clipboard& clipboard_;
    int16_t number_;
};

class FakeSlides : public Slides {
public:
    FakeSlides(FakeDeck& deck, Clipboard& clipboard) : deck_(deck), clipboard_(clipboard) {}
    int32_t Count() override { return deck_.slides; }
    std::shared_ptr<Slide> Item(int16_t number) override {
        if (number < 1 || number > deck_.slides) throw AutomationError("slide out of range");
        return std::make_shared<FakeSlide>(deck_, clipboard_, number);
    }

private:
    FakeDeck& deck_;
    Clipboard& clipboard_;
};

class FakeSetup : public PageSetup {
public:
    float SlideWidth() override { return 720; }
    float SlideHeight() override { return 540; }
};

class FakeProperty : public DocumentProperty {
public:
    explicit FakeProperty(std::string v) : value_(std::move(v)) {}
    std::string Value() override { return value_; }

private:
    std::string value_;
};

class FakeProperties : public DocumentProperties {
public:
    explicit FakeProperties(FakeDeck& deck) : deck_(deck) {}
    std::shared_ptr<DocumentProperty> Item(int32_t index) override {
        switch (index) {
            case 1: return std::make_shared<FakeProperty>(deck_.title);
            case 2: return std::make_shared<FakeProperty>(deck_.subject);
            case 3: return std::make_shared<FakeProperty>(deck_.author);
            case 4: return std::make_shared<FakeProperty>(deck_.keywords);
            case 7: return std::make_shared<FakeProperty>(deck_.lastAuthor);
            default: throw AutomationError("no such property");
        }
    }

private:
    FakeDeck& deck_;
};

class FakePresentationDoc : public Presentation {
public:
    FakePresentationDoc(FakeDeck& deck, Clipboard& clipboard) : deck_(deck), clipboard_(clipboard) {}
    std::shared_ptr<Slides> GetSlides() override { return std::make_shared<FakeSlides>(deck_, clipboard_); }
    std::shared_ptr<PageSetup> GetPageSetup() override { return std::make_shared<FakeSetup>(); }
    std::shared_ptr<DocumentProperties> BuiltInDocumentProperties() override {
        return std::make_shared<FakeProperties>(deck_);
    }

private:
    FakeDeck& deck_;
    Clipboard& clipboard_;
};

class FakePresentations : public Presentations {
public:
    FakePresentations(FakeDeck& deck, Clipboard& clipboard) : deck_(deck), clipboard_(clipboard) {}
    std::shared_ptr<Presentation> Open(const std::string& fileName, int32_t, int32_t, int32_t) override {
        deck_.openedPath = fileName;
        if (!deck_.failOpenWith.empty()) throw AutomationError(deck_.failOpenWith);
        return std::make_shared<FakePresentationDoc>(deck_, clipboard_);
    }

private:
    FakeDeck& deck_;
    Clipboard& clipboard_;
};

class FakeApp : public PresentationApp {
public:
    FakeApp(FakeDeck& deck, Clipboard& clipboard) : deck_(deck), clipboard_(clipboard) {}
    std::shared_ptr<Presentations> GetPresentations() override {
        return std::make_shared<FakePresentations>(deck_, clipboard_);
    }
    void Quit() override { ++deck_.quits; }

private:
    FakeDeck& deck_;
    Clipboard& clipboard_;
};

}  // namespace

std::vector<uint8_t> TinyWmf() {
    // Type 1 (memory), header of 9 words, version 0x0300, 12 words in all, no objects,
    // largest record 3 words, then the end-of-file record (3 words, function 0).
    return {0x01, 0x00, 0x09, 0x00, 0x00, 0x03, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00,
            0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00};
}

std::unique_ptr<PresentationApp> FakeAppFactory::Create() {
    ++deck_.creates;
    if (!installed_) return nullptr;
    return std::make_unique<FakeApp>(deck_, clipboard_);
}

}  // namespace slidemill::testing

#include "platform/automation/DeckApp.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <vector>

#include "platform/files/Files.h"
#include "platform/wmf/PlaceableHeader.h"

namespace slidemill {

namespace {

using nlohmann::json;

constexpr uint64_t kMaxManifestBytes = 16u << 20;
constexpr uint64_t kMaxPictureBytes = 1u << 30;
constexpr double kMaxSlideSidePoints = 1.0e5;  // far beyond any real slide, well inside the capture's ranges

struct DeckLink {
    std::string address;
    std::string subAddress;
    std::string text;
    bool textUnreadable = false;
};

struct DeckSlide {
    std::string picturePath;  // resolved against the deck folder
    std::vector<DeckLink> links;
};

struct DeckData {
    std::string folder;  // with trailing separator
    float slideWidth = 720.0f;
    float slideHeight = 540.0f;
    std::string properties[8];  // by index 1..7
    std::vector<DeckSlide> slides;
};

std::string ManifestPathFor(const std::string& path) {
    if (IsDirectory(path)) return path + (path.empty() || path.back() == '/' ? "" : "/") + kDeckManifestName;
    return path;
}

// Reads an optional string member; anything but a string is an error.
std::string OptionalString(const json& object, const char* key, const std::string& where) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) return {};
    if (!it->is_string()) throw AutomationError(where + ": \"" + key + "\" must be a string");
    return it->get<std::string>();
}

float SlideSide(const json& root, const char* key, float fallback, const std::string& where) {
    auto it = root.find(key);
    if (it == root.end()) return fallback;
    if (!it->is_number()) throw AutomationError(where + ": \"" + key + "\" must be a number of points");
    const double v = it->get<double>();
    if (!std::isfinite(v) || v <= 0 || v > kMaxSlideSidePoints)
        throw AutomationError(where + ": \"" + key + "\" must lie between 0 and 100000 points");
    return float(v);
}

std::shared_ptr<DeckData> LoadDeck(const std::string& path) {
    const std::string manifest = ManifestPathFor(path);
    if (!PathExists(manifest)) throw AutomationError("no deck found at " + path + " (" + manifest + " is missing)");
    auto bytes = ReadFileBytes(manifest, kMaxManifestBytes);
    if (!bytes) throw AutomationError("cannot read the deck manifest " + manifest);

    json root;
    try {
        root = json::parse(bytes->begin(), bytes->end());
    } catch (const json::exception& e) {
        throw AutomationError("the deck manifest " + manifest + " is malformed: " + e.what());
    }
    if (!root.is_object()) throw AutomationError("the deck manifest " + manifest + " is malformed: not an object");

    auto deck = std::make_shared<DeckData>();
    deck->folder = FolderOf(manifest);
    deck->slideWidth = SlideSide(root, "slideWidth", 720.0f, manifest);
    deck->slideHeight = SlideSide(root, "slideHeight", 540.0f, manifest);

    if (auto it = root.find("properties"); it != root.end() && !it->is_null()) {
        if (!it->is_object()) throw AutomationError(manifest + ": \"properties\" must be an object");
        deck->properties[1] = OptionalString(*it, "title", manifest);
        deck->properties[2] = OptionalString(*it, "subject", manifest);
        deck->properties[3] = OptionalString(*it, "author", manifest);
        deck->properties[4] = OptionalString(*it, "keywords", manifest);
        deck->properties[5] = OptionalString(*it, "comments", manifest);
        deck->properties[6] = OptionalString(*it, "template", manifest);
        deck->properties[7] = OptionalString(*it, "lastAuthor", manifest);
    }

    auto slides = root.find("slides");
    if (slides == root.end() || !slides->is_array())
        throw AutomationError("the deck manifest " + manifest + " has no \"slides\" list");
    if (slides->size() > 32767) throw AutomationError(manifest + ": more than 32767 slides");
    int number = 0;
    for (const json& s : *slides) {
        ++number;
        const std::string where = manifest + ", slide " + std::to_string(number);
        if (!s.is_object()) throw AutomationError(where + ": must be an object");
        DeckSlide slide;
        const std::string picture = OptionalString(s, "picture", where);
        if (picture.empty()) throw AutomationError(where + ": \"picture\" names no file");
        slide.picturePath = picture.front() == '/' ? picture : deck->folder + picture;
        if (auto links = s.find("hyperlinks"); links != s.end() && !links->is_null()) {
            if (!links->is_array()) throw AutomationError(where + ": \"hyperlinks\" must be a list");
            for (const json& l : *links) {
                if (!l.is_object()) throw AutomationError(where + ": every hyperlink must be an object");
                DeckLink link;
                link.address = OptionalString(l, "address", where);
                link.subAddress = OptionalString(l, "subAddress", where);
                link.text = OptionalString(l, "text", where);
                if (auto u = l.find("textUnreadable"); u != l.end() && !u->is_null()) {
                    if (!u->is_boolean()) throw AutomationError(where + ": \"textUnreadable\" must be true or false");
                    link.textUnreadable = u->get<bool>();
                }
                slide.links.push_back(std::move(link));
            }
        }
        deck->slides.push_back(std::move(slide));
    }
    return deck;
}

class DeckHyperlink : public Hyperlink {
public:
    explicit DeckHyperlink(DeckLink link) : link_(std::move(link)) {}
    std::string Address() override { return link_.address; }
    std::string SubAddress() override { return link_.subAddress; }
    std::string TextToDisplay() override {
        if (link_.textUnreadable) throw AutomationError("the display text of this hyperlink cannot be read");
        return link_.text;
    }

private:
    DeckLink link_;
};

class DeckHyperlinks : public Hyperlinks {
public:
    explicit DeckHyperlinks(std::vector<DeckLink> links) : links_(std::move(links)) {}
    int32_t Count() override { return int32_t(links_.size()); }
    std::shared_ptr<Hyperlink> Item(int32_t index) override {
        if (index < 1 || index > Count())
            throw AutomationError("hyperlink " + std::to_string(index) + " does not exist (the slide has " +
                                  std::to_string(Count()) + ")");
        return std::make_shared<DeckHyperlink>(links_[size_t(index - 1)]);
    }

private:
    std::vector<DeckLink> links_;
};

class DeckSlideObject : public Slide {
public:
    DeckSlideObject(std::shared_ptr<DeckData> deck, int number, Clipboard& clipboard)
        : deck_(std::move(deck)), number_(number), clipboard_(clipboard) {}

    void Copy() override {
        const DeckSlide& slide = deck_->slides[size_t(number_ - 1)];
        const std::string where = "slide " + std::to_string(number_) + ": picture " + slide.picturePath;
        if (!PathExists(slide.picturePath)) throw AutomationError(where + " is missing");
        auto bytes = ReadFileBytes(slide.picturePath, kMaxPictureBytes);
        if (!bytes) throw AutomationError(where + " cannot be read");

        MetafilePicture picture;
        picture.mm = 8;
        std::span<const uint8_t> wmf(*bytes);
        const auto placeable = ReadPlaceableHeader(wmf);
        if (placeable) wmf = wmf.subspan(kPlaceableHeaderSize);
        if (!LooksLikeMetafile(wmf)) throw AutomationError(where + " is not a Windows metafile");
        if (placeable && placeable->WidthHundredthsMm() > 0 && placeable->HeightHundredthsMm() > 0) {
            picture.xExt = placeable->WidthHundredthsMm();
            picture.yExt = placeable->HeightHundredthsMm();
        } else {
            picture.xExt = int32_t(std::lround(double(deck_->slideWidth) * 2540.0 / 72.0));
            picture.yExt = int32_t(std::lround(double(deck_->slideHeight) * 2540.0 / 72.0));
        }
        picture.wmf.assign(wmf.begin(), wmf.end());
        if (!clipboard_.Open()) throw AutomationError("the clipboard is in use");
        clipboard_.Empty();
        clipboard_.SetMetafilePicture(std::move(picture));
        clipboard_.Close();
    }

    std::shared_ptr<Hyperlinks> GetHyperlinks() override {
        return std::make_shared<DeckHyperlinks>(deck_->slides[size_t(number_ - 1)].links);
    }

private:
    // The standard header: type 1 or 2 and a header size of 9 words.
    static bool LooksLikeMetafile(std::span<const uint8_t> bytes) {
        ByteReader r(bytes);
        if (!r.Has(18)) return false;
        const uint16_t type = r.U16();
        const uint16_t words = r.U16();
        return (type == 1 || type == 2) && words == 9;
    }

    std::shared_ptr<DeckData> deck_;
    int number_;
    Clipboard& clipboard_;
};

class DeckSlides : public Slides {
public:
    DeckSlides(std::shared_ptr<DeckData> deck, Clipboard& clipboard) : deck_(std::move(deck)), clipboard_(clipboard) {}
    int32_t Count() override { return int32_t(deck_->slides.size()); }
    std::shared_ptr<Slide> Item(int16_t number) override {
        if (number < 1 || number > Count())
            throw AutomationError("slide " + std::to_string(number) + " does not exist (the deck has " +
                                  std::to_string(Count()) + " slides)");
        return std::make_shared<DeckSlideObject>(deck_, number, clipboard_);
    }

private:
    std::shared_ptr<DeckData> deck_;
    Clipboard& clipboard_;
};

class DeckPageSetup : public PageSetup {
public:
    explicit DeckPageSetup(std::shared_ptr<DeckData> deck) : deck_(std::move(deck)) {}
    float SlideWidth() override { return deck_->slideWidth; }
    float SlideHeight() override { return deck_->slideHeight; }

private:
    std::shared_ptr<DeckData> deck_;
};

class DeckProperty : public DocumentProperty {
public:
    explicit DeckProperty(std::string value) : value_(std::move(value)) {}
    std::string Value() override { return value_; }

private:
    std::string value_;
};

class DeckProperties : public DocumentProperties {
public:
    explicit DeckProperties(std::shared_ptr<DeckData> deck) : deck_(std::move(deck)) {}
    std::shared_ptr<DocumentProperty> Item(int32_t index) override {
        if (index < 1 || index > 7) throw AutomationError("document property " + std::to_string(index) + " does not exist");
        return std::make_shared<DeckProperty>(deck_->properties[index]);
    }

private:
    std::shared_ptr<DeckData> deck_;
};

class DeckPresentation : public Presentation {
public:
    DeckPresentation(std::shared_ptr<DeckData> deck, Clipboard& clipboard) : deck_(std::move(deck)), clipboard_(clipboard) {}
    std::shared_ptr<Slides> GetSlides() override { return std::make_shared<DeckSlides>(deck_, clipboard_); }
    std::shared_ptr<PageSetup> GetPageSetup() override { return std::make_shared<DeckPageSetup>(deck_); }
    std::shared_ptr<DocumentProperties> BuiltInDocumentProperties() override {
        return std::make_shared<DeckProperties>(deck_);
    }

private:
    std::shared_ptr<DeckData> deck_;
    Clipboard& clipboard_;
};

class DeckPresentations : public Presentations {
public:
    explicit DeckPresentations(Clipboard& clipboard) : clipboard_(clipboard) {}
    std::shared_ptr<Presentation> Open(const std::string& fileName, int32_t, int32_t, int32_t) override {
        return std::make_shared<DeckPresentation>(LoadDeck(fileName), clipboard_);
    }

private:
    Clipboard& clipboard_;
};

class DeckApplication : public PresentationApp {
public:
    explicit DeckApplication(Clipboard& clipboard) : clipboard_(clipboard) {}
    std::shared_ptr<Presentations> GetPresentations() override {
        return std::make_shared<DeckPresentations>(clipboard_);
    }
    void Quit() override {}

private:
    Clipboard& clipboard_;
};

}  // namespace

bool IsDeckPath(const std::string& path) {
    if (path.empty()) return false;
    if (IsDirectory(path)) return PathExists(ManifestPathFor(path));
    return FileNameOf(path) == kDeckManifestName && PathExists(path);
}

std::unique_ptr<PresentationApp> DeckAppFactory::Create() { return std::make_unique<DeckApplication>(clipboard_); }

}  // namespace slidemill

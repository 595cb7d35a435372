#include "platform/office/OfficePresentationApp.h"

#include <unistd.h>

#include <filesystem>
#include <map>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/office/SlidePictureMerge.h"

namespace slidemill {

namespace fs = std::filesystem;
using json = nlohmann::json;

namespace {

// What every object of one application shares. The application ends the instance when
// it goes; objects that outlive it then fail with a description.
struct OfficeSession {
    std::unique_ptr<OfficeInstance> instance;
    Clipboard& clipboard;

    OfficeSession(std::unique_ptr<OfficeInstance> i, Clipboard& c) : instance(std::move(i)), clipboard(c) {}

    json Call(const json& request) { return Call(request, Instance().Options().callTimeout); }
    // Decks are open read-only, so what they report about themselves (slide count,
    // size, links) never changes: each question crosses the bridge once. The job asks
    // them again for every slide.
    json CachedCall(const json& request) {
        const std::string key = request.dump();
        auto it = answers.find(key);
        if (it != answers.end()) return it->second;
        json answer = Call(request);
        answers.emplace(key, answer);
        return answer;
    }
    std::map<std::string, json> answers;
    json Call(const json& request, std::chrono::milliseconds timeout) { return Instance().Call(request, timeout); }
    OfficeInstance& Instance() {
        if (!instance || !instance->Running())
            throw AutomationError("The presentation application is no longer running.");
        return *instance;
    }
};
using Session = std::shared_ptr<OfficeSession>;

std::string Text(const json& j, const char* key) {
    auto it = j.find(key);
    return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

int32_t Int(const json& j, const char* key) {
    auto it = j.find(key);
    if (it == j.end() || !it->is_number()) throw AutomationError("The presentation application gave no value.");
    return it->get<int32_t>();
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    constexpr std::uintmax_t kLimit = std::uintmax_t(1) << 30;
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec) throw AutomationError("The slide picture " + path + " was not written.");
    if (size > kLimit) throw AutomationError("The slide picture is too large.");
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) throw AutomationError("The slide picture " + path + " cannot be read.");
    return bytes;
}

// Only files the bridge wrote into the instance's own folder are read and removed.
bool InsideFolder(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.size() <= folder.size() + 1) return false;
    return path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/' &&
           path.find("/../") == std::string::npos;
}

class OfficeHyperlink : public Hyperlink {
public:
    OfficeHyperlink(std::string address, std::string subAddress, std::string text, bool hasText)
        : address_(std::move(address)), subAddress_(std::move(subAddress)), text_(std::move(text)), hasText_(hasText) {}
    std::string Address() override { return address_; }
    std::string SubAddress() override { return subAddress_; }
    std::string TextToDisplay() override {
        if (!hasText_) throw AutomationError("The hyperlink has no text to display.");
        return text_;
    }

private:
    std::string address_, subAddress_, text_;
    bool hasText_;
};

class OfficeHyperlinks : public Hyperlinks {
public:
    explicit OfficeHyperlinks(std::vector<std::shared_ptr<Hyperlink>> links) : links_(std::move(links)) {}
    int32_t Count() override { return int32_t(links_.size()); }
    std::shared_ptr<Hyperlink> Item(int32_t index) override {
        if (index < 1 || index > Count()) throw AutomationError("The hyperlink index is out of range.");
        return links_[size_t(index - 1)];
    }

private:
    std::vector<std::shared_ptr<Hyperlink>> links_;
};

class OfficeSlide : public Slide {
public:
    OfficeSlide(Session session, int64_t doc, int32_t number) : session_(std::move(session)), doc_(doc), number_(number) {}

    void Copy() override {
        OfficeInstance& instance = session_->Instance();
        const std::string folder = instance.Folder();
        const std::string prefix = folder + "/slide-" + std::to_string(number_);
        json answer = session_->Call({{"op", "copy"}, {"doc", doc_}, {"slide", number_}, {"prefix", prefix}});
        const int32_t width = Int(answer, "width");
        const int32_t height = Int(answer, "height");
        std::vector<ExportPiece> pieces;
        std::vector<std::string> written;
        auto removeWritten = [&] {
            for (const auto& p : written) {
                std::error_code ec;
                fs::remove(p, ec);
            }
        };
        try {
            for (const json& p : answer.value("pieces", json::array())) {
                const std::string path = Text(p, "path");
                if (!InsideFolder(path, folder)) throw AutomationError("The slide picture was written elsewhere.");
                written.push_back(path);
                ExportPiece piece;
                piece.file = ReadWholeFile(path);
                piece.collection = p.value("collection", false);
                piece.originX = p.value("originX", 0);
                piece.originY = p.value("originY", 0);
                pieces.push_back(std::move(piece));
            }
            MetafilePicture picture = MergeSlidePieces(pieces, width, height);
            removeWritten();
            Clipboard& clipboard = session_->clipboard;
            if (!clipboard.Open()) throw AutomationError("The clipboard is in use.");
            clipboard.Empty();
            clipboard.SetMetafilePicture(std::move(picture));
            clipboard.Close();
        } catch (...) {
            removeWritten();
            throw;
        }
    }

    std::shared_ptr<Hyperlinks> GetHyperlinks() override {
        // The folder lets the bridge save the deck once and read every slide's URL fields from it.
        json answer = session_->CachedCall(
            {{"op", "links"}, {"doc", doc_}, {"slide", number_}, {"folder", session_->Instance().Folder()}});
        std::vector<std::shared_ptr<Hyperlink>> links;
        for (const json& l : answer.value("links", json::array())) {
            links.push_back(std::make_shared<OfficeHyperlink>(Text(l, "address"), Text(l, "subaddress"),
                                                              Text(l, "text"), l.value("hasText", false)));
        }
        return std::make_shared<OfficeHyperlinks>(std::move(links));
    }

private:
    Session session_;
    int64_t doc_;
    int32_t number_;
};

class OfficeSlides : public Slides {
public:
    OfficeSlides(Session session, int64_t doc) : session_(std::move(session)), doc_(doc) {}
    int32_t Count() override { return Int(session_->CachedCall({{"op", "count"}, {"doc", doc_}}), "count"); }
    std::shared_ptr<Slide> Item(int16_t number) override {
        const int32_t count = Count();
        if (number < 1 || number > count)
            throw AutomationError("Slide " + std::to_string(number) + " does not exist; the presentation has " +
                                  std::to_string(count) + " slides.");
        return std::make_shared<OfficeSlide>(session_, doc_, number);
    }

private:
    Session session_;
    int64_t doc_;
};

class OfficePageSetup : public PageSetup {
public:
    OfficePageSetup(Session session, int64_t doc) : session_(std::move(session)), doc_(doc) {}
    float SlideWidth() override { return ToPoints(Int(Size(), "width")); }
    float SlideHeight() override { return ToPoints(Int(Size(), "height")); }

private:
    json Size() { return session_->CachedCall({{"op", "size"}, {"doc", doc_}}); }
    static float ToPoints(int32_t hundredthsMm) { return float(double(hundredthsMm) * 72.0 / 2540.0); }
    Session session_;
    int64_t doc_;
};

class OfficeDocumentProperty : public DocumentProperty {
public:
    explicit OfficeDocumentProperty(std::string value) : value_(std::move(value)) {}
    std::string Value() override { return value_; }

private:
    std::string value_;
};

class OfficeDocumentProperties : public DocumentProperties {
public:
    explicit OfficeDocumentProperties(json values) : values_(std::move(values)) {}
    std::shared_ptr<DocumentProperty> Item(int32_t index) override {
        const char* key = nullptr;
        switch (index) {
        case 1: key = "title"; break;
        case 2: key = "subject"; break;
        case 3: key = "author"; break;
        case 4: key = "keywords"; break;
        case 7: key = "modifiedBy"; break;
        default:
            throw AutomationError("The document property " + std::to_string(index) + " is not available.");
        }
        return std::make_shared<OfficeDocumentProperty>(Text(values_, key));
    }

private:
    json values_;
};

class OfficePresentation : public Presentation {
public:
    OfficePresentation(Session session, int64_t doc) : session_(std::move(session)), doc_(doc) {}
    ~OfficePresentation() override {
        try {
            if (session_->instance && session_->instance->Running())
                session_->Call({{"op", "close"}, {"doc", doc_}}, std::chrono::milliseconds(10000));
        } catch (const std::exception&) {
            // Nothing to report from a destructor; the instance ends with the application.
        }
    }
    std::shared_ptr<Slides> GetSlides() override { return std::make_shared<OfficeSlides>(session_, doc_); }
    std::shared_ptr<PageSetup> GetPageSetup() override { return std::make_shared<OfficePageSetup>(session_, doc_); }
    std::shared_ptr<DocumentProperties> BuiltInDocumentProperties() override {
        return std::make_shared<OfficeDocumentProperties>(session_->Call({{"op", "props"}, {"doc", doc_}}));
    }

private:
    Session session_;
    int64_t doc_;
};

class OfficePresentations : public Presentations {
public:
    explicit OfficePresentations(Session session) : session_(std::move(session)) {}
    // The suite always opens read-only and without a window: nothing is ever saved, and
    // there is nobody to look at a window.
    std::shared_ptr<Presentation> Open(const std::string& fileName, int32_t, int32_t, int32_t) override {
        std::error_code ec;
        std::string path = fileName;
        if (!path.empty() && path.front() != '/') path = fs::absolute(path, ec).string();
        json answer = session_->Call({{"op", "open"}, {"path", path}}, session_->Instance().Options().openTimeout);
        auto doc = answer.find("doc");
        if (doc == answer.end() || !doc->is_number_integer())
            throw AutomationError("The presentation application did not open " + fileName + ".");
        return std::make_shared<OfficePresentation>(session_, doc->get<int64_t>());
    }

private:
    Session session_;
};

class OfficeApp : public OfficePresentationApp {
public:
    explicit OfficeApp(Session session) : session_(std::move(session)) {}
    ~OfficeApp() override {
        if (session_->instance) session_->instance->Kill();
    }
    std::shared_ptr<Presentations> GetPresentations() override {
        session_->Instance();  // fails once the application has quit
        return std::make_shared<OfficePresentations>(session_);
    }
    void Quit() override {
        if (session_->instance) session_->instance->Quit();
    }
    const OfficeInstance* Instance() const override { return session_->instance.get(); }

private:
    Session session_;
};

}  // namespace

OfficePresentationAppFactory::OfficePresentationAppFactory(Clipboard& clipboard, OfficeLaunchOptions options)
    : clipboard_(clipboard), options_(std::move(options)) {}

std::unique_ptr<PresentationApp> OfficePresentationAppFactory::Create() {
    lastError_.clear();
    auto instance = OfficeInstance::Start(options_, &lastError_);
    if (!instance) return nullptr;
    return std::make_unique<OfficeApp>(std::make_shared<OfficeSession>(std::move(instance), clipboard_));
}

}  // namespace slidemill

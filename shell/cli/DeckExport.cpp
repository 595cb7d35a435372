#include "shell/cli/DeckExport.h"

#include <sys/stat.h>

#include <cerrno>
#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "metafile/ByteReader.h"
#include "platform/automation/DeckApp.h"
#include "platform/files/Files.h"
#include "platform/office/PresentationSummary.h"
#include "platform/wmf/PlaceableHeader.h"

namespace slidemill {

namespace {

constexpr uint16_t kWmfSetWindowOrg = 0x020B;
constexpr uint16_t kWmfSetWindowExt = 0x020C;
constexpr uint16_t kWmfEof = 0x0000;

struct Window {
    int32_t x = 0, y = 0, cx = 0, cy = 0;
    bool hasExtent = false;
};

// The last window origin and extent the records set ([MS-WMF] 2.3.5.30/31: y before x).
Window ReadWindow(const std::vector<uint8_t>& wmf) {
    Window window;
    ByteReader r(wmf.data(), wmf.size());
    const uint16_t headerWords = r.PeekU16(2);  // the standard header's size in 16-bit words
    if (headerWords < 9 || !r.Seek(size_t(headerWords) * 2)) return window;
    while (r.Remaining() >= 6) {
        const size_t start = r.Offset();
        const uint32_t words = r.U32();
        const uint16_t function = r.U16();
        if (!r.Ok() || words < 3 || !r.Contains(start, size_t(words) * 2)) break;
        if (function == kWmfEof) break;
        if ((function == kWmfSetWindowOrg || function == kWmfSetWindowExt) && words >= 5) {
            const int16_t y = r.I16();
            const int16_t x = r.I16();
            if (function == kWmfSetWindowOrg) {
                window.x = x;
                window.y = y;
            } else {
                window.cx = x;
                window.cy = y;
                window.hasExtent = true;
            }
        }
        if (!r.Seek(start + size_t(words) * 2)) break;
    }
    return window;
}

bool FitsInt16(int64_t v) { return v >= INT16_MIN && v <= INT16_MAX; }

void MakeFolder(const std::string& folder) {
    if (IsDirectory(folder)) return;
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
        throw std::runtime_error("cannot make the folder " + folder);
}

std::string Joined(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

std::optional<PlaceableBox> PlaceableBoxFor(const MetafilePicture& picture) {
    const Window window = ReadWindow(picture.wmf);
    PlaceableBox box;
    if (!window.hasExtent || window.cx == 0 || window.cy == 0) {
        // Logical units of 0.01 mm: the suggested extent is the box.
        if (picture.xExt <= 0 || picture.yExt <= 0 || !FitsInt16(picture.xExt) || !FitsInt16(picture.yExt))
            return std::nullopt;
        box.right = int16_t(picture.xExt);
        box.bottom = int16_t(picture.yExt);
        box.unitsPerInch = 2540;
        return box;
    }
    const int64_t right = int64_t(window.x) + window.cx;
    const int64_t bottom = int64_t(window.y) + window.cy;
    if (!FitsInt16(right) || !FitsInt16(bottom)) return std::nullopt;
    box.left = int16_t(std::min<int64_t>(window.x, right));
    box.right = int16_t(std::max<int64_t>(window.x, right));
    box.top = int16_t(std::min<int64_t>(window.y, bottom));
    box.bottom = int16_t(std::max<int64_t>(window.y, bottom));
    if (picture.xExt <= 0) {
        box.unitsPerInch = 2540;  // no size suggested: the units are taken to be 0.01 mm
        return box;
    }
    // Logical units per inch = window width / (suggested width in inches).
    const double perInch = std::abs(double(window.cx)) * 2540.0 / double(picture.xExt);
    if (!(perInch >= 1.0) || perInch > 65535.0) return std::nullopt;
    box.unitsPerInch = uint16_t(std::lround(perInch));
    return box;
}

void ExportDeck(PresentationApp& app, Clipboard& clipboard, const std::string& input, const std::string& folder) {
    // The summary opens the presentation and reads sizes, properties and links.
    const PresentationSummary summary = CollectPresentationSummary(app, input);
    MakeFolder(folder);

    std::shared_ptr<Presentation> presentation = app.GetPresentations()->Open(input, 0, 0, 0);
    std::shared_ptr<Slides> slides = presentation->GetSlides();
    nlohmann::json deck;
    const float width = summary.slides.empty() ? 720.0f : summary.slides.front().widthPt;
    const float height = summary.slides.empty() ? 540.0f : summary.slides.front().heightPt;
    deck["slideWidth"] = width;
    deck["slideHeight"] = height;
    deck["properties"] = {{"title", summary.title},       {"subject", summary.subject},
                          {"author", summary.author},     {"keywords", summary.keywords},
                          {"lastAuthor", summary.lastAuthor}};
    nlohmann::json list = nlohmann::json::array();
    for (const SlideSummary& s : summary.slides) {
        if (s.number < 1 || s.number > INT16_MAX) break;
        clipboard.Empty();
        slides->Item(int16_t(s.number))->Copy();
        const MetafilePicture* picture = clipboard.GetMetafilePicture();
        if (picture == nullptr) throw AutomationError("slide " + std::to_string(s.number) + " left no picture");
        const std::optional<PlaceableBox> box = PlaceableBoxFor(*picture);
        if (!box)
            throw std::runtime_error("the picture of slide " + std::to_string(s.number) +
                                     " has a size a placeable metafile cannot hold");
        const std::string name = "slide" + std::to_string(s.number) + ".wmf";
        if (!WriteFileBytes(Joined(folder, name), WithPlaceableHeader(picture->wmf, box->left, box->top, box->right,
                                                                     box->bottom, box->unitsPerInch)))
            throw std::runtime_error("cannot write " + Joined(folder, name));
        nlohmann::json links = nlohmann::json::array();
        for (const HyperlinkSummary& h : s.hyperlinks) {
            nlohmann::json link = {{"address", h.address}, {"subAddress", h.subAddress}, {"text", h.textToDisplay}};
            if (!h.textReadable) link["textUnreadable"] = true;
            links.push_back(std::move(link));
        }
        list.push_back({{"picture", name}, {"hyperlinks", std::move(links)}});
    }
    deck["slides"] = std::move(list);
    const std::string text = deck.dump(2) + "\n";
    if (!WriteFileBytes(Joined(folder, kDeckManifestName), std::vector<uint8_t>(text.begin(), text.end())))
        throw std::runtime_error("cannot write " + Joined(folder, kDeckManifestName));
}

}  // namespace slidemill

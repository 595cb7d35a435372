// make-demo-deck: writes the demo deck folder (deck.json and one Windows metafile per
// slide) that the README's first command converts. The pictures are drawn here with the
// project's own metafile recorder, at 2540 logical units per inch (0.01 mm) like the
// pictures a presentation application exports.
//
//   make-demo-deck OUTPUT_FOLDER

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "metafile/ByteReader.h"
#include "platform/files/Files.h"
#include "platform/wmf/PlaceableHeader.h"
#include "platform/wmf/WmfRecorder.h"

namespace slidemill {
namespace {

constexpr int16_t kWidth = 25400;   // 10 inches: a 720-point slide
constexpr int16_t kHeight = 19050;  // 7.5 inches: 540 points
constexpr uint16_t kUnitsPerInch = 2540;

constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }

constexpr uint32_t kNavy = Rgb(0x1F, 0x3A, 0x68);
constexpr uint32_t kSky = Rgb(0x4A, 0x90, 0xD9);
constexpr uint32_t kOrange = Rgb(0xF2, 0x8C, 0x28);
constexpr uint32_t kGreen = Rgb(0x3C, 0xA5, 0x5C);
constexpr uint32_t kRed = Rgb(0xD6, 0x3C, 0x3C);
constexpr uint32_t kWhite = Rgb(0xFF, 0xFF, 0xFF);
constexpr uint32_t kInk = Rgb(0x22, 0x22, 0x22);
constexpr uint32_t kLink = Rgb(0x10, 0x50, 0xC0);

class Slide {
public:
    Slide() {
        rec_.SetMapMode(8);  // anisotropic: the window below maps onto whatever viewport plays it
        rec_.SetWindowOrg(0, 0);
        rec_.SetWindowExt(kWidth, kHeight);
        rec_.SetBkMode(1);       // transparent text background
        rec_.SetTextAlign(0x18); // baseline, left
        Fill(0, 0, kWidth, kHeight, kWhite);
        Fill(0, 0, kWidth, 2600, kNavy);  // title band
    }

    void Fill(int16_t l, int16_t t, int16_t r, int16_t b, uint32_t color, bool ellipse = false) {
        const uint16_t brush = rec_.CreateSolidBrush(color);
        const uint16_t pen = rec_.CreatePen(5, 0, 0);  // PS_NULL: no outline
        rec_.SelectObject(brush);
        rec_.SelectObject(pen);
        if (ellipse)
            rec_.Polygon(EllipsePoints(l, t, r, b));  // flattened, as presentation exports draw curves
        else
            rec_.Rectangle(l, t, r, b);
        rec_.DeleteObject(brush);
        rec_.DeleteObject(pen);
    }

    void Polygon(std::vector<WmfPoint> points, uint32_t color) {
        const uint16_t brush = rec_.CreateSolidBrush(color);
        const uint16_t pen = rec_.CreatePen(0, 40, kInk);
        rec_.SelectObject(brush);
        rec_.SelectObject(pen);
        rec_.Polygon(points);
        rec_.DeleteObject(brush);
        rec_.DeleteObject(pen);
    }

    void Line(std::vector<WmfPoint> points, uint32_t color, int16_t width) {
        const uint16_t pen = rec_.CreatePen(0, width, color);
        rec_.SelectObject(pen);
        rec_.Polyline(points);
        rec_.DeleteObject(pen);
    }

    void Text(int16_t x, int16_t y, const std::string& text, int16_t height, uint32_t color, bool bold = false) {
        const uint16_t font = rec_.CreateFont(int16_t(-height), bold ? 700 : 400, false, "Arial");
        rec_.SelectObject(font);
        rec_.SetTextColor(color);
        rec_.ExtTextOut(x, y, text);
        rec_.DeleteObject(font);
    }

    void Title(const std::string& text) { Text(1000, 1750, text, 1000, kWhite, true); }

    // The picture with the placeable header in front, or without it.
    std::vector<uint8_t> Bytes(bool placeable) {
        const std::vector<uint8_t> wmf = rec_.Finish();
        if (!placeable) return wmf;
        return WithPlaceableHeader(wmf, 0, 0, kWidth, kHeight, kUnitsPerInch);
    }

private:
    static std::vector<WmfPoint> EllipsePoints(int16_t l, int16_t t, int16_t r, int16_t b) {
        constexpr int kSteps = 72;
        const double cx = (l + r) / 2.0, cy = (t + b) / 2.0, rx = (r - l) / 2.0, ry = (b - t) / 2.0;
        std::vector<WmfPoint> points;
        for (int i = 0; i < kSteps; ++i) {
            const double a = 2 * 3.14159265358979323846 * i / kSteps;
            points.push_back({int16_t(std::lround(cx + rx * std::cos(a))), int16_t(std::lround(cy + ry * std::sin(a)))});
        }
        return points;
    }

    WmfRecorder rec_;
};

nlohmann::ordered_json Link(const std::string& address, const std::string& subAddress, const std::string& text,
                            bool unreadable = false) {
    nlohmann::ordered_json l;
    l["address"] = address;
    l["subAddress"] = subAddress;
    l["text"] = text;
    if (unreadable) l["textUnreadable"] = true;
    return l;
}

int Make(const std::string& folderArg) {
    std::string folder = folderArg;
    if (folder.back() != '/') folder += '/';
    nlohmann::ordered_json slides = nlohmann::ordered_json::array();
    auto save = [&](Slide& s, const std::string& name, bool placeable, nlohmann::ordered_json links) {
        if (!WriteFileBytes(folder + name, s.Bytes(placeable))) {
            std::fprintf(stderr, "make-demo-deck: cannot write %s%s\n", folder.c_str(), name.c_str());
            return false;
        }
        nlohmann::ordered_json slide;
        slide["picture"] = name;
        slide["hyperlinks"] = std::move(links);
        slides.push_back(std::move(slide));
        return true;
    };

    Slide one;
    one.Title("Slidemill");
    one.Text(1000, 4600, "Presentations to PDF, one page per slide", 700, kInk);
    one.Fill(1000, 6000, 12000, 13500, kSky);
    one.Fill(13500, 6000, 24400, 13500, kOrange, true);
    one.Text(1600, 9800, "Shapes in colour", 600, kWhite, true);
    one.Text(1000, 16500, "www.example.org", 600, kLink);
    if (!save(one, "slide1.wmf", true, {Link("https://www.example.org", "", "www.example.org")})) return 1;

    Slide two;
    two.Title("Links");
    two.Text(1000, 5000, "Write to", 600, kInk);
    two.Text(3400, 5000, "hello@example.org", 600, kLink);
    two.Text(1000, 7000, "Go to the summary", 600, kLink);
    two.Polygon({{15000, 13500}, {19500, 5500}, {24000, 13500}}, kGreen);
    two.Line({{1000, 15500}, {6000, 12500}, {11000, 15500}, {16000, 12500}}, kRed, 120);
    if (!save(two, "slide2.wmf", true,
              {Link("mailto:hello@example.org", "", "hello@example.org"), Link("", "Summary", "Go to the summary")}))
        return 1;

    Slide three;  // stored without the placeable header: its size comes from the deck
    three.Title("Shapes");
    three.Fill(1000, 4000, 7000, 10000, kRed);
    three.Fill(9000, 4000, 15000, 10000, kGreen, true);
    three.Fill(17000, 4000, 23000, 10000, kSky);
    three.Polygon({{2000, 17500}, {6000, 11500}, {10000, 17500}}, kOrange);
    three.Line({{12000, 12000}, {23000, 17500}}, kNavy, 200);
    three.Text(13500, 12000, "The picture is a link", 500, kInk);
    if (!save(three, "slide3.wmf", false, {Link("https://www.example.org/shapes", "", "", true)})) return 1;

    Slide four;
    four.Title("Summary");
    four.Text(1000, 5000, "1. The presentation application draws each slide", 600, kInk);
    four.Text(1000, 6600, "2. Slidemill plays the picture onto a PDF page", 600, kInk);
    four.Text(1000, 8200, "3. Links, header, footer and watermark follow", 600, kInk);
    four.Fill(1000, 10500, 24400, 11000, kNavy);
    if (!save(four, "slide4.wmf", true, nlohmann::ordered_json::array())) return 1;

    nlohmann::ordered_json deck;
    deck["slideWidth"] = 720;
    deck["slideHeight"] = 540;
    deck["properties"] = {{"title", "Slidemill demo"},
                          {"subject", "What Slidemill does"},
                          {"author", "The Slidemill developers"},
                          {"keywords", "slides, PDF, metafile"},
                          {"lastAuthor", "make-demo-deck"}};
    deck["slides"] = std::move(slides);
    const std::string text = deck.dump(2) + "\n";
    if (!WriteFileBytes(folder + "deck.json", std::vector<uint8_t>(text.begin(), text.end()))) {
        std::fprintf(stderr, "make-demo-deck: cannot write %sdeck.json\n", folder.c_str());
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace slidemill

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-demo-deck OUTPUT_FOLDER\n");
        return 2;
    }
    return slidemill::Make(argv[1]);
}

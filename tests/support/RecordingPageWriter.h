#pragma once
// A page writer for tests: records every drawing call as one text line, numbers printed
// with %g, colours as 0x%06x. Geometry() is not recorded (the renderer reads it all the
// time); it is a real PageGeometry that tests set up and read back.
//
//   SetPenColor 0x0000ff          SetPenWidth 2           SetBrushColor 0x00ff00
//   SetDrawColor 0xff0000         DrawLine 1 2 3 4
//   DrawPolyline 3: 0,0 1,1 2,2   FillPolygon 3: 0,0 1,1 2,2   (ys as the caller gave them)
//   SetClipRect 0 0 100 50        ClipToPlayArea          SaveState      RestoreState
//   SetFont Arial 0 0             DrawChar 65 10 20 12
//   IsLinkText www.a.org          FindLinkTarget www.a.org
//   AddUriLink 1 2 3 4 http://x   AddTextRun 0 hello 1 2 3 4   (side first)
//   DrawImage 10 20 100 50 4x2 none | key 0xffffff | alpha   (x y w h, pixel size, mask)
//
// The pixels of every placed image are kept in `images`, in call order (unless keepImages
// is false; then only their consistency is checked, in `inconsistentImages`).
//
// FillPolygon flips the caller's ys in place (y := pageHeight - y) as the real writer does.

#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "pdf/PageWriter.h"
#include "platform/dib/DibTypes.h"

namespace slidemill::testing {

class RecordingPageWriter : public IPageWriter {
public:
    std::vector<std::string> calls;
    PageGeometry geometry;
    std::vector<DecodedImage> images;
    bool keepImages = true;
    int inconsistentImages = 0;  // pixel buffers that do not match their size

    // Configurable answers.
    int setFontResult = 0;
    std::set<std::string> linkTexts;                   // IsLinkText answers true for these
    std::map<std::string, std::string> linkTargets;    // FindLinkTarget: text -> address
    bool flipFilledPolygons = true;
    bool linkContinues = false;  // what LinkContinues() refers to

    PageGeometry& Geometry() override { return geometry; }

    void SetPenColor(const COLORREF& color) override { calls.push_back("SetPenColor " + Hex(color)); }
    void SetPenWidth(double width) override { calls.push_back("SetPenWidth " + Num(width)); }
    void SetBrushColor(const COLORREF& color) override { calls.push_back("SetBrushColor " + Hex(color)); }
    void SetDrawColor(const COLORREF& color) override { calls.push_back("SetDrawColor " + Hex(color)); }

    void DrawLine(double x1, double y1, double x2, double y2) override {
        calls.push_back("DrawLine " + Num(x1) + " " + Num(y1) + " " + Num(x2) + " " + Num(y2));
    }
    void DrawPolyline(const double* xs, const double* ys, int count) override {
        calls.push_back("DrawPolyline " + Points(xs, ys, count));
    }
    void FillPolygon(const double* xs, double* ys, int count) override {
        calls.push_back("FillPolygon " + Points(xs, ys, count));
        if (flipFilledPolygons && ys != nullptr)
            for (int i = 0; i < count; ++i) ys[i] = geometry.pageHeight - ys[i];
    }

    void SetClipRect(double x, double y, double w, double h) override {
        calls.push_back("SetClipRect " + Num(x) + " " + Num(y) + " " + Num(w) + " " + Num(h));
    }
    void ClipToPlayArea() override { calls.push_back("ClipToPlayArea"); }
    void SaveState() override { calls.push_back("SaveState"); }
    void RestoreState() override { calls.push_back("RestoreState"); }

    int SetFont(const std::string& faceName, bool bold, bool italic) override {
        calls.push_back("SetFont " + faceName + " " + (bold ? "1" : "0") + " " + (italic ? "1" : "0"));
        return setFontResult;
    }
    void DrawChar(uint16_t code, double x, double y, double cellHeight) override {
        calls.push_back("DrawChar " + std::to_string(code) + " " + Num(x) + " " + Num(y) + " " + Num(cellHeight));
    }
    void SetTextRotation(double degrees) override { calls.push_back("SetTextRotation " + Num(degrees)); }

    bool IsLinkText(const std::string& text) override {
        calls.push_back("IsLinkText " + text);
        return linkTexts.count(text) != 0;
    }
    bool FindLinkTarget(const std::string& text, std::string& target) override {
        calls.push_back("FindLinkTarget " + text);
        auto it = linkTargets.find(text);
        if (it == linkTargets.end()) {
            target = text;
            return false;
        }
        target = it->second;
        return true;
    }
    void AddUriLink(float x, float y, float w, float h, const std::string& target) override {
        calls.push_back("AddUriLink " + Num(x) + " " + Num(y) + " " + Num(w) + " " + Num(h) + " " + target);
    }
    void AddTextRun(const std::string& text, double x, double y, double w, double h, int side) override {
        calls.push_back("AddTextRun " + std::to_string(side) + " " + text + " " + Num(x) + " " + Num(y) + " " +
                        Num(w) + " " + Num(h));
    }
    bool& LinkContinues() override { return linkContinues; }

    void DrawImage(double x, double y, double w, double h, const DecodedImage& image, const ImageMask& mask) override {
        std::string m = "none";
        if (mask.kind == ImageMask::Kind::ColorKey) m = "key " + Hex(mask.key);
        if (mask.kind == ImageMask::Kind::SoftMask) m = "alpha";
        calls.push_back("DrawImage " + Num(x) + " " + Num(y) + " " + Num(w) + " " + Num(h) + " " +
                        std::to_string(image.width) + "x" + std::to_string(image.height) + " " + m);
        const size_t pixels = size_t(image.width) * image.height;
        if (image.rgb.size() != pixels * 3 || (image.hasAlpha && image.alpha.size() != pixels)) ++inconsistentImages;
        if (keepImages) images.push_back(image);
    }

    // Number formatting used in the lines, for tests that build expected lines.
    static std::string Num(double v) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%g", v);
        return buffer;
    }
    static std::string Hex(COLORREF c) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "0x%06x", static_cast<unsigned>(c));
        return buffer;
    }

private:
    static std::string Points(const double* xs, const double* ys, int count) {
        std::string line = std::to_string(count) + ":";
        for (int i = 0; xs != nullptr && ys != nullptr && i < count; ++i) line += " " + Num(xs[i]) + "," + Num(ys[i]);
        return line;
    }
};

}  // namespace slidemill::testing

#pragma once
// A page writer that draws nothing: lets benchmarks measure parsing and rendering alone.

#include <string>

#include "pdf/PageWriter.h"

namespace slidemill {

class NullPageWriter : public IPageWriter {
public:
    PageGeometry& Geometry() override { return geometry_; }
    void SetPenColor(const COLORREF&) override {}
    void SetPenWidth(double) override {}
    void SetBrushColor(const COLORREF&) override {}
    void SetDrawColor(const COLORREF&) override {}
    void DrawLine(double, double, double, double) override {}
    void DrawPolyline(const double*, const double*, int) override {}
    // Keeps the in-place flip so callers see the same arrays as with the real writer.
    void FillPolygon(const double*, double* ys, int count) override {
        for (int i = 0; ys != nullptr && i < count; ++i) ys[i] = geometry_.pageHeight - ys[i];
    }
    void SetClipRect(double, double, double, double) override {}
    void ClipToPlayArea() override {}
    void SaveState() override {}
    void RestoreState() override {}
    int SetFont(const std::string&, bool, bool) override { return 0; }
    void DrawChar(uint16_t, double, double, double) override {}
    bool IsLinkText(const std::string&) override { return false; }
    bool FindLinkTarget(const std::string& text, std::string& target) override {
        target = text;
        return false;
    }
    void AddUriLink(float, float, float, float, const std::string&) override {}
    void AddTextRun(const std::string&, double, double, double, double, int) override {}
    bool& LinkContinues() override { return linkContinues_; }
    void DrawImage(double, double, double, double, const DecodedImage&, const ImageMask&) override {}

private:
    PageGeometry geometry_;
    bool linkContinues_ = false;
};

}  // namespace slidemill

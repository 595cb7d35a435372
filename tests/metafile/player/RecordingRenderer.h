#pragma once
// A renderer that logs the operations the parser calls, with their arguments, as text
// lines, and otherwise behaves like the real one. And a text measurer whose advances
// are the selected font's height, so tests can tell which font measured.

#include <cstdlib>
#include <string>
#include <vector>

#include "metafile/player/EmfParser.h"
#include "platform/gdi/TextMeasurer.h"
#include "render/EmfRenderer.h"

namespace slidemill::testing {

class FakeMeasurer : public ITextMeasurer {
public:
    int calls = 0;
    bool MeasureExtents(const LOGFONTW& font, const char16_t*, int count, std::vector<int32_t>& out) override {
        ++calls;
        int32_t advance = font.lfHeight ? std::abs(font.lfHeight) : 5;
        out.resize(size_t(count));
        for (int i = 0; i < count; ++i) out[size_t(i)] = advance * (i + 1);
        return true;
    }
};

class RecordingRenderer : public CEmfRenderer {
public:
    std::vector<std::string> log;
    bool logRecords = false;

    static std::string Pt(const POINTL& p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
    static std::string Rc(const RECTL& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom);
    }
    template <typename View>
    static std::string Pts(const View& v, int32_t n) {
        std::string s = std::to_string(n) + ":";
        for (int32_t i = 0; i < n; ++i) s += " " + Pt(v[size_t(i)]);
        return s;
    }
    static std::string F(float v) {
        char b[32];
        std::snprintf(b, sizeof b, "%g", double(v));
        return b;
    }

    void OnRecord(int32_t type) override {
        if (logRecords) log.push_back("OnRecord " + std::to_string(type));
        CEmfRenderer::OnRecord(type);
    }
    void OnPolylineTo(PointsL p, int32_t n) override {
        log.push_back("OnPolylineTo " + Pts(p, n));
        CEmfRenderer::OnPolylineTo(p, n);
    }
    void OnPolyline16(PointsS p, int32_t n) override {
        log.push_back("OnPolyline16 " + Pts(p, n));
        CEmfRenderer::OnPolyline16(p, n);
    }
    void OnPolygon(PointsL p, int32_t n) override {
        log.push_back("OnPolygon " + Pts(p, n));
        CEmfRenderer::OnPolygon(p, n);
    }
    void OnPolyPolygon16(PointsS p, int32_t total, U32Array counts, int32_t polys) override {
        std::string s = "OnPolyPolygon16 " + std::to_string(total) + " [";
        for (int32_t i = 0; i < polys; ++i) s += (i ? "," : "") + std::to_string(counts[size_t(i)]);
        log.push_back(s + "] " + Pts(p, total));
        CEmfRenderer::OnPolyPolygon16(p, total, counts, polys);
    }
    void OnMoveTo(const POINTL& p) override {
        log.push_back("OnMoveTo " + Pt(p));
        CEmfRenderer::OnMoveTo(p);
    }
    void OnSelectPen(GdiHandle h) override {
        log.push_back("OnSelectPen");
        CEmfRenderer::OnSelectPen(h);
    }
    void OnSelectExtPen(GdiHandle h) override {
        log.push_back("OnSelectExtPen");
        CEmfRenderer::OnSelectExtPen(h);
    }
    void OnSelectBrush(GdiHandle h) override {
        log.push_back("OnSelectBrush");
        CEmfRenderer::OnSelectBrush(h);
    }
    void OnSelectFont(GdiHandle h) override {
        log.push_back("OnSelectFont");
        CEmfRenderer::OnSelectFont(h);
    }
    void OnPatBlt(const RECTL& r, uint32_t rop, const XFORM* xf) override {
        char b[16];
        std::snprintf(b, sizeof b, "%08x", rop);
        log.push_back(std::string("OnPatBlt ") + Rc(r) + " " + b + (xf ? " xform" : ""));
        CEmfRenderer::OnPatBlt(r, rop, xf);
    }
    void OnStretchBlt(const RECTL& d, const RECTL& s, RecordBytes bits, RecordBytes bmi, uint32_t usage, uint32_t rop,
                      const XFORM* xf) override {
        char b[16];
        std::snprintf(b, sizeof b, "%08x", rop);
        log.push_back("OnStretchBlt " + Rc(d) + " " + Rc(s) + " bits=" + std::to_string(bits.size()) +
                      " bmi=" + std::to_string(bmi.size()) + " usage=" + std::to_string(usage) + " " + b +
                      (xf ? " xform" : ""));
    }
    void OnMaskBlt(const RECTL& d, const RECTL& s, RecordBytes bits, RecordBytes bmi, uint32_t usage, uint32_t rop,
                   const XFORM*, COLORREF, int32_t xMask, int32_t yMask, RecordBytes maskBits, RecordBytes maskBmi,
                   uint32_t) override {
        char b[16];
        std::snprintf(b, sizeof b, "%08x", rop);
        std::string mask;
        for (uint8_t v : maskBits) {
            char h[4];
            std::snprintf(h, sizeof h, "%02x", v);
            mask += h;
        }
        log.push_back("OnMaskBlt " + Rc(d) + " " + Rc(s) + " bits=" + std::to_string(bits.size()) +
                      " bmi=" + std::to_string(bmi.size()) + " usage=" + std::to_string(usage) + " " + b +
                      " mask@" + std::to_string(xMask) + "," + std::to_string(yMask) +
                      " maskBmi=" + std::to_string(maskBmi.size()) + " maskBits=" + mask);
    }
    void OnAlphaBlend(const RECTL& d, const RECTL&, RecordBytes, RecordBytes, uint32_t, uint32_t, const XFORM*,
                      COLORREF) override {
        log.push_back("OnAlphaBlend " + Rc(d));
    }
    void OnExtTextOut(int32_t x, int32_t y, uint32_t options, const RECTL& rect, const char16_t* text, int32_t n,
                      const int32_t* adv, float xs, float ys) override {
        std::string t, a;
        for (int32_t i = 0; i < n; ++i) {
            t += text[i] < 128 ? char(text[i]) : '?';
            a += (i ? "," : "") + std::to_string(adv[i]);
        }
        log.push_back("OnExtTextOut " + Pt({x, y}) + " opt=" + std::to_string(options) + " rect=" + Rc(rect) +
                      " '" + t + "' adv=" + a + " scale=" + F(xs) + "," + F(ys));
    }
    void OnSelectPalette(uint32_t index) override { log.push_back("OnSelectPalette " + std::to_string(index)); }
    void OnUsePath(uint32_t flags, int32_t mode) override {
        log.push_back("OnUsePath " + std::to_string(flags) + " " + std::to_string(mode));
        CEmfRenderer::OnUsePath(flags, mode);
    }
    void OnFillRgn(GdiHandle h, RecordBytes data, uint32_t size) override {
        log.push_back("OnFillRgn " + std::string(h ? "brush" : "none") + " " + std::to_string(data.size()) + " " +
                      std::to_string(size));
    }
};

// A parser over a renderer the test owns.
class TestParser : public CEmfParser {
public:
    explicit TestParser(CEmfRenderer* renderer) { renderer_ = renderer; }
};

}  // namespace slidemill::testing

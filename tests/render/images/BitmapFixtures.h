#pragma once
// Small hand-built bitmaps for the bitmap-record tests, and a render surface that answers
// the image code's queries with a playback context of the test's choosing.

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "metafile/ByteReader.h"
#include "platform/gdi/PlaybackContext.h"
#include "render/RenderSurface.h"

namespace slidemill::testing {

// A BITMAPINFOHEADER ([MS-WMF] 2.2.2.3) with `tableBytes` of colour table after it.
inline std::vector<uint8_t> InfoHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t colorsUsed,
                                       std::initializer_list<uint8_t> table = {}) {
    ByteWriter w;
    w.U32(40);
    w.I32(width);
    w.I32(height);
    w.U16(1);
    w.U16(bitCount);
    w.U32(0);  // BI_RGB
    w.U32(0);
    w.I32(2835);
    w.I32(2835);
    w.U32(colorsUsed);
    w.U32(0);
    for (uint8_t b : table) w.U8(b);
    return w.Take();
}

// A 24-bit bottom-up bitmap: `pixels` are 0xRRGGBB, top row first.
struct Dib {
    std::vector<uint8_t> bmi;
    std::vector<uint8_t> bits;
};
inline Dib Rgb24(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels) {
    Dib dib;
    dib.bmi = InfoHeader(int32_t(width), int32_t(height), 24, 0);
    ByteWriter w;
    for (uint32_t row = height; row-- > 0;) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t p = pixels[row * width + x];
            w.U8(uint8_t(p));
            w.U8(uint8_t(p >> 8));
            w.U8(uint8_t(p >> 16));
        }
        w.PadTo(4);
    }
    dib.bits = w.Take();
    return dib;
}

// Four corners of a 3 x 3 bitmap (the middle pixels grey): top-left, top-right,
// bottom-left, bottom-right as 0xRRGGBB.
inline Dib Corners(uint32_t tl, uint32_t tr, uint32_t bl, uint32_t br) {
    const uint32_t g = 0x808080;
    return Rgb24(3, 3, {tl, g, tr, g, g, g, bl, g, br});
}

// A 1-bit bottom-up bitmap; `rows` top row first, one bool per pixel (true = bit set).
inline Dib Mono(uint32_t width, const std::vector<std::vector<bool>>& rows) {
    Dib dib;
    dib.bmi = InfoHeader(int32_t(width), int32_t(rows.size()), 1, 2, {0, 0, 0, 0, 255, 255, 255, 0});
    ByteWriter w;
    for (size_t r = rows.size(); r-- > 0;) {
        uint8_t byte = 0;
        int n = 0;
        for (uint32_t x = 0; x < width; ++x) {
            byte = uint8_t(byte | ((rows[r][x] ? 1 : 0) << (7 - n)));
            if (++n == 8) {
                w.U8(byte);
                byte = 0;
                n = 0;
            }
        }
        if (n) w.U8(byte);
        w.PadTo(4);
    }
    dib.bits = w.Take();
    return dib;
}

class FakeRenderSurface : public IRenderSurface {
public:
    PlaybackContext* context = nullptr;
    int borrowed = 0;  // QuerySurfaceDC minus ReleaseSurfaceDC

    CRasterSurface* QueryGraphics() override { return nullptr; }
    PlaybackContext* QuerySurfaceDC() override {
        if (context) ++borrowed;
        return context;
    }
    void ReleaseSurfaceDC(PlaybackContext*) override { --borrowed; }
    bool QueryMonochrome() override { return false; }
    int32_t QueryROP2() override { return 13; }
    COLORREF QueryTextColor() override { return 0; }
    COLORREF QueryBkColor() override { return 0xFFFFFF; }
    int32_t QueryBkMode() override { return 2; }
    const RasterBrush* QueryBrush() override { return nullptr; }
    COLORREF MapColor(COLORREF color) override { return color; }
    void DrawImage(const RasterBrush&, const RectF&) override {}
};

}  // namespace slidemill::testing

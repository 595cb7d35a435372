#pragma once
// Hand-built bitmaps for the decoder tests: headers of every form written field by field,
// colour tables, and rows padded to four bytes.

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <vector>

#include "metafile/ByteReader.h"
#include "platform/dib/DibTypes.h"

namespace slidemill {
// Readable failure messages for results.
inline void PrintTo(DibResult r, std::ostream* os) { *os << DibResultText(r); }
}  // namespace slidemill

namespace slidemill::testing {

struct HeaderSpec {
    uint32_t size = 40;  // 12 (core), 40, 52, 56, 108 (V4), 124 (V5)
    int32_t width = 1;
    int32_t height = 1;
    uint16_t planes = 1;
    uint16_t bitCount = 8;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    uint32_t colorsUsed = 0;
    // For headers of 52 bytes and more: written into the header's mask fields.
    uint32_t masks[4] = {0, 0, 0, 0};
};

// The header alone (masks inside it for the longer forms).
inline std::vector<uint8_t> Header(const HeaderSpec& h) {
    ByteWriter w;
    w.U32(h.size);
    if (h.size == 12) {
        w.U16(static_cast<uint16_t>(h.width));
        w.U16(static_cast<uint16_t>(h.height));
        w.U16(h.planes);
        w.U16(h.bitCount);
        return w.Take();
    }
    w.I32(h.width);
    w.I32(h.height);
    w.U16(h.planes);
    w.U16(h.bitCount);
    w.U32(h.compression);
    w.U32(h.imageSize);
    w.I32(2835);
    w.I32(2835);
    w.U32(h.colorsUsed);
    w.U32(0);
    for (int i = 0; i < 4 && w.Size() + 4 <= h.size; ++i) w.U32(h.masks[i]);
    while (w.Size() < h.size) w.U8(0);
    return w.Take();
}

// Appends DWORDs (bit-field masks after a 40-byte header).
inline void AppendU32(std::vector<uint8_t>& v, std::initializer_list<uint32_t> values) {
    ByteWriter w;
    for (uint32_t x : values) w.U32(x);
    v.insert(v.end(), w.Buffer().begin(), w.Buffer().end());
}

// Appends colours given as 0xRRGGBB: RGBQUAD (B, G, R, 0) or, for a core header, RGBTRIPLE.
inline void AppendColors(std::vector<uint8_t>& v, std::initializer_list<uint32_t> rgb, bool triples = false) {
    for (uint32_t c : rgb) {
        v.push_back(static_cast<uint8_t>(c));
        v.push_back(static_cast<uint8_t>(c >> 8));
        v.push_back(static_cast<uint8_t>(c >> 16));
        if (!triples) v.push_back(0);
    }
}

inline void AppendU16(std::vector<uint8_t>& v, std::initializer_list<uint16_t> values) {
    for (uint16_t x : values) {
        v.push_back(static_cast<uint8_t>(x));
        v.push_back(static_cast<uint8_t>(x >> 8));
    }
}

// Rows in stored order, each padded to a multiple of four bytes.
inline std::vector<uint8_t> Rows(std::initializer_list<std::vector<uint8_t>> rows) {
    std::vector<uint8_t> out;
    for (const auto& r : rows) {
        out.insert(out.end(), r.begin(), r.end());
        while (out.size() % 4) out.push_back(0);
    }
    return out;
}

inline std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Pixels of a decoded image as 0xRRGGBB, top row first.
inline std::vector<uint32_t> Pixels(const DecodedImage& img) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i + 2 < img.rgb.size(); i += 3) {
        out.push_back(uint32_t(img.rgb[i]) << 16 | uint32_t(img.rgb[i + 1]) << 8 | img.rgb[i + 2]);
    }
    return out;
}

}  // namespace slidemill::testing

#pragma once
// Reads the header of a device-independent bitmap: BitmapCoreHeader, BitmapInfoHeader and
// its longer forms (V4, V5, and the 52/56/64-byte variants) from [MS-WMF] 2.2.2, together
// with where the bit-field masks and the colour table lie after it.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/dib/DibTypes.h"

namespace slidemill {

constexpr uint32_t kBitmapCoreHeaderSize = 12;
constexpr uint32_t kBitmapInfoHeaderSize = 40;
constexpr uint32_t kBitmapV4HeaderSize = 108;
constexpr uint32_t kBitmapV5HeaderSize = 124;

struct DibInfo {
    uint32_t headerSize = 0;
    bool coreHeader = false;  // 12-byte header: 16-bit sizes, RGBTRIPLE colour table
    uint32_t width = 0;
    uint32_t height = 0;   // always positive; see topDown
    bool topDown = false;  // negative height in the header: first row is the top row
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;  // a DibCompression value
    uint32_t imageSize = 0;
    uint32_t colorsUsed = 0;

    // Bit-field masks: taken from the header (V2 and longer) or from the DWORDs that
    // follow a 40-byte header; only meaningful for BI_BITFIELDS and BI_ALPHABITFIELDS.
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;

    // The colour table as the header declares it: where it starts (from the header's
    // first byte), how many entries and how large each one is (4 for RGBQUAD, 3 for
    // RGBTRIPLE, 2 for palette indexes, 0 when there is none).
    size_t colorTableOffset = 0;
    uint32_t colorTableEntries = 0;
    uint32_t colorEntrySize = 0;

    // Where the bits start in a packed DIB (header, masks and table, then bits).
    uint64_t PackedBitsOffset() const { return colorTableOffset + uint64_t(colorTableEntries) * colorEntrySize; }
    // Bytes of one stored row of an uncompressed bitmap (rows are padded to 4 bytes).
    uint64_t Stride() const { return ((uint64_t(width) * bitCount + 31) / 32) * 4; }
    // Bytes of one row without its padding.
    uint64_t RowBytes() const { return (uint64_t(width) * bitCount + 7) / 8; }
    // What the bits of an uncompressed bitmap must hold: every row, though the padding of
    // the last one may be missing (some writers leave it out).
    uint64_t UncompressedBitsNeeded() const { return Stride() * (height - 1) + RowBytes(); }
    bool Indexed() const { return bitCount <= 8 && bitCount != 0; }
};

// Parses the header at the start of `bmi` (which may also hold masks and the colour
// table) and checks its fields for consistency. Nothing is allocated; the pixel count is
// checked against `maxPixels` so that hostile sizes are refused before any decoding.
DibResult ReadDibHeader(std::span<const uint8_t> bmi, DibColorUsage usage, DibInfo& info, uint64_t maxPixels);

}  // namespace slidemill

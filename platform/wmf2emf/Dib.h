#pragma once
// Device-independent bitmaps as metafile records carry them: a BITMAPINFO (header, bit
// masks, colour table) followed by the pixel bits; and the old device-dependent
// Bitmap16 ([MS-WMF] 2.2.2.1), turned into a DIB where its colours are unambiguous.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "metafile/ByteReader.h"

namespace slidemill {

struct DibParts {
    std::span<const uint8_t> info;  // BITMAPINFO: header, masks and colour table
    std::span<const uint8_t> bits;  // everything after it
};

// Where an EMF record that carries a DIB right after its fixed part (`fixedSize` bytes)
// says the DIB is: offBmi, cbBmi, offBits, cbBits, all 0 when there is no bitmap.
inline void PutDibFields(ByteWriter& b, uint32_t fixedSize, const DibParts* dib) {
    const uint32_t bmiPadded = dib ? uint32_t((dib->info.size() + 3) & ~size_t(3)) : 0;
    b.U32(dib ? fixedSize : 0);
    b.U32(dib ? uint32_t(dib->info.size()) : 0);
    b.U32(dib ? fixedSize + bmiPadded : 0);
    b.U32(dib ? uint32_t(dib->bits.size()) : 0);
}

// The DIB itself, as those fields describe it: BITMAPINFO padded to 4 bytes, then the bits.
inline void PutDibData(ByteWriter& b, const DibParts& dib) {
    b.Bytes(dib.info);
    b.Zeros(((dib.info.size() + 3) & ~size_t(3)) - dib.info.size());
    b.Bytes(dib.bits);
}

// Splits a DIB into its BITMAPINFO and bits. `usage` is DIB_RGB_COLORS (0, 4-byte
// colour entries; 3-byte for a BITMAPCOREHEADER) or DIB_PAL_COLORS (1, 2-byte palette
// indexes). nullopt when the header is not a known kind or does not fit the data.
std::optional<DibParts> SplitDib(std::span<const uint8_t> dib, uint32_t usage);

struct Bitmap16 {
    int16_t width = 0;
    int16_t height = 0;
    int16_t widthBytes = 0;  // bytes per scan line, rows top-down
    uint8_t planes = 0;
    uint8_t bitsPixel = 0;
    std::span<const uint8_t> bits;
};

// Reads the 10-byte Bitmap16 header from `header` and takes its rows from `bits`;
// nullopt when the sizes are not positive or the rows do not fit.
std::optional<Bitmap16> ReadBitmap16(ByteReader header, ByteReader bits);

// A bottom-up DIB (BITMAPINFOHEADER, black and white colour table for 1 bit) of a
// single-plane monochrome, 16-bit (5-5-5), 24-bit or 32-bit Bitmap16; empty for other
// depths, whose colours depend on a device palette.
std::vector<uint8_t> Bitmap16ToDib(const Bitmap16& bmp);

}  // namespace slidemill

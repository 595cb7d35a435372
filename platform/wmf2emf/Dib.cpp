#include "platform/wmf2emf/Dib.h"

#include <algorithm>

namespace slidemill {

namespace {
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;
constexpr uint32_t kDibPalColors = 1;
}  // namespace

std::optional<DibParts> SplitDib(std::span<const uint8_t> dib, uint32_t usage) {
    ByteReader r(dib);
    const uint32_t headerSize = r.PeekU32(0);
    if (!r.Has(4)) return std::nullopt;
    uint64_t infoSize = 0;
    if (headerSize == 12) {  // BITMAPCOREHEADER
        if (!r.Contains(0, 12)) return std::nullopt;
        const uint16_t bitCount = r.PeekU16(10);
        const uint64_t colors = bitCount <= 8 ? (uint64_t(1) << bitCount) : 0;
        infoSize = 12 + colors * (usage == kDibPalColors ? 2 : 3);
    } else if (headerSize >= 40 && headerSize <= 124) {
        if (!r.Contains(0, 40)) return std::nullopt;
        const uint16_t bitCount = r.PeekU16(14);
        const uint32_t compression = r.PeekU32(16);
        const uint32_t clrUsed = r.PeekU32(32);
        uint64_t colors = clrUsed;
        // Bit count 0 (JPEG or PNG bits) has no colour table.
        if (!colors && bitCount >= 1 && bitCount <= 8) colors = uint64_t(1) << bitCount;
        uint64_t masks = 0;
        if (headerSize == 40 && compression == kBiBitfields) masks = 12;
        if (headerSize == 40 && compression == kBiAlphaBitfields) masks = 16;
        const uint64_t entry = usage == kDibPalColors ? 2 : 4;
        infoSize = headerSize + masks + colors * entry;
        // A writer that stores a short colour table without saying so in biClrUsed: the
        // table is what the uncompressed rows leave over.
        if (infoSize > dib.size() && !clrUsed && compression == 0 && bitCount >= 1 && bitCount <= 8) {
            const int32_t width = int32_t(r.PeekU32(4));
            const int32_t height = int32_t(r.PeekU32(8));
            const uint64_t rows = height < 0 ? uint64_t(-int64_t(height)) : uint64_t(height);
            const uint64_t stride = width > 0 ? ((uint64_t(width) * bitCount + 31) / 32) * 4 : 0;
            const uint64_t bitsSize = stride * rows;
            if (stride && headerSize + bitsSize <= dib.size())
                infoSize = headerSize + ((dib.size() - headerSize - bitsSize) / entry) * entry;
        }
    } else {
        return std::nullopt;
    }
    if (infoSize > dib.size()) return std::nullopt;
    DibParts parts;
    parts.info = dib.subspan(0, size_t(infoSize));
    parts.bits = dib.subspan(size_t(infoSize));
    return parts;
}

std::optional<Bitmap16> ReadBitmap16(ByteReader header, ByteReader bits) {
    Bitmap16 b;
    header.I16();  // Type
    b.width = header.I16();
    b.height = header.I16();
    b.widthBytes = header.I16();
    b.planes = header.U8();
    b.bitsPixel = header.U8();
    if (!header.Ok() || b.width <= 0 || b.height <= 0 || b.widthBytes <= 0 || b.planes == 0 || b.bitsPixel == 0)
        return std::nullopt;
    if (uint64_t(b.width) * b.bitsPixel > uint64_t(b.widthBytes) * 8) return std::nullopt;
    // Some writers declare 4-byte aligned scan lines but store them 2-byte aligned, as
    // the format has them; the stored rows are taken when the declared ones do not fit.
    size_t need = size_t(b.widthBytes) * size_t(b.height);
    if (!bits.Has(need)) {
        const size_t even = ((size_t(b.width) * b.bitsPixel + 15) / 16) * 2;
        if (even >= size_t(b.widthBytes) || !bits.Has(even * size_t(b.height))) return std::nullopt;
        b.widthBytes = int16_t(even);
        need = even * size_t(b.height);
    }
    b.bits = bits.View(need);
    return b;
}

std::vector<uint8_t> Bitmap16ToDib(const Bitmap16& bmp) {
    if (bmp.planes != 1 || (bmp.bitsPixel != 1 && bmp.bitsPixel != 16 && bmp.bitsPixel != 24 && bmp.bitsPixel != 32))
        return {};
    const size_t rowBytes = ((size_t(bmp.width) * bmp.bitsPixel + 31) / 32) * 4;
    const size_t copy = std::min(rowBytes, size_t(bmp.widthBytes));
    ByteWriter w;
    w.U32(40);
    w.I32(bmp.width);
    w.I32(bmp.height);
    w.U16(1);
    w.U16(bmp.bitsPixel);
    w.U32(0);  // BI_RGB
    w.U32(uint32_t(rowBytes * size_t(bmp.height)));
    w.I32(0);
    w.I32(0);
    w.U32(bmp.bitsPixel == 1 ? 2 : 0);
    w.U32(0);
    if (bmp.bitsPixel == 1) {
        w.U32(0x000000);  // bit 0: black
        w.U32(0xFFFFFF);  // bit 1: white
    }
    // Bitmap16 rows run top-down; the DIB is written bottom-up.
    for (int32_t row = bmp.height - 1; row >= 0; --row) {
        const uint8_t* src = bmp.bits.data() + size_t(row) * size_t(bmp.widthBytes);
        w.Bytes(src, copy);
        w.Zeros(rowBytes - copy);
    }
    return w.Take();
}

}  // namespace slidemill

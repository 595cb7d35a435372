#include "platform/dib/DibHeader.h"

#include <algorithm>

#include "metafile/ByteReader.h"

namespace slidemill {
namespace {

bool IsKnownHeaderSize(uint32_t size) {
    // 12: BitmapCoreHeader; 40 and up: BitmapInfoHeader and its extensions (52 and 56
    // add the masks, 64 is the OS/2 2.x form, 108 is V4, 124 is V5). Any longer header
    // is accepted too: the fields this decoder reads are all in the first 56 bytes.
    return size == kBitmapCoreHeaderSize || size >= kBitmapInfoHeaderSize;
}

bool BitCountAllowed(uint16_t bitCount, uint32_t compression) {
    switch (static_cast<DibCompression>(compression)) {
        case DibCompression::Rgb:
            return bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                   bitCount == 24 || bitCount == 32;
        case DibCompression::Rle8:
            return bitCount == 8;
        case DibCompression::Rle4:
            return bitCount == 4;
        case DibCompression::Bitfields:
        case DibCompression::AlphaBitfields:
            return bitCount == 16 || bitCount == 32;
        case DibCompression::Jpeg:
        case DibCompression::Png:
            return true;  // the embedded stream carries its own depth; usually 0 here
    }
    return false;
}

}  // namespace

DibResult ReadDibHeader(std::span<const uint8_t> bmi, DibColorUsage usage, DibInfo& info, uint64_t maxPixels) {
    info = DibInfo{};
    ByteReader r(bmi);
    if (!r.Has(4)) return DibResult::TruncatedHeader;
    const uint32_t size = r.U32();
    if (!IsKnownHeaderSize(size)) return DibResult::BadHeaderSize;
    if (size > bmi.size()) return DibResult::TruncatedHeader;
    info.headerSize = size;

    int64_t width = 0;
    int64_t height = 0;
    if (size == kBitmapCoreHeaderSize) {
        info.coreHeader = true;
        width = r.U16();
        height = r.U16();
        info.planes = r.U16();
        info.bitCount = r.U16();
        info.compression = static_cast<uint32_t>(DibCompression::Rgb);
    } else {
        width = r.I32();
        height = r.I32();
        info.planes = r.U16();
        info.bitCount = r.U16();
        info.compression = r.U32();
        info.imageSize = r.U32();
        r.I32();  // XPelsPerMeter
        r.I32();  // YPelsPerMeter
        info.colorsUsed = r.U32();
        r.U32();  // ColorImportant
        if (size >= 52) {
            info.redMask = r.U32();
            info.greenMask = r.U32();
            info.blueMask = r.U32();
        }
        if (size >= 56) info.alphaMask = r.U32();
    }
    if (!r.Ok()) return DibResult::TruncatedHeader;

    if (width <= 0 || height == 0) return DibResult::BadDimensions;
    info.topDown = height < 0;
    info.width = static_cast<uint32_t>(width);
    info.height = static_cast<uint32_t>(height < 0 ? -height : height);  // int64: no overflow
    if (info.planes != 1) return DibResult::BadPlanes;

    const auto compression = static_cast<DibCompression>(info.compression);
    if (info.compression > static_cast<uint32_t>(DibCompression::AlphaBitfields)) {
        return DibResult::UnsupportedCompression;
    }
    // In the 64-byte OS/2 2.x header, 3 and 4 mean Huffman 1D and RLE24, not bit fields
    // and JPEG, and there are no masks.
    if (size == 64 && (compression == DibCompression::Bitfields || compression == DibCompression::Jpeg ||
                       compression == DibCompression::AlphaBitfields)) {
        return DibResult::UnsupportedCompression;
    }
    if (!BitCountAllowed(info.bitCount, info.compression)) return DibResult::BadBitCount;
    // Whatever the caller allows, 2^32 pixels is the ceiling: it keeps every size computed
    // from the header (rows, strides, table offsets) far from 64-bit overflow.
    constexpr uint64_t kCeiling = uint64_t(1) << 32;
    if (uint64_t(info.width) * info.height > std::min(maxPixels, kCeiling)) return DibResult::TooLarge;

    // Masks that follow a plain 40-byte header; the longer headers carry them inside and
    // are not followed by another copy.
    size_t tableOffset = size;
    const bool bitfields = compression == DibCompression::Bitfields || compression == DibCompression::AlphaBitfields;
    if (bitfields && size < 52) {
        const size_t maskCount = compression == DibCompression::AlphaBitfields ? 4 : 3;
        ByteReader masks = r.Sub(size, maskCount * 4);
        info.redMask = masks.U32();
        info.greenMask = masks.U32();
        info.blueMask = masks.U32();
        info.alphaMask = maskCount == 4 ? masks.U32() : 0;
        if (!masks.Ok()) return DibResult::TruncatedHeader;
        tableOffset += maskCount * 4;
    }
    if (bitfields) {
        if (compression == DibCompression::Bitfields && size < 56) info.alphaMask = 0;
        if ((info.redMask | info.greenMask | info.blueMask) == 0) return DibResult::BadMasks;
    }

    info.colorTableOffset = tableOffset;
    // A usage value a record should not carry is read as RGB colours, like DIB_RGB_COLORS.
    switch (usage) {
        case DibColorUsage::PalColors:
            info.colorEntrySize = 2;
            break;
        case DibColorUsage::PalIndices:
            info.colorEntrySize = 0;
            break;
        default:
            info.colorEntrySize = info.coreHeader ? 3 : 4;
            break;
    }
    if (info.colorEntrySize == 0) {
        info.colorTableEntries = 0;
    } else if (info.Indexed()) {
        info.colorTableEntries = info.colorsUsed != 0 && !info.coreHeader ? info.colorsUsed : 1u << info.bitCount;
    } else {
        // Deeper bitmaps may carry a table meant to help palette devices; it is skipped.
        info.colorTableEntries = info.coreHeader ? 0 : info.colorsUsed;
    }
    return DibResult::Ok;
}

}  // namespace slidemill

#include "platform/dib/DibDecoder.h"

#include <algorithm>
#include <bit>

#include "metafile/ByteReader.h"
#include "platform/dib/DibColorTable.h"
#include "platform/dib/DibEmbedded.h"
#include "platform/dib/DibRle.h"

namespace slidemill {
namespace {

// One colour channel selected by a bit-field mask, scaled to 8 bits.
struct MaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit MaskChannel(uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        bits = std::bit_width(m >> shift);
    }
    uint8_t operator()(uint32_t pixel) const {
        if (bits == 0) return 0;
        const uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
        const uint32_t max = (uint32_t(1) << bits) - 1;
        return static_cast<uint8_t>((v * 255 + max / 2) / max);
    }
};

bool IsRle(const DibInfo& info) {
    const auto c = static_cast<DibCompression>(info.compression);
    return c == DibCompression::Rle8 || c == DibCompression::Rle4;
}

// The compressed stream: ImageSize bytes when the header gives a size that fits.
std::span<const uint8_t> CompressedData(const DibInfo& info, std::span<const uint8_t> bits) {
    if (info.imageSize != 0 && info.imageSize < bits.size()) return bits.first(info.imageSize);
    return bits;
}

uint32_t OutputRow(const DibInfo& info, uint32_t storedRow) {
    return info.topDown ? storedRow : info.height - 1 - storedRow;
}

// Calls visit(storedRow, rowBytes) for every stored row of an uncompressed bitmap, after
// checking that the bits hold all of them.
template <typename Visit>
DibResult ForEachStoredRow(const DibInfo& info, std::span<const uint8_t> bits, Visit&& visit) {
    const uint64_t stride = info.Stride();
    const uint64_t rowBytes = info.RowBytes();
    if (bits.size() < info.UncompressedBitsNeeded()) return DibResult::TruncatedBits;
    const ByteReader all(bits);
    for (uint32_t row = 0; row < info.height; ++row) {
        ByteReader line = all.Sub(size_t(stride * row), size_t(rowBytes));
        std::span<const uint8_t> bytes = line.View(size_t(rowBytes));
        if (!line.Ok()) return DibResult::TruncatedBits;
        visit(row, bytes);
    }
    return DibResult::Ok;
}

inline uint8_t IndexAt(std::span<const uint8_t> row, uint32_t x, uint16_t bitCount) {
    switch (bitCount) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 0x01;
        case 2:
            return (row[x >> 2] >> (6 - 2 * (x & 3))) & 0x03;
        case 4:
            return (row[x >> 1] >> (x & 1 ? 0 : 4)) & 0x0F;
        default:
            return row[x];
    }
}

// Visits the pixel values of an indexed bitmap: put(x, storedRow, index). Returns the
// result and, for run-length data, whether the stream was complete.
template <typename Put>
DibResult ForEachIndex(const DibInfo& info, std::span<const uint8_t> bits, bool& complete, Put&& put) {
    complete = true;
    if (IsRle(info)) {
        const bool fourBit = static_cast<DibCompression>(info.compression) == DibCompression::Rle4;
        complete = ExpandRle(CompressedData(info, bits), fourBit, info.width, info.height, put).complete;
        return DibResult::Ok;
    }
    return ForEachStoredRow(info, bits, [&](uint32_t row, std::span<const uint8_t> bytes) {
        for (uint32_t x = 0; x < info.width; ++x) put(x, row, IndexAt(bytes, x, info.bitCount));
    });
}

class PixelSink {
public:
    PixelSink(const DibInfo& info, DecodedImage& out) : info_(info), out_(out) {
        out_.width = info.width;
        out_.height = info.height;
        out_.rgb.assign(size_t(info.width) * info.height * 3, 0);
    }
    uint8_t* Row(uint32_t storedRow) { return out_.rgb.data() + size_t(OutputRow(info_, storedRow)) * info_.width * 3; }
    void Set(uint32_t x, uint32_t storedRow, DibRgb c) {
        uint8_t* p = Row(storedRow) + size_t(x) * 3;
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }
    void StartAlpha() { out_.alpha.assign(size_t(info_.width) * info_.height, 0); }
    uint8_t* AlphaRow(uint32_t storedRow) {
        return out_.alpha.data() + size_t(OutputRow(info_, storedRow)) * info_.width;
    }
    void NoteAlpha(bool nonZero) { anyAlpha_ |= nonZero; }
    // An alpha channel that is zero everywhere carries no alpha: the image is opaque.
    void FinishAlpha() {
        out_.hasAlpha = anyAlpha_;
        if (!anyAlpha_) {
            out_.alpha.clear();
            out_.alpha.shrink_to_fit();
        }
    }

private:
    const DibInfo& info_;
    DecodedImage& out_;
    bool anyAlpha_ = false;
};

DibResult DecodeDirect(const DibInfo& info, std::span<const uint8_t> bits, PixelSink& sink) {
    const auto compression = static_cast<DibCompression>(info.compression);
    const bool bitfields = compression == DibCompression::Bitfields || compression == DibCompression::AlphaBitfields;

    uint32_t red = info.redMask, green = info.greenMask, blue = info.blueMask, alpha = info.alphaMask;
    if (!bitfields) {
        if (info.bitCount == 16) {
            red = 0x7C00, green = 0x03E0, blue = 0x001F, alpha = 0;
        } else {
            red = 0x00FF0000, green = 0x0000FF00, blue = 0x000000FF;
            alpha = info.bitCount == 32 ? 0xFF000000 : 0;
        }
    }
    const MaskChannel r(red), g(green), b(blue), a(alpha);
    const bool withAlpha = alpha != 0;
    if (withAlpha) sink.StartAlpha();

    DibResult result = ForEachStoredRow(info, bits, [&](uint32_t row, std::span<const uint8_t> bytes) {
        uint8_t* dst = sink.Row(row);
        uint8_t* dstAlpha = withAlpha ? sink.AlphaRow(row) : nullptr;
        uint8_t alphaSeen = 0;
        switch (info.bitCount) {
            case 24:
                for (size_t x = 0; x < info.width; ++x) {
                    dst[x * 3 + 0] = bytes[x * 3 + 2];
                    dst[x * 3 + 1] = bytes[x * 3 + 1];
                    dst[x * 3 + 2] = bytes[x * 3 + 0];
                }
                break;
            case 16:
                for (size_t x = 0; x < info.width; ++x) {
                    const uint32_t px = bytes[x * 2] | uint32_t(bytes[x * 2 + 1]) << 8;
                    dst[x * 3 + 0] = r(px);
                    dst[x * 3 + 1] = g(px);
                    dst[x * 3 + 2] = b(px);
                    if (dstAlpha) {
                        dstAlpha[x] = a(px);
                        alphaSeen |= dstAlpha[x];
                    }
                }
                break;
            default:  // 32
                for (size_t x = 0; x < info.width; ++x) {
                    const size_t i = x * 4;
                    const uint32_t px = bytes[i] | uint32_t(bytes[i + 1]) << 8 | uint32_t(bytes[i + 2]) << 16 |
                                        uint32_t(bytes[i + 3]) << 24;
                    dst[x * 3 + 0] = r(px);
                    dst[x * 3 + 1] = g(px);
                    dst[x * 3 + 2] = b(px);
                    if (dstAlpha) {
                        dstAlpha[x] = a(px);
                        alphaSeen |= dstAlpha[x];
                    }
                }
                break;
        }
        sink.NoteAlpha(alphaSeen != 0);
    });
    sink.FinishAlpha();
    return result;
}

DibResult DecodeWithInfo(const DibInfo& info, std::span<const uint8_t> bmi, std::span<const uint8_t> bits,
                         DibColorUsage usage, const DibPalette* palette, DecodedImage& out, uint64_t maxPixels) {
    DibResult result = DibResult::Ok;
    switch (static_cast<DibCompression>(info.compression)) {
        case DibCompression::Jpeg:
            return DecodeEmbeddedJpeg(CompressedData(info, bits), maxPixels, out);
        case DibCompression::Png:
            return DecodeEmbeddedPng(CompressedData(info, bits), maxPixels, out);
        default:
            break;
    }

    // Uncompressed bits too short for the rows are refused before the image is allocated.
    if (!IsRle(info) && bits.size() < info.UncompressedBitsNeeded()) return DibResult::TruncatedBits;
    if (!info.Indexed()) {
        PixelSink sink(info, out);
        result = DecodeDirect(info, bits, sink);
    } else {
        const DibColorLut lut = BuildColorLut(info, bmi, usage, palette);
        PixelSink sink(info, out);
        bool complete = true;
        result = ForEachIndex(info, bits, complete,
                              [&](uint32_t x, uint32_t row, uint8_t index) { sink.Set(x, row, lut[index]); });
        out.incomplete = !complete;
    }
    if (result != DibResult::Ok) out = DecodedImage{};
    return result;
}

}  // namespace

DibResult DecodeDib(std::span<const uint8_t> bmi, std::span<const uint8_t> bits, DibColorUsage usage,
                    const DibPalette* palette, DecodedImage& out, uint64_t maxPixels) {
    out = DecodedImage{};
    DibInfo info;
    const DibResult result = ReadDibHeader(bmi, usage, info, maxPixels);
    if (result != DibResult::Ok) return result;
    return DecodeWithInfo(info, bmi, bits, usage, palette, out, maxPixels);
}

DibResult DecodeDibBand(std::span<const uint8_t> bmi, std::span<const uint8_t> bits, uint32_t startScan,
                        uint32_t scanCount, DibColorUsage usage, const DibPalette* palette, DecodedImage& out,
                        uint64_t maxPixels) {
    out = DecodedImage{};
    DibInfo info;
    const DibResult result = ReadDibHeader(bmi, usage, info, maxPixels);
    if (result != DibResult::Ok) return result;
    const auto compression = static_cast<DibCompression>(info.compression);
    const bool banded = !IsRle(info) && compression != DibCompression::Jpeg && compression != DibCompression::Png;
    if (banded) {
        if (startScan >= info.height || scanCount == 0) return DibResult::BadDimensions;
        info.height = std::min(scanCount, info.height - startScan);
    }
    return DecodeWithInfo(info, bmi, bits, usage, palette, out, maxPixels);
}

DibResult DecodePackedDib(std::span<const uint8_t> dib, DibColorUsage usage, const DibPalette* palette,
                          DecodedImage& out, uint64_t maxPixels) {
    out = DecodedImage{};
    DibInfo info;
    DibResult result = ReadDibHeader(dib, usage, info, maxPixels);
    if (result != DibResult::Ok) return result;
    uint64_t bitsOffset = info.PackedBitsOffset();
    if (bitsOffset > dib.size()) {
        // The declared table does not fit. Some writers declare a full table but store a
        // shorter one; an uncompressed bitmap then still ends with its rows, so the rows
        // are taken from the end and the table is what lies between (short tables are
        // black past their end).
        const uint64_t rows = info.Stride() * info.height;
        const bool rowsAtEnd = !IsRle(info) && info.compression != uint32_t(DibCompression::Jpeg) &&
                               info.compression != uint32_t(DibCompression::Png) &&
                               info.colorTableOffset + rows <= dib.size();
        if (!rowsAtEnd) return DibResult::TruncatedColorTable;
        bitsOffset = dib.size() - rows;
    }
    return DecodeDib(dib.first(size_t(bitsOffset)), dib.subspan(size_t(bitsOffset)), usage, palette, out, maxPixels);
}

DibResult DecodeDibInRecord(std::span<const uint8_t> record, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits,
                            uint32_t cbBits, DibColorUsage usage, const DibPalette* palette, DecodedImage& out,
                            uint64_t maxPixels) {
    out = DecodedImage{};
    const ByteReader r(record);
    if (!r.Contains(offBmi, cbBmi) || !r.Contains(offBits, cbBits)) return DibResult::BadRecordBounds;
    return DecodeDib(record.subspan(offBmi, cbBmi), record.subspan(offBits, cbBits), usage, palette, out, maxPixels);
}

DibResult DecodeDibIndices(std::span<const uint8_t> bmi, std::span<const uint8_t> bits, DibIndexImage& out,
                           uint64_t maxPixels) {
    out = DibIndexImage{};
    DibInfo info;
    DibResult result = ReadDibHeader(bmi, DibColorUsage::RgbColors, info, maxPixels);
    if (result != DibResult::Ok) return result;
    if (!info.Indexed()) return DibResult::BadBitCount;
    if (!IsRle(info)) {
        if (bits.size() < info.UncompressedBitsNeeded()) return DibResult::TruncatedBits;
    }
    out.width = info.width;
    out.height = info.height;
    out.indices.assign(size_t(info.width) * info.height, 0);
    bool complete = true;
    result = ForEachIndex(info, bits, complete, [&](uint32_t x, uint32_t row, uint8_t index) {
        out.indices[size_t(OutputRow(info, row)) * info.width + x] = index;
    });
    out.incomplete = !complete;
    if (result != DibResult::Ok) out = DibIndexImage{};
    return result;
}

const char* DibResultText(DibResult result) {
    switch (result) {
        case DibResult::Ok:
            return "bitmap decoded";
        case DibResult::TruncatedHeader:
            return "bitmap header is truncated";
        case DibResult::BadHeaderSize:
            return "bitmap header has an unknown size";
        case DibResult::BadDimensions:
            return "bitmap width or height is zero or negative";
        case DibResult::BadPlanes:
            return "bitmap plane count is not 1";
        case DibResult::BadBitCount:
            return "bitmap bit count is invalid for its compression";
        case DibResult::UnsupportedCompression:
            return "bitmap compression is not supported";
        case DibResult::BadMasks:
            return "bitmap colour masks select no bits";
        case DibResult::TooLarge:
            return "bitmap has too many pixels";
        case DibResult::TruncatedColorTable:
            return "bitmap colour table runs past the data";
        case DibResult::TruncatedBits:
            return "bitmap bits are shorter than its rows";
        case DibResult::BadRecordBounds:
            return "bitmap lies outside its record";
        case DibResult::BadEmbeddedImage:
            return "embedded JPEG or PNG image does not decode";
    }
    return "unknown bitmap error";
}

}  // namespace slidemill

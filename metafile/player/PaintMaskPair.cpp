#include "metafile/player/PaintMaskPair.h"

#include <new>

#include "metafile/ByteReader.h"
#include "metafile/EmfRecordTypes.h"
#include "platform/dib/DibDecoder.h"
#include "platform/dib/DibHeader.h"

namespace slidemill {
namespace {

constexpr uint32_t kRopSrcPaint = 0x00EE0086;
constexpr uint32_t kRopSrcAnd = 0x008800C6;
constexpr uint32_t kRopSrcInvert = 0x00660046;

std::span<const uint8_t> Slice(std::span<const uint8_t> rec, uint64_t offset, uint64_t length) {
    if (offset > rec.size() || length > rec.size() - offset) return {};
    return rec.subspan(size_t(offset), size_t(length));
}

bool SameRect(const RECTL& a, const RECTL& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

std::optional<StretchDibFields> ReadStretchDib(std::span<const uint8_t> record) {
    ByteReader r(record);
    const uint32_t type = r.U32();
    if (type != EMR_STRETCHDIBITS && type != EMR_STRETCHBLT && type != EMR_BITBLT) return std::nullopt;
    r.Seek(24);  // Type, Size and the bounds
    StretchDibFields f;
    uint32_t offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0;
    int32_t xDest = 0, yDest = 0, cxDest = 0, cyDest = 0, xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
    if (type == EMR_STRETCHDIBITS) {
        xDest = r.I32(), yDest = r.I32(), xSrc = r.I32(), ySrc = r.I32(), cxSrc = r.I32(), cySrc = r.I32();
        offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
        f.usage = r.U32();
        f.rop = r.U32();
        cxDest = r.I32(), cyDest = r.I32();
    } else {
        xDest = r.I32(), yDest = r.I32(), cxDest = r.I32(), cyDest = r.I32();
        f.rop = r.U32();
        xSrc = r.I32(), ySrc = r.I32();
        r.Skip(24 + 4);  // source transform, background colour
        f.usage = r.U32();
        offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
        cxSrc = cxDest, cySrc = cyDest;
        if (type == EMR_STRETCHBLT) cxSrc = r.I32(), cySrc = r.I32();
    }
    if (!r.Ok() || offBmi == 0 || offBits == 0) return std::nullopt;
    f.bmi = Slice(record, offBmi, cbBmi);
    f.bits = Slice(record, offBits, cbBits);
    if (f.bmi.empty() || f.bits.empty()) return std::nullopt;
    f.dest = {xDest, yDest, int32_t(int64_t(xDest) + cxDest), int32_t(int64_t(yDest) + cyDest)};
    f.src = {xSrc, ySrc, int32_t(int64_t(xSrc) + cxSrc), int32_t(int64_t(ySrc) + cySrc)};
    return f;
}

std::optional<MaskPairKind> PairKind(const StretchDibFields& mask, const StretchDibFields& image) {
    std::optional<MaskPairKind> kind;
    if (mask.rop == kRopSrcPaint && image.rop == kRopSrcAnd) kind = MaskPairKind::PaintThenAnd;
    if (mask.rop == kRopSrcAnd && image.rop == kRopSrcInvert) kind = MaskPairKind::AndThenInvert;
    if (!kind) return std::nullopt;
    if (mask.usage != 0 || image.usage != 0) return std::nullopt;  // palette-relative colours are left alone
    if (!SameRect(mask.dest, image.dest)) return std::nullopt;
    DibInfo a, b;
    if (ReadDibHeader(mask.bmi, DibColorUsage::RgbColors, a, kDefaultMaxDibPixels) != DibResult::Ok) return std::nullopt;
    if (ReadDibHeader(image.bmi, DibColorUsage::RgbColors, b, kDefaultMaxDibPixels) != DibResult::Ok) return std::nullopt;
    if (b.width == 0 || b.height == 0) return std::nullopt;
    // The mask is the image's size, or holds a part of that size at its source rectangle
    // (an icon's AND mask above its colour half, say).
    if (a.width == b.width && a.height == b.height) return kind;
    const int64_t w = int64_t(mask.src.right) - mask.src.left, h = int64_t(mask.src.bottom) - mask.src.top;
    if (w != int64_t(b.width) || h != int64_t(b.height) || mask.src.left < 0 || mask.src.top < 0) return std::nullopt;
    if (int64_t(mask.src.right) > int64_t(a.width) || int64_t(mask.src.bottom) > int64_t(a.height)) return std::nullopt;
    return kind;
}

bool MonochromeMaskFromPaintBitmap(const StretchDibFields& mask, MaskPairKind kind, uint32_t width, uint32_t height,
                                   MonochromeDib& out) {
    try {
        DecodedImage pixels;
        if (DecodeDib(mask.bmi, mask.bits, DibColorUsage::RgbColors, nullptr, pixels) != DibResult::Ok) return false;
        const uint64_t count = uint64_t(pixels.width) * pixels.height;
        if (count == 0 || pixels.rgb.size() != count * 3 || width == 0 || height == 0) return false;
        // The part of the mask bitmap that covers the image: all of it, or the source rectangle.
        uint32_t x0 = 0, y0 = 0;
        if (pixels.width != width || pixels.height != height) {
            x0 = uint32_t(mask.src.left);
            y0 = uint32_t(mask.src.top);
            if (uint64_t(x0) + width > pixels.width || uint64_t(y0) + height > pixels.height) return false;
        }

        ByteWriter header;
        header.U32(40);
        header.I32(int32_t(width));
        header.I32(int32_t(height));  // bottom-up
        header.U16(1);
        header.U16(1);
        header.U32(0);  // BI_RGB
        header.U32(0);
        header.U32(0);
        header.U32(0);
        header.U32(2);
        header.U32(0);
        header.U32(0x00000000);  // index 0: black, transparent
        header.U32(0x00FFFFFF);  // index 1: white, opaque
        out.bmi = header.Buffer();

        const size_t stride = ((size_t(width) + 31) / 32) * 4;
        out.bits.assign(stride * height, 0);
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* row = &pixels.rgb[(size_t(y0 + y) * pixels.width + x0) * 3];  // top row first
            uint8_t* stored = &out.bits[size_t(height - 1 - y) * stride];
            for (uint32_t x = 0; x < width; ++x) {
                const uint32_t sum = uint32_t(row[x * 3]) + row[x * 3 + 1] + row[x * 3 + 2];
                const bool light = sum >= 3 * 128;
                // (dest | mask) & image keeps the background where the mask is dark;
                // (dest & mask) ^ image keeps it where the mask is light.
                const bool opaque = kind == MaskPairKind::PaintThenAnd ? light : !light;
                if (opaque) stored[x / 8] |= uint8_t(0x80u >> (x % 8));
            }
        }
        return true;
    } catch (std::bad_alloc&) {
        return false;
    }
}

}  // namespace slidemill

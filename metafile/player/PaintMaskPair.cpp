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
    if (r.U32() != EMR_STRETCHDIBITS) return std::nullopt;
    r.Seek(24);  // Type, Size and the bounds
    const int32_t xDest = r.I32(), yDest = r.I32(), xSrc = r.I32(), ySrc = r.I32();
    const int32_t cxSrc = r.I32(), cySrc = r.I32();
    const uint32_t offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
    StretchDibFields f;
    f.usage = r.U32();
    f.rop = r.U32();
    const int32_t cxDest = r.I32(), cyDest = r.I32();
    if (!r.Ok() || offBmi == 0 || offBits == 0) return std::nullopt;
    f.bmi = Slice(record, offBmi, cbBmi);
    f.bits = Slice(record, offBits, cbBits);
    if (f.bmi.empty() || f.bits.empty()) return std::nullopt;
    f.dest = {xDest, yDest, int32_t(int64_t(xDest) + cxDest), int32_t(int64_t(yDest) + cyDest)};
    f.src = {xSrc, ySrc, int32_t(int64_t(xSrc) + cxSrc), int32_t(int64_t(ySrc) + cySrc)};
    return f;
}

bool IsPaintMaskPair(const StretchDibFields& mask, const StretchDibFields& image) {
    if (mask.rop != kRopSrcPaint || image.rop != kRopSrcAnd) return false;
    if (mask.usage != 0 || image.usage != 0) return false;  // palette-relative colours are left alone
    if (!SameRect(mask.dest, image.dest)) return false;
    DibInfo a, b;
    if (ReadDibHeader(mask.bmi, DibColorUsage::RgbColors, a, kDefaultMaxDibPixels) != DibResult::Ok) return false;
    if (ReadDibHeader(image.bmi, DibColorUsage::RgbColors, b, kDefaultMaxDibPixels) != DibResult::Ok) return false;
    return a.width == b.width && a.height == b.height && a.width > 0 && a.height > 0;
}

bool MonochromeMaskFromPaintBitmap(const StretchDibFields& mask, MonochromeDib& out) {
    try {
        DecodedImage pixels;
        if (DecodeDib(mask.bmi, mask.bits, DibColorUsage::RgbColors, nullptr, pixels) != DibResult::Ok) return false;
        const uint64_t count = uint64_t(pixels.width) * pixels.height;
        if (count == 0 || pixels.rgb.size() != count * 3) return false;

        ByteWriter header;
        header.U32(40);
        header.I32(int32_t(pixels.width));
        header.I32(int32_t(pixels.height));  // bottom-up
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

        const size_t stride = ((size_t(pixels.width) + 31) / 32) * 4;
        out.bits.assign(stride * pixels.height, 0);
        for (uint32_t y = 0; y < pixels.height; ++y) {
            const uint8_t* row = &pixels.rgb[size_t(y) * pixels.width * 3];  // top row first
            uint8_t* stored = &out.bits[size_t(pixels.height - 1 - y) * stride];
            for (uint32_t x = 0; x < pixels.width; ++x) {
                // Where the mask is dark, (dest | mask) keeps the background for the image
                // to be ANDed with; where it is light the image alone shows.
                const uint32_t sum = uint32_t(row[x * 3]) + row[x * 3 + 1] + row[x * 3 + 2];
                if (sum >= 3 * 128) stored[x / 8] |= uint8_t(0x80u >> (x % 8));
            }
        }
        return true;
    } catch (std::bad_alloc&) {
        return false;
    }
}

}  // namespace slidemill

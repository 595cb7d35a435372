#include "render/images/BitmapRecords.h"

#include <new>

#include "metafile/ByteReader.h"
#include "platform/dib/DibDecoder.h"
#include "platform/gdi/PlaybackContext.h"
#include "render/images/CornerKey.h"
#include "render/images/MonochromeMask.h"
#include "render/images/RasterOperations.h"

namespace slidemill {
namespace {

DibColorUsage UsageOf(uint32_t usage) {
    switch (usage) {
        case 1:
            return DibColorUsage::PalColors;
        case 2:
            return DibColorUsage::PalIndices;
        default:
            return DibColorUsage::RgbColors;
    }
}

// The fourth bytes of a 32-bit bitmap whose colour masks leave them unused (BI_RGB, or bit
// fields with the standard masks), as an alpha channel top row first. The decoder keeps
// them only where the bitmap says they are alpha; an alpha-blend record with per-pixel
// alpha says so itself. False when the bitmap is of another kind or the bytes are short,
// or when every such byte is zero (then the bitmap is taken as opaque).
bool UnusedFourthBytesAsAlpha(BitmapBytes bmi, BitmapBytes bits, const DecodedImage& image,
                              std::vector<uint8_t>& alpha) {
    const ByteReader header(bmi);
    const uint32_t headerSize = header.PeekU32(0);
    if (headerSize < 40 || !header.Contains(0, 40)) return false;
    const int32_t width = int32_t(header.PeekU32(4));
    const int32_t height = int32_t(header.PeekU32(8));
    const uint16_t bitCount = header.PeekU16(14);
    const uint32_t compression = header.PeekU32(16);
    if (bitCount != 32 || width <= 0 || height == 0 || uint32_t(width) != image.width) return false;
    const uint64_t rows = height < 0 ? uint64_t(-int64_t(height)) : uint64_t(height);
    if (rows != image.height) return false;
    if (compression == 3) {  // BI_BITFIELDS: masks after a 40-byte header, or inside a larger one
        if (!header.Contains(40, 12)) return false;
        if (header.PeekU32(40) != 0xFF0000 || header.PeekU32(44) != 0xFF00 || header.PeekU32(48) != 0xFF) return false;
    } else if (compression != 0) {
        return false;
    }
    const uint64_t stride = uint64_t(width) * 4;
    if (bits.size() / stride < rows) return false;
    alpha.assign(size_t(stride / 4 * rows), 0);
    bool any = false;
    for (uint64_t y = 0; y < rows; ++y) {
        const uint64_t source = height > 0 ? rows - 1 - y : y;  // bottom-up unless the height is negative
        const uint8_t* row = bits.data() + source * stride;
        uint8_t* out = alpha.data() + y * uint64_t(width);
        for (int32_t x = 0; x < width; ++x) {
            out[x] = row[size_t(x) * 4 + 3];
            any = any || out[x] != 0;
        }
    }
    return any;
}

}  // namespace

void ApplyBlendFunction(DecodedImage& image, uint32_t blend) {
    constexpr uint32_t kSrcAlpha = 0x01;  // AC_SRC_ALPHA
    const uint32_t constant = (blend >> 16) & 0xFF;
    const bool perPixel = ((blend >> 24) & 0xFF) == kSrcAlpha && image.hasAlpha;
    const size_t pixels = size_t(image.width) * image.height;
    if (image.rgb.size() != pixels * 3) return;
    if (!perPixel) {
        // Without per-pixel alpha the bitmap is opaque but for the constant alpha.
        image.alpha.assign(pixels, static_cast<uint8_t>(constant));
        image.hasAlpha = true;
        return;
    }
    if (image.alpha.size() != pixels) return;
    for (size_t i = 0; i < pixels; ++i) {
        const uint32_t a = image.alpha[i];
        if (a != 0 && a != 0xFF) {
            // Premultiplied colours back to plain ones, for the soft mask to apply once.
            for (size_t c = 0; c < 3; ++c) {
                const uint32_t v = (uint32_t(image.rgb[i * 3 + c]) * 255 + a / 2) / a;
                image.rgb[i * 3 + c] = static_cast<uint8_t>(v > 255 ? 255 : v);
            }
        }
        image.alpha[i] = static_cast<uint8_t>((a * constant + 127) / 255);
    }
}

CBitmapRecords::CBitmapRecords(IRenderSurface& surface, IPageWriter* writer, double pdfScale, uint32_t& keyColor)
    : surface_(surface), writer_(writer), scale_(pdfScale), keyColor_(keyColor) {}

bool CBitmapRecords::Decode(BitmapBytes bits, BitmapBytes bmi, uint32_t usage, DecodedImage& out) {
    const DibColorUsage how = UsageOf(usage);
    // Palette-relative colours look up the palette selected in the playback context.
    DibPalette selected;
    const DibPalette* palette = nullptr;
    if (how != DibColorUsage::RgbColors) {
        if (PlaybackContext* context = surface_.QuerySurfaceDC()) {
            const GdiObject* object = context->Object(context->GetCurrentObject(GdiObjectKind::Palette));
            if (object != nullptr && !object->palette.empty()) {
                for (COLORREF c : object->palette)
                    selected.entries.push_back({uint8_t(c & 0xFF), uint8_t((c >> 8) & 0xFF), uint8_t((c >> 16) & 0xFF)});
                palette = &selected;
            }
            surface_.ReleaseSurfaceDC(context);
        }
    }
    out = DecodedImage{};
    try {
        return DecodeDib(bmi, bits, how, palette, out, maxPixels_) == DibResult::Ok;
    } catch (std::bad_alloc&) {
        out = DecodedImage{};
        return false;
    }
}

bool CBitmapRecords::DecodeMasked(BitmapBytes bits, BitmapBytes bmi, uint32_t usage, int32_t xMask, int32_t yMask,
                                  BitmapBytes maskBits, BitmapBytes maskBmi, DecodedImage& out) {
    if (!Decode(bits, bmi, usage, out)) return false;
    try {
        DibIndexImage mask;
        if (DecodeDibIndices(maskBmi, maskBits, mask, maxPixels_) != DibResult::Ok) return false;
        return ApplyMonochromeMask(out, mask, xMask, yMask);
    } catch (std::bad_alloc&) {
        return false;
    }
}

void CBitmapRecords::Place(const RECTL& dest, const DecodedImage& image, const ImageMask& mask) {
    if (writer_ == nullptr) return;
    const PlacementRect r = PlaceDestination(dest, writer_->Geometry(), scale_);
    writer_->DrawImage(r.x, r.y, r.w, r.h, image, mask);
}

void CBitmapRecords::StretchBlt(const RECTL& dest, BitmapBytes bits, BitmapBytes bmi, uint32_t usage, uint32_t rop) {
    if (writer_ == nullptr) return;
    const BitmapOutcome outcome = OutcomeOfRasterOperation(rop);
    if (outcome == BitmapOutcome::Nothing) return;
    DecodedImage image;
    if (!Decode(bits, bmi, usage, image)) return;
    ImageMask mask;
    if (outcome == BitmapOutcome::PlaceCornerKeyed && DetectCornerKey(image, keyColor_))
        mask = ImageMask::Keyed(KeyColorToColorRef(keyColor_));
    Place(dest, image, mask);
}

void CBitmapRecords::MaskBlt(const RECTL& dest, BitmapBytes bits, BitmapBytes bmi, uint32_t usage,
                             uint32_t quaternaryRop, int32_t xMask, int32_t yMask, BitmapBytes maskBits,
                             BitmapBytes maskBmi) {
    if (writer_ == nullptr) return;
    if (maskBits.empty() || maskBmi.empty()) {
        StretchBlt(dest, bits, bmi, usage, ForegroundRasterOperation(quaternaryRop));
        return;
    }
    DecodedImage image;
    if (!DecodeMasked(bits, bmi, usage, xMask, yMask, maskBits, maskBmi, image)) return;
    Place(dest, image, ImageMask::Alpha());
}

void CBitmapRecords::PlgBlt(const POINTL* points, BitmapBytes bits, BitmapBytes bmi, uint32_t usage, int32_t xMask,
                            int32_t yMask, BitmapBytes maskBits, BitmapBytes maskBmi) {
    if (writer_ == nullptr || points == nullptr) return;
    const RECTL dest = ParallelogramBounds(points[0], points[1], points[2]);
    DecodedImage image;
    if (maskBits.empty() || maskBmi.empty()) {
        if (Decode(bits, bmi, usage, image)) Place(dest, image, {});
        return;
    }
    if (DecodeMasked(bits, bmi, usage, xMask, yMask, maskBits, maskBmi, image)) Place(dest, image, ImageMask::Alpha());
}

void CBitmapRecords::TransparentBlt(const RECTL& dest, BitmapBytes bits, BitmapBytes bmi, uint32_t usage,
                                    uint32_t transparent) {
    if (writer_ == nullptr) return;
    DecodedImage image;
    if (Decode(bits, bmi, usage, image)) Place(dest, image, ImageMask::Keyed(transparent & 0xFFFFFF));
}

void CBitmapRecords::AlphaBlend(const RECTL& dest, BitmapBytes bits, BitmapBytes bmi, uint32_t usage,
                                uint32_t blend) {
    if (writer_ == nullptr) return;
    DecodedImage image;
    if (!Decode(bits, bmi, usage, image)) return;
    if (((blend >> 24) & 0xFF) == 0x01 && !image.hasAlpha) {
        try {
            image.hasAlpha = UnusedFourthBytesAsAlpha(bmi, bits, image, image.alpha);
        } catch (std::bad_alloc&) {
            return;
        }
        if (!image.hasAlpha) image.alpha.clear();
    }
    ApplyBlendFunction(image, blend);
    Place(dest, image, ImageMask::Alpha());
}

}  // namespace slidemill

#include "render/images/BitmapRecords.h"

#include <new>

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

}  // namespace

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

void CBitmapRecords::AlphaBlend(const RECTL& dest, BitmapBytes bits, BitmapBytes bmi, uint32_t usage) {
    if (writer_ == nullptr) return;
    DecodedImage image;
    if (Decode(bits, bmi, usage, image)) Place(dest, image, {});
}

}  // namespace slidemill

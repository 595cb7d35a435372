#pragma once
// A transparent picture written as two bitmap records over the same destination:
// - a SRCPAINT mask (black where the picture is transparent, white where it is opaque)
//   and then a SRCAND image (white where transparent): (dest | mask) & image. LibreOffice
//   writes every transparent picture of a slide this way;
// - a SRCAND mask (white where transparent) and then a SRCINVERT image (black where
//   transparent): (dest & mask) ^ image, the way icons are drawn.
//
// Placed as two separate images, the mask paints its opaque part over the page in one
// colour, and the page shows boxes where the picture should let it through. The pair is
// therefore recognised and played as one masked block transfer: the image, with a 1-bit
// mask made from the mask bitmap.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/gdi/GdiTypes.h"

namespace slidemill {

enum class MaskPairKind { PaintThenAnd, AndThenInvert };

// The fields of a bitmap record (EMR_STRETCHDIBITS, EMR_STRETCHBLT, EMR_BITBLT) that
// pairing looks at.
struct StretchDibFields {
    RECTL dest{};
    RECTL src{};
    uint32_t rop = 0;
    uint32_t usage = 0;
    std::span<const uint8_t> bmi, bits;
};

// Reads such a record (Type and Size included); nothing when it is of another type, too
// short, without a bitmap or with its bitmap outside it.
std::optional<StretchDibFields> ReadStretchDib(std::span<const uint8_t> record);

// The kind of pair `mask` and `image` (the next record) form, if any: the operations
// above, the same destination, RGB colours, and a mask of the image's size (all of the
// mask bitmap, or its source rectangle).
std::optional<MaskPairKind> PairKind(const StretchDibFields& mask, const StretchDibFields& image);

// A 1-bit bottom-up DIB (BITMAPINFOHEADER, two colours, then the rows) of the image's
// size: bit 1 where the picture is opaque, 0 where the background shows. False when the
// mask bitmap cannot be decoded.
struct MonochromeDib {
    std::vector<uint8_t> bmi;
    std::vector<uint8_t> bits;
};
bool MonochromeMaskFromPaintBitmap(const StretchDibFields& mask, MaskPairKind kind, uint32_t width, uint32_t height,
                                   MonochromeDib& out);

}  // namespace slidemill

#pragma once
// A transparent picture written as two bitmap records: a SRCPAINT mask (black where the
// picture is transparent, white where it is opaque) and, right after it over the same
// destination, a SRCAND image (white where transparent). On a device the pair computes
// (dest | mask) & image, which leaves the background where the mask is black and shows
// the image elsewhere. LibreOffice writes every transparent picture of a slide this way.
//
// Placed as two separate images, the mask alone paints its opaque part white and any
// black it holds over the page. The pair is therefore recognised and played as one
// masked block transfer: the image, with a 1-bit mask made from the SRCPAINT bitmap.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/gdi/GdiTypes.h"

namespace slidemill {

// The fields of an EMR_STRETCHDIBITS record that pairing looks at.
struct StretchDibFields {
    RECTL dest{};
    RECTL src{};
    uint32_t rop = 0;
    uint32_t usage = 0;
    std::span<const uint8_t> bmi, bits;
};

// Reads an EMR_STRETCHDIBITS record (Type and Size included); nothing when it is of
// another type, too short or its bitmap lies outside it.
std::optional<StretchDibFields> ReadStretchDib(std::span<const uint8_t> record);

// True when `mask` (a SRCPAINT record) and `image` (the next record) form a transparent
// picture: SRCPAINT then SRCAND, the same destination, RGB colours, bitmaps of one size.
bool IsPaintMaskPair(const StretchDibFields& mask, const StretchDibFields& image);

// A 1-bit bottom-up DIB (BITMAPINFOHEADER, two colours, then the rows) of the mask's
// size: bit 1 where the mask pixel is light (opaque), 0 where it is dark (transparent).
// False when the mask bitmap cannot be decoded.
struct MonochromeDib {
    std::vector<uint8_t> bmi;
    std::vector<uint8_t> bits;
};
bool MonochromeMaskFromPaintBitmap(const StretchDibFields& mask, MonochromeDib& out);

}  // namespace slidemill

#pragma once
// A monochrome mask bitmap turned into the alpha channel of a source bitmap, for the
// masked block transfers (MaskBlt, PlgBlt with a mask).

#include <cstdint>

namespace slidemill {

struct DecodedImage;
struct DibIndexImage;

// Gives `image` an alpha channel: opaque (0xFF) where the mask bit at the same position is
// set, transparent (0x00) elsewhere; colours are kept. The mask is read from
// (xMask, yMask) on and wraps around its own width and height when the image is larger
// (negative positions wrap too). Rows of both are top row first. False, and `image`
// unchanged, when the mask is empty or inconsistent.
bool ApplyMonochromeMask(DecodedImage& image, const DibIndexImage& mask, int32_t xMask, int32_t yMask);

}  // namespace slidemill

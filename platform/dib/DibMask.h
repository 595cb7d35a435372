#pragma once
// The alpha a mask bitmap gives a source bitmap, as a masked block transfer
// (EMR_MASKBLT, EMR_PLGBLT with a mask) draws it: opaque where the mask bit is set,
// clear elsewhere.

#include <cstdint>

#include "platform/dib/DibDecoder.h"
#include "platform/dib/DibTypes.h"

namespace slidemill {

// Sets `image`'s alpha from `mask`: source pixel (x, y) takes mask pixel
// ((maskX + x) mod mask width, (maskY + y) mod mask height), both counted from the top-left
// corner, so a mask smaller than the source repeats. A mask pixel value other than 0 is
// set (0xFF), 0 is clear (0x00); colours are kept. An empty mask leaves the image as it is.
void ApplyMaskAlpha(DecodedImage& image, const DibIndexImage& mask, int32_t maskX, int32_t maskY);

}  // namespace slidemill

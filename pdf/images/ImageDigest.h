#pragma once
// A SHA-256 digest of what makes a placed image: its size, its mask and its pixels. Two
// placements with the same digest can share one image object.

#include <array>
#include <cstdint>

#include "pdf/PageWriter.h"

namespace slidemill {

struct DecodedImage;

using ImageDigest = std::array<uint8_t, 32>;

// `mask` is the mask as it will be written (see EffectiveMask in PdfImageStore.h): the
// alpha bytes count only for a soft mask, the key only for a colour key.
ImageDigest DigestImage(const DecodedImage& image, const ImageMask& mask);

}  // namespace slidemill

#include "platform/dib/DibMask.h"

namespace slidemill {
namespace {

// a mod n in [0, n) for any sign of a.
uint32_t Wrap(int64_t a, uint32_t n) {
    const int64_t m = a % int64_t(n);
    return static_cast<uint32_t>(m < 0 ? m + n : m);
}

}  // namespace

void ApplyMaskAlpha(DecodedImage& image, const DibIndexImage& mask, int32_t maskX, int32_t maskY) {
    if (mask.width == 0 || mask.height == 0 || mask.indices.size() != size_t(mask.width) * mask.height) return;
    const size_t pixels = size_t(image.width) * image.height;
    if (image.rgb.size() != pixels * 3) return;
    image.alpha.assign(pixels, 0);
    for (uint32_t y = 0; y < image.height; ++y) {
        const uint32_t my = Wrap(int64_t(maskY) + y, mask.height);
        const uint8_t* maskRow = mask.indices.data() + size_t(my) * mask.width;
        uint8_t* alphaRow = image.alpha.data() + size_t(y) * image.width;
        uint32_t mx = Wrap(maskX, mask.width);
        for (uint32_t x = 0; x < image.width; ++x) {
            alphaRow[x] = maskRow[mx] != 0 ? 0xFF : 0x00;
            if (++mx == mask.width) mx = 0;
        }
    }
    image.hasAlpha = true;
}

}  // namespace slidemill

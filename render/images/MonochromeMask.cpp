#include "render/images/MonochromeMask.h"

#include <vector>

#include "platform/dib/DibDecoder.h"
#include "platform/dib/DibTypes.h"

namespace slidemill {
namespace {

// x mod n in 0 .. n - 1 for any x, without overflow.
uint32_t Wrap(int64_t x, uint32_t n) {
    const int64_t m = x % int64_t(n);
    return static_cast<uint32_t>(m < 0 ? m + n : m);
}

}  // namespace

bool ApplyMonochromeMask(DecodedImage& image, const DibIndexImage& mask, int32_t xMask, int32_t yMask) {
    if (mask.width == 0 || mask.height == 0) return false;
    if (mask.indices.size() != uint64_t(mask.width) * mask.height) return false;
    const uint64_t pixels = uint64_t(image.width) * image.height;
    if (pixels == 0 || image.rgb.size() != pixels * 3) return false;
    std::vector<uint8_t> alpha(pixels);
    for (uint32_t y = 0; y < image.height; ++y) {
        const uint8_t* maskRow = &mask.indices[size_t(Wrap(int64_t(yMask) + y, mask.height)) * mask.width];
        uint8_t* out = &alpha[size_t(y) * image.width];
        uint32_t mx = Wrap(xMask, mask.width);
        for (uint32_t x = 0; x < image.width; ++x) {
            out[x] = maskRow[mx] != 0 ? 0xFF : 0x00;
            if (++mx == mask.width) mx = 0;
        }
    }
    image.alpha = std::move(alpha);
    image.hasAlpha = true;
    return true;
}

}  // namespace slidemill

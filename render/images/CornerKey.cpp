#include "render/images/CornerKey.h"

#include "platform/dib/DibTypes.h"

namespace slidemill {

bool DetectCornerKey(const DecodedImage& image, uint32_t& keyColor) {
    if (image.width == 0 || image.height == 0) return false;
    if (image.rgb.size() != uint64_t(image.width) * image.height * 3) return false;
    auto pixel = [&](uint32_t x, uint32_t y) {
        const size_t at = (size_t(y) * image.width + x) * 3;
        return (uint32_t(image.rgb[at]) << 16) | (uint32_t(image.rgb[at + 1]) << 8) | image.rgb[at + 2];
    };
    const uint32_t w = image.width - 1;
    const uint32_t h = image.height - 1;
    const uint32_t topLeft = pixel(0, 0);
    const uint32_t bottomLeft = pixel(0, h);
    const uint32_t topRight = pixel(w, 0);
    const uint32_t bottomRight = pixel(w, h);
    auto same = [](uint32_t a, uint32_t b, uint32_t c) { return a == b && b == c; };
    uint32_t key = 0;
    if (same(topLeft, bottomLeft, topRight)) key = topLeft;
    else if (same(bottomLeft, topRight, bottomRight)) key = bottomLeft;
    else if (same(topLeft, topRight, bottomRight)) key = topLeft;
    else if (same(bottomLeft, topLeft, bottomRight)) key = bottomLeft;
    else return false;
    keyColor = 0xFF000000 | key;
    return true;
}

COLORREF KeyColorToColorRef(uint32_t argb) {
    return ((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16);
}

}  // namespace slidemill

#pragma once
// BI_JPEG and BI_PNG bitmaps: the bits are a whole JPEG or PNG file, decoded here with
// libjpeg and libpng into the same pixel layout as every other DIB.

#include <cstdint>
#include <span>

#include "platform/dib/DibTypes.h"

namespace slidemill {

DibResult DecodeEmbeddedJpeg(std::span<const uint8_t> data, uint64_t maxPixels, DecodedImage& out);
DibResult DecodeEmbeddedPng(std::span<const uint8_t> data, uint64_t maxPixels, DecodedImage& out);

}  // namespace slidemill

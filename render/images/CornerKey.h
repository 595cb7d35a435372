#pragma once
// The colour key of a bitmap: the colour that three of its four corners share, the usual
// background of a picture drawn for a masking raster operation.

#include <cstdint>

#include "pdf/PageWriter.h"

namespace slidemill {

struct DecodedImage;

// The renderer's key colour starts as opaque black, 0xFF000000 (0xAARRGGBB).
constexpr uint32_t kInitialKeyColor = 0xFF000000;

// Compares the corners top-left, bottom-left, top-right and bottom-right as RGB. When
// top-left, bottom-left and top-right agree, or bottom-left, top-right and bottom-right,
// or top-left, top-right and bottom-right, or bottom-left, top-left and bottom-right
// (tried in this order), stores the shared colour in `keyColor` as opaque ARGB and
// answers true; otherwise leaves `keyColor` alone and answers false. An empty or
// inconsistent image has no key.
bool DetectCornerKey(const DecodedImage& image, uint32_t& keyColor);

// An ARGB key colour as the COLORREF the writer takes (red in the low byte).
COLORREF KeyColorToColorRef(uint32_t argb);

}  // namespace slidemill

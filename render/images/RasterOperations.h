#pragma once
// Ternary raster operations ([MS-WMF] 2.1.1.31) as far as the page needs them: which of
// them place a bitmap, and the full 32-bit code of an operation index.

#include <cstdint>

namespace slidemill {

constexpr uint32_t kRopSrcCopy = 0x00CC0020;
constexpr uint32_t kRopSrcPaint = 0x00EE0086;
constexpr uint32_t kRopSrcAnd = 0x008800C6;
constexpr uint32_t kRopSrcInvert = 0x00660046;
constexpr uint32_t kRopBlackness = 0x00000042;
constexpr uint32_t kRopPatCopy = 0x00F00021;
constexpr uint32_t kRopWhiteness = 0x00FF0062;

// What a block transfer with a source bitmap puts on the page.
enum class BitmapOutcome {
    Place,            // the bitmap as it is (SRCCOPY)
    Nothing,          // BLACKNESS, PATCOPY, WHITENESS: only the raster surface is filled
    PlaceCornerKeyed  // any other operation: keyed on its corner colour when it has one
};
BitmapOutcome OutcomeOfRasterOperation(uint32_t rop);

// The 32-bit ternary raster-operation code whose bits 16-23 are `index` (0xCC gives
// 0x00CC0020). The operation codes in the low word are those of the published table for
// the named operations; the page only ever tells SRCCOPY, BLACKNESS, PATCOPY and
// WHITENESS apart (all named), so for the others the index alone is kept.
uint32_t TernaryRasterOperation(uint8_t index);

// The foreground operation of a quaternary raster operation (MaskBlt): bits 16-23,
// expanded to its ternary code.
uint32_t ForegroundRasterOperation(uint32_t quaternary);

}  // namespace slidemill

#include "render/images/RasterOperations.h"

namespace slidemill {

BitmapOutcome OutcomeOfRasterOperation(uint32_t rop) {
    switch (rop) {
        case kRopSrcCopy:
            return BitmapOutcome::Place;
        case kRopBlackness:
        case kRopPatCopy:
        case kRopWhiteness:
            return BitmapOutcome::Nothing;
        default:
            return BitmapOutcome::PlaceCornerKeyed;
    }
}

uint32_t TernaryRasterOperation(uint8_t index) {
    // The named operations of the published list, by their index.
    struct Named {
        uint8_t index;
        uint32_t code;
    };
    static constexpr Named kNamed[] = {
        {0x00, kRopBlackness}, {0x11, 0x001100A6 /* NOTSRCERASE */}, {0x33, 0x00330008 /* NOTSRCCOPY */},
        {0x44, 0x00440328 /* SRCERASE */}, {0x55, 0x00550009 /* DSTINVERT */}, {0x5A, 0x005A0049 /* PATINVERT */},
        {0x66, kRopSrcInvert}, {0x88, kRopSrcAnd}, {0xBB, 0x00BB0226 /* MERGEPAINT */},
        {0xC0, 0x00C000CA /* MERGECOPY */}, {0xCC, kRopSrcCopy}, {0xEE, kRopSrcPaint}, {0xF0, kRopPatCopy},
        {0xFB, 0x00FB0A09 /* PATPAINT */}, {0xFF, kRopWhiteness},
    };
    for (const Named& n : kNamed)
        if (n.index == index) return n.code;
    return uint32_t(index) << 16;
}

uint32_t ForegroundRasterOperation(uint32_t quaternary) {
    return TernaryRasterOperation(static_cast<uint8_t>((quaternary >> 16) & 0xFF));
}

}  // namespace slidemill

// A mask bitmap's bits become the source bitmap's alpha, with the mask repeating when it
// is smaller than the source and starting at the record's mask position.

#include <gtest/gtest.h>

#include "platform/dib/DibMask.h"
#include "tests/platform/dib/DibFixtures.h"

namespace slidemill {
namespace {

using namespace slidemill::testing;

DecodedImage Source(uint32_t w, uint32_t h) {
    DecodedImage img;
    img.width = w;
    img.height = h;
    img.rgb.assign(size_t(w) * h * 3, 0x40);
    return img;
}

TEST(DibMask, MaskBitsBecomeAlphaAndRepeat) {
    // 2 x 2 mask, top row 1 0, bottom row 0 1 (stored bottom-up, inverted colour table).
    auto bmi = Header({.width = 2, .height = 2, .bitCount = 1});
    AppendColors(bmi, {0xFFFFFF, 0x000000});
    DibIndexImage mask;
    ASSERT_EQ(DecodeDibIndices(bmi, Rows({{0b01000000}, {0b10000000}}), mask), DibResult::Ok);

    struct Case {
        int32_t maskX, maskY;
        std::vector<uint8_t> alpha;  // 3 x 3 source, top row first
    };
    for (const Case& c : {Case{0, 0, {255, 0, 255, 0, 255, 0, 255, 0, 255}},
                          Case{1, 0, {0, 255, 0, 255, 0, 255, 0, 255, 0}},
                          Case{0, 1, {0, 255, 0, 255, 0, 255, 0, 255, 0}},
                          Case{-1, 0, {0, 255, 0, 255, 0, 255, 0, 255, 0}},
                          Case{5, 7, {255, 0, 255, 0, 255, 0, 255, 0, 255}}}) {
        SCOPED_TRACE(std::to_string(c.maskX) + "," + std::to_string(c.maskY));
        DecodedImage img = Source(3, 3);
        ApplyMaskAlpha(img, mask, c.maskX, c.maskY);
        ASSERT_TRUE(img.hasAlpha);
        EXPECT_EQ(img.alpha, c.alpha);
        EXPECT_EQ(img.rgb, Source(3, 3).rgb);  // colours kept
    }
}

TEST(DibMask, EmptyMaskChangesNothing) {
    DecodedImage img = Source(2, 1);
    ApplyMaskAlpha(img, DibIndexImage{}, 0, 0);
    EXPECT_FALSE(img.hasAlpha);
    EXPECT_TRUE(img.alpha.empty());
}

}  // namespace
}  // namespace slidemill

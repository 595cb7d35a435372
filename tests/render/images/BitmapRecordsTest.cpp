// The bitmap records onto the writer's DrawImage: which raster operations place what,
// the corner key and its order, masks, the placement rectangle and palettes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/images/BitmapRecords.h"
#include "render/images/CornerKey.h"
#include "render/images/RasterOperations.h"
#include "tests/render/images/BitmapFixtures.h"
#include "tests/support/RecordingPageWriter.h"

namespace slidemill {
namespace {

using testing::Corners;
using testing::FakeRenderSurface;
using testing::Mono;
using testing::RecordingPageWriter;
using testing::Rgb24;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

struct Fixture {
    FakeRenderSurface surface;
    RecordingPageWriter writer;
    uint32_t keyColor = kInitialKeyColor;
    CBitmapRecords records{surface, &writer, 1.0, keyColor};
    Fixture() {
        writer.geometry.offX = 0;
        writer.geometry.offY = 0;
        writer.geometry.pageHeight = 540;
    }
};

const RECTL kDest{10, 20, 110, 70};

// ---- raster operations --------------------------------------------------------------

struct RopCase {
    const char* name;
    uint32_t rop;
    testing::Dib bitmap;
    std::vector<std::string> calls;
};

class StretchBltByRop : public ::testing::TestWithParam<RopCase> {};

TEST_P(StretchBltByRop, PlacesKeysOrSkips) {
    Fixture f;
    const RopCase& c = GetParam();
    f.records.StretchBlt(kDest, c.bitmap.bits, c.bitmap.bmi, 0, c.rop);
    EXPECT_EQ(f.writer.calls, c.calls);
}

const std::vector<std::string> kPlain{"DrawImage 10 20 100 50 3x3 none"};

INSTANTIATE_TEST_SUITE_P(
    Cases, StretchBltByRop,
    ::testing::Values(
        // SRCCOPY places the bitmap as it is, even with a uniform border.
        RopCase{"SrcCopy", kRopSrcCopy, Corners(kWhite, kWhite, kWhite, kWhite), kPlain},
        RopCase{"Blackness", kRopBlackness, Corners(kRed, kRed, kRed, kRed), {}},
        RopCase{"PatCopy", kRopPatCopy, Corners(kRed, kRed, kRed, kRed), {}},
        RopCase{"Whiteness", kRopWhiteness, Corners(kRed, kRed, kRed, kRed), {}},
        // A masking pair: each part keyed on its uniform border.
        RopCase{"SrcAndWhiteCorners", kRopSrcAnd, Corners(kWhite, kWhite, kWhite, kWhite),
                {"DrawImage 10 20 100 50 3x3 key 0xffffff"}},
        RopCase{"SrcPaintBlackCorners", kRopSrcPaint, Corners(kBlack, kBlack, kBlack, kBlack),
                {"DrawImage 10 20 100 50 3x3 key 0x000000"}},
        RopCase{"SrcInvertFourDifferentCorners", kRopSrcInvert, Corners(kRed, kGreen, kBlue, kWhite), kPlain},
        // Key as COLORREF: red in the low byte.
        RopCase{"KeyIsAColorRef", kRopSrcAnd, Corners(0x123456, 0x123456, 0x123456, kRed),
                {"DrawImage 10 20 100 50 3x3 key 0x563412"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- corner key ---------------------------------------------------------------------

struct CornerCase {
    const char* name;
    uint32_t tl, tr, bl, br;
    bool found;
    uint32_t key;  // 0xRRGGBB
};

class CornerKeyOrder : public ::testing::TestWithParam<CornerCase> {};

TEST_P(CornerKeyOrder, SharedColourOfThreeCorners) {
    const CornerCase& c = GetParam();
    const testing::Dib dib = Corners(c.tl, c.tr, c.bl, c.br);
    Fixture f;
    DecodedImage image;
    ASSERT_TRUE(f.records.Decode(dib.bits, dib.bmi, 0, image));
    uint32_t key = 0x12345678;
    EXPECT_EQ(DetectCornerKey(image, key), c.found);
    EXPECT_EQ(key, c.found ? (0xFF000000 | c.key) : 0x12345678u);  // untouched without a key
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CornerKeyOrder,
    ::testing::Values(
        CornerCase{"AllFourAgree", kGreen, kGreen, kGreen, kGreen, true, kGreen},
        CornerCase{"TopLeftBottomLeftTopRight", kRed, kRed, kRed, kBlue, true, kRed},
        // Bottom-left, top-right and bottom-right red, top-left blue: keyed on red.
        CornerCase{"BottomLeftTopRightBottomRight", kBlue, kRed, kRed, kRed, true, kRed},
        CornerCase{"TopLeftTopRightBottomRight", kRed, kRed, kBlue, kRed, true, kRed},
        CornerCase{"BottomLeftTopLeftBottomRight", kRed, kBlue, kRed, kRed, true, kRed},
        CornerCase{"TwoAndTwo", kRed, kRed, kBlue, kBlue, false, 0},
        CornerCase{"AllDifferent", kRed, kGreen, kBlue, kWhite, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CornerKey, AlphaIsIgnoredAndOnePixelIsItsOwnKey) {
    DecodedImage image;
    image.width = 1;
    image.height = 1;
    image.rgb = {1, 2, 3};
    image.hasAlpha = true;
    image.alpha = {0};
    uint32_t key = 0;
    EXPECT_TRUE(DetectCornerKey(image, key));
    EXPECT_EQ(key, 0xFF010203u);
    EXPECT_EQ(KeyColorToColorRef(key), 0x030201u);
    EXPECT_FALSE(DetectCornerKey(DecodedImage{}, key));
}

TEST(StretchBlt, KeyColourStaysWithTheRendererBetweenRecords) {
    Fixture f;
    const testing::Dib keyed = Corners(kWhite, kWhite, kWhite, kRed);
    const testing::Dib unkeyed = Corners(kRed, kGreen, kBlue, kWhite);
    f.records.StretchBlt(kDest, keyed.bits, keyed.bmi, 0, kRopSrcAnd);
    EXPECT_EQ(f.keyColor, 0xFFFFFFFFu);
    f.records.StretchBlt(kDest, unkeyed.bits, unkeyed.bmi, 0, kRopSrcAnd);
    EXPECT_EQ(f.keyColor, 0xFFFFFFFFu);  // a failed detection keeps the last key
    EXPECT_EQ(f.writer.calls.back(), "DrawImage 10 20 100 50 3x3 none");
}

// ---- placement ----------------------------------------------------------------------

TEST(Placement, DestinationIsMappedWithOffsetsAndScale) {
    FakeRenderSurface surface;
    RecordingPageWriter writer;
    writer.geometry.offX = 6;
    writer.geometry.offY = -4;
    uint32_t key = kInitialKeyColor;
    CBitmapRecords records(surface, &writer, 0.5, key);
    const testing::Dib dib = Rgb24(2, 1, {kRed, kBlue});
    records.StretchBlt({10, 20, 110, 70}, dib.bits, dib.bmi, 0, kRopSrcCopy);
    // x = (10 + 6) * 0.5, y = (20 - 4) * 0.5, w = 100 * 0.5, h = 50 * 0.5
    ASSERT_EQ(writer.calls, (std::vector<std::string>{"DrawImage 8 8 50 25 2x1 none"}));
    // The whole bitmap, top row first, whatever the record's source rectangle was.
    EXPECT_EQ(writer.images[0].rgb, (std::vector<uint8_t>{255, 0, 0, 0, 0, 255}));
}

TEST(Placement, MirroredDestinationKeepsItsSigns) {
    Fixture f;
    const testing::Dib dib = Rgb24(1, 1, {kRed});
    f.records.StretchBlt({110, 70, 10, 20}, dib.bits, dib.bmi, 0, kRopSrcCopy);
    EXPECT_EQ(f.writer.calls, (std::vector<std::string>{"DrawImage 110 70 -100 -50 1x1 none"}));
}

TEST(PlgBlt, RotatedParallelogramIsPlacedUnrotated) {
    Fixture f;
    const testing::Dib dib = Rgb24(2, 2, {kRed, kGreen, kBlue, kWhite});
    // A 90-degree turn: P0 (upper-left) at (100, 10), P1 (upper-right) below it,
    // P2 (lower-left) to its left. The rectangle (P0.x, P0.y) - (P1.x, P2.y) has no width.
    const POINTL rotated[3] = {{100, 10}, {100, 110}, {50, 10}};
    f.records.PlgBlt(rotated, dib.bits, dib.bmi, 0, 0, 0, {}, {});
    // A shear: the same rule gives the upright rectangle.
    const POINTL sheared[3] = {{10, 20}, {110, 30}, {20, 70}};
    f.records.PlgBlt(sheared, dib.bits, dib.bmi, 0, 0, 0, {}, {});
    f.records.PlgBlt(nullptr, dib.bits, dib.bmi, 0, 0, 0, {}, {});
    EXPECT_EQ(f.writer.calls,
              (std::vector<std::string>{"DrawImage 100 10 0 0 2x2 none", "DrawImage 10 20 100 50 2x2 none"}));
}

// ---- masks, transparency ------------------------------------------------------------

TEST(MaskBlt, WithoutMaskTheForegroundOperationDecides) {
    Fixture f;
    const testing::Dib white = Corners(kWhite, kWhite, kWhite, kWhite);
    // Quaternary codes: background operation in the top byte, foreground in bits 16-23.
    f.records.MaskBlt(kDest, white.bits, white.bmi, 0, 0xAACC0020, 0, 0, {}, {});  // SRCCOPY
    f.records.MaskBlt(kDest, white.bits, white.bmi, 0, 0xCC000000, 0, 0, {}, {});  // BLACKNESS
    f.records.MaskBlt(kDest, white.bits, white.bmi, 0, 0xCC880000, 0, 0, {}, {});  // SRCAND
    const testing::Dib mask = Mono(3, {{true, true, true}});
    f.records.MaskBlt(kDest, white.bits, white.bmi, 0, 0xAACC0020, 0, 0, mask.bits, {});  // half a mask: none
    EXPECT_EQ(f.writer.calls,
              (std::vector<std::string>{"DrawImage 10 20 100 50 3x3 none", "DrawImage 10 20 100 50 3x3 key 0xffffff",
                                        "DrawImage 10 20 100 50 3x3 none"}));
}

TEST(MaskBlt, MaskBitsBecomeAlphaAndWrapFromTheMaskPosition) {
    Fixture f;
    const testing::Dib source = Rgb24(3, 2, {kRed, kGreen, kBlue, kWhite, kBlack, kRed});
    // A 2 x 1 mask, bit set on the left only; read from x = 1, so the first pixel takes
    // the right (clear) bit, then the mask wraps: clear, set, clear on every row.
    const testing::Dib mask = Mono(2, {{true, false}});
    f.records.MaskBlt(kDest, source.bits, source.bmi, 0, kRopSrcCopy, 1, 5, mask.bits, mask.bmi);
    ASSERT_EQ(f.writer.calls, (std::vector<std::string>{"DrawImage 10 20 100 50 3x2 alpha"}));
    const DecodedImage& placed = f.writer.images[0];
    EXPECT_EQ(placed.alpha, (std::vector<uint8_t>{0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00}));
    EXPECT_EQ(placed.rgb[3], 0);  // colours kept: the second pixel is green
    EXPECT_EQ(placed.rgb[4], 255);
    // Negative positions wrap the same way.
    f.records.MaskBlt(kDest, source.bits, source.bmi, 0, kRopSrcCopy, -1, -1, mask.bits, mask.bmi);
    EXPECT_EQ(f.writer.images[1].alpha, (std::vector<uint8_t>{0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00}));
}

TEST(MaskBlt, MaskRowsFollowTheSourceRows) {
    Fixture f;
    const testing::Dib source = Rgb24(1, 3, {kRed, kGreen, kBlue});
    const testing::Dib mask = Mono(1, {{true}, {false}, {false}});  // top row only
    f.records.MaskBlt(kDest, source.bits, source.bmi, 0, kRopSrcCopy, 0, 0, mask.bits, mask.bmi);
    f.records.PlgBlt(std::vector<POINTL>{{0, 0}, {10, 0}, {0, 10}}.data(), source.bits, source.bmi, 0, 0, 1, mask.bits,
                     mask.bmi);
    ASSERT_EQ(f.writer.images.size(), 2u);
    EXPECT_EQ(f.writer.images[0].alpha, (std::vector<uint8_t>{0xFF, 0x00, 0x00}));
    EXPECT_EQ(f.writer.images[1].alpha, (std::vector<uint8_t>{0x00, 0x00, 0xFF}));  // from mask row 1, wrapping
    EXPECT_EQ(f.writer.calls[1], "DrawImage 0 0 10 10 1x3 alpha");
}

TEST(TransparentAndAlpha, TransparentBltIsKeyedOnTheRecordColour) {
    Fixture f;
    const testing::Dib dib = Corners(kRed, kRed, kRed, kRed);
    f.records.TransparentBlt(kDest, dib.bits, dib.bmi, 0, 0x0000FF);  // COLORREF red
    EXPECT_EQ(f.writer.calls, (std::vector<std::string>{"DrawImage 10 20 100 50 3x3 key 0x0000ff"}));
}

// A 2 x 1 32-bit bitmap, premultiplied BGRA: half-transparent red, then a transparent pixel.
testing::Dib HalfRedThenClear() {
    testing::Dib argb;
    argb.bmi = testing::InfoHeader(2, 1, 32, 0);
    argb.bits = {0x00, 0x00, 0x80, 0x80, 0x00, 0x00, 0x00, 0x00};
    return argb;
}

TEST(TransparentAndAlpha, PerPixelAlphaBecomesTheSoftMaskWithPlainColours) {
    Fixture f;
    const testing::Dib argb = HalfRedThenClear();
    f.records.AlphaBlend(kDest, argb.bits, argb.bmi, 0, 0x01FF0000);  // AC_SRC_ALPHA, constant 255
    ASSERT_EQ(f.writer.calls, (std::vector<std::string>{"DrawImage 10 20 100 50 2x1 alpha"}));
    EXPECT_EQ(f.writer.images[0].alpha, (std::vector<uint8_t>{0x80, 0x00}));
    EXPECT_EQ(f.writer.images[0].rgb, (std::vector<uint8_t>{255, 0, 0, 0, 0, 0}));  // 0x80 / 0x80 * 255
    // With a constant alpha of one half on top.
    f.records.AlphaBlend(kDest, argb.bits, argb.bmi, 0, 0x01800000);
    EXPECT_EQ(f.writer.images[1].alpha, (std::vector<uint8_t>{0x40, 0x00}));
}

TEST(TransparentAndAlpha, BitFieldBitmapsGiveTheirFourthByteWhenTheRecordAsksForAlpha) {
    // 32-bit bit fields with the plain colour masks, as icons are stored: the decoder sees
    // no alpha, the record's AC_SRC_ALPHA makes the fourth byte count. Top-down rows.
    testing::Dib icon;
    icon.bmi = testing::InfoHeader(2, -1, 32, 0, {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0});
    icon.bmi[16] = 3;  // BI_BITFIELDS
    icon.bits = {0x00, 0x00, 0x80, 0x80, 0x00, 0x00, 0x00, 0x00};
    Fixture f;
    f.records.AlphaBlend(kDest, icon.bits, icon.bmi, 0, 0x01FF0000);
    f.records.AlphaBlend(kDest, icon.bits, icon.bmi, 0, 0x00FF0000);  // no AC_SRC_ALPHA: opaque
    ASSERT_EQ(f.writer.images.size(), 2u);
    EXPECT_EQ(f.writer.images[0].alpha, (std::vector<uint8_t>{0x80, 0x00}));
    EXPECT_EQ(f.writer.images[0].rgb, (std::vector<uint8_t>{255, 0, 0, 0, 0, 0}));
    EXPECT_EQ(f.writer.images[1].alpha, (std::vector<uint8_t>{0xFF, 0xFF}));
}

TEST(TransparentAndAlpha, WithoutSourceAlphaOnlyTheConstantCounts) {
    Fixture f;
    const testing::Dib argb = HalfRedThenClear();
    f.records.AlphaBlend(kDest, argb.bits, argb.bmi, 0, 0x00FF0000);  // no AC_SRC_ALPHA: opaque
    f.records.AlphaBlend(kDest, argb.bits, argb.bmi, 0, 0x00400000);
    ASSERT_EQ(f.writer.images.size(), 2u);
    EXPECT_EQ(f.writer.images[0].alpha, (std::vector<uint8_t>{0xFF, 0xFF}));  // the writer drops an opaque mask
    EXPECT_EQ(f.writer.images[1].alpha, (std::vector<uint8_t>{0x40, 0x40}));
    EXPECT_EQ(f.writer.images[1].rgb, (std::vector<uint8_t>{0x80, 0, 0, 0, 0, 0}));  // colours as stored
}

// ---- palettes, no writer ------------------------------------------------------------

TEST(Palette, PaletteRelativeColoursUseTheSelectedPalette) {
    PlaybackContext context;
    Fixture f;
    f.surface.context = &context;
    // 8-bit, two table entries that are indexes 0 and 1 into the logical palette.
    testing::Dib dib;
    dib.bmi = testing::InfoHeader(2, 1, 8, 2, {1, 0, 0, 0});
    dib.bits = {0, 1, 0, 0};
    f.records.StretchBlt(kDest, dib.bits, dib.bmi, 1, kRopSrcCopy);
    context.SelectPalette(context.CreatePalette({0x0000FF /* red */, 0xFF0000 /* blue */}));
    f.records.StretchBlt(kDest, dib.bits, dib.bmi, 1, kRopSrcCopy);
    ASSERT_EQ(f.writer.images.size(), 2u);
    // Table entry 0 names palette index 1: blue; entry 1 names index 0: red.
    EXPECT_EQ(f.writer.images[1].rgb, (std::vector<uint8_t>{0, 0, 255, 255, 0, 0}));
    EXPECT_NE(f.writer.images[0].rgb, f.writer.images[1].rgb);  // the default palette differs
    EXPECT_EQ(f.surface.borrowed, 0);  // every borrowed context was given back
}

TEST(NoWriter, NothingHappens) {
    FakeRenderSurface surface;
    uint32_t key = kInitialKeyColor;
    CBitmapRecords records(surface, nullptr, 1.0, key);
    const testing::Dib dib = Corners(kWhite, kWhite, kWhite, kWhite);
    records.StretchBlt(kDest, dib.bits, dib.bmi, 0, kRopSrcAnd);
    EXPECT_EQ(key, kInitialKeyColor);
}

TEST(RasterOperations, IndexesExpandToTheirCodes) {
    EXPECT_EQ(TernaryRasterOperation(0xCC), kRopSrcCopy);
    EXPECT_EQ(TernaryRasterOperation(0x00), kRopBlackness);
    EXPECT_EQ(TernaryRasterOperation(0xF0), kRopPatCopy);
    EXPECT_EQ(TernaryRasterOperation(0xFF), kRopWhiteness);
    EXPECT_EQ(TernaryRasterOperation(0x88), kRopSrcAnd);
    for (int i = 0; i < 256; ++i) EXPECT_EQ((TernaryRasterOperation(uint8_t(i)) >> 16) & 0xFF, uint32_t(i));
    EXPECT_EQ(ForegroundRasterOperation(0xAACC0020), kRopSrcCopy);
}

}  // namespace
}  // namespace slidemill

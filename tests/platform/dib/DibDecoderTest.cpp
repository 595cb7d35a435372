// Exact pixels for every header form, depth, compression without runs, orientation and
// colour-table kind, from bitmaps built here byte by byte.

#include <gtest/gtest.h>

#include <string>

#include "platform/dib/DibDecoder.h"
#include "tests/platform/dib/DibFixtures.h"

namespace slidemill {
namespace {

using namespace slidemill::testing;

constexpr uint32_t A = 0x112233, B = 0xAABBCC, C = 0xFF0000, D = 0x00FF00;

struct PixelCase {
    std::string name;
    std::vector<uint8_t> bmi;
    std::vector<uint8_t> bits;
    DibColorUsage usage = DibColorUsage::RgbColors;
    const DibPalette* palette = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels;  // top row first
    std::vector<uint8_t> alpha;    // empty: no alpha expected
};

const DibPalette kPalette{{{0x10, 0x20, 0x30}, {0x40, 0x50, 0x60}, {0x70, 0x80, 0x90}}};

PixelCase Make(std::string name, std::vector<uint8_t> bmi, std::vector<uint8_t> bits, DibColorUsage usage,
               const DibPalette* palette, uint32_t width, uint32_t height, std::vector<uint32_t> pixels,
               std::vector<uint8_t> alpha = {}) {
    return PixelCase{std::move(name), std::move(bmi), std::move(bits), usage,           palette,
                     width,           height,         std::move(pixels), std::move(alpha)};
}

std::vector<uint8_t> WithColors(HeaderSpec h, std::initializer_list<uint32_t> colors, bool triples = false) {
    auto v = Header(h);
    AppendColors(v, colors, triples);
    return v;
}

std::vector<uint8_t> WithMasks(HeaderSpec h, std::initializer_list<uint32_t> masks) {
    auto v = Header(h);
    AppendU32(v, masks);
    return v;
}

std::vector<PixelCase> Cases() {
    std::vector<PixelCase> c;
    // 1 bit, 3 x 2, bottom-up: stored row 0 is the bottom row.
    c.push_back(Make("1bpp bottom-up", WithColors({.width = 3, .height = 2, .bitCount = 1}, {A, B}),
                 Rows({{0b10100000}, {0b01000000}}), DibColorUsage::RgbColors, nullptr, 3, 2,
                 {A, B, A, B, A, B}));
    c.push_back(Make("1bpp top-down", WithColors({.width = 3, .height = -2, .bitCount = 1}, {A, B}),
                 Rows({{0b10100000}, {0b01000000}}), DibColorUsage::RgbColors, nullptr, 3, 2,
                 {B, A, B, A, B, A}));
    // 9 pixels wide: the second byte of the row is used, the rest is padding.
    c.push_back(Make("1bpp across a byte", WithColors({.width = 9, .height = 1, .bitCount = 1}, {A, B}),
                 Rows({{0b10000000, 0b10000000}}), DibColorUsage::RgbColors, nullptr, 9, 1,
                 {B, A, A, A, A, A, A, A, B}));
    c.push_back(Make("2bpp", WithColors({.width = 5, .height = 1, .bitCount = 2}, {A, B, C, D}),
                 Rows({{0b00011011, 0b01000000}}), DibColorUsage::RgbColors, nullptr, 5, 1, {A, B, C, D, B}));
    c.push_back(Make("4bpp", WithColors({.width = 3, .height = 2, .bitCount = 4}, {A, B, C, D}),
                 Rows({{0x01, 0x20}, {0x33, 0x10}}), DibColorUsage::RgbColors, nullptr, 3, 2,
                 {D, D, B, A, B, C}));
    c.push_back(Make("8bpp with ColorUsed",
                     WithColors({.width = 3, .height = 1, .bitCount = 8, .colorsUsed = 3}, {A, B, C}),
                 Rows({{2, 0, 1}}), DibColorUsage::RgbColors, nullptr, 3, 1, {C, A, B}));
    // The table holds two entries where eight bits could index 256: the rest is black.
    c.push_back(Make("8bpp short table", WithColors({.width = 3, .height = 1, .bitCount = 8}, {A, B}),
                 Rows({{1, 2, 255}}), DibColorUsage::RgbColors, nullptr, 3, 1, {B, 0, 0}));
    // ColorUsed far beyond the record's table space is clamped to that space.
    c.push_back(Make("8bpp ColorUsed past the table",
                 WithColors({.width = 2, .height = 1, .bitCount = 8, .colorsUsed = 100000}, {A, B}),
                 Rows({{1, 0}}), DibColorUsage::RgbColors, nullptr, 2, 1, {B, A}));
    c.push_back(Make("core header 1bpp triples",
                     WithColors({.size = 12, .width = 2, .height = 2, .bitCount = 1}, {C, D}, true),
                 Rows({{0b01000000}, {0b10000000}}), DibColorUsage::RgbColors, nullptr, 2, 2, {D, C, C, D}));
    c.push_back(Make("core header 24bpp", Header({.size = 12, .width = 1, .height = 1, .bitCount = 24}),
                 Rows({{0x33, 0x22, 0x11}}), DibColorUsage::RgbColors, nullptr, 1, 1, {A}));
    // 16 bits without masks are 5-5-5; 0x4210 has 16 in each channel.
    c.push_back(Make("16bpp 555", Header({.width = 4, .height = 1, .bitCount = 16}),
                 Rows({{0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0x42}}), DibColorUsage::RgbColors, nullptr, 4,
                 1, {0xFF0000, 0x00FF00, 0x0000FF, 0x848484}));
    c.push_back(Make("24bpp padded rows", Header({.width = 2, .height = 2, .bitCount = 24}),
                 Rows({{0x33, 0x22, 0x11, 0xCC, 0xBB, 0xAA}, {0, 0, 0xFF, 0, 0xFF, 0}}), DibColorUsage::RgbColors,
                 nullptr, 2, 2, {C, D, A, B}));
    c.push_back(Make("32bpp zero fourth byte: opaque", Header({.width = 2, .height = 1, .bitCount = 32}),
                 Rows({{0x33, 0x22, 0x11, 0, 0xCC, 0xBB, 0xAA, 0}}), DibColorUsage::RgbColors, nullptr, 2, 1,
                 {A, B}));
    c.push_back(Make("32bpp fourth byte is alpha", Header({.width = 2, .height = -1, .bitCount = 32}),
                 Rows({{0x33, 0x22, 0x11, 0x80, 0xCC, 0xBB, 0xAA, 0}}), DibColorUsage::RgbColors, nullptr, 2, 1,
                 {A, B}, {0x80, 0}));
    // 5-6-5: 0x0841 has 1, 2 and 1 in the three fields, each about 8 of 255.
    c.push_back(Make("16bpp bitfields 565",
                 WithMasks({.width = 3, .height = 1, .bitCount = 16, .compression = 3}, {0xF800, 0x07E0, 0x001F}),
                 Rows({{0x00, 0xF8, 0xE0, 0x07, 0x41, 0x08}}), DibColorUsage::RgbColors, nullptr, 3, 1,
                 {0xFF0000, 0x00FF00, 0x080808}));
    c.push_back(Make("32bpp bitfields, red in the low byte",
                 WithMasks({.width = 1, .height = 1, .bitCount = 32, .compression = 3}, {0xFF, 0xFF00, 0xFF0000}),
                 Rows({{0x11, 0x22, 0x33, 0xFF}}), DibColorUsage::RgbColors, nullptr, 1, 1, {0x112233}));
    c.push_back(Make("16bpp alpha bitfields 4444",
                 WithMasks({.width = 2, .height = 1, .bitCount = 16, .compression = 6},
                           {0x0F00, 0x00F0, 0x000F, 0xF000}),
                 Rows({{0x00, 0xFF, 0x21, 0x03}}), DibColorUsage::RgbColors, nullptr, 2, 1, {0xFF0000, 0x332211},
                 {0xFF, 0x00}));
    c.push_back(Make("V4 header, masks inside, alpha mask",
                 Header({.size = 108, .width = 1, .height = 1, .bitCount = 32, .compression = 3,
                         .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000}}),
                 Rows({{0x33, 0x22, 0x11, 0x40}}), DibColorUsage::RgbColors, nullptr, 1, 1, {A}, {0x40}));
    c.push_back(Make("V5 header 24bpp", Header({.size = 124, .width = 1, .height = -1, .bitCount = 24}),
                 Rows({{0xCC, 0xBB, 0xAA}}), DibColorUsage::RgbColors, nullptr, 1, 1, {B}));
    c.push_back(Make("V5 header 8bpp table after it",
                     WithColors({.size = 124, .width = 2, .height = 1, .bitCount = 8, .colorsUsed = 2}, {C, D}),
                 Rows({{1, 0}}), DibColorUsage::RgbColors, nullptr, 2, 1, {D, C}));
    // Palette-relative tables: 16-bit indexes into the selected palette; index 7 is past it.
    {
        auto bmi = Header({.width = 3, .height = 1, .bitCount = 4, .colorsUsed = 3});
        AppendU16(bmi, {2, 0, 7});
        c.push_back(Make("DIB_PAL_COLORS", bmi, Rows({{0x01, 0x20}}), DibColorUsage::PalColors, &kPalette, 3, 1,
                     {0x708090, 0x102030, 0}));
    }
    {
        auto bmi = Header({.width = 2, .height = 1, .bitCount = 1});
        AppendU16(bmi, {13, 19});
        c.push_back(Make("DIB_PAL_COLORS default palette", bmi, Rows({{0b01000000}}), DibColorUsage::PalColors, nullptr,
                     2, 1, {0xFF0000, 0xFFFFFF}));
    }
    c.push_back(Make("DIB_PAL_INDICES", Header({.width = 3, .height = 1, .bitCount = 8}), Rows({{1, 2, 200}}),
                 DibColorUsage::PalIndices, &kPalette, 3, 1, {0x405060, 0x708090, 0}));
    return c;
}

TEST(DibDecoder, DecodesEveryFormExactly) {
    for (const PixelCase& t : Cases()) {
        SCOPED_TRACE(t.name);
        DecodedImage img;
        ASSERT_EQ(DecodeDib(t.bmi, t.bits, t.usage, t.palette, img), DibResult::Ok);
        EXPECT_EQ(img.width, t.width);
        EXPECT_EQ(img.height, t.height);
        EXPECT_EQ(img.rgb.size(), size_t(t.width) * t.height * 3);
        EXPECT_EQ(Pixels(img), t.pixels);
        EXPECT_EQ(img.hasAlpha, !t.alpha.empty());
        EXPECT_EQ(img.alpha, t.alpha);
        EXPECT_FALSE(img.incomplete);
    }
}

TEST(DibDecoder, UnknownColourUsageReadsRgbColours) {
    const auto bmi = WithColors({.width = 2, .height = 1, .bitCount = 1}, {A, B});
    DecodedImage img;
    ASSERT_EQ(DecodeDib(bmi, Rows({{0b01000000}}), static_cast<DibColorUsage>(7), &kPalette, img), DibResult::Ok);
    EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{A, B}));
}

TEST(DibDecoder, PackedFormFindsTheBitsAfterMasksAndTable) {
    // Packed DIBs put the bits right after the table; the table length comes from the
    // header (ColorUsed, masks of a 40-byte BI_BITFIELDS header, palette indexes).
    for (const PixelCase& t : Cases()) {
        SCOPED_TRACE(t.name);
        DibInfo info;
        ASSERT_EQ(ReadDibHeader(t.bmi, t.usage, info, kDefaultMaxDibPixels), DibResult::Ok);
        if (info.PackedBitsOffset() != t.bmi.size()) continue;  // a table shorter than declared
        DecodedImage img;
        ASSERT_EQ(DecodePackedDib(Concat(t.bmi, t.bits), t.usage, t.palette, img), DibResult::Ok);
        EXPECT_EQ(Pixels(img), t.pixels);
    }
    // A table that ColorUsed pushes past the data: the rows are taken from the end and the
    // entries that lie between header and rows make the table.
    auto dib = WithColors({.width = 2, .height = 1, .bitCount = 8, .colorsUsed = 100000}, {A, B});
    DecodedImage img;
    ASSERT_EQ(DecodePackedDib(Concat(dib, Rows({{1, 0}})), DibColorUsage::RgbColors, nullptr, img), DibResult::Ok);
    EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{B, A}));
    // An 8-bit bitmap that declares no count (so 256 entries) but stores two: same rule.
    dib = WithColors({.width = 2, .height = 2, .bitCount = 8}, {A, B});
    ASSERT_EQ(DecodePackedDib(Concat(dib, Rows({{1, 0}, {0, 1}})), DibColorUsage::RgbColors, nullptr, img),
              DibResult::Ok);
    EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{A, B, B, A}));
    // Not even the rows fit after the header, or the rows are run-length data whose
    // length is unknown: the bits cannot be found.
    EXPECT_EQ(DecodePackedDib(Header({.width = 8, .height = 8, .bitCount = 8, .colorsUsed = 4}),
                              DibColorUsage::RgbColors, nullptr, img),
              DibResult::TruncatedColorTable);
    EXPECT_EQ(DecodePackedDib(Concat(Header({.width = 2, .height = 1, .bitCount = 8, .compression = 1}), {2, 1, 0, 1}),
                              DibColorUsage::RgbColors, nullptr, img),
              DibResult::TruncatedColorTable);
    EXPECT_TRUE(img.rgb.empty());
}

// An EMR_STRETCHDIBITS-shaped record: fixed fields, then header and bits at offsets.
TEST(DibDecoder, RecordOffsetsAreCheckedAgainstTheRecord) {
    const auto bmi = WithColors({.width = 2, .height = 1, .bitCount = 8, .colorsUsed = 2}, {A, B});
    const auto bits = Rows({{1, 0}});
    ByteWriter w;
    w.Zeros(80);
    const uint32_t offBmi = 80, offBits = 80 + uint32_t(bmi.size());
    w.Bytes(bmi);
    w.Bytes(bits);
    const auto record = w.Take();

    DecodedImage img;
    ASSERT_EQ(DecodeDibInRecord(record, offBmi, uint32_t(bmi.size()), offBits, uint32_t(bits.size()),
                                DibColorUsage::RgbColors, nullptr, img),
              DibResult::Ok);
    EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{B, A}));

    struct Bad {
        uint32_t offBmi, cbBmi, offBits, cbBits;
    };
    for (const Bad& b : {Bad{offBmi, uint32_t(bmi.size()), offBits, uint32_t(bits.size()) + 1},
                         Bad{0xFFFFFFFF, 40, offBits, 4}, Bad{offBmi, 0xFFFFFFF0, offBits, 4},
                         Bad{offBmi, uint32_t(bmi.size()), 0xFFFFFFFC, 8}}) {
        EXPECT_EQ(DecodeDibInRecord(record, b.offBmi, b.cbBmi, b.offBits, b.cbBits, DibColorUsage::RgbColors,
                                    nullptr, img),
                  DibResult::BadRecordBounds);
    }
    // No header at all (cbBmi 0), as records without a source bitmap have.
    EXPECT_EQ(DecodeDibInRecord(record, 0, 0, 0, 0, DibColorUsage::RgbColors, nullptr, img),
              DibResult::TruncatedHeader);
}

TEST(DibDecoder, LastRowMayLackItsPadding) {
    const auto bmi = Header({.width = 1, .height = 2, .bitCount = 24});
    std::vector<uint8_t> bits = Rows({{0, 0, 0xFF}});
    bits.insert(bits.end(), {0xFF, 0, 0});  // second row without its pad byte
    DecodedImage img;
    ASSERT_EQ(DecodeDib(bmi, bits, DibColorUsage::RgbColors, nullptr, img), DibResult::Ok);
    EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{0x0000FF, 0xFF0000}));
    bits.pop_back();
    EXPECT_EQ(DecodeDib(bmi, bits, DibColorUsage::RgbColors, nullptr, img), DibResult::TruncatedBits);
    EXPECT_TRUE(img.rgb.empty());
}

TEST(DibDecoder, BandOfScanLines) {
    // A 4-row bitmap whose bits hold only stored rows 1 and 2.
    const auto bmi = Header({.width = 1, .height = 4, .bitCount = 24});
    const auto bits = Rows({{0, 0, 0xFF}, {0, 0xFF, 0}});
    DecodedImage img;
    ASSERT_EQ(DecodeDibBand(bmi, bits, 1, 2, DibColorUsage::RgbColors, nullptr, img), DibResult::Ok);
    EXPECT_EQ(img.height, 2u);
    EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{0x00FF00, 0xFF0000}));
    // The whole bitmap needs four rows; a band past the bitmap is no band.
    EXPECT_EQ(DecodeDib(bmi, bits, DibColorUsage::RgbColors, nullptr, img), DibResult::TruncatedBits);
    EXPECT_EQ(DecodeDibBand(bmi, bits, 4, 1, DibColorUsage::RgbColors, nullptr, img), DibResult::BadDimensions);
    EXPECT_EQ(DecodeDibBand(bmi, bits, 0, 0, DibColorUsage::RgbColors, nullptr, img), DibResult::BadDimensions);
    // A count past the top is cut to the rows the bitmap has; those must be present.
    ASSERT_EQ(DecodeDibBand(bmi, bits, 2, 100, DibColorUsage::RgbColors, nullptr, img), DibResult::Ok);
    EXPECT_EQ(img.height, 2u);
    EXPECT_EQ(DecodeDibBand(bmi, bits, 0, 3, DibColorUsage::RgbColors, nullptr, img), DibResult::TruncatedBits);
}

TEST(DibDecoder, IndicesOfAMaskBitmap) {
    // A 1-bit mask whose colour table is inverted still gives the raw bit values.
    const auto bmi = WithColors({.width = 3, .height = 2, .bitCount = 1}, {0xFFFFFF, 0x000000});
    DibIndexImage idx;
    ASSERT_EQ(DecodeDibIndices(bmi, Rows({{0b10100000}, {0b01100000}}), idx), DibResult::Ok);
    EXPECT_EQ(idx.width, 3u);
    EXPECT_EQ(idx.height, 2u);
    EXPECT_EQ(idx.indices, (std::vector<uint8_t>{0, 1, 1, 1, 0, 1}));
    EXPECT_EQ(DecodeDibIndices(Header({.width = 1, .height = 1, .bitCount = 24}), Rows({{1, 2, 3}}), idx),
              DibResult::BadBitCount);
}

TEST(DibDecoder, HeaderInfoForTheImageCode) {
    DibInfo info;
    ASSERT_EQ(ReadDibHeader(Header({.width = 7, .height = -5, .bitCount = 4, .colorsUsed = 9}),
                            DibColorUsage::RgbColors, info, kDefaultMaxDibPixels),
              DibResult::Ok);
    EXPECT_EQ(info.width, 7u);
    EXPECT_EQ(info.height, 5u);
    EXPECT_TRUE(info.topDown);
    EXPECT_EQ(info.bitCount, 4);
    EXPECT_EQ(info.Stride(), 4u);
    EXPECT_EQ(info.PackedBitsOffset(), 40u + 9 * 4);
}

}  // namespace
}  // namespace slidemill

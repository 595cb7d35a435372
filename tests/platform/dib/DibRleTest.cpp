// Run-length bitmaps: encoded and absolute runs with their padding, end of line, end of
// bitmap, delta, clipping at the right edge and streams that stop early.

#include <gtest/gtest.h>

#include <string>

#include "platform/dib/DibDecoder.h"
#include "tests/platform/dib/DibFixtures.h"

namespace slidemill {
namespace {

using namespace slidemill::testing;

struct RleCase {
    std::string name;
    uint32_t compression;  // 1 RLE8, 2 RLE4
    int32_t width;
    int32_t height;
    std::vector<uint8_t> stream;
    std::vector<uint8_t> indices;  // top row first; unset pixels are 0
    bool complete;
};

std::vector<RleCase> Cases() {
    return {
        // Stored rows bottom first: 7777 / 1 2 3 9 / . 5 5 .
        {"rle8 runs, absolute with pad, delta", 1, 4, 3,
         {0x04, 0x07, 0x00, 0x00,                    // row 0: run, end of line
          0x00, 0x03, 0x01, 0x02, 0x03, 0x00,        // row 1: absolute run of 3 + pad byte
          0x01, 0x09, 0x00, 0x00,                    // run of one, end of line
          0x00, 0x02, 0x01, 0x00, 0x02, 0x05,        // row 2: delta right 1, run of 2
          0x00, 0x01},                               // end of bitmap
         {0, 5, 5, 0, 1, 2, 3, 9, 7, 7, 7, 7}, true},
        {"rle8 absolute run of four needs no pad", 1, 4, 1,
         {0x00, 0x04, 0x0A, 0x0B, 0x0C, 0x0D, 0x00, 0x01}, {0x0A, 0x0B, 0x0C, 0x0D}, true},
        {"rle8 delta across rows", 1, 2, 3, {0x00, 0x02, 0x01, 0x01, 0x01, 0x04, 0x00, 0x01}, {0, 0, 0, 4, 0, 0}, true},
        {"rle8 run past the right edge is clipped", 1, 2, 2, {0x05, 0x03, 0x00, 0x00, 0x01, 0x06, 0x00, 0x01},
         {6, 0, 3, 3}, true},
        {"rle8 absolute run past the edge is clipped", 1, 2, 1, {0x00, 0x03, 0x01, 0x02, 0x03, 0x00, 0x00, 0x01},
         {1, 2}, true},
        {"rle8 top-down", 1, 2, -2, {0x02, 0x01, 0x00, 0x00, 0x02, 0x02, 0x00, 0x01}, {1, 1, 2, 2}, true},
        // Rows filled without an end-of-bitmap mark: common, and complete.
        {"rle8 without end-of-bitmap", 1, 2, 2, {0x02, 0x01, 0x00, 0x00, 0x02, 0x02}, {2, 2, 1, 1}, true},
        {"rle8 delta past the last row ends the bitmap", 1, 1, 2, {0x01, 0x03, 0x00, 0x02, 0x00, 0x05}, {0, 3},
         true},
        {"rle4 encoded run alternates nibbles", 2, 5, 1, {0x05, 0x12, 0x00, 0x01}, {1, 2, 1, 2, 1}, true},
        {"rle4 absolute run of five takes three bytes and a pad", 2, 5, 2,
         {0x00, 0x05, 0x12, 0x34, 0x50, 0x00, 0x00, 0x00, 0x03, 0xAB, 0x00, 0x01},
         {0xA, 0xB, 0xA, 0, 0, 1, 2, 3, 4, 5}, true},
        {"rle4 absolute run of four takes two bytes, no pad", 2, 4, 1,
         {0x00, 0x04, 0x12, 0x34, 0x00, 0x01}, {1, 2, 3, 4}, true},
        // Streams that stop early: what was decoded stays.
        {"rle8 stream ends inside a row", 1, 3, 2, {0x03, 0x01, 0x00, 0x00, 0x01, 0x02}, {2, 0, 0, 1, 1, 1}, false},
        {"rle8 absolute run cut short", 1, 4, 1, {0x00, 0x0A, 0x04, 0x05}, {4, 5, 0, 0}, false},
        {"rle8 delta cut short", 1, 2, 1, {0x01, 0x01, 0x00, 0x02, 0x01}, {1, 0}, false},
        {"rle8 empty stream", 1, 2, 1, {}, {0, 0}, false},
    };
}

HeaderSpec RleHeader(const RleCase& t) {
    return {.width = t.width,
            .height = t.height,
            .bitCount = static_cast<uint16_t>(t.compression == 1 ? 8 : 4),
            .compression = t.compression};
}

TEST(DibRle, ExpandsEveryEscape) {
    for (const RleCase& t : Cases()) {
        SCOPED_TRACE(t.name);
        DibIndexImage idx;
        ASSERT_EQ(DecodeDibIndices(Header(RleHeader(t)), t.stream, idx), DibResult::Ok);
        EXPECT_EQ(idx.indices, t.indices);
        EXPECT_EQ(idx.incomplete, !t.complete);
    }
}

TEST(DibRle, UnsetPixelsAreBlackWhateverColourZeroIs) {
    // Colour 0 is white here; pixels the delta skips still come out black.
    auto bmi = Header({.width = 3, .height = 1, .bitCount = 8, .compression = 1, .colorsUsed = 2});
    AppendColors(bmi, {0xFFFFFF, 0x0000FF});
    const std::vector<uint8_t> stream = {0x01, 0x00, 0x00, 0x02, 0x01, 0x00, 0x01, 0x01, 0x00, 0x01};
    DecodedImage img;
    ASSERT_EQ(DecodeDib(bmi, stream, DibColorUsage::RgbColors, nullptr, img), DibResult::Ok);
    EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{0xFFFFFF, 0x000000, 0x0000FF}));
    EXPECT_FALSE(img.incomplete);
}

TEST(DibRle, ImageSizeBoundsTheStream) {
    // ImageSize says the stream is four bytes; what follows is not part of it.
    auto bmi = Header({.width = 2, .height = 2, .bitCount = 8, .compression = 1, .imageSize = 4});
    const std::vector<uint8_t> stream = {0x02, 0x01, 0x00, 0x00, 0x02, 0x02, 0x00, 0x01};
    DibIndexImage idx;
    ASSERT_EQ(DecodeDibIndices(bmi, stream, idx), DibResult::Ok);
    EXPECT_EQ(idx.indices, (std::vector<uint8_t>{0, 0, 1, 1}));
    EXPECT_TRUE(idx.incomplete);
}

TEST(DibRle, HugeBitmapWithTinyStreamIsRefusedByTheCap) {
    auto bmi = Header({.width = 30000, .height = 30000, .bitCount = 8, .compression = 1});
    DecodedImage img;
    EXPECT_EQ(DecodeDib(bmi, std::vector<uint8_t>{0x00, 0x01}, DibColorUsage::RgbColors, nullptr, img),
              DibResult::TooLarge);
    EXPECT_TRUE(img.rgb.empty());
}

}  // namespace
}  // namespace slidemill

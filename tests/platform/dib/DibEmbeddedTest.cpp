// BI_PNG and BI_JPEG bitmaps: the bits are whole image files, made here with libpng and
// libjpeg.

#include <gtest/gtest.h>

#include <cstdio>  // jpeglib.h needs FILE declared first
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

#include "platform/dib/DibDecoder.h"
#include "tests/platform/dib/DibFixtures.h"

namespace slidemill {
namespace {

using namespace slidemill::testing;

// A 3 x 2 RGBA PNG: red, green, blue / half-transparent white, black, clear.
std::vector<uint8_t> MakePng(bool withAlpha) {
    const uint8_t rgba[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255,
                            255, 255, 255, 128, 0, 0, 0, 255, 9, 9, 9, 0};
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = 3;
    image.height = 2;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(std::begin(rgba), std::end(rgba));
    if (!withAlpha) {
        image.format = PNG_FORMAT_RGB;
        pixels.clear();
        for (size_t i = 0; i < sizeof rgba; i += 4) pixels.insert(pixels.end(), rgba + i, rgba + i + 3);
    }
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
    std::vector<uint8_t> out(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
    out.resize(size);
    return out;
}

// A 16 x 8 JPEG of one colour (solid areas survive lossy compression almost exactly).
std::vector<uint8_t> MakeJpeg(uint8_t r, uint8_t g, uint8_t b, bool gray) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &mem, &size);
    cinfo.image_width = 16;
    cinfo.image_height = 8;
    cinfo.input_components = gray ? 1 : 3;
    cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> line;
    for (int x = 0; x < 16; ++x) {
        if (gray) {
            line.push_back(r);
        } else {
            line.insert(line.end(), {r, g, b});
        }
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(mem, mem + size);
    jpeg_destroy_compress(&cinfo);
    std::free(mem);
    return out;
}

std::vector<uint8_t> EmbeddedHeader(uint32_t compression, size_t size) {
    // Header sizes of embedded images need not match the file: the file's own size wins.
    return Header({.width = 1, .height = 1, .bitCount = 0, .compression = compression,
                   .imageSize = static_cast<uint32_t>(size)});
}

TEST(DibEmbedded, PngWithAlpha) {
    const auto png = MakePng(true);
    DecodedImage img;
    ASSERT_EQ(DecodeDib(EmbeddedHeader(5, png.size()), png, DibColorUsage::RgbColors, nullptr, img), DibResult::Ok);
    EXPECT_EQ(img.width, 3u);
    EXPECT_EQ(img.height, 2u);
    EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x090909}));
    ASSERT_TRUE(img.hasAlpha);
    EXPECT_EQ(img.alpha, (std::vector<uint8_t>{255, 255, 255, 128, 255, 0}));
}

TEST(DibEmbedded, PngWithoutAlpha) {
    const auto png = MakePng(false);
    DecodedImage img;
    ASSERT_EQ(DecodeDib(EmbeddedHeader(5, 0), png, DibColorUsage::RgbColors, nullptr, img), DibResult::Ok);
    EXPECT_EQ(Pixels(img)[2], 0x0000FFu);
    EXPECT_FALSE(img.hasAlpha);
    EXPECT_TRUE(img.alpha.empty());
}

TEST(DibEmbedded, JpegColourAndGray) {
    struct Case {
        bool gray;
        uint32_t colour;
    };
    for (const Case& c : {Case{false, 0x2080C0}, Case{true, 0x606060}}) {
        SCOPED_TRACE(c.gray ? "gray" : "colour");
        const auto jpeg = MakeJpeg(uint8_t(c.colour >> 16), uint8_t(c.colour >> 8), uint8_t(c.colour), c.gray);
        DecodedImage img;
        ASSERT_EQ(DecodeDib(EmbeddedHeader(4, jpeg.size()), jpeg, DibColorUsage::RgbColors, nullptr, img),
                  DibResult::Ok);
        EXPECT_EQ(img.width, 16u);
        EXPECT_EQ(img.height, 8u);
        ASSERT_EQ(img.rgb.size(), 16u * 8 * 3);
        for (int ch = 0; ch < 3; ++ch) {
            const int want = (c.colour >> (16 - 8 * ch)) & 0xFF;
            EXPECT_NEAR(img.rgb[ch], want, 3);
            EXPECT_NEAR(img.rgb[img.rgb.size() - 3 + ch], want, 3);
        }
        EXPECT_FALSE(img.hasAlpha);
    }
}

TEST(DibEmbedded, DamagedFilesGiveAnErrorOrAPicture) {
    const auto png = MakePng(true);
    const auto jpeg = MakeJpeg(10, 20, 30, false);
    DecodedImage img;
    // Not an image at all.
    const std::vector<uint8_t> junk(64, 0x5A);
    EXPECT_EQ(DecodeDib(EmbeddedHeader(5, 0), junk, DibColorUsage::RgbColors, nullptr, img),
              DibResult::BadEmbeddedImage);
    EXPECT_EQ(DecodeDib(EmbeddedHeader(4, 0), junk, DibColorUsage::RgbColors, nullptr, img),
              DibResult::BadEmbeddedImage);
    EXPECT_EQ(DecodeDib(EmbeddedHeader(4, 0), {}, DibColorUsage::RgbColors, nullptr, img), DibResult::TruncatedBits);
    // Every cut of the files: an error, or (libjpeg pads a cut scan) a whole-sized picture.
    for (const auto* file : {&png, &jpeg}) {
        const uint32_t compression = file == &png ? 5 : 4;
        for (size_t n = 0; n < file->size(); ++n) {
            std::vector<uint8_t> cut(file->begin(), file->begin() + n);
            const DibResult r = DecodeDib(EmbeddedHeader(compression, 0), cut, DibColorUsage::RgbColors, nullptr, img);
            if (r == DibResult::Ok) {
                EXPECT_EQ(img.rgb.size(), size_t(img.width) * img.height * 3);
            } else {
                EXPECT_TRUE(img.rgb.empty());
            }
        }
    }
}

TEST(DibEmbedded, PixelCapAppliesToTheEmbeddedSize) {
    const auto png = MakePng(true);
    DecodedImage img;
    EXPECT_EQ(DecodeDib(EmbeddedHeader(5, 0), png, DibColorUsage::RgbColors, nullptr, img, 5), DibResult::TooLarge);
    const auto jpeg = MakeJpeg(1, 2, 3, false);
    EXPECT_EQ(DecodeDib(EmbeddedHeader(4, 0), jpeg, DibColorUsage::RgbColors, nullptr, img, 100), DibResult::TooLarge);
}

}  // namespace
}  // namespace slidemill

// Hostile and damaged bitmaps: every bad header gives its error and an empty image, and
// no cut or bit flip of a valid bitmap makes the decoder read outside its input (run
// this under the sanitizer build).

#include <gtest/gtest.h>

#include <string>

#include "platform/dib/DibDecoder.h"
#include "tests/platform/dib/DibFixtures.h"

namespace slidemill {
namespace {

using namespace slidemill::testing;

struct BadCase {
    std::string name;
    std::vector<uint8_t> bmi;
    std::vector<uint8_t> bits;
    DibResult expected;
};

std::vector<uint8_t> Cut(std::vector<uint8_t> v, size_t n) {
    v.resize(n);
    return v;
}

std::vector<BadCase> Cases() {
    const std::vector<uint8_t> someBits(64, 0);
    auto withMasks = Header({.width = 1, .height = 1, .bitCount = 32, .compression = 3});
    AppendU32(withMasks, {0, 0, 0});
    return {
        {"huge width and height", Header({.width = 0x7FFFFFFF, .height = 0x7FFFFFFF, .bitCount = 32}), someBits,
         DibResult::TooLarge},
        {"four gigapixels", Header({.width = 65536, .height = 65536, .bitCount = 1}), someBits, DibResult::TooLarge},
        {"most negative height", Header({.width = 1, .height = INT32_MIN, .bitCount = 8}), someBits,
         DibResult::TooLarge},
        {"just over the pixel cap", Header({.width = 16385, .height = 16384, .bitCount = 1}), someBits,
         DibResult::TooLarge},
        {"negative width", Header({.width = -4, .height = 4, .bitCount = 24}), someBits, DibResult::BadDimensions},
        {"zero width", Header({.width = 0, .height = 4, .bitCount = 24}), someBits, DibResult::BadDimensions},
        {"zero height", Header({.width = 4, .height = 0, .bitCount = 24}), someBits, DibResult::BadDimensions},
        {"core header zero width", Header({.size = 12, .width = 0, .height = 1, .bitCount = 24}), someBits,
         DibResult::BadDimensions},
        {"zero planes", Header({.width = 1, .height = 1, .planes = 0, .bitCount = 24}), someBits,
         DibResult::BadPlanes},
        {"three planes", Header({.width = 1, .height = 1, .planes = 3, .bitCount = 24}), someBits,
         DibResult::BadPlanes},
        {"bit count 3", Header({.width = 1, .height = 1, .bitCount = 3}), someBits, DibResult::BadBitCount},
        {"bit count 64", Header({.width = 1, .height = 1, .bitCount = 64}), someBits, DibResult::BadBitCount},
        {"bit count 65535", Header({.width = 1, .height = 1, .bitCount = 65535}), someBits, DibResult::BadBitCount},
        {"bit count 0 uncompressed", Header({.width = 1, .height = 1, .bitCount = 0}), someBits,
         DibResult::BadBitCount},
        {"RLE8 on 4 bits", Header({.width = 1, .height = 1, .bitCount = 4, .compression = 1}), someBits,
         DibResult::BadBitCount},
        {"RLE4 on 8 bits", Header({.width = 1, .height = 1, .bitCount = 8, .compression = 2}), someBits,
         DibResult::BadBitCount},
        {"bit fields on 24 bits", Header({.width = 1, .height = 1, .bitCount = 24, .compression = 3}), someBits,
         DibResult::BadBitCount},
        {"CMYK compression", Header({.width = 1, .height = 1, .bitCount = 32, .compression = 11}), someBits,
         DibResult::UnsupportedCompression},
        {"OS/2 Huffman", Header({.size = 64, .width = 8, .height = 1, .bitCount = 1, .compression = 3}), someBits,
         DibResult::UnsupportedCompression},
        {"compression 0xFFFFFFFF", Header({.width = 1, .height = 1, .bitCount = 32, .compression = 0xFFFFFFFF}),
         someBits, DibResult::UnsupportedCompression},
        {"header size 0", Header({.size = 0, .width = 1, .height = 1}), someBits, DibResult::BadHeaderSize},
        {"header size 20", Header({.size = 20, .width = 1, .height = 1}), someBits, DibResult::BadHeaderSize},
        {"header size past the span", Cut(Header({.size = 124, .width = 1, .height = 1, .bitCount = 24}), 40),
         someBits, DibResult::TruncatedHeader},
        {"header of three bytes", {40, 0, 0}, someBits, DibResult::TruncatedHeader},
        {"core header cut", Cut(Header({.size = 12, .width = 1, .height = 1, .bitCount = 24}), 10), someBits,
         DibResult::TruncatedHeader},
        {"bit fields without their masks", Header({.width = 1, .height = 1, .bitCount = 32, .compression = 3}),
         someBits, DibResult::TruncatedHeader},
        {"bit fields that select nothing", withMasks, someBits, DibResult::BadMasks},
        {"short bits", Header({.width = 4, .height = 4, .bitCount = 24}), std::vector<uint8_t>(47, 0),
         DibResult::TruncatedBits},
        {"no bits", Header({.width = 1, .height = 1, .bitCount = 1}), {}, DibResult::TruncatedBits},
        {"short bits 1bpp", Header({.width = 33, .height = 2, .bitCount = 1}), std::vector<uint8_t>(12, 0),
         DibResult::TruncatedBits},
    };
}

TEST(DibHostile, BadHeadersGiveTheirError) {
    for (const BadCase& t : Cases()) {
        SCOPED_TRACE(t.name);
        DecodedImage img;
        img.rgb.assign(5, 1);  // a previous image must not survive a failure
        EXPECT_EQ(DecodeDib(t.bmi, t.bits, DibColorUsage::RgbColors, nullptr, img), t.expected);
        EXPECT_TRUE(img.rgb.empty());
        EXPECT_TRUE(img.alpha.empty());
        EXPECT_EQ(img.width, 0u);
        EXPECT_STRNE(DibResultText(t.expected), "unknown bitmap error");
    }
}

TEST(DibHostile, PixelCapIsTheCallersChoice) {
    const auto bmi = Header({.width = 100, .height = 100, .bitCount = 8, .compression = 1});
    DecodedImage img;
    EXPECT_EQ(DecodeDib(bmi, std::vector<uint8_t>{0, 1}, DibColorUsage::RgbColors, nullptr, img, 9999),
              DibResult::TooLarge);
    EXPECT_EQ(DecodeDib(bmi, std::vector<uint8_t>{0, 1}, DibColorUsage::RgbColors, nullptr, img, 10000),
              DibResult::Ok);
}

// Valid packed DIBs of every kind, to damage.
std::vector<std::vector<uint8_t>> Seeds() {
    std::vector<std::vector<uint8_t>> seeds;
    auto add = [&](std::vector<uint8_t> header, std::vector<uint8_t> bits) { seeds.push_back(Concat(header, bits)); };
    {
        auto h = Header({.width = 9, .height = 3, .bitCount = 1, .colorsUsed = 2});
        AppendColors(h, {0x000000, 0xFFFFFF});
        add(h, Rows({{0xAA, 0x80}, {0x55, 0x00}, {0xFF, 0x80}}));
    }
    {
        auto h = Header({.width = 3, .height = -2, .bitCount = 4, .colorsUsed = 3});
        AppendColors(h, {0x102030, 0x405060, 0x708090});
        add(h, Rows({{0x01, 0x20}, {0x21, 0x00}}));
    }
    {
        auto h = Header({.width = 4, .height = 3, .bitCount = 8, .compression = 1, .colorsUsed = 4});
        AppendColors(h, {1, 2, 3, 4});
        add(h, {0x04, 0x01, 0x00, 0x00, 0x00, 0x03, 0x01, 0x02, 0x03, 0x00, 0x00, 0x02, 0x01, 0x01,
                0x02, 0x03, 0x00, 0x01});
    }
    {
        auto h = Header({.width = 5, .height = 2, .bitCount = 4, .compression = 2, .colorsUsed = 16});
        AppendColors(h, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
        add(h, {0x00, 0x05, 0x12, 0x34, 0x50, 0x00, 0x00, 0x00, 0x03, 0xAB, 0x00, 0x01});
    }
    add(Header({.width = 3, .height = 2, .bitCount = 16}), Rows({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}));
    add(Header({.width = 2, .height = 2, .bitCount = 24}), Rows({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}));
    {
        auto h = Header({.width = 2, .height = 1, .bitCount = 32, .compression = 6});
        AppendU32(h, {0xFF0000, 0xFF00, 0xFF, 0xFF000000});
        add(h, Rows({{1, 2, 3, 4, 5, 6, 7, 8}}));
    }
    add(Header({.size = 124, .width = 2, .height = 1, .bitCount = 32, .compression = 3,
                .masks = {0xF800, 0x07E0, 0x001F, 0}}),
        Rows({{1, 2, 3, 4, 5, 6, 7, 8}}));
    {
        auto h = Header({.size = 12, .width = 2, .height = 2, .bitCount = 8});
        for (int i = 0; i < 256; ++i) AppendColors(h, {uint32_t(i * 0x010101)}, true);
        add(h, Rows({{1, 2}, {3, 4}}));
    }
    return seeds;
}

// Decodes through every entry point; a success must describe a consistent image.
void DecodeEverywhere(const std::vector<uint8_t>& dib, const DibPalette& palette) {
    constexpr uint64_t kCap = 1 << 16;  // keep flipped sizes from allocating much
    for (DibColorUsage usage : {DibColorUsage::RgbColors, DibColorUsage::PalColors, DibColorUsage::PalIndices}) {
        DecodedImage img;
        if (DecodePackedDib(dib, usage, &palette, img, kCap) == DibResult::Ok) {
            ASSERT_EQ(img.rgb.size(), size_t(img.width) * img.height * 3);
            ASSERT_EQ(img.alpha.size(), img.hasAlpha ? size_t(img.width) * img.height : 0);
        }
    }
    // As two spans split at every fourth byte of the header area.
    for (size_t split = 0; split <= dib.size() && split <= 160; split += 4) {
        std::span<const uint8_t> all(dib);
        DecodedImage img;
        if (DecodeDib(all.first(split), all.subspan(split), DibColorUsage::RgbColors, nullptr, img, kCap) ==
            DibResult::Ok) {
            ASSERT_EQ(img.rgb.size(), size_t(img.width) * img.height * 3);
        }
    }
    {
        DecodedImage img;
        const std::span<const uint8_t> all(dib);
        const size_t split = std::min<size_t>(dib.size(), 40);
        if (DecodeDibBand(all.first(split), all.subspan(split), 1, 2, DibColorUsage::RgbColors, nullptr, img, kCap) ==
            DibResult::Ok) {
            ASSERT_EQ(img.rgb.size(), size_t(img.width) * img.height * 3);
        }
    }
    DibIndexImage idx;
    if (DecodeDibIndices(dib, std::span<const uint8_t>(dib).subspan(std::min<size_t>(dib.size(), 40)), idx, kCap) ==
        DibResult::Ok) {
        ASSERT_EQ(idx.indices.size(), size_t(idx.width) * idx.height);
    }
}

TEST(DibHostile, CutsAndBitFlipsNeverReadOutside) {
    const DibPalette palette{{{1, 2, 3}, {4, 5, 6}}};
    uint32_t rng = 0x12345678;
    auto next = [&] {
        rng ^= rng << 13;
        rng ^= rng >> 17;
        rng ^= rng << 5;
        return rng;
    };
    for (const auto& seed : Seeds()) {
        {
            DecodedImage img;
            ASSERT_EQ(DecodePackedDib(seed, DibColorUsage::RgbColors, nullptr, img), DibResult::Ok);
        }
        // Every cut, each decoded from an exact-size copy so that a read past the end is caught.
        for (size_t n = 0; n < seed.size(); ++n) {
            DecodeEverywhere(std::vector<uint8_t>(seed.begin(), seed.begin() + n), palette);
        }
        // Every single bit flipped, then random multi-byte damage.
        for (size_t i = 0; i < seed.size(); ++i) {
            for (int bit = 0; bit < 8; ++bit) {
                auto v = seed;
                v[i] ^= uint8_t(1u << bit);
                DecodeEverywhere(v, palette);
            }
        }
        for (int round = 0; round < 300; ++round) {
            auto v = seed;
            for (int k = 0; k < 4; ++k) v[next() % v.size()] = uint8_t(next());
            DecodeEverywhere(v, palette);
        }
    }
}

}  // namespace
}  // namespace slidemill

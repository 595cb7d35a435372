// Damaged bitmap records: every cut and many bit flips of valid bitmaps and masks through
// all five operations. Nothing may crash or read outside the given bytes (the sanitizer
// build checks the reads); whatever is placed must be consistent pixels.

#include <gtest/gtest.h>

#include <vector>

#include "render/images/BitmapRecords.h"
#include "render/images/CornerKey.h"
#include "render/images/RasterOperations.h"
#include "tests/render/images/BitmapFixtures.h"
#include "tests/support/RecordingPageWriter.h"

namespace slidemill {
namespace {

using testing::FakeRenderSurface;
using testing::RecordingPageWriter;

// The bitmap in one buffer (header then bits) as a record holds it, so that cuts and
// flips reach across both.
struct Packed {
    std::vector<uint8_t> bytes;
    size_t bmiSize = 0;
};
Packed Pack(const testing::Dib& dib) {
    Packed p;
    p.bytes = dib.bmi;
    p.bmiSize = dib.bmi.size();
    p.bytes.insert(p.bytes.end(), dib.bits.begin(), dib.bits.end());
    return p;
}

void PlayAll(CBitmapRecords& records, std::span<const uint8_t> bmi, std::span<const uint8_t> bits,
             std::span<const uint8_t> maskBmi, std::span<const uint8_t> maskBits) {
    const RECTL dest{0, 0, 100, 100};
    const POINTL points[3] = {{0, 0}, {100, 0}, {0, 100}};
    for (uint32_t usage : {0u, 1u, 2u, 7u}) {
        records.StretchBlt(dest, bits, bmi, usage, kRopSrcAnd);
        records.MaskBlt(dest, bits, bmi, usage, 0xAACC0020, 3, -7, maskBits, maskBmi);
        records.PlgBlt(points, bits, bmi, usage, -1, 2, maskBits, maskBmi);
        records.TransparentBlt(dest, bits, bmi, usage, 0xFFFFFF);
        records.AlphaBlend(dest, bits, bmi, usage, 0x01FF0000);
        records.AlphaBlend(dest, bits, bmi, usage, 0x00800000);
    }
}

void ExpectConsistent(const RecordingPageWriter& writer) {
    for (const DecodedImage& image : writer.images) {
        ASSERT_EQ(image.rgb.size(), size_t(image.width) * image.height * 3);
        if (image.hasAlpha) {
            ASSERT_EQ(image.alpha.size(), size_t(image.width) * image.height);
        }
    }
}

std::vector<testing::Dib> Samples() {
    std::vector<testing::Dib> dibs;
    dibs.push_back(testing::Rgb24(5, 3, std::vector<uint32_t>(15, 0x336699)));
    dibs.push_back(testing::Mono(9, {{true, false, true, false, true, false, true, false, true}, {false}}));
    testing::Dib pal;
    pal.bmi = testing::InfoHeader(3, 2, 8, 3, {0, 0, 1, 0, 2, 0});
    pal.bits = {0, 1, 2, 0, 2, 1, 0, 0};
    dibs.push_back(pal);
    testing::Dib rle;  // 8-bit run-length
    rle.bmi = testing::InfoHeader(4, 2, 8, 2, {0, 0, 0, 0, 255, 255, 255, 0});
    rle.bmi[16] = 1;  // BI_RLE8
    rle.bits = {4, 1, 0, 0, 2, 0, 2, 1, 0, 1};
    dibs.push_back(rle);
    return dibs;
}

TEST(BitmapRecordsRobustness, CutBitmapsNeverCrash) {
    PlaybackContext context;
    context.SelectPalette(context.CreatePalette({0x0000FF}));  // shorter than the tables ask
    FakeRenderSurface surface;
    surface.context = &context;
    RecordingPageWriter writer;
    uint32_t key = kInitialKeyColor;
    CBitmapRecords records(surface, &writer, 1.0, key);
    const testing::Dib mask = testing::Mono(3, {{true, false, true}, {false, true, false}});
    for (const testing::Dib& dib : Samples()) {
        const Packed p = Pack(dib);
        for (size_t cut = 0; cut <= p.bytes.size(); ++cut) {
            // The same bytes, copied so that the sanitizer sees the end of the cut buffer.
            std::vector<uint8_t> bytes(p.bytes.begin(), p.bytes.begin() + long(cut));
            const size_t bmiSize = std::min(cut, p.bmiSize);
            std::span<const uint8_t> all(bytes);
            PlayAll(records, all.first(bmiSize), all.subspan(bmiSize), mask.bmi, mask.bits);
            // The cut mask, with a whole source.
            std::vector<uint8_t> maskCut(mask.bmi.begin(), mask.bmi.begin() + long(std::min(cut, mask.bmi.size())));
            PlayAll(records, dib.bmi, dib.bits, maskCut, mask.bits);
        }
    }
    ExpectConsistent(writer);
}

TEST(BitmapRecordsRobustness, FlippedBitsNeverCrash) {
    FakeRenderSurface surface;
    RecordingPageWriter writer;
    uint32_t key = kInitialKeyColor;
    CBitmapRecords records(surface, &writer, 1.0, key);
    // Flipped sizes may ask for huge pictures; a small cap keeps the loop quick and is
    // what a hostile record meets too, only larger.
    records.SetMaxPixels(1 << 16);
    writer.keepImages = false;
    const testing::Dib mask = testing::Mono(3, {{true, false, true}});
    uint32_t seed = 99;
    for (const testing::Dib& dib : Samples()) {
        const Packed p = Pack(dib);
        for (size_t bit = 0; bit < p.bytes.size() * 8; ++bit) {
            std::vector<uint8_t> bytes = p.bytes;
            bytes[bit / 8] ^= uint8_t(1u << (bit % 8));
            seed = seed * 1103515245 + 12345;
            bytes[(seed >> 8) % bytes.size()] ^= uint8_t(seed >> 24);  // and one random byte
            std::span<const uint8_t> all(bytes);
            std::vector<uint8_t> maskBytes = mask.bmi;
            maskBytes[(seed >> 4) % maskBytes.size()] ^= uint8_t(seed >> 16);
            PlayAll(records, all.first(p.bmiSize), all.subspan(p.bmiSize), maskBytes, mask.bits);
            writer.calls.clear();
        }
    }
    EXPECT_EQ(writer.inconsistentImages, 0);
}

}  // namespace
}  // namespace slidemill

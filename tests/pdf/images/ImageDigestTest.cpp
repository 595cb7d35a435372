// Digests and Flate data of image samples: what tells images apart, and data that
// inflates back to the samples.

#include <gtest/gtest.h>

#include <vector>

#include <zlib.h>

#include "pdf/images/ImageDeflate.h"
#include "pdf/images/ImageDigest.h"
#include "pdf/images/PdfImageStore.h"
#include "platform/dib/DibTypes.h"

namespace slidemill {
namespace {

DecodedImage Solid(uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b) {
    DecodedImage image;
    image.width = w;
    image.height = h;
    image.rgb.resize(size_t(w) * h * 3);
    for (size_t i = 0; i < image.rgb.size(); i += 3) {
        image.rgb[i] = r;
        image.rgb[i + 1] = g;
        image.rgb[i + 2] = b;
    }
    return image;
}

TEST(ImageDigest, SeparatesSizeMaskKeyAndPixels) {
    const DecodedImage a = Solid(4, 2, 1, 2, 3);
    const DecodedImage transposed = Solid(2, 4, 1, 2, 3);  // same bytes, other shape
    DecodedImage changed = a;
    changed.rgb.back() ^= 1;
    const ImageDigest base = DigestImage(a, {});
    EXPECT_EQ(base, DigestImage(Solid(4, 2, 1, 2, 3), {}));
    EXPECT_NE(base, DigestImage(transposed, {}));
    EXPECT_NE(base, DigestImage(changed, {}));
    EXPECT_NE(base, DigestImage(a, ImageMask::Keyed(0xFFFFFF)));
    EXPECT_NE(DigestImage(a, ImageMask::Keyed(0xFFFFFF)), DigestImage(a, ImageMask::Keyed(0xFFFFFE)));
    // Only the colour bytes of a key count.
    EXPECT_EQ(DigestImage(a, ImageMask::Keyed(0x00FFFFFF)), DigestImage(a, ImageMask::Keyed(0xFFFFFFFF)));

    DecodedImage alphaA = a;
    alphaA.hasAlpha = true;
    alphaA.alpha.assign(8, 0x80);
    DecodedImage alphaB = alphaA;
    alphaB.alpha[3] = 0x00;
    EXPECT_NE(DigestImage(alphaA, ImageMask::Alpha()), DigestImage(alphaB, ImageMask::Alpha()));
    // Without a soft mask the alpha bytes are not part of the picture.
    EXPECT_EQ(DigestImage(alphaA, {}), DigestImage(alphaB, {}));
}

TEST(ImageMasks, SoftMaskOnlyWhereSomePixelShowsThrough) {
    DecodedImage image = Solid(2, 1, 9, 9, 9);
    EXPECT_EQ(EffectiveMask(image, ImageMask::Alpha()).kind, ImageMask::Kind::None);  // no alpha channel
    image.hasAlpha = true;
    image.alpha = {0xFF, 0xFF};
    EXPECT_EQ(EffectiveMask(image, ImageMask::Alpha()).kind, ImageMask::Kind::None);  // all opaque
    image.alpha = {0xFF, 0x7F};
    EXPECT_EQ(EffectiveMask(image, ImageMask::Alpha()).kind, ImageMask::Kind::SoftMask);
    EXPECT_EQ(EffectiveMask(image, ImageMask::Keyed(0xAA123456)).key, 0x123456u);
}

TEST(ImageMasks, InconsistentBuffersAreRefused) {
    DecodedImage image = Solid(3, 3, 0, 0, 0);
    EXPECT_TRUE(ImageIsConsistent(image));
    image.rgb.pop_back();
    EXPECT_FALSE(ImageIsConsistent(image));
    image = Solid(3, 3, 0, 0, 0);
    image.hasAlpha = true;
    image.alpha.assign(8, 0);
    EXPECT_FALSE(ImageIsConsistent(image));
    EXPECT_FALSE(ImageIsConsistent(DecodedImage{}));
}

// Undoes the Up predictor the way a reader does: tag byte, then each byte plus the one above.
std::vector<uint8_t> Unpredict(const std::vector<uint8_t>& predicted, size_t rowBytes) {
    std::vector<uint8_t> rows;
    for (size_t at = 0; at + rowBytes + 1 <= predicted.size(); at += rowBytes + 1) {
        EXPECT_EQ(predicted[at], 2);
        for (size_t i = 0; i < rowBytes; ++i) {
            const uint8_t above = rows.size() >= rowBytes ? rows[rows.size() - rowBytes] : 0;
            rows.push_back(static_cast<uint8_t>(predicted[at + 1 + i] + above));
        }
    }
    return rows;
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& packed, size_t expected) {
    std::vector<uint8_t> back(expected + 1);
    uLongf backSize = static_cast<uLongf>(back.size());
    EXPECT_EQ(uncompress(back.data(), &backSize, packed.data(), packed.size()), Z_OK);
    back.resize(backSize);
    return back;
}

TEST(ImageDeflate, PredictedRowsInflateBackToTheSamples) {
    struct Shape {
        size_t rowBytes, rows;
    };
    // One row, a few, enough rows for several compression batches, and pictures large
    // enough to be compressed in bands at once (two one-row bands among them: the second
    // is predicted from the first).
    for (Shape shape : {Shape{3, 1}, Shape{7, 5}, Shape{9900, 400}, Shape{9900, 601}, Shape{3000000, 2}}) {
        std::vector<uint8_t> data(shape.rowBytes * shape.rows);
        uint32_t seed = 7;
        for (size_t i = 0; i < data.size(); ++i) {
            seed = seed * 1103515245 + 12345;
            data[i] = static_cast<uint8_t>((i % shape.rowBytes) / 3 + (i / shape.rowBytes) * 5 + (seed >> 29));
        }
        const std::vector<uint8_t> packed = DeflateRowsUp(data, shape.rowBytes, shape.rows);
        EXPECT_EQ(Unpredict(Inflate(packed, data.size() + shape.rows), shape.rowBytes), data) << shape.rowBytes;
    }
    EXPECT_THROW(DeflateRowsUp(std::vector<uint8_t>(10), 3, 3), std::invalid_argument);
}

TEST(ImageDeflate, InflatesBackToTheSamples) {
    for (size_t size : {size_t(0), size_t(1), size_t(100000), size_t(3000000)}) {
        std::vector<uint8_t> data(size);
        uint32_t seed = 12345;
        for (auto& byte : data) {
            seed = seed * 1103515245 + 12345;
            byte = static_cast<uint8_t>(seed >> 24);
        }
        const std::vector<uint8_t> packed = DeflateSamples(data);
        std::vector<uint8_t> back(size + 1);
        uLongf backSize = static_cast<uLongf>(back.size());
        ASSERT_EQ(uncompress(back.data(), &backSize, packed.data(), packed.size()), Z_OK) << size;
        back.resize(backSize);
        EXPECT_EQ(back, data) << size;
    }
}

}  // namespace
}  // namespace slidemill

// Splitting DIBs into BITMAPINFO and bits, and old device-dependent bitmaps.

#include "platform/wmf2emf/Dib.h"

#include <gtest/gtest.h>

#include "metafile/EmfRecordTypes.h"
#include "platform/wmf2emf/WmfRecordTypes.h"
#include "platform/wmf2emf/WmfToEmf.h"
#include "tests/platform/wmf2emf/WmfFixture.h"

namespace slidemill {
namespace {

std::vector<uint8_t> InfoHeader(int32_t w, int32_t h, uint16_t bpp, uint32_t compression, uint32_t clrUsed,
                                size_t extra) {
    ByteWriter d;
    d.U32(40);
    d.I32(w);
    d.I32(h);
    d.U16(1);
    d.U16(bpp);
    d.U32(compression);
    d.U32(0);
    d.I32(0);
    d.I32(0);
    d.U32(clrUsed);
    d.U32(0);
    d.Zeros(extra);
    return d.Take();
}

TEST(Dib, SplitsInfoFromBits) {
    ByteWriter core;
    core.U32(12);
    core.U16(2);
    core.U16(2);
    core.U16(1);
    core.U16(1);
    core.Zeros(6 + 8);  // two RGBTRIPLEs, then bits
    struct Case {
        const char* what;
        std::vector<uint8_t> dib;
        uint32_t usage;
        bool ok;
        size_t info;
    } cases[] = {
        {"24-bit, no table", InfoHeader(2, 2, 24, 0, 0, 16), 0, true, 40},
        {"8-bit, full table", InfoHeader(1, 1, 8, 0, 0, 1024 + 4), 0, true, 1064},
        {"8-bit, palette indexes", InfoHeader(1, 1, 8, 0, 0, 512 + 4), 1, true, 552},
        {"4-bit, clrUsed 3", InfoHeader(1, 1, 4, 0, 3, 12 + 4), 0, true, 52},
        {"bit fields", InfoHeader(1, 1, 16, 3, 0, 12 + 4), 0, true, 52},
        {"jpeg bits", InfoHeader(1, 1, 0, 4, 0, 30), 0, true, 40},
        {"core header", core.Take(), 0, true, 18},
        {"short table left unsaid", InfoHeader(10, 10, 8, 0, 0, 400 + 120), 0, true, 440},
        {"table and rows past the data", InfoHeader(100, 100, 8, 0, 0, 100), 0, false, 0},
        {"clrUsed huge", InfoHeader(1, 1, 24, 0, 0x40000000, 8), 0, false, 0},
        {"unknown header size", std::vector<uint8_t>{7, 0, 0, 0, 1, 2, 3, 4}, 0, false, 0},
        {"too short", std::vector<uint8_t>{40, 0}, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto parts = SplitDib(c.dib, c.usage);
        ASSERT_EQ(parts.has_value(), c.ok);
        if (!parts) continue;
        EXPECT_EQ(parts->info.size(), c.info);
        EXPECT_EQ(parts->info.size() + parts->bits.size(), c.dib.size());
    }
}

TEST(Dib, Bitmap16RowsAreFlippedIntoABottomUpDib) {
    ByteWriter header;
    header.I16(0);
    header.I16(3);  // width
    header.I16(2);  // height
    header.I16(2);  // width bytes
    header.U8(1);
    header.U8(1);
    std::vector<uint8_t> rows = {0xA0, 0, 0x40, 0};
    auto bmp = ReadBitmap16(ByteReader(header.Buffer()), ByteReader(rows));
    ASSERT_TRUE(bmp.has_value());
    auto dib = Bitmap16ToDib(*bmp);
    auto parts = SplitDib(dib, 0);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->info.size(), 48u);
    ASSERT_EQ(parts->bits.size(), 8u);
    EXPECT_EQ(parts->bits[0], 0x40);  // the last row comes first
    EXPECT_EQ(parts->bits[4], 0xA0);

    // Declared 4-byte rows stored 2-byte aligned: the stored rows are used.
    ByteWriter loose;
    loose.I16(0);
    loose.I16(3);
    loose.I16(2);
    loose.I16(4);
    loose.U8(1);
    loose.U8(1);
    EXPECT_TRUE(ReadBitmap16(ByteReader(loose.Buffer()), ByteReader(rows)).has_value());
    // Rows that are simply missing are not.
    EXPECT_FALSE(ReadBitmap16(ByteReader(header.Buffer()), ByteReader(rows.data(), 3)).has_value());
    // Device-palette depths have no DIB form.
    Bitmap16 eight = *bmp;
    eight.bitsPixel = 8;
    EXPECT_TRUE(Bitmap16ToDib(eight).empty());
}

TEST(Dib, OldBlitsAndPatternBrushesWithBitmap16) {
    using namespace wmf;
    // META_BITBLT with a monochrome 3 x 2 Bitmap16.
    ByteWriter blt;
    blt.U32(0x00CC0020);
    for (int v : {0, 0, 2, 3, 20, 10}) blt.I16(int16_t(v));  // ySrc xSrc h w yDest xDest
    for (int v : {0, 3, 2, 2}) blt.I16(int16_t(v));
    blt.U8(1);
    blt.U8(1);
    blt.Bytes(std::vector<uint8_t>{0xA0, 0, 0x40, 0});
    // META_DIBCREATEPATTERNBRUSH with BS_PATTERN and a Bitmap16.
    ByteWriter pattern;
    pattern.U16(3);
    pattern.U16(0);
    for (int v : {0, 8, 1, 2}) pattern.I16(int16_t(v));
    pattern.U8(1);
    pattern.U8(1);
    pattern.Bytes(std::vector<uint8_t>{0x55, 0});
    // META_CREATEPATTERNBRUSH: Bitmap16 (14 bytes), 18 reserved, pattern bits.
    ByteWriter old;
    for (int v : {0, 8, 1, 2}) old.I16(int16_t(v));
    old.U8(1);
    old.U8(1);
    old.Zeros(4 + 18);
    old.Bytes(std::vector<uint8_t>{0xAA, 0});
    auto wmf = testing_wmf::WmfBuilder()
                   .Raw(META_BITBLT, blt.Buffer())
                   .Raw(META_DIBCREATEPATTERNBRUSH, pattern.Buffer())
                   .Raw(META_CREATEPATTERNBRUSH, old.Buffer())
                   .Finish();
    std::vector<uint8_t> emf;
    WmfConversionReport report;
    ASSERT_TRUE(ConvertWmfToEmf(wmf, {}, emf, &report));
    EXPECT_EQ(report.recordsSkipped, 0u);
    std::vector<uint32_t> types;
    EmfRecordWalker walker(emf);
    EmfRecord rec;
    while (walker.Next(rec)) {
        types.push_back(rec.type);
        if (rec.type == EMR_BITBLT) {
            ByteReader r(rec.bytes);
            EXPECT_EQ(r.PeekU32(84), 100u);  // offBmiSrc
            EXPECT_EQ(r.PeekU32(88), 48u);   // header and two colours
            EXPECT_EQ(r.PeekU32(96), 8u);    // two rows of 4 bytes
        }
        if (rec.type == EMR_CREATEDIBPATTERNBRUSHPT || rec.type == EMR_CREATEMONOBRUSH) {
            EXPECT_EQ(ByteReader(rec.bytes).PeekU32(20), 48u);
        }
    }
    std::vector<uint32_t> expected = {EMR_HEADER, EMR_BITBLT, EMR_CREATEDIBPATTERNBRUSHPT, EMR_CREATEMONOBRUSH,
                                      EMR_EOF};
    EXPECT_EQ(types, expected);
}

}  // namespace
}  // namespace slidemill

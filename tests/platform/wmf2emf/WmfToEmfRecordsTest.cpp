// Record-by-record translation against the [MS-EMF] layouts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "metafile/EmfRecordTypes.h"
#include "platform/wmf2emf/WmfRecordTypes.h"
#include "platform/wmf2emf/WmfToEmf.h"
#include "tests/platform/wmf2emf/WmfFixture.h"

namespace slidemill {
namespace {

using testing_wmf::WmfBuilder;
using namespace wmf;

struct EmfRec {
    uint32_t type;
    std::vector<uint8_t> bytes;  // whole record
};

std::vector<EmfRec> Records(const std::vector<uint8_t>& emf) {
    std::vector<EmfRec> out;
    EmfRecordWalker walker(emf);
    EmfRecord rec;
    while (walker.Next(rec)) out.push_back({rec.type, std::vector<uint8_t>(rec.bytes.begin(), rec.bytes.end())});
    EXPECT_EQ(walker.Status(), EmfWalkStatus::End);
    return out;
}

std::vector<EmfRec> Convert(const std::vector<uint8_t>& wmf, WmfConversionReport* report = nullptr) {
    std::vector<uint8_t> emf;
    EXPECT_TRUE(ConvertWmfToEmf(wmf, {}, emf, report));
    return Records(emf);
}

std::vector<uint8_t> Words32(std::initializer_list<int64_t> values) {
    ByteWriter w;
    for (int64_t v : values) w.U32(uint32_t(v));
    return w.Take();
}

// Body of a record (after Type and Size).
std::vector<uint8_t> Body(const EmfRec& r) { return std::vector<uint8_t>(r.bytes.begin() + 8, r.bytes.end()); }

TEST(WmfToEmfRecords, TranslatesSimpleRecords) {
    struct Case {
        const char* what;
        uint16_t function;
        std::vector<int> words;
        uint32_t emfType;
        std::vector<uint8_t> emfBody;
    } cases[] = {
        {"SETBKMODE", META_SETBKMODE, {1, 0}, EMR_SETBKMODE, Words32({1})},
        {"SETMAPMODE", META_SETMAPMODE, {8}, EMR_SETMAPMODE, Words32({8})},
        {"SETROP2", META_SETROP2, {13}, EMR_SETROP2, Words32({13})},
        {"SETPOLYFILLMODE", META_SETPOLYFILLMODE, {2}, EMR_SETPOLYFILLMODE, Words32({2})},
        {"SETSTRETCHBLTMODE", META_SETSTRETCHBLTMODE, {3}, EMR_SETSTRETCHBLTMODE, Words32({3})},
        {"SETTEXTALIGN", META_SETTEXTALIGN, {24}, EMR_SETTEXTALIGN, Words32({24})},
        {"SETBKCOLOR", META_SETBKCOLOR, {0x3456, 0x0012}, EMR_SETBKCOLOR, Words32({0x123456})},
        {"SETTEXTCOLOR", META_SETTEXTCOLOR, {0x00FF, 0}, EMR_SETTEXTCOLOR, Words32({0xFF})},
        {"SETMAPPERFLAGS", META_SETMAPPERFLAGS, {1, 0}, EMR_SETMAPPERFLAGS, Words32({1})},
        {"SETWINDOWORG y,x", META_SETWINDOWORG, {-20, 10}, EMR_SETWINDOWORGEX, Words32({10, -20})},
        {"SETWINDOWEXT y,x", META_SETWINDOWEXT, {600, 800}, EMR_SETWINDOWEXTEX, Words32({800, 600})},
        {"SETVIEWPORTORG", META_SETVIEWPORTORG, {5, 6}, EMR_SETVIEWPORTORGEX, Words32({6, 5})},
        {"SETVIEWPORTEXT", META_SETVIEWPORTEXT, {1080, 1920}, EMR_SETVIEWPORTEXTEX, Words32({1920, 1080})},
        {"SCALEWINDOWEXT", META_SCALEWINDOWEXT, {4, 3, 2, 1}, EMR_SCALEWINDOWEXTEX, Words32({1, 2, 3, 4})},
        {"SCALEVIEWPORTEXT", META_SCALEVIEWPORTEXT, {4, 3, 2, 1}, EMR_SCALEVIEWPORTEXTEX, Words32({1, 2, 3, 4})},
        {"SAVEDC", META_SAVEDC, {}, EMR_SAVEDC, {}},
        {"RESTOREDC", META_RESTOREDC, {-1}, EMR_RESTOREDC, Words32({-1})},
        {"MOVETO", META_MOVETO, {20, 10}, EMR_MOVETOEX, Words32({10, 20})},
        {"LINETO", META_LINETO, {-20, -10}, EMR_LINETO, Words32({-10, -20})},
        {"EXCLUDECLIPRECT b,r,t,l", META_EXCLUDECLIPRECT, {4, 3, 2, 1}, EMR_EXCLUDECLIPRECT, Words32({1, 2, 3, 4})},
        {"INTERSECTCLIPRECT", META_INTERSECTCLIPRECT, {40, 30, 20, 10}, EMR_INTERSECTCLIPRECT,
         Words32({10, 20, 30, 40})},
        {"OFFSETCLIPRGN", META_OFFSETCLIPRGN, {7, 8}, EMR_OFFSETCLIPRGN, Words32({8, 7})},
        {"RECTANGLE", META_RECTANGLE, {40, 30, 20, 10}, EMR_RECTANGLE, Words32({10, 20, 30, 40})},
        {"ELLIPSE", META_ELLIPSE, {40, 30, 20, 10}, EMR_ELLIPSE, Words32({10, 20, 30, 40})},
        {"ROUNDRECT h,w,b,r,t,l", META_ROUNDRECT, {6, 5, 40, 30, 20, 10}, EMR_ROUNDRECT,
         Words32({10, 20, 30, 40, 5, 6})},
        {"ARC", META_ARC, {8, 7, 6, 5, 4, 3, 2, 1}, EMR_ARC, Words32({1, 2, 3, 4, 5, 6, 7, 8})},
        {"CHORD", META_CHORD, {8, 7, 6, 5, 4, 3, 2, 1}, EMR_CHORD, Words32({1, 2, 3, 4, 5, 6, 7, 8})},
        {"PIE", META_PIE, {8, 7, 6, 5, 4, 3, 2, 1}, EMR_PIE, Words32({1, 2, 3, 4, 5, 6, 7, 8})},
        {"SETPIXEL", META_SETPIXEL, {0x00FF, 0x0000, 20, 10}, EMR_SETPIXELV, Words32({10, 20, 0xFF})},
        {"FLOODFILL", META_FLOODFILL, {0x0000, 0x00FF, 20, 10}, EMR_EXTFLOODFILL, Words32({10, 20, 0xFF0000, 0})},
        {"EXTFLOODFILL", META_EXTFLOODFILL, {1, 0x0000, 0x00FF, 20, 10}, EMR_EXTFLOODFILL,
         Words32({10, 20, 0xFF0000, 1})},
        {"SETTEXTJUSTIFICATION count,extra", META_SETTEXTJUSTIFICATION, {3, 12}, EMR_SETTEXTJUSTIFICATION,
         Words32({12, 3})},
        {"REALIZEPALETTE", META_REALIZEPALETTE, {}, EMR_REALIZEPALETTE, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WmfBuilder b;
        ByteWriter params;
        for (int v : c.words) params.U16(uint16_t(v));
        auto recs = Convert(b.Raw(c.function, params.Buffer()).Finish());
        // Header, the record, EOF; a window extent brings the mapping prelude before it.
        ASSERT_EQ(recs.size(), c.function == META_SETWINDOWEXT ? 6u : 3u);
        const EmfRec& r = recs[recs.size() - 2];
        EXPECT_EQ(r.type, c.emfType);
        EXPECT_EQ(Body(r), c.emfBody);
        EXPECT_EQ(recs.back().type, EMR_EOF);
    }
}

TEST(WmfToEmfRecords, OffsetOriginsBecomeAbsoluteAndFollowSaveRestore) {
    auto recs = Convert(WmfBuilder()
                            .Rec(META_SETWINDOWORG, {100, 200})
                            .Rec(META_SAVEDC, {})
                            .Rec(META_OFFSETWINDOWORG, {-10, 5})
                            .Rec(META_RESTOREDC, {-1})
                            .Rec(META_OFFSETWINDOWORG, {1, 1})
                            .Rec(META_OFFSETVIEWPORTORG, {3, 4})
                            .Finish());
    // No SETWINDOWEXT anywhere, so no prelude comes first.
    ASSERT_EQ(recs.size(), 8u);
    EXPECT_EQ(Body(recs[3]), Words32({205, 90}));
    EXPECT_EQ(Body(recs[5]), Words32({201, 101}));
    EXPECT_EQ(recs[6].type, EMR_SETVIEWPORTORGEX);
    EXPECT_EQ(Body(recs[6]), Words32({4, 3}));
}

TEST(WmfToEmfRecords, PolygonsKeepTheir16BitForms) {
    auto recs = Convert(WmfBuilder()
                            .Rec(META_POLYLINE, {3, 0, 0, 10, -5, 20, 7})
                            .Rec(META_POLYGON, {2, 1, 2, 3, 4})
                            .Rec(META_POLYPOLYGON, {2, 2, 1, 0, 0, 5, 5, 9, -9})
                            .Finish());
    ASSERT_EQ(recs.size(), 5u);
    ByteWriter polyline;
    for (int v : {0, -5, 20, 7}) polyline.I32(v);  // bounds
    polyline.U32(3);
    for (int v : {0, 0, 10, -5, 20, 7}) polyline.I16(int16_t(v));
    EXPECT_EQ(recs[1].type, EMR_POLYLINE16);
    EXPECT_EQ(Body(recs[1]), polyline.Buffer());
    EXPECT_EQ(recs[2].type, EMR_POLYGON16);
    ByteWriter pp;
    for (int v : {0, -9, 9, 5}) pp.I32(v);
    pp.U32(2);
    pp.U32(3);
    pp.U32(2);
    pp.U32(1);
    for (int v : {0, 0, 5, 5, 9, -9}) pp.I16(int16_t(v));
    pp.PadTo(4);
    EXPECT_EQ(recs[3].type, EMR_POLYPOLYGON16);
    EXPECT_EQ(Body(recs[3]), pp.Buffer());
}

TEST(WmfToEmfRecords, CommentEscapeBecomesEmfComment) {
    auto recs = Convert(WmfBuilder().Rec(META_ESCAPE, {MFCOMMENT, 5, 'W' | 'M' << 8, 'F' | 'C' << 8, '!'}).Finish());
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[1].type, EMR_COMMENT);
    ByteWriter want;
    want.U32(5);
    want.Bytes("WMFC!", 5);
    want.PadTo(4);
    EXPECT_EQ(Body(recs[1]), want.Buffer());
}

TEST(WmfToEmfRecords, PatBltIsABitBltWithoutSource) {
    auto recs = Convert(WmfBuilder().Rec(META_PATBLT, {0x0021, 0x00F0, 30, 40, 20, 10}).Finish());
    ASSERT_EQ(recs.size(), 3u);
    ASSERT_EQ(recs[1].type, EMR_BITBLT);
    ASSERT_EQ(recs[1].bytes.size(), 100u);
    ByteReader r(recs[1].bytes);
    r.Seek(24);
    EXPECT_EQ(r.I32(), 10);  // xDest
    EXPECT_EQ(r.I32(), 20);
    EXPECT_EQ(r.I32(), 40);  // cxDest
    EXPECT_EQ(r.I32(), 30);
    EXPECT_EQ(r.U32(), 0x00F00021u);
    r.Seek(84);
    EXPECT_EQ(r.U32(), 0u);  // offBmiSrc
    EXPECT_EQ(r.U32(), 0u);  // cbBmiSrc
}

std::vector<uint8_t> Dib2x2x24() {
    ByteWriter d;
    d.U32(40);
    d.I32(2);
    d.I32(2);
    d.U16(1);
    d.U16(24);
    d.U32(0);
    d.U32(16);
    d.Zeros(16);
    for (int row = 0; row < 2; ++row) {
        d.Bytes("\x01\x02\x03\x04\x05\x06", 6);
        d.Zeros(2);
    }
    return d.Take();
}

TEST(WmfToEmfRecords, StretchDibCarriesTheBitmap) {
    ByteWriter p;
    p.U32(0x00CC0020);  // SRCCOPY
    p.U16(0);           // DIB_RGB_COLORS
    for (int v : {2, 2, 0, 0, 200, 100, 20, 10}) p.I16(int16_t(v));  // src h,w,y,x dest h,w,y,x
    auto dib = Dib2x2x24();
    p.Bytes(dib);
    auto recs = Convert(WmfBuilder().Raw(META_STRETCHDIB, p.Buffer()).Finish());
    ASSERT_EQ(recs.size(), 3u);
    ASSERT_EQ(recs[1].type, EMR_STRETCHDIBITS);
    ByteReader r(recs[1].bytes);
    r.Seek(24);
    EXPECT_EQ(r.I32(), 10);  // xDest
    EXPECT_EQ(r.I32(), 20);  // yDest
    EXPECT_EQ(r.I32(), 0);   // xSrc
    EXPECT_EQ(r.I32(), 0);
    EXPECT_EQ(r.I32(), 2);  // cxSrc
    EXPECT_EQ(r.I32(), 2);
    uint32_t offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
    EXPECT_EQ(r.U32(), 0u);           // usage
    EXPECT_EQ(r.U32(), 0x00CC0020u);  // rop
    EXPECT_EQ(r.I32(), 100);          // cxDest
    EXPECT_EQ(r.I32(), 200);
    EXPECT_EQ(offBmi, 80u);
    EXPECT_EQ(cbBmi, 40u);
    EXPECT_EQ(offBits, 120u);
    EXPECT_EQ(cbBits, 16u);
    ASSERT_TRUE(r.Contains(offBits, cbBits));
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), recs[1].bytes.begin() + offBmi));
}

TEST(WmfToEmfRecords, DibBlitsWithAndWithoutBitmap) {
    auto dib = Dib2x2x24();
    ByteWriter withBmp;
    withBmp.U32(0x00CC0020);
    for (int v : {2, 2, 0, 0, 20, 30, 5, 6}) withBmp.I16(int16_t(v));  // srcH, srcW, ySrc, xSrc, h, w, y, x
    withBmp.Bytes(dib);
    ByteWriter noBmp;
    noBmp.U32(0x00F00021);
    for (int v : {0, 0, 0, 0, 0, 20, 30, 5, 6}) noBmp.I16(int16_t(v));  // reserved word present
    ByteWriter blt;
    blt.U32(0x00CC0020);
    for (int v : {1, 1, 20, 30, 5, 6}) blt.I16(int16_t(v));  // ySrc, xSrc, h, w, y, x
    blt.Bytes(dib);
    auto recs = Convert(WmfBuilder()
                            .Raw(META_DIBSTRETCHBLT, withBmp.Buffer())
                            .Raw(META_DIBSTRETCHBLT, noBmp.Buffer())
                            .Raw(META_DIBBITBLT, blt.Buffer())
                            .Finish());
    ASSERT_EQ(recs.size(), 5u);
    ASSERT_EQ(recs[1].type, EMR_STRETCHBLT);
    ByteReader a(recs[1].bytes);
    a.Seek(24);
    EXPECT_EQ(a.I32(), 6);
    EXPECT_EQ(a.I32(), 5);
    EXPECT_EQ(a.I32(), 30);
    EXPECT_EQ(a.I32(), 20);
    a.Seek(100);
    EXPECT_EQ(a.I32(), 2);  // cxSrc
    EXPECT_EQ(a.I32(), 2);
    EXPECT_EQ(a.PeekU32(84), 108u);  // offBmiSrc after the fixed part
    ASSERT_EQ(recs[2].type, EMR_STRETCHBLT);
    EXPECT_EQ(recs[2].bytes.size(), 108u);
    EXPECT_EQ(ByteReader(recs[2].bytes).PeekU32(40), 0x00F00021u);
    ASSERT_EQ(recs[3].type, EMR_BITBLT);
    ByteReader c(recs[3].bytes);
    EXPECT_EQ(c.PeekU32(44), 1u);  // xSrc
    EXPECT_EQ(c.PeekU32(84), 100u);
    EXPECT_EQ(c.PeekU32(88), 40u);
}

TEST(WmfToEmfRecords, SetDibToDevice) {
    ByteWriter p;
    p.U16(0);  // usage
    p.U16(2);  // scan count
    p.U16(0);  // start scan
    for (int v : {0, 0, 2, 2, 20, 10}) p.I16(int16_t(v));  // yDib xDib h w yDest xDest
    p.Bytes(Dib2x2x24());
    auto recs = Convert(WmfBuilder().Raw(META_SETDIBTODEV, p.Buffer()).Finish());
    ASSERT_EQ(recs.size(), 3u);
    ASSERT_EQ(recs[1].type, EMR_SETDIBITSTODEVICE);
    ByteReader r(recs[1].bytes);
    EXPECT_EQ(r.PeekU32(24), 10u);
    EXPECT_EQ(r.PeekU32(28), 20u);
    EXPECT_EQ(r.PeekU32(40), 2u);  // cxSrc
    EXPECT_EQ(r.PeekU32(48), 76u);  // offBmiSrc
    EXPECT_EQ(r.PeekU32(72), 2u);   // cScans
}

TEST(WmfToEmfRecords, HeaderIsConsistent) {
    WmfConversionReport report;
    std::vector<uint8_t> emf;
    auto wmf = WmfBuilder()
                   .Rec(META_CREATEPENINDIRECT, {0, 1, 0, 0, 0})
                   .Rec(META_CREATEPENINDIRECT, {0, 1, 0, 0, 0})
                   .Rec(META_SETRELABS, {1})
                   .Rec(META_RECTANGLE, {4, 3, 2, 1})
                   .Finish();
    ASSERT_TRUE(ConvertWmfToEmf(wmf, {}, emf, &report));
    EmfHeader h;
    ASSERT_TRUE(ReadEmfHeader(emf, h));
    EXPECT_EQ(h.bytes, emf.size());
    EXPECT_EQ(h.records, 5u);  // header, 2 pens, rectangle, EOF
    EXPECT_EQ(h.handles, 3);   // slot 0 plus two objects
    EXPECT_EQ(h.device.cx, 1920);
    EXPECT_EQ(h.device.cy, 1080);
    EXPECT_EQ(h.millimeters.cx, 508);
    EXPECT_EQ(h.millimeters.cy, 286);
    // No picture description: the whole reference display.
    EXPECT_EQ(h.frame.right, 50800);
    EXPECT_EQ(h.frame.bottom, 28600);
    EXPECT_EQ(h.bounds.right, 1919);
    EXPECT_EQ(h.bounds.bottom, 1079);
    EXPECT_EQ(report.recordsSkipped, 1u);
    EXPECT_EQ(report.skippedByFunction[META_SETRELABS], 1u);
    EXPECT_TRUE(report.sawEof);
}

TEST(WmfToEmfRecords, PictureDescriptionSizesFrameAndViewport) {
    WmfConversionOptions options;
    options.picture = MetafilePict{8, 2540, 1270};
    std::vector<uint8_t> emf;
    auto wmf = WmfBuilder().Rec(META_SETWINDOWEXT, {100, 200}).Rec(META_RECTANGLE, {4, 3, 2, 1}).Finish();
    ASSERT_TRUE(ConvertWmfToEmf(wmf, options, emf));
    EmfHeader h;
    ASSERT_TRUE(ReadEmfHeader(emf, h));
    EXPECT_EQ(h.frame.right, 2540);
    EXPECT_EQ(h.frame.bottom, 1270);
    auto recs = Records(emf);
    // Prelude: anisotropic mapping with the viewport over the picture (96 dpi: 1 inch
    // is 96 pixels, half an inch 48), then the metafile's own window extent.
    ASSERT_GE(recs.size(), 6u);
    EXPECT_EQ(recs[1].type, EMR_SETMAPMODE);
    EXPECT_EQ(Body(recs[1]), Words32({8}));
    EXPECT_EQ(recs[2].type, EMR_SETVIEWPORTORGEX);
    EXPECT_EQ(recs[3].type, EMR_SETVIEWPORTEXTEX);
    EXPECT_EQ(Body(recs[3]), Words32({96, 48}));
    EXPECT_EQ(recs[4].type, EMR_SETWINDOWEXTEX);
    EXPECT_EQ(Body(recs[4]), Words32({200, 100}));
}

TEST(WmfToEmfRecords, PlaceableBoundsGiveTheWindowWhenNoneIsSet) {
    WmfConversionOptions options;
    options.placeableBounds = EmfRectL{10, 20, 1450, 740};
    std::vector<uint8_t> emf;
    ASSERT_TRUE(ConvertWmfToEmf(WmfBuilder().Rec(META_RECTANGLE, {4, 3, 2, 1}).Finish(), options, emf));
    auto recs = Records(emf);
    ASSERT_GE(recs.size(), 7u);
    EXPECT_EQ(recs[1].type, EMR_SETMAPMODE);
    EXPECT_EQ(recs[2].type, EMR_SETWINDOWORGEX);
    EXPECT_EQ(Body(recs[2]), Words32({10, 20}));
    EXPECT_EQ(recs[3].type, EMR_SETWINDOWEXTEX);
    EXPECT_EQ(Body(recs[3]), Words32({1440, 720}));
    EXPECT_EQ(recs[5].type, EMR_SETVIEWPORTEXTEX);
    EXPECT_EQ(Body(recs[5]), Words32({1920, 1080}));
}

}  // namespace
}  // namespace slidemill

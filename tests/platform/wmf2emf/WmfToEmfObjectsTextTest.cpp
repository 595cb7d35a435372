// Object slots, selection and text widening.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "metafile/EmfRecordTypes.h"
#include "platform/wmf2emf/CharsetText.h"
#include "platform/wmf2emf/WmfRecordTypes.h"
#include "platform/wmf2emf/WmfToEmf.h"
#include "tests/platform/wmf2emf/WmfFixture.h"

namespace slidemill {
namespace {

using testing_wmf::WmfBuilder;
using namespace wmf;

struct EmfRec {
    uint32_t type;
    std::vector<uint8_t> bytes;
};

std::vector<EmfRec> Convert(const std::vector<uint8_t>& wmf) {
    std::vector<uint8_t> emf;
    EXPECT_TRUE(ConvertWmfToEmf(wmf, {}, emf));
    std::vector<EmfRec> out;
    EmfRecordWalker walker(emf);
    EmfRecord rec;
    while (walker.Next(rec)) out.push_back({rec.type, std::vector<uint8_t>(rec.bytes.begin(), rec.bytes.end())});
    EXPECT_EQ(walker.Status(), EmfWalkStatus::End);
    return out;
}

uint32_t U32At(const EmfRec& r, size_t offset) { return ByteReader(r.bytes).PeekU32(offset); }

std::vector<uint8_t> FontParams(int16_t height, uint8_t charset, const char* face) {
    ByteWriter f;
    f.I16(height);
    f.I16(0);
    f.I16(0);
    f.I16(0);
    f.I16(700);
    f.U8(1);  // italic
    f.U8(0);
    f.U8(0);
    f.U8(charset);
    f.U8(0);
    f.U8(0);
    f.U8(0);
    f.U8(0);
    f.Bytes(face, std::strlen(face) + 1);
    return f.Take();
}

TEST(WmfToEmfObjects, IndexesMapToSlotPlusOneAndReuseTheLowestFreeSlot) {
    auto recs = Convert(WmfBuilder()
                            .Rec(META_CREATEPENINDIRECT, {0, 3, 0, 0x00FF, 0})     // index 0
                            .Rec(META_CREATEBRUSHINDIRECT, {0, 0xFF00, 0, 0})       // index 1
                            .Rec(META_CREATEBRUSHINDIRECT, {1, 0, 0, 0})            // index 2
                            .Rec(META_DELETEOBJECT, {0})                            // frees 0
                            .Raw(META_CREATEFONTINDIRECT, FontParams(-12, 0, "Arial"))  // index 0 again
                            .Rec(META_SELECTOBJECT, {0})
                            .Rec(META_SELECTOBJECT, {2})
                            .Rec(META_SELECTOBJECT, {9})  // no such object: skipped
                            .Finish());
    ASSERT_EQ(recs.size(), 9u);
    EXPECT_EQ(recs[1].type, EMR_CREATEPEN);
    EXPECT_EQ(recs[1].bytes.size(), 28u);
    EXPECT_EQ(U32At(recs[1], 8), 1u);   // ihPen
    EXPECT_EQ(U32At(recs[1], 12), 0u);  // style
    EXPECT_EQ(U32At(recs[1], 16), 3u);  // width.x
    EXPECT_EQ(U32At(recs[1], 24), 0xFFu);
    EXPECT_EQ(recs[2].type, EMR_CREATEBRUSHINDIRECT);
    EXPECT_EQ(U32At(recs[2], 8), 2u);
    EXPECT_EQ(U32At(recs[2], 16), 0xFF00u);
    EXPECT_EQ(U32At(recs[3], 8), 3u);
    EXPECT_EQ(recs[4].type, EMR_DELETEOBJECT);
    EXPECT_EQ(U32At(recs[4], 8), 1u);
    ASSERT_EQ(recs[5].type, EMR_EXTCREATEFONTINDIRECTW);
    EXPECT_EQ(U32At(recs[5], 8), 1u);  // reuses index 0 -> slot 1
    EXPECT_EQ(int32_t(U32At(recs[5], 12)), -12);
    EXPECT_EQ(U32At(recs[5], 28), 700u);
    EXPECT_EQ(recs[5].bytes[32], 1);  // italic
    EXPECT_EQ(ByteReader(recs[5].bytes).PeekU16(40), uint16_t('A'));
    EXPECT_EQ(ByteReader(recs[5].bytes).PeekU16(48), uint16_t('l'));
    EXPECT_EQ(ByteReader(recs[5].bytes).PeekU16(50), 0u);
    EXPECT_EQ(recs[6].type, EMR_SELECTOBJECT);
    EXPECT_EQ(U32At(recs[6], 8), 1u);
    EXPECT_EQ(U32At(recs[7], 8), 3u);
    EXPECT_EQ(recs[8].type, EMR_EOF);
}

TEST(WmfToEmfObjects, PalettesFollowTheSelection) {
    auto recs = Convert(WmfBuilder()
                            .Rec(META_CREATEPENINDIRECT, {0, 1, 0, 0, 0})
                            .Rec(META_CREATEPALETTE, {0x300, 1, 0x1122, 0x0033})
                            .Rec(META_SELECTPALETTE, {1})
                            .Rec(META_SETPALENTRIES, {0, 1, 0x4455, 0x0066})
                            .Rec(META_RESIZEPALETTE, {4})
                            .Rec(META_REALIZEPALETTE, {})
                            .Finish());
    ASSERT_EQ(recs.size(), 8u);
    EXPECT_EQ(recs[2].type, EMR_CREATEPALETTE);
    EXPECT_EQ(U32At(recs[2], 8), 2u);
    EXPECT_EQ(U32At(recs[2], 12), 0x00010300u);  // version, one entry
    EXPECT_EQ(U32At(recs[2], 16), 0x00331122u);
    EXPECT_EQ(recs[3].type, EMR_SELECTPALETTE);
    EXPECT_EQ(U32At(recs[3], 8), 2u);
    EXPECT_EQ(recs[4].type, EMR_SETPALETTEENTRIES);
    EXPECT_EQ(U32At(recs[4], 8), 2u);
    EXPECT_EQ(U32At(recs[4], 16), 1u);
    EXPECT_EQ(U32At(recs[4], 20), 0x00664455u);
    EXPECT_EQ(recs[5].type, EMR_RESIZEPALETTE);
    EXPECT_EQ(U32At(recs[5], 12), 4u);
}

TEST(WmfToEmfObjects, RegionsBecomeInlineRegionData) {
    // One scan (top 0, bottom 10) with the span 0..20.
    auto recs = Convert(WmfBuilder()
                            .Rec(META_CREATEBRUSHINDIRECT, {0, 0xFF, 0, 0})  // index 0
                            .Rec(META_CREATEREGION, {0, 6, 1, 0, 34, 1, 1, 0, 0, 20, 10, 2, 0, 10, 0, 20, 2})
                            .Rec(META_SELECTCLIPREGION, {1})
                            .Rec(META_FILLREGION, {1, 0})
                            .Rec(META_FRAMEREGION, {1, 0, 3, 4})
                            .Rec(META_PAINTREGION, {1})
                            .Rec(META_INVERTREGION, {1})
                            .Rec(META_DELETEOBJECT, {1})
                            .Rec(META_SELECTCLIPREGION, {1})  // gone: back to the default clip
                            .Finish());
    ASSERT_EQ(recs.size(), 9u);
    EXPECT_EQ(recs[2].type, EMR_EXTSELECTCLIPRGN);
    EXPECT_EQ(U32At(recs[2], 8), 48u);  // RgnDataSize: header + one rectangle
    EXPECT_EQ(U32At(recs[2], 12), 5u);  // RGN_COPY
    EXPECT_EQ(U32At(recs[2], 16), 32u);
    EXPECT_EQ(U32At(recs[2], 24), 1u);  // nCount
    EXPECT_EQ(U32At(recs[2], 48 + 8), 20u);
    EXPECT_EQ(U32At(recs[2], 48 + 12), 10u);
    EXPECT_EQ(recs[3].type, EMR_FILLRGN);
    EXPECT_EQ(U32At(recs[3], 24), 48u);
    EXPECT_EQ(U32At(recs[3], 28), 1u);  // brush slot
    EXPECT_EQ(recs[4].type, EMR_FRAMERGN);
    EXPECT_EQ(U32At(recs[4], 32), 4u);  // width
    EXPECT_EQ(U32At(recs[4], 36), 3u);  // height
    EXPECT_EQ(recs[5].type, EMR_PAINTRGN);
    EXPECT_EQ(recs[6].type, EMR_INVERTRGN);
    EXPECT_EQ(recs[7].type, EMR_EXTSELECTCLIPRGN);
    EXPECT_EQ(U32At(recs[7], 8), 0u);
}

TEST(WmfToEmfObjects, RegionLayoutsAndDamagedRegions) {
    struct Case {
        const char* what;
        std::vector<int> words;
        bool translated;
    } cases[] = {
        {"32-bit object count", {0, 6, 0, 0, 34, 1, 1, 0, 0, 20, 10, 2, 0, 10, 0, 20, 2}, true},
        {"16-bit object count", {0, 6, 0, 32, 1, 1, 0, 0, 20, 10, 2, 0, 10, 0, 20, 2}, true},
        {"no scans", {0, 6, 0, 0, 22, 0, 0, 0, 0, 20, 10}, true},
        {"scan count beyond the data", {0, 6, 0, 0, 34, 9, 1, 0, 0, 20, 10, 2, 0, 10, 0, 20, 2}, false},
        {"odd scan count", {0, 6, 0, 0, 34, 1, 1, 0, 0, 20, 10, 1, 0, 10, 0, 1}, false},
        {"closing count differs", {0, 6, 0, 0, 34, 1, 1, 0, 0, 20, 10, 2, 0, 10, 0, 20, 4}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WmfBuilder b;
        ByteWriter region;
        for (int v : c.words) region.U16(uint16_t(v));
        b.Rec(META_CREATEBRUSHINDIRECT, {0, 0xFF, 0, 0})  // index 0
            .Raw(META_CREATEREGION, region.Buffer())     // index 1 either way
            .Rec(META_FILLREGION, {1, 0})
            .Rec(META_SELECTCLIPREGION, {1})
            .Rec(META_CREATEPENINDIRECT, {0, 1, 0, 0, 0});  // index 2
        auto recs = Convert(b.Finish());
        std::vector<uint32_t> types;
        for (const EmfRec& r : recs) types.push_back(r.type);
        std::vector<uint32_t> expected = {EMR_HEADER, EMR_CREATEBRUSHINDIRECT};
        if (c.translated) {
            expected.push_back(EMR_FILLRGN);
            expected.push_back(EMR_EXTSELECTCLIPRGN);
        }
        expected.push_back(EMR_CREATEPEN);
        expected.push_back(EMR_EOF);
        EXPECT_EQ(types, expected);
        EXPECT_EQ(U32At(recs[recs.size() - 2], 8), 3u);  // the pen: the region kept its slot
        if (c.translated) {
            EXPECT_EQ(U32At(recs[2], 8 + 16 + 8), 32u);  // RgnDataHeader size
        }
    }
}

TEST(WmfToEmfObjects, DibPatternBrush) {
    ByteWriter p;
    p.U16(5);  // BS_DIBPATTERNPT
    p.U16(0);
    p.U32(40);
    p.I32(8);
    p.I32(8);
    p.U16(1);
    p.U16(1);
    p.U32(0);
    p.U32(32);
    p.Zeros(8);
    p.U32(0);
    p.U32(0);
    p.U32(0x000000);
    p.U32(0xFFFFFF);
    p.Zeros(32);
    auto recs = Convert(WmfBuilder().Raw(META_DIBCREATEPATTERNBRUSH, p.Buffer()).Rec(META_SELECTOBJECT, {0}).Finish());
    ASSERT_EQ(recs.size(), 4u);
    ASSERT_EQ(recs[1].type, EMR_CREATEDIBPATTERNBRUSHPT);
    EXPECT_EQ(U32At(recs[1], 8), 1u);
    EXPECT_EQ(U32At(recs[1], 16), 32u);  // offBmi
    EXPECT_EQ(U32At(recs[1], 20), 48u);  // cbBmi: header and two colours
    EXPECT_EQ(U32At(recs[1], 24), 80u);
    EXPECT_EQ(U32At(recs[1], 28), 32u);
    EXPECT_EQ(recs[2].type, EMR_SELECTOBJECT);
}

TEST(WmfToEmfObjects, UntranslatableObjectsStillTakeTheirSlot) {
    ByteWriter bad;
    bad.U16(5);
    bad.U16(0);
    bad.U32(7);  // not a bitmap header size
    auto recs = Convert(WmfBuilder()
                            .Raw(META_DIBCREATEPATTERNBRUSH, bad.Buffer())  // index 0, no EMF object
                            .Rec(META_CREATEPENINDIRECT, {0, 1, 0, 0, 0})   // index 1 -> slot 2
                            .Rec(META_SELECTOBJECT, {0})                    // nothing to select
                            .Rec(META_SELECTOBJECT, {1})
                            .Finish());
    ASSERT_EQ(recs.size(), 4u);
    EXPECT_EQ(recs[1].type, EMR_CREATEPEN);
    EXPECT_EQ(U32At(recs[1], 8), 2u);
    EXPECT_EQ(U32At(recs[2], 8), 2u);
}

std::vector<uint8_t> ExtTextParams(int16_t x, int16_t y, const std::string& text, uint16_t options,
                                   const std::vector<int16_t>& dx) {
    ByteWriter p;
    p.I16(y);
    p.I16(x);
    p.I16(int16_t(text.size()));
    p.U16(options);
    if (options & 6) {
        for (int v : {1, 2, 3, 4}) p.I16(int16_t(v));
    }
    p.Bytes(text.data(), text.size());
    if (text.size() % 2) p.U8(0);
    for (int16_t d : dx) p.I16(d);
    return p.Take();
}

struct TextRecord {
    int32_t x, y;
    uint32_t options;
    EmfRectL rect;
    std::u16string text;
    std::vector<int32_t> dx;
    uint32_t offDx;
};

TextRecord ReadText(const EmfRec& r) {
    EXPECT_EQ(r.type, EMR_EXTTEXTOUTW);
    ByteReader b(r.bytes);
    TextRecord t;
    EXPECT_EQ(b.PeekU32(24), 1u);  // GM_COMPATIBLE
    b.Seek(36);
    t.x = b.I32();
    t.y = b.I32();
    uint32_t n = b.U32();
    uint32_t offString = b.U32();
    t.options = b.U32();
    t.rect = {b.I32(), b.I32(), b.I32(), b.I32()};
    t.offDx = b.U32();
    ByteReader s = b.Sub(offString, n * 2);
    for (uint32_t i = 0; i < n; ++i) t.text.push_back(char16_t(s.U16()));
    if (t.offDx) {
        ByteReader d = b.Sub(t.offDx, n * 4);
        for (uint32_t i = 0; i < n; ++i) t.dx.push_back(d.I32());
        EXPECT_TRUE(d.Ok());
    }
    EXPECT_TRUE(s.Ok());
    return t;
}

TEST(WmfToEmfText, ExtTextOutWidensByTheSelectedFontsCharset) {
    struct Case {
        const char* what;
        uint8_t charset;
        std::string bytes;
        std::vector<int16_t> dx;
        std::u16string text;
        std::vector<int32_t> wideDx;
    } cases[] = {
        {"ansi", 0, "A\xE9\x80", {5, 6, 7}, u"A\u00E9\u20AC", {5, 6, 7}},
        {"default is ansi", 1, "\x93x\x94", {1, 1, 1}, u"\u201Cx\u201D", {1, 1, 1}},
        {"russian", 204, "\xC0\xFF", {8, 9}, u"\u0410\u044F", {8, 9}},
        {"greek", 161, "\xC1", {3}, u"\u0391", {3}},
        {"shift-jis two-byte", 128, "a\x82\xA0z", {1, 10, 11, 2}, u"a\u3042z", {1, 21, 2}},
        {"gb2312", 134, "\xC4\xE3", {7, 7}, u"\u4F60", {14}},
        {"big5 end-user pair after a letter", 136, "a\x83\xDE", {3, 7, 7}, u"a\uF06E", {3, 14}},
        {"gbk end-user pair", 134, "\xAA\xA1", {5, 5}, u"\uE000", {10}},
        {"symbol", 2, "\x6C\x10", {4, 4}, u"\uF06C\u0010", {4, 4}},
        {"undefined ansi byte", 0, "\x81", {2}, u"\u0081", {2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto recs = Convert(WmfBuilder()
                                .Raw(META_CREATEFONTINDIRECT, FontParams(-20, c.charset, "Face"))
                                .Rec(META_SELECTOBJECT, {0})
                                .Raw(META_EXTTEXTOUT, ExtTextParams(30, 40, c.bytes, 4, c.dx))
                                .Finish());
        ASSERT_EQ(recs.size(), 5u);
        TextRecord t = ReadText(recs[3]);
        EXPECT_EQ(t.x, 30);
        EXPECT_EQ(t.y, 40);
        EXPECT_EQ(t.options, 4u);
        EXPECT_EQ(t.rect.left, 1);
        EXPECT_EQ(t.rect.bottom, 4);
        EXPECT_EQ(t.text, c.text);
        EXPECT_EQ(t.dx, c.wideDx);
    }
}

// A font declared ANSI whose face name is GBK (宋体) has GBK text too; a Latin face
// name with accented letters, or a Latin face, keeps Windows-1252.
TEST(WmfToEmfText, AnsiFontWithAGbkFaceNameWidensAsGbk) {
    struct Case {
        const char* what;
        const char* face;
        std::u16string text;
        std::vector<int32_t> wideDx;
    } cases[] = {
        {"gbk face", "\xCB\xCE\xCC\xE5", u"\u4F60", {14}},
        {"latin face", "Arial", u"\u00C4\u00E3", {7, 7}},
        {"accented latin face", "Caf\xE9", u"\u00C4\u00E3", {7, 7}},
        {"gbk pair, no ideograph", "\xA1\xA1x", u"\u00C4\u00E3", {7, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto recs = Convert(WmfBuilder()
                                .Raw(META_CREATEFONTINDIRECT, FontParams(-20, 0, c.face))
                                .Rec(META_SELECTOBJECT, {0})
                                .Raw(META_EXTTEXTOUT, ExtTextParams(30, 40, "\xC4\xE3", 4, {7, 7}))
                                .Finish());
        ASSERT_EQ(recs.size(), 5u);
        TextRecord t = ReadText(recs[3]);
        EXPECT_EQ(t.text, c.text);
        EXPECT_EQ(t.dx, c.wideDx);
    }
}

TEST(WmfToEmfText, TextWithoutAdvancesHasNoDxArray) {
    ByteWriter textOut;
    textOut.I16(3);
    textOut.Bytes("abc", 3);
    textOut.U8(0);
    textOut.I16(7);  // y
    textOut.I16(9);  // x
    auto recs = Convert(WmfBuilder()
                            .Raw(META_TEXTOUT, textOut.Buffer())
                            .Raw(META_EXTTEXTOUT, ExtTextParams(1, 2, "xy", 0, {}))
                            .Finish());
    ASSERT_EQ(recs.size(), 4u);
    TextRecord a = ReadText(recs[1]);
    EXPECT_EQ(a.text, u"abc");
    EXPECT_EQ(a.x, 9);
    EXPECT_EQ(a.y, 7);
    EXPECT_EQ(a.offDx, 0u);
    TextRecord b = ReadText(recs[2]);
    EXPECT_EQ(b.text, u"xy");
    EXPECT_EQ(b.offDx, 0u);
}

TEST(WmfToEmfText, SaveAndRestoreKeepTheFontsCharset) {
    auto recs = Convert(WmfBuilder()
                            .Raw(META_CREATEFONTINDIRECT, FontParams(-20, 204, "Cyr"))
                            .Raw(META_CREATEFONTINDIRECT, FontParams(-20, 0, "Lat"))
                            .Rec(META_SELECTOBJECT, {0})
                            .Rec(META_SAVEDC, {})
                            .Rec(META_SELECTOBJECT, {1})
                            .Rec(META_RESTOREDC, {-1})
                            .Raw(META_EXTTEXTOUT, ExtTextParams(0, 0, "\xC0", 0, {}))
                            .Finish());
    ASSERT_EQ(recs.size(), 9u);
    EXPECT_EQ(ReadText(recs[7]).text, u"\u0410");
}

}  // namespace
}  // namespace slidemill

// The playback context: stock objects, objects played from records, selection and
// deletion, save/restore, device capabilities and text measurement.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "metafile/ByteReader.h"
#include "metafile/EmfRecordTypes.h"
#include "platform/gdi/PlaybackContext.h"
#include "platform/gdi/TextMeasurer.h"

namespace slidemill {
namespace {

std::vector<uint8_t> Rec(uint32_t type, std::initializer_list<int32_t> values) {
    ByteWriter w;
    w.U32(type);
    w.U32(uint32_t(8 + 4 * values.size()));
    for (int32_t v : values) w.I32(v);
    return w.Take();
}

TEST(PlaybackContext, StockObjectsHaveTheirStandardDescriptions) {
    PlaybackContext dc;
    struct Case {
        uint32_t number;
        GdiObjectKind kind;
        COLORREF colour;
        uint32_t style;
    } cases[] = {
        {stock::kWhiteBrush, GdiObjectKind::Brush, 0xFFFFFF, brush::kSolid},
        {stock::kGrayBrush, GdiObjectKind::Brush, 0x808080, brush::kSolid},
        {stock::kNullBrush, GdiObjectKind::Brush, 0, brush::kNull},
        {stock::kBlackPen, GdiObjectKind::Pen, 0, pen::kSolid},
        {stock::kNullPen, GdiObjectKind::Pen, 0, pen::kNull},
        {stock::kSystemFont, GdiObjectKind::Font, 0, 0},
        {stock::kDefaultPalette, GdiObjectKind::Palette, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        GdiHandle h = dc.GetStockObject(c.number);
        ASSERT_NE(h, 0u);
        EXPECT_EQ(dc.GetObjectType(h), c.kind);
        if (c.kind == GdiObjectKind::Brush) {
            LOGBRUSH b;
            ASSERT_EQ(dc.GetObject(h, b), 12);
            EXPECT_EQ(b.lbColor, c.colour);
            EXPECT_EQ(b.lbStyle, c.style);
        } else if (c.kind == GdiObjectKind::Pen) {
            LOGPEN p;
            ASSERT_EQ(dc.GetObject(h, p), 16);
            EXPECT_EQ(p.lopnStyle, c.style);
        }
    }
    EXPECT_EQ(dc.GetStockObject(9), 0u);  // no stock object 9
    EXPECT_EQ(dc.GetStockObject(1000), 0u);
    // A fresh context has the black pen, white brush and system font selected.
    EXPECT_EQ(dc.GetCurrentObject(GdiObjectKind::Pen), dc.GetStockObject(stock::kBlackPen));
    EXPECT_EQ(dc.GetCurrentObject(GdiObjectKind::Brush), dc.GetStockObject(stock::kWhiteBrush));
    EXPECT_EQ(dc.GetCurrentObject(GdiObjectKind::Font), dc.GetStockObject(stock::kSystemFont));
}

TEST(PlaybackContext, RecordsCreateSelectAndDeleteObjectsInTheirSlots) {
    PlaybackContext dc;
    HandleTable table;
    table.slots.assign(4, 0);
    EXPECT_TRUE(dc.PlayRecord(table, Rec(EMR_CREATEPEN, {2, 1, 5, 0, 0x0000FF})));
    EXPECT_TRUE(dc.PlayRecord(table, Rec(EMR_CREATEBRUSHINDIRECT, {3, 2, 0x00FF00, 4})));
    dc.PlayRecord(table, Rec(EMR_CREATEPEN, {9, 0, 1, 0, 0}));  // no slot 9: not kept
    dc.PlayRecord(table, Rec(EMR_CREATEPEN, {0, 0, 1, 0, 0}));  // slot 0 is the metafile's
    dc.PlayRecord(table, Rec(EMR_CREATEBRUSHINDIRECT, {1, 3, 0, 0}));  // a pattern style cannot be made this way
    EXPECT_EQ(table.slots[1], 0u);
    EXPECT_EQ(dc.ObjectCount(), 2u);
    LOGPEN p;
    ASSERT_EQ(dc.GetObject(table.slots[2], p), 16);
    EXPECT_EQ(p.lopnStyle, 1u);
    EXPECT_EQ(p.lopnWidth.x, 5);
    LOGBRUSH b;
    ASSERT_EQ(dc.GetObject(table.slots[3], b), 12);
    EXPECT_EQ(b.lbStyle, brush::kHatched);
    EXPECT_EQ(b.lbHatch, 4u);

    // A selected object deleted by a record stays usable until it is replaced.
    dc.PlayRecord(table, Rec(EMR_SELECTOBJECT, {2}));
    GdiHandle pen = table.slots[2];
    dc.PlayRecord(table, Rec(EMR_DELETEOBJECT, {2}));
    EXPECT_EQ(table.slots[2], 0u);
    EXPECT_EQ(dc.GetObject(pen, p), 16);
    dc.PlayRecord(table, Rec(EMR_SELECTOBJECT, {int32_t(0x80000000 | stock::kWhitePen)}));
    EXPECT_EQ(dc.GetObject(pen, p), 0);
    EXPECT_EQ(dc.ObjectCount(), 1u);
}

TEST(PlaybackContext, SaveAndRestoreFollowTheRecords) {
    PlaybackContext dc;
    HandleTable table;
    table.slots.assign(2, 0);
    dc.PlayRecord(table, Rec(EMR_SETMAPMODE, {8}));
    dc.PlayRecord(table, Rec(EMR_SAVEDC, {}));
    dc.PlayRecord(table, Rec(EMR_SETWINDOWEXTEX, {200, 100}));
    dc.PlayRecord(table, Rec(EMR_SAVEDC, {}));
    dc.PlayRecord(table, Rec(EMR_SETWINDOWEXTEX, {300, 100}));
    dc.PlayRecord(table, Rec(EMR_RESTOREDC, {-2}));
    EXPECT_EQ(dc.Current().windowExt.cx, 1);
    EXPECT_EQ(dc.SaveDepth(), 0u);
    EXPECT_FALSE(dc.RestoreDC(-1));  // nothing left to restore
}

TEST(PlaybackContext, ReferenceDisplayCapabilities) {
    PlaybackContext dc;
    EXPECT_EQ(dc.GetDeviceCaps(caps::kHorzRes), 1920);
    EXPECT_EQ(dc.GetDeviceCaps(caps::kVertSize), 286);
    EXPECT_EQ(dc.GetDeviceCaps(caps::kAspectY), 36);
    EXPECT_EQ(PlaybackContext::GetSystemMetrics(caps::kCyScreen), 1080);
}

TEST(PlaybackContext, WalkRejectsBrokenFramingAndCleansTheTable) {
    PlaybackContext dc;
    std::vector<uint8_t> junk(64, 0);
    int calls = 0;
    auto count = [&](std::span<const uint8_t>, HandleTable&) {
        ++calls;
        return true;
    };
    EXPECT_FALSE(dc.Enumerate(junk, {0, 0, 10, 10}, count));
    EXPECT_EQ(calls, 0);
}

LOGFONTW Font(const char* face, int32_t height, int32_t weight = 400) {
    LOGFONTW f;
    f.lfHeight = height;
    f.lfWeight = weight;
    for (size_t i = 0; face[i]; ++i) f.lfFaceName[i] = char16_t(face[i]);
    return f;
}

TEST(TextMeasurer, MeasuresInLogicalUnitsOfTheFontHeight) {
    CFreeTypeTextMeasurer m;
    if (m.MatchFile("Liberation Sans", 400, false).find("LiberationSans") == std::string::npos)
        GTEST_SKIP() << "Liberation Sans is not installed";
    std::vector<int32_t> out;
    const char16_t text[] = u"AAi";
    // Arial is matched to its metric-compatible stand-in: "A" is 1366 / 2048 em wide.
    ASSERT_TRUE(m.MeasureExtents(Font("Arial", -2048), text, 3, out));
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], 1366);
    EXPECT_EQ(out[1], 2732);
    EXPECT_EQ(out[2], 2732 + 455);
    // A positive height is the cell height (usWinAscent + usWinDescent = 1854 + 434).
    ASSERT_TRUE(m.MeasureExtents(Font("Arial", 2288), text, 1, out));
    EXPECT_EQ(out[0], 1366);
    // Bold is a wider face.
    ASSERT_TRUE(m.MeasureExtents(Font("Arial", -2048, 700), text, 1, out));
    EXPECT_EQ(out[0], 1479);
    // The ascent is usWinAscent of the cell: 1854 of 2288 at an em of 2048, and a
    // positive height scales it with the cell.
    int32_t ascent = 0;
    ASSERT_TRUE(m.MeasureAscent(Font("Arial", -2048), ascent));
    EXPECT_EQ(ascent, 1854);
    ASSERT_TRUE(m.MeasureAscent(Font("Arial", 1144), ascent));
    EXPECT_EQ(ascent, 927);
}

TEST(TextMeasurer, ContextMeasuresWithItsSelectedFont) {
    PlaybackContext dc;
    GdiHandle f = dc.CreateFontIndirect(Font("Liberation Sans", -100));
    dc.SelectObject(f);
    std::vector<int32_t> extents;
    const char16_t text[] = u"ii";
    ASSERT_TRUE(dc.GetTextExtentExPoint(text, 2, extents));
    ASSERT_EQ(extents.size(), 2u);
    EXPECT_GT(extents[0], 10);
    EXPECT_EQ(extents[1], 2 * extents[0]);
    SIZEL size;
    ASSERT_TRUE(dc.GetTextExtentPoint(text, 2, size));
    EXPECT_EQ(size.cx, extents[1]);
    // The height is the cell (usWinAscent + usWinDescent = 1854 + 434 of 2048 units), not the em.
    EXPECT_EQ(size.cy, 112);
}

TEST(AnsiCodePage, WidensWindows1252) {
    const uint8_t bytes[] = {'a', 0x80, 0x93, 0xE9, 0x81};
    std::u16string w = WidenAnsi(bytes, sizeof bytes);
    EXPECT_EQ(w, (std::u16string{u'a', u'\u20AC', u'\u201C', u'\u00E9', char16_t(0x81)}));
}

}  // namespace
}  // namespace slidemill

// The renderer against the recording page writer: exact call sequences for state,
// mapping, shapes and clipping.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "metafile/ByteReader.h"
#include "platform/gdi/PlaybackContext.h"
#include "render/EmfRenderer.h"
#include "render/SharedFontCollection.h"
#include "tests/support/RecordingPageWriter.h"

namespace slidemill {
namespace {

using Calls = std::vector<std::string>;

// Point arrays as a record holds them.
struct Points {
    std::vector<uint8_t> bytes;
    int32_t count = 0;
    static Points L(std::initializer_list<std::pair<int32_t, int32_t>> pts) {
        ByteWriter w;
        for (auto [x, y] : pts) w.I32(x), w.I32(y);
        return {w.Take(), int32_t(pts.size())};
    }
    static Points S(std::initializer_list<std::pair<int16_t, int16_t>> pts) {
        ByteWriter w;
        for (auto [x, y] : pts) w.I16(x), w.I16(y);
        return {w.Take(), int32_t(pts.size())};
    }
    PointsL AsL() const { return PointsL(bytes); }
    PointsS AsS() const { return PointsS(bytes); }
};

struct Counts {
    std::vector<uint8_t> bytes;
    explicit Counts(std::initializer_list<uint32_t> c) {
        ByteWriter w;
        for (uint32_t v : c) w.U32(v);
        bytes = w.Take();
    }
    U32Array View() const { return U32Array(bytes); }
};

// A surface that logs its rectangle fills.
class LoggingSurface : public CRasterSurface {
public:
    explicit LoggingSurface(Calls* log) : log_(log) {}
    void FillRectangle(const RasterBrush&, const RectF& r) override {
        log_->push_back("Fill " + N(r.x) + " " + N(r.y) + " " + N(r.w) + " " + N(r.h));
    }
    static std::string N(float v) { return testing::RecordingPageWriter::Num(v); }

private:
    Calls* log_;
};

class TestRenderer : public CEmfRenderer {
public:
    Calls surfaceLog;
    bool AttachSurface(PlaybackContext* dc) override {
        if (!dc) return false;
        SetSurface(std::make_unique<LoggingSurface>(&surfaceLog));
        return true;
    }
};

struct Fixture {
    PlaybackContext dc;
    testing::RecordingPageWriter writer;
    TestRenderer r;

    explicit Fixture(double scale = 1.0) {
        writer.geometry.pageWidth = 720;
        writer.geometry.pageHeight = 540;
        writer.geometry.playWidth = 720;
        writer.geometry.offX = 0;
        writer.geometry.offY = 0;
        writer.geometry.scale = scale;
        r.Link(&writer, true, scale);
        EXPECT_EQ(r.OnBegin(&dc, &dc), 1);
        writer.calls.clear();
    }
    GdiHandle Pen(uint32_t style, int32_t width, COLORREF c) { return dc.CreatePen({style, {width, 0}, c}); }
    GdiHandle Brush(uint32_t style, COLORREF c, uint32_t hatch = 0) { return dc.CreateBrushIndirect({style, c, hatch}); }
    Calls Take() {
        Calls c = std::move(writer.calls);
        writer.calls.clear();
        return c;
    }
};

// ---- record tracking ---------------------------------------------------------------------

TEST(RendererFrame, IntersectClipThenPolylines16AreBracketed) {
    Fixture f(0.5);
    f.r.OnRecord(30);
    f.r.OnIntersectClipRect({10, 20, 110, 70});
    auto line = Points::S({{0, 0}, {2, 2}});
    for (int i = 0; i < 3; ++i) {
        f.r.OnRecord(87);
        f.r.OnPolyline16(line.AsS(), line.count);
    }
    f.r.OnRecord(43);
    f.r.OnRectangle({0, 0, 2, 2});
    Calls expected = {"SaveState", "SetClipRect 5 505 50 25", "DrawLine 0 0 1 1", "DrawLine 0 0 1 1",
                      "DrawLine 0 0 1 1", "RestoreState", "FillPolygon 4: 0,0 1,0 1,1 0,1",
                      "DrawPolyline 5: 0,0 1,0 1,1 0,1 0,0"};
    EXPECT_EQ(f.Take(), expected);
}

// The bracket's clip follows the window origin as the lines inside it do.
TEST(RendererFrame, IntersectClipBracketFollowsTheWindowOrigin) {
    Fixture f;
    f.r.OnSetWindowOrg(-100, -50);
    f.r.OnRecord(30);
    f.r.OnIntersectClipRect({-90, -30, 10, 20});
    auto line = Points::S({{-90, -30}, {10, 20}});
    f.r.OnRecord(87);
    f.r.OnPolyline16(line.AsS(), line.count);
    f.r.OnRecord(43);
    EXPECT_EQ(f.Take(), (Calls{"SaveState", "SetClipRect 10 470 100 50", "DrawLine 10 20 110 70", "RestoreState"}));
}

TEST(RendererFrame, IntersectClipThenOtherRecordsOpenNoBracket) {
    Fixture f;
    f.r.OnRecord(30);
    f.r.OnIntersectClipRect({0, 0, 5, 5});
    f.r.OnRecord(4);  // 32-bit polyline
    f.r.OnRecord(87);
    EXPECT_TRUE(f.Take().empty());
    EXPECT_FALSE(f.r.ClipBracketOpen());
}

TEST(RendererFrame, RepeatedTypeKeepsThePreviousType) {
    Fixture f;
    f.r.OnRecord(18);
    f.r.OnRecord(19);
    f.r.OnRecord(19);
    EXPECT_EQ(f.r.PreviousRecordType(), 18);
    EXPECT_EQ(f.r.CurrentRecordType(), 19);
}

TEST(RendererFrame, EmptyClipBoxGivesTheWideBounds) {
    PlaybackContext dc;
    RECTL empty{};
    dc.SetClipBoxOverride(&empty);
    CEmfRenderer r;
    ASSERT_EQ(r.OnBegin(&dc, &dc), 1);
    EXPECT_EQ(r.ClipBounds(), (RECTL{-32767, -32767, 32767, 32767}));
}

TEST(RendererFrame, SharedFontCollectionIsCountedByRenderers) {
    while (SharedFontCollectionCount() > 0) ReleaseSharedFontCollection();
    {
        CEmfRenderer a;
        EXPECT_EQ(SharedFontCollectionCount(), 2);  // the creation reference and a's
        RasterFontCollection* collection = SharedFontCollection();
        {
            CEmfRenderer b;
            EXPECT_EQ(SharedFontCollectionCount(), 3);
            EXPECT_EQ(SharedFontCollection(), collection);
        }
        ReleaseSharedFontCollection();  // what the job does before a slide is loaded
        EXPECT_EQ(SharedFontCollectionCount(), 1);
    }
    EXPECT_EQ(SharedFontCollection(), nullptr);
}

// ---- graphics state ----------------------------------------------------------------------

TEST(RendererState, SnapshotSelectsTheContextObjectsAndTellsTheWriter) {
    PlaybackContext dc;
    testing::RecordingPageWriter writer;
    CEmfRenderer r;
    r.Link(&writer, true, 1.0);
    r.OnBegin(&dc, &dc);
    // The stock font is selected too: the writer has no "System" face and falls back to Arial.
    EXPECT_EQ(writer.calls, (Calls{"SetPenColor 0x000000", "SetPenWidth 0", "SetBrushColor 0xffffff",
                                   "SetFont System 1 0", "SetFont Arial 1 0"}));
    EXPECT_TRUE(r.HasPen());
    EXPECT_TRUE(r.HasBrush());
    EXPECT_EQ(r.MapMode(), 1);
}

TEST(RendererState, RestoreByRelativeIndex) {
    for (int32_t index : {-1, -2}) {
        SCOPED_TRACE(index);
        Fixture f;
        f.r.OnSetBkMode(1);
        f.r.OnSaveDC();  // entry 0: transparent
        f.r.OnSetBkMode(2);
        f.r.OnSetPolyFillMode(2);
        f.r.OnSaveDC();  // entry 1: opaque, winding
        f.r.OnSetPolyFillMode(1);
        f.r.OnSetBkMode(1);
        f.r.OnRestoreDC(index);
        EXPECT_EQ(f.Take(), (Calls{"SaveState", "SaveState", "RestoreState"}));
        EXPECT_EQ(f.r.SaveDepth(), index == -1 ? 1u : 0u);
        EXPECT_EQ(f.r.QueryBkMode(), index == -1 ? 2 : 1);
        EXPECT_EQ(f.r.PolyFillMode(), index == -1 ? 2 : 1);
    }
}

TEST(RendererState, RestoreOutsideTheStackOnlyRestoresTheWriter) {
    Fixture f;
    f.r.OnSetBkMode(1);
    f.r.OnRestoreDC(-1);
    f.r.OnSaveDC();
    f.r.OnRestoreDC(5);
    EXPECT_EQ(f.Take(), (Calls{"RestoreState", "SaveState", "RestoreState"}));
    EXPECT_EQ(f.r.QueryBkMode(), 1);
    EXPECT_EQ(f.r.SaveDepth(), 1u);
}

TEST(RendererState, RestoredPenGoesBackToTheWriter) {
    Fixture f;
    f.r.OnSelectPen(f.Pen(pen::kSolid, 3, 0x0000FF));
    f.r.OnSaveDC();
    f.r.OnSelectPen(f.Pen(pen::kDash, 7, 0x00FF00));
    f.r.OnRestoreDC(-1);
    EXPECT_EQ(f.Take(), (Calls{"SetPenColor 0x0000ff", "SetPenWidth 3", "SaveState", "SetPenColor 0x00ff00",
                               "SetPenWidth 7", "RestoreState", "SetPenColor 0x0000ff", "SetPenWidth 3"}));
    ASSERT_TRUE(f.r.CurrentPen());
    EXPECT_EQ(f.r.CurrentPen()->width, 3.0f);
    EXPECT_EQ(f.r.PenColor(), 0x0000FFu);
    EXPECT_EQ(f.r.PenWidth(), 3);
}

// LibreOffice's slide pictures: a shape's fill brush is saved, a black brush and a hollow
// one are selected (and deleted) for its outline, and the fill after RestoreDC must be in
// the saved brush's colour. A restore that changes nothing sends nothing.
TEST(RendererState, RestoredBrushFillsInItsOwnColour) {
    Fixture f;
    GdiHandle white = f.Brush(brush::kSolid, 0xFFFFFF);
    f.r.OnSelectBrush(white);
    f.r.OnSaveDC();
    GdiHandle black = f.Brush(brush::kSolid, 0x000000);
    f.r.OnSelectBrush(black);
    EXPECT_TRUE(f.dc.DeleteObject(white));
    f.r.OnSelectBrush(f.dc.GetStockObject(stock::kNullBrush));
    f.r.OnRestoreDC(-1);
    auto square = Points::L({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    f.r.OnPolygon(square.AsL(), square.count);
    f.r.OnSaveDC();
    f.r.OnRestoreDC(-1);
    EXPECT_EQ(f.Take(), (Calls{"SetBrushColor 0xffffff", "SaveState", "SetBrushColor 0x000000", "RestoreState",
                               "SetBrushColor 0xffffff", "DrawPolyline 5: 0,0 10,0 10,10 0,10 0,0",
                               "FillPolygon 5: 0,0 10,0 10,10 0,10 0,0", "SaveState",
                               "RestoreState"}));
    EXPECT_EQ(f.r.BrushColor(), 0xFFFFFFu);
}

TEST(RendererState, HatchedBrushFillsInTheLastSolidColour) {
    Fixture f;
    f.r.OnSelectBrush(f.Brush(brush::kSolid, 0x123456));
    f.r.OnSelectBrush(f.Brush(brush::kHatched, 0x00FF00, 3));
    f.r.OnSelectPen(f.dc.GetStockObject(stock::kNullPen));
    f.writer.calls.clear();
    auto tri = Points::L({{0, 0}, {10, 0}, {10, 10}});
    f.r.OnPolygon(tri.AsL(), tri.count);
    EXPECT_EQ(f.Take(), (Calls{"FillPolygon 4: 0,0 10,0 10,10 0,0"}));
    EXPECT_EQ(f.r.BrushColor(), 0x123456u);
}

TEST(RendererState, ColoursLoseTheirTopByte) {
    Fixture f;
    f.r.OnSelectPen(f.Pen(pen::kSolid, 1, 0x02FF0000));
    f.r.OnSetTextColor(0x01000080);
    EXPECT_EQ(f.Take(), (Calls{"SetPenColor 0xff0000", "SetPenWidth 1"}));
    EXPECT_EQ(f.writer.geometry.textColor, 0x80u);
}

TEST(RendererState, NullPenAndHollowBrushStillTellTheWriterAboutPens) {
    Fixture f;
    f.r.OnSelectPen(f.Pen(pen::kNull, 4, 0x00FF00));
    f.r.OnSelectBrush(f.Brush(brush::kNull, 0x00FF00));
    f.r.OnSelectPen(9999);  // unreadable: no pen, no call
    EXPECT_EQ(f.Take(), (Calls{"SetPenColor 0x00ff00", "SetPenWidth 4"}));
    EXPECT_FALSE(f.r.HasPen());
    EXPECT_FALSE(f.r.HasBrush());
}

TEST(RendererState, UserStyledExtPenDashes) {
    Fixture f;
    EXTLOGPEN ep;
    ep.elpPenStyle = pen::kUserStyle | pen::kGeometric;
    ep.elpWidth = 0;
    ep.elpStyleEntry = {3, 1};
    f.r.OnSelectExtPen(f.dc.CreateExtPen(ep));
    ASSERT_TRUE(f.r.CurrentPen());
    EXPECT_EQ(f.r.CurrentPen()->dash, DashStyle::Custom);
    EXPECT_EQ(f.r.CurrentPen()->dashes, (std::vector<float>{3.0f, 1.0f}));
    EXPECT_TRUE(f.Take().empty());  // extended pens never reach the writer
}

TEST(RendererState, MoveToAfterEndPathDiscardsThePath) {
    Fixture f;
    f.r.OnBeginPath();
    auto pts = Points::L({{5, 5}});
    f.r.OnPolylineTo(pts.AsL(), pts.count);
    f.r.OnEndPath();
    f.r.OnMoveTo({1, 1});
    EXPECT_FALSE(f.r.HasPath());
    f.r.OnUsePath(2, 5);  // nothing to fill
    EXPECT_TRUE(f.Take().empty());
}

TEST(RendererState, MapColorFollowsTheRenderOptions) {
    struct Case {
        uint32_t white;
        int32_t mode;
        int32_t invert;
        COLORREF in, out;
    } cases[] = {
        {0xFFFFFF, 2, 0, 0x02123456, 0x123456},  // the defaults: only the top byte goes
        {0x00EEEE, 2, 0, 0xFFFFFF, 0x00EEEE},    // white replaced
        {0x00EEEE, 0, 0, 0xFFFFFF, 0xFFFFFF},    // replacement off
        {0x00EEEE, 2, 1, 0xFFFFFF, 0xFF1111},    // replaced, then inverted
        {0xFFFFFF, 2, 1, 0x000000, 0xFFFFFF},    // inverted
    };
    for (const Case& c : cases) {
        CEmfRenderer r;
        RenderOptions o;
        o.whiteReplacement = c.white;
        o.colorMode = c.mode;
        o.invertColors = c.invert;
        r.SetRenderOptions(o);
        EXPECT_EQ(r.MapColor(c.in), c.out) << std::hex << c.in;
    }
}

TEST(RendererState, ADeletedBrushStaysCurrentUntilReplaced) {
    Fixture f;
    GdiHandle b = f.Brush(brush::kSolid, 0x0000FF);
    f.r.OnSelectBrush(b);
    f.r.OnSaveDC();
    EXPECT_TRUE(f.dc.DeleteObject(b));
    EXPECT_EQ(f.dc.GetObjectType(b), GdiObjectKind::None);
    f.r.OnSelectBrush(f.dc.GetStockObject(stock::kNullBrush));
    EXPECT_FALSE(f.r.HasBrush());
    f.r.OnRestoreDC(-1);  // the saved state still holds the deleted brush
    ASSERT_TRUE(f.r.HasBrush());
    EXPECT_EQ(f.r.CurrentBrush()->foreground, 0xFFFF0000u);
}

// ---- mapping -----------------------------------------------------------------------------

TEST(RendererMapping, WithoutWindowExtentOneUnitIsOnePoint) {
    Fixture f;
    auto pts = Points::L({{0, 0}, {100, 50}});
    f.r.OnPolyline(pts.AsL(), pts.count);
    EXPECT_EQ(f.Take(), (Calls{"DrawLine 0 0 100 50"}));  // the writer flips to 490
}

TEST(RendererMapping, WindowExtentSetsScaleAndClipsThePlayArea) {
    Fixture f;
    f.r.OnSetWindowExt(900, 675);
    auto pts = Points::L({{0, 0}, {100, 200}});
    f.r.OnPolyline(pts.AsL(), pts.count);
    EXPECT_EQ(f.Take(), (Calls{"ClipToPlayArea", "DrawLine 0 0 80 160"}));
    EXPECT_DOUBLE_EQ(f.writer.geometry.scale, 0.8);
    EXPECT_DOUBLE_EQ(f.writer.geometry.playHeight, 540);
}

TEST(RendererMapping, ScreenSizedExtentLeavesThePdfMapping) {
    Fixture f;
    f.r.OnSetMapMode(8);
    f.r.OnSetWindowExt(1920, 1080);
    EXPECT_TRUE(f.Take().empty());
    EXPECT_DOUBLE_EQ(f.r.PdfScale(), 1.0);
    EXPECT_EQ(f.r.WindowExt().cx, 1920);
}

TEST(RendererMapping, OffsetIsTruncatedInLogicalUnits) {
    Fixture f;
    f.writer.geometry.x0 = 10;
    f.writer.geometry.playWidth = 0.3 * 1000;
    f.r.OnSetWindowExt(1000, 1000);
    EXPECT_EQ(f.writer.geometry.offX, 33);
    auto pts = Points::L({{0, 0}, {0, 0}});
    f.writer.calls.clear();
    f.r.OnPolyline(pts.AsL(), pts.count);
    char expected[64];
    std::snprintf(expected, sizeof expected, "DrawLine %g 0 %g 0", double(float(33 * 0.3)), double(float(33 * 0.3)));
    EXPECT_EQ(f.Take(), (Calls{expected}));
}

// A picture whose window starts at a negative origin (a placeable bounding box such as
// (-70, -2892) - (2162, -921)) lands on the page from its window's corner, not off it.
TEST(RendererMapping, WindowOriginShiftsThePdfMapping) {
    Fixture f;
    f.r.OnSetMapMode(8);
    f.r.OnSetWindowOrg(-70, -2892);
    f.r.OnSetWindowExt(2232, 1971);
    auto pts = Points::L({{-70, -2892}, {2162, -921}});
    f.r.OnPolyline(pts.AsL(), pts.count);
    const Calls calls = f.Take();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "ClipToPlayArea");
    EXPECT_EQ(calls[1].rfind("DrawLine 0 0 720 ", 0), 0u) << calls[1];
    // The play area clip stays the area on the page: it was taken before the origin entered.
    EXPECT_EQ(f.writer.geometry.offX, 70);
    EXPECT_EQ(f.writer.geometry.offY, 2892);
}

TEST(RendererMapping, WindowOriginFollowsOrderScalingAndRestore) {
    Fixture f;
    f.r.OnSetWindowExt(720, 540);  // s = 1
    f.r.OnSetWindowOrg(100, 50);
    auto pts = Points::L({{100, 50}, {200, 150}});
    f.Take();
    f.r.OnPolyline(pts.AsL(), pts.count);
    EXPECT_EQ(f.Take(), (Calls{"DrawLine 0 0 100 100"}));

    f.r.OnSaveDC();
    f.r.OnSetWindowOrg(0, 0);
    f.r.OnPolyline(pts.AsL(), pts.count);
    f.r.OnRestoreDC(-1);
    f.r.OnPolyline(pts.AsL(), pts.count);
    Calls calls = f.Take();
    calls.erase(std::remove_if(calls.begin(), calls.end(),
                               [](const std::string& c) { return c.rfind("DrawLine", 0) != 0; }),
                calls.end());
    EXPECT_EQ(calls, (Calls{"DrawLine 100 50 200 150", "DrawLine 0 0 100 100"}));

    f.r.OnScaleWindowExt(1, 2, 1, 2);  // the origin is halved with the window
    f.r.OnPolyline(pts.AsL(), pts.count);
    EXPECT_EQ(f.Take(), (Calls{"DrawLine 50 25 150 125"}));
}

TEST(RendererMapping, ZeroWidthExtentLeavesTheScale) {
    Fixture f;
    f.r.OnSetWindowExt(0, 100);
    EXPECT_TRUE(f.Take().empty());
    EXPECT_DOUBLE_EQ(f.r.PdfScale(), 1.0);
}

TEST(RendererMapping, MapModesAndExtentScaling) {
    Fixture f;
    f.r.OnSetMapMode(8);
    f.r.OnSetWindowExt(200, 100);
    f.r.OnSetViewportExt(50, 25);
    f.r.OnSetMapMode(8);  // anisotropic again: nothing changes
    EXPECT_EQ(f.r.WindowExt().cx, 200);
    EXPECT_EQ(f.r.ViewportExt().cy, 25);
    f.r.OnSetMapMode(1);
    EXPECT_EQ(f.r.WindowExt().cx, 1);
    EXPECT_EQ(f.r.ViewportExt().cy, 1);
    f.r.OnSetWindowOrg(10, 20);
    f.r.OnScaleWindowExt(1, 2, 1, 2);
    EXPECT_EQ(f.r.WindowOrg().x, 5);
    EXPECT_EQ(f.r.WindowOrg().y, 10);
    EXPECT_EQ(f.r.WindowExt().cx, 1);
    f.r.OnSetMapMode(2);  // low metric on the reference display
    EXPECT_EQ(f.r.WindowExt().cx, 508);
    EXPECT_EQ(f.r.ViewportExt().cy, -108);
}

// ---- shapes ------------------------------------------------------------------------------

TEST(RendererShapes, LinesAndCurrentPosition) {
    Fixture f;
    auto p16 = Points::S({{10, 10}, {20, 10}, {20, 20}});
    f.r.OnPolyline16(p16.AsS(), p16.count);
    EXPECT_EQ(f.Take(), (Calls{"DrawLine 10 10 20 10", "DrawLine 20 10 20 20"}));
    EXPECT_EQ(f.r.CurrentPosition(), (POINTL{20, 20}));

    f.r.OnMoveTo({5, 5});
    auto bez = Points::L({{7, 7}, {8, 8}, {9, 9}});
    f.r.OnPolyBezierTo(bez.AsL(), bez.count);  // a flattened curve that ends at its last point
    auto to = Points::L({{15, 5}});
    f.r.OnPolylineTo(to.AsL(), to.count);
    const Calls drawn = f.Take();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].rfind("DrawPolyline 17: 5,5 ", 0), 0u) << drawn[0];
    EXPECT_EQ(drawn[1], "DrawLine 9 9 15 5");

    auto one = Points::L({{30, 30}});
    f.r.OnPolyline(one.AsL(), one.count);  // one point: from the current position
    auto none = Points::L({});
    f.r.OnPolyline(none.AsL(), 0);
    EXPECT_EQ(f.Take(), (Calls{"DrawLine 15 5 30 30"}));
    EXPECT_EQ(f.r.CurrentPosition(), (POINTL{30, 30}));
}

TEST(RendererShapes, Polygons) {
    struct Case {
        Points pts;
        Calls expected;
    } cases[] = {
        {Points::L({{0, 0}, {10, 0}, {10, 10}}),
         {"DrawPolyline 4: 0,0 10,0 10,10 0,0", "FillPolygon 4: 0,0 10,0 10,10 0,0"}},
        {Points::L({{0, 0}, {10, 0}, {0, 10}, {0, 0}}),
         {"DrawPolyline 4: 0,0 10,0 0,10 0,0", "FillPolygon 4: 0,0 10,0 0,10 0,0"}},
        {Points::L({{0, 0}, {10, 0}, {0, 10}, {0, 5}}),
         {"DrawPolyline 5: 0,0 10,0 0,10 0,5 0,0", "FillPolygon 5: 0,0 10,0 0,10 0,5 0,0"}},
    };
    for (auto& c : cases) {
        Fixture f;
        f.r.OnSelectBrush(f.Brush(brush::kSolid, 0x0000FF));
        f.writer.calls.clear();
        f.r.OnPolygon(c.pts.AsL(), c.pts.count);
        EXPECT_EQ(f.Take(), c.expected);
        EXPECT_EQ(f.r.CurrentPosition(), c.pts.AsL()[size_t(c.pts.count) - 1]);
    }
}

TEST(RendererShapes, RectangleIsNormalised) {
    Fixture f;
    f.r.OnRectangle({10, 20, 0, 0});
    EXPECT_EQ(f.Take(), (Calls{"FillPolygon 4: 0,0 10,0 10,20 0,20", "DrawPolyline 5: 0,0 10,0 10,20 0,20 0,0"}));
    EXPECT_EQ(f.r.CurrentPosition(), (POINTL{0, 0}));
}

TEST(RendererShapes, PolyPolygonInAlternateModeIsOneBridgedGroup) {
    Fixture f;
    f.r.OnSelectPen(f.dc.GetStockObject(stock::kNullPen));
    f.writer.calls.clear();
    auto pts = Points::S({{0, 0}, {100, 0}, {100, 100}, {0, 100}, {25, 25}, {75, 25}, {75, 75}, {25, 75}});
    Counts counts{4, 4};
    f.r.OnPolyPolygon16(pts.AsS(), 8, counts.View(), 2);
    EXPECT_EQ(f.Take(), (Calls{"FillPolygon 11: 0,0 100,0 100,100 0,100 0,0 0,0 25,25 75,25 75,75 25,75 25,25"}));
    EXPECT_EQ(f.r.CurrentPosition(), (POINTL{25, 75}));
}

TEST(RendererShapes, PolyPolygonInWindingModeFillsEachThenOutlinesEach) {
    Fixture f;
    f.r.OnSetPolyFillMode(2);
    auto pts = Points::S({{0, 0}, {100, 0}, {100, 100}, {0, 100}, {25, 25}, {75, 25}, {75, 75}, {25, 75}});
    Counts counts{4, 4};
    f.r.OnPolyPolygon16(pts.AsS(), 8, counts.View(), 2);
    EXPECT_EQ(f.Take(), (Calls{"FillPolygon 4: 0,0 100,0 100,100 0,100", "FillPolygon 4: 25,25 75,25 75,75 25,75",
                               "DrawPolyline 4: 0,0 100,0 100,100 0,100", "DrawPolyline 4: 25,25 75,25 75,75 25,75"}));
}

TEST(RendererShapes, PolyPolygonGroupsSplitWhereBoxesDoNotOverlap) {
    Fixture f;
    f.r.OnSelectPen(f.dc.GetStockObject(stock::kNullPen));
    f.writer.calls.clear();
    // A flat polygon (zero height) overlaps nothing: it closes the first group and heads
    // the next one, which the far square then joins.
    auto pts = Points::S({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {50, 5}, {60, 5}, {100, 100}, {110, 100}, {110, 110}});
    Counts counts{4, 2, 3};
    f.r.OnPolyPolygon16(pts.AsS(), 9, counts.View(), 3);
    EXPECT_EQ(f.Take(), (Calls{"FillPolygon 5: 0,0 10,0 10,10 0,10 0,0",
                               "FillPolygon 8: 50,5 60,5 50,5 50,5 100,100 110,100 110,110 100,100"}));
}

TEST(RendererShapes, PolyPolygonPointsAreTruncated) {
    Fixture f;
    f.r.OnSetWindowExt(900, 675);  // s = 0.8
    f.r.OnSetPolyFillMode(2);
    f.r.OnSelectPen(f.dc.GetStockObject(stock::kNullPen));
    f.writer.calls.clear();
    auto pts = Points::L({{100, 1}, {1, 100}, {100, 100}});
    Counts counts{3};
    f.r.OnPolyPolygon(pts.AsL(), 3, counts.View(), 1);
    EXPECT_EQ(f.Take(), (Calls{"FillPolygon 3: 80,0 0,80 80,80"}));
}

TEST(RendererShapes, InsideAPathPolylinesDrawButPolylineTosDoNot) {
    Fixture f;
    f.r.OnBeginPath();
    auto pts = Points::L({{1, 1}, {2, 2}});
    f.r.OnPolyline(pts.AsL(), pts.count);
    f.r.OnPolylineTo(pts.AsL(), pts.count);
    f.r.OnRectangle({0, 0, 5, 5});
    f.r.OnEndPath();
    f.r.OnUsePath(3, 5);
    // The path itself is then filled and stroked: its open figure, then the rectangle.
    EXPECT_EQ(f.Take(), (Calls{"DrawLine 1 1 2 2", "FillPolygon 10: 2,2 1,1 2,2 2,2 0,0 5,0 5,5 0,5 0,0 2,2",
                               "DrawPolyline 3: 2,2 1,1 2,2", "DrawPolyline 5: 0,0 5,0 5,5 0,5 0,0"}));
    EXPECT_FALSE(f.r.HasPath());
}

TEST(RendererShapes, PatternFillWithHatchBrushUsesTheSolidColour) {
    Fixture f;
    f.r.OnSelectBrush(f.Brush(brush::kSolid, 0x00AA00));
    f.r.OnSelectBrush(f.Brush(brush::kHatched, 0xFF0000, 1));
    f.writer.calls.clear();
    f.r.OnPatBlt({10, 10, 20, 30}, 0x00F00021, nullptr);
    f.r.OnPatBlt({10, 10, 20, 30}, 0x00CC0020, nullptr);
    EXPECT_EQ(f.Take(), (Calls{"FillPolygon 4: 10,10 20,10 20,30 10,30"}));
}

// The point list of a recorded "DrawPolyline n: x,y ..." or "FillPolygon n: ..." call.
std::vector<std::pair<double, double>> CallPoints(const std::string& call) {
    std::vector<std::pair<double, double>> pts;
    const size_t colon = call.find(':');
    if (colon == std::string::npos) return pts;
    std::istringstream in(call.substr(colon + 1));
    std::string pair;
    while (in >> pair) {
        const size_t comma = pair.find(',');
        pts.push_back({std::stod(pair.substr(0, comma)), std::stod(pair.substr(comma + 1))});
    }
    return pts;
}

// Ellipses, rounded rectangles, chords, pies and arcs reach the page as flattened
// figures: filled with the brush when they are closed, outlined with the pen, every point
// inside the shape's box; none of them moves the current position.
TEST(RendererShapes, ArcShapesReachThePageAsFlattenedFigures) {
    struct Case {
        const char* what;
        std::function<void(CEmfRenderer&)> draw;
        bool filled;
    } cases[] = {
        {"ellipse", [](CEmfRenderer& r) { r.OnEllipse({100, 200, 300, 300}); }, true},
        {"round rect", [](CEmfRenderer& r) { r.OnRoundRect({100, 200, 300, 300}, 40, 40); }, true},
        {"chord", [](CEmfRenderer& r) { r.OnChord({100, 200, 300, 300}, {300, 250}, {100, 250}); }, true},
        {"pie", [](CEmfRenderer& r) { r.OnPie({100, 200, 300, 300}, {300, 250}, {100, 250}); }, true},
        {"arc", [](CEmfRenderer& r) { r.OnArc({100, 200, 300, 300}, {300, 250}, {100, 250}); }, false},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.r.OnMoveTo({7, 7});
        f.Take();
        c.draw(f.r);
        const Calls calls = f.Take();
        ASSERT_EQ(calls.size(), c.filled ? 2u : 1u) << c.what;
        EXPECT_EQ(calls[0].rfind(c.filled ? "FillPolygon" : "DrawPolyline", 0), 0u) << c.what;
        EXPECT_EQ(calls.back().rfind("DrawPolyline", 0), 0u) << c.what;
        for (const std::string& call : calls) {
            const auto pts = CallPoints(call);
            EXPECT_GE(pts.size(), 16u) << c.what;
            for (auto [x, y] : pts) {
                EXPECT_TRUE(x >= 99.9 && x <= 300.1 && y >= 199.9 && y <= 300.1) << c.what << " " << x << "," << y;
            }
            if (c.filled) {
                EXPECT_EQ(pts.front(), pts.back()) << c.what;  // closed
            }
        }
        EXPECT_EQ(f.r.CurrentPosition(), (POINTL{7, 7})) << c.what;
    }
}

// Paths built from lines and Bezier curves are filled and stroked on the page; a curve
// outside a path is a pen polyline, and the "To" form moves the current position.
TEST(RendererShapes, BezierPathsAreFilledAndStrokedOnThePage) {
    Fixture f;
    f.r.OnBeginPath();
    f.r.OnMoveTo({0, 0});
    auto curve = Points::S({{0, 100}, {100, 100}, {100, 0}});
    f.r.OnPolyBezierTo16(curve.AsS(), curve.count);
    f.r.OnCloseFigure();
    f.r.OnMoveTo({40, 20});  // a second figure: a small triangle inside
    auto tri = Points::S({{60, 20}, {50, 40}});
    f.r.OnPolylineTo16(tri.AsS(), tri.count);
    f.r.OnEndPath();
    f.Take();
    f.r.OnUsePath(3, 5);  // stroke and fill
    const Calls calls = f.Take();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].rfind("FillPolygon", 0), 0u);
    const auto fill = CallPoints(calls[0]);
    // 17 curve points closed, then the triangle closed and bridged back to the start.
    EXPECT_EQ(fill.size(), 18u + 4u + 1u);
    EXPECT_EQ(fill.front(), (std::pair<double, double>{0, 0}));
    EXPECT_EQ(fill.back(), (std::pair<double, double>{0, 0}));
    for (auto [x, y] : fill) EXPECT_TRUE(x >= 0 && x <= 100 && y >= 0 && y <= 100) << x << "," << y;
    EXPECT_EQ(calls[1].rfind("DrawPolyline 18:", 0), 0u) << calls[1];
    EXPECT_EQ(calls[2], "DrawPolyline 3: 40,20 60,20 50,40");  // left open
    EXPECT_EQ(f.r.CurrentPosition(), (POINTL{50, 40}));

    Fixture g;
    g.r.OnMoveTo({5, 5});
    auto open = Points::L({{0, 0}, {0, 100}, {100, 100}, {100, 0}, {1, 2}});  // one segment, a short tail
    g.Take();
    g.r.OnPolyBezier(open.AsL(), open.count);
    const Calls line = g.Take();
    ASSERT_EQ(line.size(), 1u);
    EXPECT_EQ(line[0].rfind("DrawPolyline 17: 0,0 ", 0), 0u) << line[0];
    EXPECT_NE(line[0].find(" 100,0"), std::string::npos) << line[0];
    EXPECT_EQ(g.r.CurrentPosition(), (POINTL{5, 5}));
}

TEST(RendererShapes, ArcShapesWithoutPenOrBrushOrInsideAPath) {
    Fixture f;
    f.r.OnSelectPen(f.Pen(pen::kNull, 1, 0));
    f.r.OnSelectBrush(f.Brush(brush::kNull, 0));
    f.Take();
    f.r.OnEllipse({0, 0, 10, 10});
    f.r.OnArc({0, 0, 10, 10}, {10, 5}, {0, 5});
    EXPECT_TRUE(f.Take().empty());

    Fixture g;
    g.r.OnBeginPath();
    g.Take();
    g.r.OnEllipse({0, 0, 10, 10});
    g.r.OnPie({0, 0, 10, 10}, {10, 5}, {0, 5});
    EXPECT_TRUE(g.Take().empty());  // added to the path only

    Fixture h;
    h.r.OnMoveTo({0, 0});
    h.r.OnAngleArc({100, 100}, 10, 0.0f, 90.0f);
    // cos(-90 degrees) with pi as 3.1415927 is a hair below 0: x truncates to 99.
    EXPECT_EQ(h.r.CurrentPosition(), (POINTL{99, 90}));
}

// ---- clipping ----------------------------------------------------------------------------

TEST(RendererClip, ExcludeAndRegionsNeverReachThePage) {
    Fixture f;
    f.r.OnExcludeClipRect({0, 0, 10, 10});
    f.r.OnOffsetClipRgn({3, 3});
    f.r.OnSetMetaRgn();
    f.r.OnExtSelectClipRgn({}, 0, 1);
    EXPECT_TRUE(f.Take().empty());
}

TEST(RendererClip, SelectingAnEmptyRegionResetsToTheBounds) {
    Fixture f;
    const CRasterSurface* s = f.r.QueryGraphics();
    f.r.OnIntersectClipRect({0, 0, 10, 10});
    f.r.OnExtSelectClipRgn({}, 0, 1);
    RectF b = s->Clip().Bounds();
    RECTL cb = f.r.ClipBounds();
    EXPECT_EQ(b.x, float(cb.left));
    EXPECT_EQ(b.w, float(cb.right - cb.left));
}

TEST(RendererClip, CopyModePathClipIsIntersectedWithTheBounds) {
    PlaybackContext dc;
    RECTL box{0, 0, 50, 50};
    dc.SetClipBoxOverride(&box);
    CEmfRenderer r;
    ASSERT_EQ(r.OnBegin(&dc, &dc), 1);
    r.OnBeginPath();
    r.OnRectangle({20, 20, 100, 100});
    r.OnEndPath();
    r.OnUsePath(16, 5);
    RectF b = r.QueryGraphics()->Clip().Bounds();
    EXPECT_EQ(b.x, 20);
    EXPECT_EQ(b.y, 20);
    EXPECT_EQ(b.w, 30);
    EXPECT_EQ(b.h, 30);
    EXPECT_FALSE(r.HasPath());
}

TEST(RendererClip, FrameRegionPaintsFourBands) {
    Fixture f;
    ByteWriter w;
    w.U32(32);
    w.U32(1);
    w.U32(1);
    w.U32(16);
    for (int v : {0, 0, 10, 10}) w.I32(v);
    for (int v : {0, 0, 10, 10}) w.I32(v);
    std::vector<uint8_t> region = w.Take();
    f.r.OnFrameRgn(f.Brush(brush::kSolid, 0), 1, 2, region, uint32_t(region.size()));
    EXPECT_EQ(f.r.surfaceLog, (Calls{"Fill -1 0 1 10", "Fill 10 0 1 10", "Fill -1 -2 12 2", "Fill -1 10 12 2"}));
    EXPECT_TRUE(f.Take().empty());
}

}  // namespace
}  // namespace slidemill

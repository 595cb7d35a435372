// The merge of a slide's exported pieces into one clipboard picture, on hand-built
// pieces shaped like the suite's exports (placeable header, window records, an embedded
// "WMFC" copy).

#include <gtest/gtest.h>

#include "platform/automation/PresentationApp.h"
#include "platform/office/SlidePictureMerge.h"
#include "platform/wmf/PlaceableHeader.h"
#include "platform/wmf/WmfRecorder.h"
#include "tests/platform/office/WmfWalk.h"

namespace slidemill {
namespace {

using testing::WalkWmf;

constexpr int32_t kW = 25400;
constexpr int32_t kH = 19050;

std::vector<uint8_t> WithPlaceable(const std::vector<uint8_t>& wmf, int16_t right, int16_t bottom, uint16_t inch) {
    return WithPlaceableHeader(wmf, 0, 0, right, bottom, inch);
}

// An export as the suite writes it: window records with its own extent, a drawing
// record, and the embedded EMF comment.
std::vector<uint8_t> Export(int16_t extX, int16_t extY, uint16_t inch, bool polyline) {
    WmfRecorder r;
    r.SetWindowOrg(0, 0);
    r.SetWindowExt(extX, extY);
    const uint16_t comment[] = {0x000F, 8, 0x4D57, 0x4346, 1, 0};  // MFCOMMENT, 8 bytes, "WMFC", ...
    r.Record(0x0626, comment);
    if (polyline) {
        const WmfPoint pts[] = {{100, 100}, {2000, 100}};
        r.Polyline(pts);
    } else {
        r.Rectangle(0, 0, extX, extY);
    }
    return WithPlaceable(r.Finish(), extX, extY, inch);
}

struct WindowRecords {
    std::vector<std::pair<int16_t, int16_t>> orgs;  // (x, y)
    std::vector<std::pair<int16_t, int16_t>> exts;
};

WindowRecords WindowsOf(const testing::WmfWalk& walk) {
    WindowRecords w;
    for (const auto& r : walk.records) {
        if (r.params.size() < 2) continue;
        if (r.function == wmf::kSetWindowOrg) w.orgs.emplace_back(r.params[1], r.params[0]);
        if (r.function == wmf::kSetWindowExt) w.exts.emplace_back(r.params[1], r.params[0]);
    }
    return w;
}

TEST(SlidePictureMerge, PiecesLandOnThePageWithoutTheirEmbeddedCopies) {
    std::vector<ExportPiece> pieces(2);
    pieces[0].file = Export(kW + 12, kH + 12, 2540, false);
    pieces[1].file = Export(kW + 13, kH + 13, 2540, true);
    pieces[1].collection = true;
    pieces[1].originX = -500;  // a shape sticks out left of the page

    MetafilePicture pic = MergeSlidePieces(pieces, kW, kH);
    EXPECT_EQ(pic.mm, 8);
    EXPECT_EQ(pic.xExt, kW);
    EXPECT_EQ(pic.yExt, kH);
    auto walk = WalkWmf(pic.wmf);
    ASSERT_TRUE(walk.framed) << walk.problem;
    EXPECT_EQ(walk.CountOf(0x0626), 0u);
    EXPECT_EQ(walk.CountOf(wmf::kSaveDC), 2u);
    EXPECT_EQ(walk.CountOf(wmf::kRestoreDC), 2u);
    EXPECT_EQ(walk.CountOf(wmf::kRectangle), 1u);
    EXPECT_EQ(walk.CountOf(wmf::kPolyline), 1u);

    // Every window extent is the page; the collection's origin moves back by the
    // margin and by how far its shapes reach beyond the page's top-left corner.
    WindowRecords win = WindowsOf(walk);
    for (auto ext : win.exts) EXPECT_EQ(ext, std::make_pair(int16_t(kW), int16_t(kH)));
    ASSERT_FALSE(win.orgs.empty());
    EXPECT_EQ(win.orgs.front(), std::make_pair(int16_t(0), int16_t(0)));
    EXPECT_EQ(win.orgs.back(), std::make_pair(int16_t(500 - 13), int16_t(-13)));
}

TEST(SlidePictureMerge, CoarserUnitsForWideSlidesKeepTheExtentInRange) {
    // 13.333 in wide: 33867 hundredths of a millimetre do not fit a 16-bit extent, so
    // the suite writes such slides at 1270 units per inch.
    const int32_t w = 33867, h = 19050;
    std::vector<ExportPiece> pieces(1);
    pieces[0].file = Export(16940, 9531, 1270, false);
    MetafilePicture pic = MergeSlidePieces(pieces, w, h);
    EXPECT_EQ(pic.xExt, w);
    auto walk = WalkWmf(pic.wmf);
    ASSERT_TRUE(walk.framed) << walk.problem;
    for (auto ext : WindowsOf(walk).exts) EXPECT_EQ(ext, std::make_pair(int16_t(16934), int16_t(9525)));
}

TEST(SlidePictureMerge, DamagedPiecesAreLeftOutAndAllDamagedIsAnError) {
    std::vector<uint8_t> good = Export(kW, kH, 2540, false);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> truncated(good.begin(), good.begin() + long(good.size() - 7));
    std::vector<uint8_t> hugeRecord = good;
    hugeRecord[22 + 18] = 0xFF;  // first record claims far more words than there are
    hugeRecord[22 + 19] = 0xFF;
    std::vector<Case> cases = {{"empty", {}},
                               {"only a placeable header", std::vector<uint8_t>(good.begin(), good.begin() + 22)},
                               {"truncated record", truncated},
                               {"record longer than the file", hugeRecord},
                               {"not a metafile", std::vector<uint8_t>(64, 0x41)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ExportPiece> pieces(2);
        pieces[0].file = c.bytes;
        pieces[1].file = good;
        MetafilePicture pic = MergeSlidePieces(pieces, kW, kH);
        auto walk = WalkWmf(pic.wmf);
        EXPECT_TRUE(walk.framed) << walk.problem;
        EXPECT_EQ(walk.CountOf(wmf::kRectangle), 1u);

        std::vector<ExportPiece> bad(1);
        bad[0].file = c.bytes;
        EXPECT_THROW(MergeSlidePieces(bad, kW, kH), AutomationError);
    }
    EXPECT_THROW(MergeSlidePieces({}, kW, kH), AutomationError);
}

}  // namespace
}  // namespace slidemill

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "render/text/FontSelection.h"
#include "render/text/TextRunPlacement.h"
#include "tests/support/RecordingPageWriter.h"

namespace slidemill {
namespace {

// Every character 10 units wide and 20 high.
class FixedMeasure : public ITextRunMeasure {
public:
    bool MeasureText(const char16_t*, int count, int32_t& cx, int32_t& cy) override {
        cx = 10 * count;
        cy = 20;
        return true;
    }
};

class TextRunPlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        writer_.geometry.offX = 0;
        writer_.geometry.offY = 0;
    }
    PlacedTextRun Place(int32_t x, int32_t y, const std::u16string& text, std::vector<int32_t> advances, double s = 1.0) {
        return PlaceTextRun(writer_, measure_, cursor_, x, y, text.data(), static_cast<int>(text.size()),
                            advances.empty() ? nullptr : advances.data(), s);
    }
    slidemill::testing::RecordingPageWriter writer_;
    FixedMeasure measure_;
    TextRunCursor cursor_;
};

TEST_F(TextRunPlacementTest, BlankAdvancesThePen) {
    Place(100, 50, u"A B", {10, 10, 10});
    const std::vector<std::string> expected = {"DrawChar 65 100 50 20", "DrawChar 32 110 50 20", "DrawChar 66 120 50 20"};
    EXPECT_EQ(writer_.calls, expected);
    EXPECT_EQ(cursor_.lastX, 130);
    EXPECT_EQ(cursor_.lastY, 50);
}

TEST_F(TextRunPlacementTest, LigatureTailGoesAfterItsHeadNotOntoTheNextCharacter) {
    struct Case {
        const char* name;
        std::u16string text;
        std::vector<int32_t> advances;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        // "fi" shaped as one glyph: f carries both advances, i none; r follows the pair.
        {"ligature", u"fir", {25, 0, 10}, {"DrawChar 102 0 0 20", "DrawChar 105 10 0 20", "DrawChar 114 25 0 20"}},
        // Three characters in one ligature: each after the one before.
        {"three", u"ffi", {30, 0, 0}, {"DrawChar 102 0 0 20", "DrawChar 102 10 0 20", "DrawChar 105 20 0 20"}},
        // A combining mark stays at the pen: its glyph reaches back over its base.
        {"mark", u"e\u0301x", {10, 0, 10}, {"DrawChar 101 0 0 20", "DrawChar 769 10 0 20", "DrawChar 120 10 0 20"}},
        // The first character has nothing before it.
        {"first", u"ab", {0, 10}, {"DrawChar 97 0 0 20", "DrawChar 98 0 0 20"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writer_.calls.clear();
        cursor_ = TextRunCursor{};
        Place(0, 0, c.text, c.advances);
        EXPECT_EQ(writer_.calls, c.expected);
    }
}

TEST_F(TextRunPlacementTest, ScalesAndOffsets) {
    writer_.geometry.offX = 4;
    writer_.geometry.offY = 6;
    writer_.geometry.textScale = 2.0;
    const PlacedTextRun run = Place(6, 14, u"x", {5}, 0.5);
    // (6 + 4) x 0.5, (14 + 6) x 0.5; the cell of 20 times the text scale 2 times s 0.5.
    EXPECT_EQ(writer_.calls, std::vector<std::string>{"DrawChar 120 5 10 20"});
    EXPECT_EQ(run.x, 10);
    EXPECT_EQ(run.y, 20);
    EXPECT_EQ(run.cx, 10);
    EXPECT_EQ(run.cy, 20);
    EXPECT_EQ(cursor_.lastX, 20);  // 10 + 5 x 2
}

TEST_F(TextRunPlacementTest, OverlappingRunStartsWhereThePreviousEnded) {
    cursor_.lastX = 60;
    cursor_.lastY = 30;
    const PlacedTextRun run = Place(50, 30, u"abc", {10, 10, 10});  // 30 wide: 50 < 60 < 80
    EXPECT_EQ(writer_.calls.front(), "DrawChar 97 60 30 20");
    EXPECT_EQ(run.x, 50);  // the link bookkeeping sees the run's own start

    writer_.calls.clear();
    cursor_.lastX = 60;
    Place(50, 31, u"abc", {10, 10, 10});  // another line: no overlap
    EXPECT_EQ(writer_.calls.front(), "DrawChar 97 50 31 20");
}

TEST_F(TextRunPlacementTest, EmptyAndMissingInput) {
    Place(10, 10, u"", {});
    EXPECT_TRUE(writer_.calls.empty());
    PlaceTextRun(writer_, measure_, cursor_, 0, 0, nullptr, 5, nullptr, 1.0);
    EXPECT_TRUE(writer_.calls.empty());
    Place(0, 0, u"ab", {});  // no advances: the measured widths
    EXPECT_EQ(writer_.calls.back(), "DrawChar 98 10 0 20");
}

TEST(FontSelection, WeightItalicAndTheArialFallback) {
    slidemill::testing::RecordingPageWriter writer;
    writer.setFontResult = 1;
    SelectWriterFont(writer, "Tahoma", 500, 0);
    SelectWriterFont(writer, "Tahoma", 501, 1);
    writer.setFontResult = 0;
    SelectWriterFont(writer, "Nope", 700, 0);
    const std::vector<std::string> expected = {"SetFont Tahoma 0 0", "SetFont Tahoma 1 1", "SetFont Nope 1 0",
                                               "SetFont Arial 1 0"};
    EXPECT_EQ(writer.calls, expected);
}

TEST(FontSelection, FaceNames) {
    const char16_t song[32] = u"\u5b8b\u4f53";
    EXPECT_EQ(FaceNameForWriter(song, 32), "\xCB\xCE\xCC\xE5");
    const char16_t arial[5] = {u'A', u'r', u'i', u'a', u'l'};  // no terminator within the field
    EXPECT_EQ(FaceNameForWriter(arial, 5), "Arial");
    const char16_t other[32] = u"Caf\u00e9 \u4e2d";
    EXPECT_EQ(FaceNameForWriter(other, 32), "Caf\xE9 ?");
    EXPECT_EQ(FaceNameForWriter(nullptr, 32), "");
}

}  // namespace
}  // namespace slidemill

namespace slidemill {
namespace {

// The alignment decides which point of the run the record's reference point is; the
// characters always go from the left end of the baseline. "AB" is 20 wide, 20 high.
TEST(TextRunAlignment, ReferencePointFollowsTheAlignment) {
    struct Case {
        const char* name;
        uint32_t align;
        const char* first;   // the first character's DrawChar
        int32_t runX;
    };
    const Case cases[] = {
        {"baseline left", 24, "DrawChar 65 100 50 20", 100},
        {"baseline centre", 24 | 6, "DrawChar 65 90 50 20", 90},
        {"baseline right", 24 | 2, "DrawChar 65 80 50 20", 80},
        {"top left", 0, "DrawChar 65 100 66 20", 100},       // 50 + 0.8 x 20
        {"top centre", 6, "DrawChar 65 90 66 20", 90},
        {"bottom right", 8 | 2, "DrawChar 65 80 46 20", 80},  // 50 - 0.2 x 20
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slidemill::testing::RecordingPageWriter writer;
        writer.geometry.offX = 0;
        writer.geometry.offY = 0;
        FixedMeasure measure;
        TextRunCursor cursor;
        const std::u16string text = u"AB";
        const PlacedTextRun run = PlaceTextRun(writer, measure, cursor, 100, 50, text.data(), 2, nullptr, 1.0, c.align);
        ASSERT_EQ(writer.calls.size(), 2u);
        EXPECT_EQ(writer.calls[0], c.first);
        EXPECT_EQ(run.x, c.runX);
    }
}

// With the font's own ascent known (15 of the 20-unit cell), top-aligned text hangs its
// baseline that far below the reference point and bottom-aligned text sits the descent
// (5) above it; an ascent outside the cell falls back to the share of the cell.
TEST(TextRunAlignment, TopAndBottomUseTheFontsAscent) {
    struct Case {
        const char* name;
        uint32_t align;
        int32_t ascent;
        const char* first;
    };
    const Case cases[] = {
        {"top", 0, 15, "DrawChar 65 100 65 20"},
        {"bottom", 8, 15, "DrawChar 65 100 45 20"},
        {"baseline", 24, 15, "DrawChar 65 100 50 20"},
        {"ascent beyond the cell", 0, 25, "DrawChar 65 100 66 20"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slidemill::testing::RecordingPageWriter writer;
        writer.geometry.offX = 0;
        writer.geometry.offY = 0;
        class Measure : public FixedMeasure {
        public:
            explicit Measure(int32_t a) : ascent_(a) {}
            bool MeasureAscent(int32_t& ascent) override {
                ascent = ascent_;
                return true;
            }

        private:
            int32_t ascent_;
        } measure(c.ascent);
        TextRunCursor cursor;
        const std::u16string text = u"AB";
        PlaceTextRun(writer, measure, cursor, 100, 50, text.data(), 2, nullptr, 1.0, c.align);
        ASSERT_EQ(writer.calls.size(), 2u);
        EXPECT_EQ(writer.calls[0], c.first);
    }
}

// Centred text with the record's own advances is centred on their sum, not on the
// measured extent.
TEST(TextRunAlignment, CentreUsesTheRecordAdvances) {
    slidemill::testing::RecordingPageWriter writer;
    writer.geometry.offX = 0;
    writer.geometry.offY = 0;
    FixedMeasure measure;
    TextRunCursor cursor;
    const std::u16string text = u"AB";
    const int32_t advances[] = {30, 30};
    PlaceTextRun(writer, measure, cursor, 100, 50, text.data(), 2, advances, 1.0, 24 | 6);
    const std::vector<std::string> expected = {"DrawChar 65 70 50 20", "DrawChar 66 100 50 20"};
    EXPECT_EQ(writer.calls, expected);
}

}  // namespace
}  // namespace slidemill

namespace slidemill {
namespace {

// A font's escapement turns the run around its reference point, counterclockwise on
// the page, and the writer turns the characters with it; 90 degrees on "AB" (10 wide
// each) at (100, 50) goes upwards, a full turn stays upright.
TEST(TextRunEscapement, TurnsTheRunAroundTheReferencePoint) {
    FixedMeasure measure;
    struct Case {
        const char* name;
        int32_t escapement;
        uint32_t align;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"quarter turn", 900, 24,
         {"SetTextRotation 90", "DrawChar 65 100 50 20", "DrawChar 66 100 40 20", "SetTextRotation 0"}},
        // Top-aligned: the baseline lies 16 below the reference point before the turn,
        // so 16 to its right after a quarter turn.
        {"quarter turn, top", 900, 0,
         {"SetTextRotation 90", "DrawChar 65 116 50 20", "DrawChar 66 116 40 20", "SetTextRotation 0"}},
        {"half turn, centred", 1800, 24 | 6,
         {"SetTextRotation 180", "DrawChar 65 110 50 20", "DrawChar 66 100 50 20", "SetTextRotation 0"}},
        {"full turn", 3600, 24, {"DrawChar 65 100 50 20", "DrawChar 66 110 50 20"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slidemill::testing::RecordingPageWriter writer;
        writer.geometry.offX = 0;
        writer.geometry.offY = 0;
        TextRunCursor cursor;
        const std::u16string text = u"AB";
        PlaceTextRun(writer, measure, cursor, 100, 50, text.data(), 2, nullptr, 1.0, c.align, c.escapement);
        EXPECT_EQ(writer.calls, c.expected);
    }
}

}  // namespace
}  // namespace slidemill

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

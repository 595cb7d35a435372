// The renderer's text records against the recording page writer: font selection reaches
// the writer, each string is placed character by character in the text colour with the
// character cell measured on the playback context, and link runs become URI links.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/PlaybackContext.h"
#include "platform/gdi/TextMeasurer.h"
#include "render/EmfRenderer.h"
#include "tests/support/RecordingPageWriter.h"

namespace slidemill {
namespace {

using Calls = std::vector<std::string>;

// Every character advances by the em; the cell is one and a half ems high.
class EmMeasurer : public ITextMeasurer {
public:
    bool MeasureExtents(const LOGFONTW& font, const char16_t*, int count, std::vector<int32_t>& out) override {
        const int32_t em = std::abs(font.lfHeight);
        out.resize(size_t(count));
        for (int i = 0; i < count; ++i) out[size_t(i)] = em * (i + 1);
        return true;
    }
    bool MeasureCellHeight(const LOGFONTW& font, int32_t& height) override {
        height = std::abs(font.lfHeight) * 3 / 2;
        return true;
    }
};

LOGFONTW Font(const char16_t* face, int32_t height, int32_t weight, uint8_t italic) {
    LOGFONTW f;
    f.lfHeight = height;
    f.lfWeight = weight;
    f.lfItalic = italic;
    for (size_t i = 0; face[i] != 0 && i + 1 < f.lfFaceName.size(); ++i) f.lfFaceName[i] = face[i];
    return f;
}

struct TextFixture {
    PlaybackContext dc{std::make_shared<EmMeasurer>()};
    testing::RecordingPageWriter writer;
    CEmfRenderer r;

    TextFixture() {
        writer.geometry.pageWidth = 720;
        writer.geometry.pageHeight = 540;
        writer.geometry.offX = writer.geometry.offY = 0;
        r.Link(&writer, true, 0.5);
        r.OnBegin(&dc, &dc);
        writer.calls.clear();
    }
    void Select(const LOGFONTW& font) {
        GdiHandle h = dc.CreateFontIndirect(font);
        dc.SelectObject(h);
        r.OnSelectFont(h);
    }
    void Text(int32_t x, int32_t y, const std::u16string& text, const std::vector<int32_t>& advances = {}) {
        r.OnExtTextOut(x, y, 0, RECTL{}, text.data(), int32_t(text.size()), advances.empty() ? nullptr : advances.data(),
                       1.0f, 1.0f);
    }
};

TEST(RendererText, SelectedFontReachesTheWriterWithItsStyle) {
    struct Case {
        const char16_t* face;
        int32_t weight;
        uint8_t italic;
        int setFontResult;
        Calls expected;
    };
    const Case cases[] = {
        {u"Liberation Serif", 700, 1, 1, {"SetFont Liberation Serif 1 1"}},
        {u"Liberation Serif", 500, 0, 1, {"SetFont Liberation Serif 0 0"}},
        {u"Nowhere Face", 400, 0, 0, {"SetFont Nowhere Face 0 0", "SetFont Arial 0 0"}},
        {u"", 400, 0, 0, {"SetFont  0 0", "SetFont Arial 0 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::RecordingPageWriter::Num(c.weight));
        TextFixture f;
        f.writer.setFontResult = c.setFontResult;
        f.Select(Font(c.face, -20, c.weight, c.italic));
        EXPECT_EQ(f.writer.calls, c.expected);
    }
}

TEST(RendererText, RunIsDrawnInTheTextColourCharacterByCharacter) {
    TextFixture f;
    f.Select(Font(u"Arial", -20, 400, 0));
    f.r.OnSetTextColor(0x0000FF);
    f.r.OnSetTextAlign(24);  // TA_BASELINE: the reference point is on the baseline
    f.writer.calls.clear();
    f.Text(100, 200, u"Ab", {30, 30});
    // Cell 30 x scale 0.5 = 15; x at (100 + 30) x 0.5 for the second character.
    const Calls expected = {"SetDrawColor 0x0000ff", "DrawChar 65 50 100 15", "DrawChar 98 65 100 15",
                            "IsLinkText Ab",         "AddTextRun 0 Ab 50 440 20 15", "AddTextRun 1 Ab 50 440 20 15"};
    EXPECT_EQ(f.writer.calls, expected);
}

// The alignment the picture sets reaches the placement: without one, the context's
// default (top, left) puts the baseline a cell's ascent below the reference point;
// right-aligned text ends at it.
TEST(RendererText, AlignmentOfTheContextPlacesTheRun) {
    TextFixture f;
    f.Select(Font(u"Arial", -20, 400, 0));
    f.writer.calls.clear();
    f.Text(100, 200, u"A", {30});
    auto firstDraw = [&f] {
        for (const std::string& call : f.writer.calls) {
            if (call.rfind("DrawChar", 0) == 0) return call;
        }
        return std::string();
    };
    EXPECT_EQ(firstDraw(), "DrawChar 65 50 112 15");  // (200 + 0.8 x 30) x 0.5
    f.r.OnSetTextAlign(24 | 2);
    f.writer.calls.clear();
    f.Text(100, 200, u"A", {30});
    EXPECT_EQ(firstDraw(), "DrawChar 65 35 100 15");  // (100 - 30) x 0.5
}

// TA_UPDATECP: each run starts at the current position, whatever the record says, and
// leaves it at the run's end, so runs follow each other.
TEST(RendererText, UpdateCurrentPositionChainsTheRuns) {
    TextFixture f;
    f.Select(Font(u"Arial", -20, 400, 0));
    f.r.OnSetTextAlign(24 | 1);
    f.r.OnMoveTo(POINTL{100, 200});
    f.writer.calls.clear();
    f.Text(0, 0, u"A", {30});
    f.Text(0, 0, u"B", {40});
    Calls draws;
    for (const std::string& call : f.writer.calls)
        if (call.rfind("DrawChar", 0) == 0) draws.push_back(call);
    const Calls expected = {"DrawChar 65 50 100 15", "DrawChar 66 65 100 15"};
    EXPECT_EQ(draws, expected);
    EXPECT_EQ(f.dc.Current().position.x, 170);
    EXPECT_EQ(f.dc.Current().position.y, 200);
}

TEST(RendererText, AddressRunBecomesAUriLinkAndTheFlagStaysInTheWriter) {
    TextFixture f;
    f.Select(Font(u"Arial", -20, 400, 0));
    f.writer.linkTargets["www.example.org"] = "https://www.example.org";
    f.writer.calls.clear();
    f.Text(0, 100, u"www.example.org");
    bool linked = false;
    for (const std::string& call : f.writer.calls) linked = linked || call.rfind("AddUriLink ", 0) == 0;
    EXPECT_TRUE(linked);
    EXPECT_NE(std::find(f.writer.calls.begin(), f.writer.calls.end(),
                        "AddUriLink 0 490 150 15 https://www.example.org"),
              f.writer.calls.end());
    EXPECT_TRUE(f.writer.linkContinues);
    f.Text(0, 300, u"plain words");
    EXPECT_FALSE(f.writer.linkContinues);
}

TEST(RendererText, EmptyAndMissingTextDrawNothingAndNoWriterMeansNoCalls) {
    TextFixture f;
    f.Select(Font(u"Arial", -20, 400, 0));
    f.writer.calls.clear();
    f.r.OnExtTextOut(0, 0, 0, RECTL{}, nullptr, 5, nullptr, 1.0f, 1.0f);
    f.r.OnExtTextOut(0, 0, 0, RECTL{}, u"x", 0, nullptr, 1.0f, 1.0f);
    f.r.OnExtTextOut(0, 0, 0, RECTL{}, u"x", -3, nullptr, 1.0f, 1.0f);
    for (const std::string& call : f.writer.calls) EXPECT_EQ(call.rfind("DrawChar", 0), std::string::npos) << call;

    CEmfRenderer unlinked;
    PlaybackContext dc{std::make_shared<EmMeasurer>()};
    unlinked.OnBegin(&dc, &dc);
    unlinked.OnExtTextOut(0, 0, 0, RECTL{}, u"x", 1, nullptr, 1.0f, 1.0f);  // must not reach any writer
    SUCCEED();
}

}  // namespace
}  // namespace slidemill

#include "platform/automation/DeckApp.h"

#include <gtest/gtest.h>

#include "metafile/ByteReader.h"
#include "platform/files/Files.h"
#include "platform/wmf/PlaceableHeader.h"
#include "platform/wmf/WmfRecorder.h"

namespace slidemill {
namespace {

std::vector<uint8_t> Wmf() {
    WmfRecorder r;
    r.SetWindowExt(100, 50);
    r.Rectangle(0, 0, 100, 50);
    return r.Finish();
}

// A placeable header for a box of w x h units at `inch` units per inch.
std::vector<uint8_t> WithPlaceable(int16_t w, int16_t h, uint16_t inch) {
    return WithPlaceableHeader(Wmf(), 0, 0, w, h, inch);
}

class DeckAppTest : public ::testing::Test {
protected:
    void Write(const std::string& name, const std::string& text) {
        ASSERT_TRUE(WriteFileBytes(temp.Path() + name, std::vector<uint8_t>(text.begin(), text.end())));
    }
    std::shared_ptr<Presentation> Open() {
        app = factory.Create();
        return app->GetPresentations()->Open(temp.Path(), 0, 0, 0);
    }
    std::string OpenError() {
        try {
            Open();
        } catch (const AutomationError& e) {
            return e.what();
        }
        return "no error";
    }

    PrivateTempFolder temp;
    Clipboard clipboard;
    DeckAppFactory factory{clipboard};
    std::unique_ptr<PresentationApp> app;
};

const char* kDeck = R"({
  "slideWidth": 720, "slideHeight": 405,
  "properties": {"title": "T", "subject": "S", "author": "A", "keywords": "K", "lastAuthor": "L"},
  "slides": [
    {"picture": "one.wmf",
     "hyperlinks": [{"address": "https://example.org", "subAddress": "", "text": "Example"},
                    {"address": "", "subAddress": "Slide_2", "text": "x", "textUnreadable": true}]},
    {"picture": "two.wmf"}
  ]
})";

TEST_F(DeckAppTest, ReadsManifestSlidesAndLinks) {
    Write("deck.json", kDeck);
    auto p = Open();
    EXPECT_TRUE(IsDeckPath(temp.Path()));
    EXPECT_EQ(p->GetPageSetup()->SlideWidth(), 720.0f);
    EXPECT_EQ(p->GetPageSetup()->SlideHeight(), 405.0f);
    auto props = p->BuiltInDocumentProperties();
    EXPECT_EQ(props->Item(1)->Value(), "T");
    EXPECT_EQ(props->Item(4)->Value(), "K");
    EXPECT_EQ(props->Item(7)->Value(), "L");
    EXPECT_THROW(props->Item(8), AutomationError);
    auto slides = p->GetSlides();
    ASSERT_EQ(slides->Count(), 2);
    auto links = slides->Item(1)->GetHyperlinks();
    ASSERT_EQ(links->Count(), 2);
    EXPECT_EQ(links->Item(1)->Address(), "https://example.org");
    EXPECT_EQ(links->Item(1)->TextToDisplay(), "Example");
    EXPECT_EQ(links->Item(2)->SubAddress(), "Slide_2");
    EXPECT_THROW(links->Item(2)->TextToDisplay(), AutomationError);
    EXPECT_THROW(links->Item(3), AutomationError);
    EXPECT_EQ(slides->Item(2)->GetHyperlinks()->Count(), 0);
    for (int16_t bad : {0, 3, -1}) EXPECT_THROW(slides->Item(bad), AutomationError) << bad;
}

TEST_F(DeckAppTest, CopyPutsThePictureOnTheClipboard) {
    Write("deck.json", kDeck);
    const auto placeable = WithPlaceable(2540, 1905, 1270);  // 2 x 1.5 inches
    ASSERT_TRUE(WriteFileBytes(temp.Path() + "one.wmf", placeable));
    ASSERT_TRUE(WriteFileBytes(temp.Path() + "two.wmf", Wmf()));
    auto slides = Open()->GetSlides();

    slides->Item(1)->Copy();
    const MetafilePicture* pic = clipboard.GetMetafilePicture();
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->mm, 8);
    EXPECT_EQ(pic->xExt, 5080);
    EXPECT_EQ(pic->yExt, 3810);
    EXPECT_EQ(pic->wmf, Wmf());  // without the placeable header
    EXPECT_FALSE(clipboard.IsOpen());

    slides->Item(2)->Copy();  // no placeable header: the slide size, 720 x 405 points
    pic = clipboard.GetMetafilePicture();
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->xExt, 25400);
    EXPECT_EQ(pic->yExt, 14288);
    EXPECT_EQ(pic->wmf, Wmf());
}

TEST_F(DeckAppTest, BrokenDecksAreReportedClearly) {
    struct Case {
        const char* name;
        const char* manifest;  // null: no manifest at all
        const char* expected;  // part of the message
    };
    const Case cases[] = {
        {"missing manifest", nullptr, "deck.json is missing"},
        {"malformed json", "{\"slides\": [", "is malformed"},
        {"not an object", "[1, 2]", "is malformed"},
        {"no slides", "{}", "has no \"slides\" list"},
        {"size not a number", R"({"slideWidth": "wide", "slides": []})", "\"slideWidth\" must be a number"},
        {"negative size", R"({"slideHeight": -3, "slides": []})", "\"slideHeight\" must lie between"},
        {"picture missing name", R"({"slides": [{}]})", "slide 1: \"picture\" names no file"},
        {"picture not a string", R"({"slides": [{"picture": 3}]})", "\"picture\" must be a string"},
        {"links not a list", R"({"slides": [{"picture": "a.wmf", "hyperlinks": {}}]})", "must be a list"},
        {"flag not a bool", R"({"slides": [{"picture": "a.wmf", "hyperlinks": [{"textUnreadable": 1}]}]})",
         "true or false"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFilePath(temp.Path() + "deck.json");
        if (c.manifest) Write("deck.json", c.manifest);
        EXPECT_NE(OpenError().find(c.expected), std::string::npos) << OpenError();
    }
}

TEST_F(DeckAppTest, BadPicturesFailAtCopy) {
    Write("deck.json", R"({"slides": [{"picture": "gone.wmf"}, {"picture": "junk.wmf"}, {"picture": "short.wmf"}]})");
    Write("junk.wmf", "this is not a metafile at all");
    Write("short.wmf", "ab");
    auto slides = Open()->GetSlides();
    const std::pair<int16_t, const char*> cases[] = {
        {1, "gone.wmf is missing"}, {2, "junk.wmf is not a Windows metafile"}, {3, "short.wmf is not a Windows metafile"}};
    for (const auto& [n, expected] : cases) {
        try {
            slides->Item(n)->Copy();
            ADD_FAILURE() << "no error for slide " << n;
        } catch (const AutomationError& e) {
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(clipboard.GetMetafilePicture(), nullptr);
}

}  // namespace
}  // namespace slidemill

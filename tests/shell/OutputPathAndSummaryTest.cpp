#include <gtest/gtest.h>

#include "platform/automation/DeckApp.h"
#include "platform/files/Files.h"
#include "shell/DocumentSummary.h"
#include "shell/OutputPath.h"

namespace slidemill {
namespace {

TEST(DefaultOutputPath, TakesTheLastDotOfTheWholePath) {
    const std::pair<const char*, const char*> cases[] = {
        {"talks/Deck.ppt", "talks/Deck.pdf"},
        {"/a.b/deck", "/a.pdf"},  // the last "." of the whole path, even in a folder name
        {"examples/demo-deck", "examples/demo-deck.pdf"},
        {"examples/demo-deck/", "examples/demo-deck.pdf"},
        {"deck.tar.gz", "deck.tar.pdf"},
        {"./deck", "./deck.pdf"},
        {"../deck", "../deck.pdf"},
        {"..", "...pdf"},
        {"x.", "x.pdf"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(DefaultOutputPath(in), out) << in;
}

TEST(DocumentSummary, ReadsCountAndPropertiesAndFillsTheSelection) {
    PrivateTempFolder temp;
    const std::string manifest =
        R"({"properties": {"title": "T", "subject": "S", "author": "A", "keywords": "K", "lastAuthor": "L"},
            "slides": [{"picture": "1.wmf"}, {"picture": "2.wmf"}, {"picture": "3.wmf"}]})";
    ASSERT_TRUE(WriteFileBytes(temp.Path() + "deck.json", std::vector<uint8_t>(manifest.begin(), manifest.end())));
    Clipboard clipboard;
    DeckAppFactory factory(clipboard);
    const auto summary = ReadDocumentSummary(factory, temp.Path());
    ASSERT_TRUE(summary.has_value());
    EXPECT_EQ(summary->slideCount, 3);

    ConversionOptions options;
    options.Title = "typed before";
    PageRange pages;
    ApplyDocumentSummary(*summary, options, pages);
    EXPECT_EQ(options.Title, "T");
    EXPECT_EQ(options.Subject, "S");
    EXPECT_EQ(options.Author, "A");
    EXPECT_EQ(options.Keywords, "K");
    EXPECT_EQ(options.Creator, "L");
    EXPECT_EQ(pages.SlideCountBound(), 3);
    EXPECT_EQ(pages.RangeText(), "1,2,3,");
    EXPECT_EQ(pages.RangeMode(), PageRange::kAllPages);  // filling the text keeps the mode

    EXPECT_THROW(ReadDocumentSummary(factory, temp.Path() + "missing"), AutomationError);
}

}  // namespace
}  // namespace slidemill

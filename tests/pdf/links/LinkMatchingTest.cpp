#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pdf/links/LinkMatching.h"

namespace slidemill {
namespace {

struct TargetCase {
    const char* text;
    bool found;
    const char* target;
};

TEST(LinkMatching, FindLinkTarget) {
    const std::vector<std::string> addresses = {"http://www.example.org/a", "http://other.net/"};
    const std::vector<std::string> texts = {"Example", "Click here"};
    const SlideLinks links{addresses, texts};
    const TargetCase cases[] = {
        {"Click here", true, "http://other.net/"},    // the display text wins, address need not contain it
        {"click here", false, "click here"},          // display texts compare case-sensitively
        {"www.example.org", true, "http://www.example.org/a"},
        {"www.example.org?\x01", true, "http://www.example.org/a"},  // "?" and control bytes stripped
        {"other.net\xE9", true, "http://other.net/"},  // bytes above 0x7E stripped
        {"www.nowhere.com ?", false, "www.nowhere.com "},
        {"???", true, "http://www.example.org/a"},     // stripped to nothing: every address contains it
    };
    for (const TargetCase& c : cases) {
        std::string target = "unchanged";
        EXPECT_EQ(FindLinkTarget(links, c.text, target), c.found) << c.text;
        EXPECT_EQ(target, c.target) << c.text;
    }
}

TEST(LinkMatching, FindLinkTargetWithoutLinks) {
    const std::vector<std::string> none;
    std::string target;
    EXPECT_FALSE(FindLinkTarget(SlideLinks{none, none}, "www.a.org?", target));
    EXPECT_EQ(target, "www.a.org");
}

TEST(LinkMatching, IsLinkText) {
    const std::vector<std::string> addresses = {"http://abcdefg.org"};
    const std::vector<std::string> texts = {"Home"};
    const SlideLinks links{addresses, texts};
    EXPECT_TRUE(IsLinkText(links, "Home"));
    EXPECT_TRUE(IsLinkText(links, "abcdefgXY"));  // 9 bytes: the first 7 are in an address
    EXPECT_TRUE(IsLinkText(links, "abcdeXY"));    // 7 bytes: "abcde" is looked for
    EXPECT_TRUE(IsLinkText(links, "abcdef"));     // 6 bytes are taken whole
    EXPECT_FALSE(IsLinkText(links, "abcdeX"));
    EXPECT_FALSE(IsLinkText(links, "home"));
}

InternalLinkRecord Record(const char* link, const char* target) {
    InternalLinkRecord record;
    record.linkText = link;
    record.targetText = target;
    return record;
}

TEST(LinkRunBook, TargetSideTakesTheRunAreaOfTheLastMatchingLine) {
    std::vector<InternalLinkRecord> records = {Record("Agenda", "Summary")};
    CLinkRunBook book(records);
    book.AddTextRun("  Sum", 10.7, 500, 30, 20, 0, 0);
    EXPECT_EQ(records[0].targetPage, -1);  // "Sum" is not yet "Summary"
    book.AddTextRun("mary slide", 40.2, 500, 50.5, 20, 0, 0);  // same line: appended
    EXPECT_EQ(book.TargetSide().lineText, "Summary slide");
    EXPECT_EQ(records[0].targetPage, 0);
    const int32_t expected[4] = {40, 500, 90, 520};  // the current run's area, truncated
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), records[0].targetRect));

    book.AddTextRun("Summary", 5, 300, 10, 21, 0, 3);  // new line (other height) on a later page
    EXPECT_EQ(records[0].targetPage, 3);
    EXPECT_EQ(records[0].targetRect[1], 300);
    book.AddTextRun("Other", 5, 200, 10, 21, 0, 4);
    EXPECT_EQ(records[0].targetPage, 3);  // a non-matching line changes nothing
    EXPECT_EQ(records[0].sourcePage, -1);
}

TEST(LinkRunBook, SourceSideSpansTheWholeLine) {
    std::vector<InternalLinkRecord> records = {Record("Go to summary", "Summary"), Record("", "x")};
    CLinkRunBook book(records);
    book.AddTextRun("Go to", 100, 400, 40, 18, 1, 1);
    EXPECT_EQ(records[0].sourcePage, -1);
    EXPECT_EQ(records[1].sourcePage, -1);  // an empty link text has no line of its own
    book.AddTextRun(" summary\x1Fhidden", 140, 400, 60, 18, 1, 1);  // cut at 0x1F, appended
    EXPECT_EQ(book.SourceSide().lineText, "Go to summary");
    EXPECT_EQ(records[0].sourcePage, 1);
    const int32_t expected[4] = {100, 400, 200, 418};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), records[0].sourceRect));
    EXPECT_EQ(records[0].targetPage, -1);
}

TEST(LinkRunBook, ALinkInTheMiddleOfALineIsItsOwnRun) {
    std::vector<InternalLinkRecord> records = {Record("Go to slide 2", "Shapes")};
    CLinkRunBook book(records);
    book.AddTextRun("Internal (default name): ", 100, 400, 150, 18, 1, 0);
    EXPECT_EQ(records[0].sourcePage, -1);
    book.AddTextRun("Go to slide 2", 250, 400, 80, 18, 1, 0);
    EXPECT_EQ(records[0].sourcePage, 0);
    const int32_t expected[4] = {250, 400, 330, 418};  // the run, not the whole line
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), records[0].sourceRect));
    // A run that only holds part of the link text is no source.
    std::vector<InternalLinkRecord> split = {Record("Go to slide 2", "Shapes")};
    CLinkRunBook other(split);
    other.AddTextRun("See: ", 100, 400, 30, 18, 1, 0);
    other.AddTextRun("Go to", 130, 400, 30, 18, 1, 0);
    other.AddTextRun(" slide 2", 160, 400, 40, 18, 1, 0);
    EXPECT_EQ(split[0].sourcePage, -1);
}

TEST(LinkRunBook, ALineNeverRunsOnIntoTheNextPage) {
    std::vector<InternalLinkRecord> records(2);
    records[0].linkText = "go to slide 1";
    records[0].targetText = "Summary";
    records[1].linkText = "";    // a link on a picture
    records[1].targetText = "";  // a sub-address of blanks
    CLinkRunBook book(records);
    // Last line of page 0 and first line of page 1 share baseline and height.
    book.AddTextRun("Summ", 50, 100, 20, 18, 0, 0);
    book.AddTextRun("Summ", 50, 100, 20, 18, 1, 0);
    book.AddTextRun("ary", 50, 100, 20, 18, 0, 1);
    book.AddTextRun("go to slide 1", 50, 100, 80, 18, 1, 1);
    EXPECT_EQ(book.TargetSide().lineText, "ary");
    EXPECT_EQ(records[0].targetPage, -1);  // "Summ" + "ary" are on different pages
    EXPECT_EQ(book.SourceSide().lineText, "go to slide 1");
    EXPECT_EQ(records[0].sourcePage, 1);
    const int32_t expected[4] = {50, 100, 130, 118};  // the line starts afresh on page 1
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), records[0].sourceRect));
    EXPECT_EQ(records[1].sourcePage, -1);
    EXPECT_EQ(records[1].targetPage, -1);
}

TEST(LinkRunBook, LongLinesAreCapped) {
    std::vector<InternalLinkRecord> records = {Record("zzz", "zzz")};
    CLinkRunBook book(records);
    const std::string chunk(600, 'a');
    book.AddTextRun(chunk, 0, 10, 1, 1, 0, 0);
    book.AddTextRun(chunk, 0, 10, 1, 1, 0, 0);
    book.AddTextRun(chunk, 0, 10, 1, 1, 0, 0);
    EXPECT_EQ(book.TargetSide().lineText.size(), RunAccumulator::kMaxLineText);
    book.AddTextRun(std::string(5000, 'b'), 0, 20, 1, 1, 1, 0);
    EXPECT_EQ(book.SourceSide().lineText.size(), RunAccumulator::kMaxLineText);
}

}  // namespace
}  // namespace slidemill

#include "shell/PageRange.h"

#include <gtest/gtest.h>

namespace slidemill {
namespace {

std::vector<int> Selected(const PageRange& range, int bound) {
    std::vector<int> out;
    for (int n = 1; n <= bound + 2; ++n)
        if (range.IsPageSelected(n)) out.push_back(n);
    return out;
}

struct RangeCase {
    const char* text;
    std::vector<int> selected;
};

TEST(PageRange, ListedPagesWithABoundOfTen) {
    const RangeCase cases[] = {
        {"1,3,5-12", {1, 3, 5, 6, 7, 8, 9, 10}},
        {"  2 , 4 ", {2, 4}},
        {"1,2,3,", {1, 2, 3}},
        {"-3", {1, 2, 3}},
        {"0-2", {1, 2}},
        {"5-", {}},
        {"3-1", {}},
        {"abc", {}},
        {"0", {}},
        {"11", {}},
        {"", {}},
        {"1,,2", {1, 2}},
        {"2;4", {2}},
        {"4,2,4", {2, 4}},
        {"5-8-9", {5, 6, 7, 8}},
        {"+7", {7}},
        {"99999999999999999999", {}},  // saturates instead of overflowing
        {"-99999999999-2", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},  // split at the first "-"
        {"9-99999999999", {9, 10}},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.text);
        PageRange range;
        range.SetRangeMode(PageRange::kListedPages);
        range.SetSlideCountBound(10);
        range.SetRangeText(c.text);
        range.ParsePageRange();
        EXPECT_EQ(Selected(range, 10), c.selected);
    }
}

TEST(PageRange, ListKeepsTypedOrderAndDuplicates) {
    PageRange range;
    range.SetSlideCountBound(10);
    range.SetRangeText("4,2,4,9-10");
    range.ParsePageRange();
    EXPECT_EQ(range.PageList(), (std::vector<uint16_t>{4, 2, 4, 9, 10}));
    range.SetRangeText("");
    range.ParsePageRange();
    EXPECT_TRUE(range.PageList().empty());  // rebuilt, not appended
}

TEST(PageRange, AllPagesModeSelectsEverySlide) {
    PageRange range;
    range.SetSlideCountBound(10);
    range.SetRangeText("3");
    range.ParsePageRange();
    EXPECT_EQ(Selected(range, 10).size(), 12u);
}

TEST(PageRange, BoundBeforeAnySummaryAndAboveSixteenBits) {
    PageRange range;
    EXPECT_EQ(range.SlideCountBound(), 65535);
    range.SetRangeMode(PageRange::kListedPages);
    range.SetRangeText("65535,65536,70000-70002");
    range.ParsePageRange();
    EXPECT_EQ(range.PageList(), (std::vector<uint16_t>{65535}));
    // A bound beyond what the list holds never wraps numbers around.
    range.SetSlideCountBound(100000);
    range.ParsePageRange();
    EXPECT_EQ(range.PageList(), (std::vector<uint16_t>{65535}));
    EXPECT_FALSE(range.IsPageSelected(0));
}

TEST(PageRange, PrefillText) {
    EXPECT_EQ(PageRange::PrefillText(23), "1-23");
    EXPECT_EQ(PageRange::PrefillText(9), "1-9");
    EXPECT_EQ(PageRange::PrefillText(8), "1,2,3,4,5,6,7,8,");
    EXPECT_EQ(PageRange::PrefillText(3), "1,2,3,");
    EXPECT_EQ(PageRange::PrefillText(0), "");
}

}  // namespace
}  // namespace slidemill

#include <gtest/gtest.h>

#include <string>

#include "pdf/decorations/MacroExpansion.h"

namespace slidemill {
namespace {

std::tm At(int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

struct MacroCase {
    const char* text;
    const char* expanded;
};

TEST(MacroExpansion, Tokens) {
    MacroContext context;
    context.pageOrdinal = 2;
    context.sourcePath = "/decks/q1 review.ppt";
    context.localTime = [] { return At(2011, 3, 5, 9, 7); };
    const MacroCase cases[] = {
        {"Page ~page NO~", "Page 3"},
        {"Page page NO", "Page page NO"},                       // outside tildes nothing changes
        {"~month / date / year~", "03 / 05 / 2011"},
        {"~hour : mintute~", "9 : 07"},
        {"~year-month-date~", "2011-03-05"},
        {"From ~filename~, page ~page NO~.", "From /decks/q1 review.ppt, page 3."},
        {"cost ~ 5", "cost ~ 5"},                               // an unpaired tilde stays with its tail
        {"~page NO~ of ~ many", "3 of ~ many"},
        {"~~", ""},
        {"~Hour~", "Hour"},                                     // case-sensitive
        {"a#$%#b", "a\r\nb"},
        {"~hourly~", "9ly"},
        {"", ""},
    };
    for (const MacroCase& c : cases) {
        std::string text = c.text;
        ExpandMacros(text, context);
        EXPECT_EQ(text, c.expanded) << c.text;
    }
}

TEST(MacroExpansion, FilenameStaysWithoutASourcePath) {
    MacroContext context;
    context.localTime = [] { return At(2026, 12, 31, 23, 59); };
    std::string text = "~filename~ ~date.month.year hour:mintute~";
    ExpandMacros(text, context);
    EXPECT_EQ(text, "filename 31.12.2026 23:59");
}

TEST(MacroExpansion, ReadsTheClockOnce) {
    int reads = 0;
    MacroContext context;
    context.localTime = [&reads] {
        ++reads;
        return At(2020, 1, 2, 3, 4);
    };
    std::string text = "~year~ ~year~ ~year~";
    ExpandMacros(text, context);
    EXPECT_EQ(text, "2020 2020 2020");
    EXPECT_EQ(reads, 1);
}

TEST(MacroExpansion, ManyTildesStayCheap) {
    MacroContext context;
    context.pageOrdinal = 0;
    context.localTime = [] { return At(2020, 1, 2, 3, 4); };
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "~page NO~";
    text += "~tail";
    ExpandMacros(text, context);
    EXPECT_EQ(text.size(), 100000u + 5u);
    EXPECT_EQ(text.substr(text.size() - 6), "1~tail");
}

}  // namespace
}  // namespace slidemill

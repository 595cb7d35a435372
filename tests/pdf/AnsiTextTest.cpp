// Decoding of information texts: what counts as UTF-8, and Windows-1252 to UTF-8.

#include <gtest/gtest.h>

#include <string>

#include "pdf/AnsiText.h"

namespace slidemill {
namespace {

TEST(AnsiText, RecognisesOnlyWellFormedUtf8) {
    const struct {
        std::string bytes;
        bool valid;
    } cases[] = {
        {"", true},
        {"plain", true},
        {"Gr\xc3\xbc\xc3\x9f", true},
        {"\xe2\x82\xac", true},               // euro sign
        {"\xf0\x9f\x98\x80", true},           // outside the BMP
        {"Caf\xe9", false},                   // Windows-1252
        {"\xc0\xaf", false},                  // overlong
        {"\xe0\x80\xaf", false},              // overlong
        {"\xed\xa0\x80", false},              // surrogate
        {"\xf4\x90\x80\x80", false},          // above U+10FFFF
        {"\xe2\x82", false},                  // cut short
        {"\x80", false},                      // lone continuation
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;
}

TEST(AnsiText, DecodesWindows1252) {
    EXPECT_EQ(Windows1252ToUtf8("Caf\xe9"), "Caf\xc3\xa9");
    EXPECT_EQ(Windows1252ToUtf8("\x80\x96\x97\x93\x94\x9f"),
              "\xe2\x82\xac\xe2\x80\x93\xe2\x80\x94\xe2\x80\x9c\xe2\x80\x9d\xc5\xb8");
    EXPECT_EQ(Windows1252ToUtf8("\x81\x8d"), "\xc2\x81\xc2\x8d");  // unassigned: C1 controls
    EXPECT_EQ(Windows1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(InformationTextToUtf8("Gr\xc3\xbc"), "Gr\xc3\xbc");
    EXPECT_EQ(InformationTextToUtf8("Gr\xfc"), "Gr\xc3\xbc");
}

}  // namespace
}  // namespace slidemill

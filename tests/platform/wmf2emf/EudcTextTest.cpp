// End-user-defined double-byte codes decode to the private-use characters the platform
// gives them: the first and last code of every range, and neighbours that are no such code.

#include <gtest/gtest.h>

#include "platform/wmf2emf/EudcText.h"

namespace slidemill {
namespace {

TEST(EudcText, RangesMapOntoThePrivateUseArea) {
    struct Case {
        int codePage;
        uint8_t lead, trail;
        bool found;
        char16_t character;
    } cases[] = {
        {950, 0xFA, 0x40, true, 0xE000}, {950, 0xFE, 0xFE, true, 0xE310},
        {950, 0x8E, 0x40, true, 0xE311}, {950, 0xA0, 0xFE, true, 0xEEB7},
        {950, 0x81, 0x40, true, 0xEEB8}, {950, 0x8D, 0xFE, true, 0xF6B0},
        {950, 0x83, 0xDE, true, 0xF06E},  // the Wingdings bullet U+F06E
        {950, 0x81, 0xA1, true, 0xEEF7},  // first code after the gap in the trail bytes
        {950, 0xC6, 0xA1, true, 0xF6B1}, {950, 0xC8, 0xFE, true, 0xF848},
        {950, 0xC6, 0x7E, false, 0},      // row C6 holds ordinary characters below A1
        {950, 0xA4, 0x40, false, 0},      // an ordinary ideograph
        {950, 0x81, 0x7F, false, 0},      // no trail byte
        {936, 0xAA, 0xA1, true, 0xE000}, {936, 0xAF, 0xFE, true, 0xE233},
        {936, 0xF8, 0xA1, true, 0xE234}, {936, 0xFE, 0xFE, true, 0xE4C5},
        {936, 0xA1, 0x40, true, 0xE4C6}, {936, 0xA7, 0xA0, true, 0xE765},
        {936, 0xA1, 0x80, true, 0xE505}, {936, 0xA1, 0x7F, false, 0},
        {936, 0xB0, 0xA1, false, 0},
        {949, 0xC9, 0xA1, true, 0xE000}, {949, 0xC9, 0xFE, true, 0xE05D},
        {949, 0xFE, 0xA1, true, 0xE05E}, {949, 0xFE, 0xFE, true, 0xE0BB},
        {949, 0xC9, 0x41, false, 0},
        {932, 0xF0, 0x40, true, 0xE000}, {932, 0xF9, 0xFC, true, 0xE757},
        {932, 0xF0, 0x7F, false, 0},
        {1252, 0x83, 0xDE, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.codePage << " " << std::hex << int(c.lead) << " " << int(c.trail));
        char16_t character = 0;
        EXPECT_EQ(EndUserCharacter(c.codePage, c.lead, c.trail, character), c.found);
        if (c.found) {
            EXPECT_EQ(int(character), int(c.character));
        }
    }
}

}  // namespace
}  // namespace slidemill

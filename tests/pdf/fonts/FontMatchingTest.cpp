#include <gtest/gtest.h>

#include "pdf/fonts/FontTable.h"
#include "pdf/fonts/PdfFontSet.h"
#include "platform/text/WinAnsi.h"

namespace slidemill {
namespace {

FontTable ArialFamily() {
    FontTable table;
    table.Add("Arial (TrueType)", "arial.ttf");
    table.Add("Arial Bold (TrueType)", "arialbd.ttf");
    table.Add("Arial Bold Italic (TrueType)", "arialbi.ttf");
    table.Add("Arial Italic (TrueType)", "ariali.ttf");
    table.Add("Arial Narrow (TrueType)", "arialn.ttf");
    table.Add("Arial Black (TrueType)", "ariblk.ttf");
    table.Add("Symbol (TrueType)", "symbol.ttf");
    table.Add("Consolas Italic (OpenType)", "consolai.otf");
    return table;
}

struct MatchCase {
    const char* name;
    bool bold;
    bool italic;
    const char* file;
};

TEST(FontMatching, FollowsTheTableRules) {
    const FontTable table = ArialFamily();
    const MatchCase cases[] = {
        {"Arial", false, false, "arial.ttf"},        // exact beats the later plain "Arial Black"
        {"arial", false, false, "arial.ttf"},        // case does not matter
        {"Arial", true, false, "arialbd.ttf"},       // first entry with "bold"
        {"Arial", false, true, "arialbi.ttf"},       // first entry with "italic" (Bold Italic comes first)
        {"Arial", true, true, "arialbi.ttf"},
        {"Arial Narrow", true, false, "arialn.ttf"}, // no bold entry: exact
        {"Ari", false, false, "ariblk.ttf"},         // no exact: the last plain entry containing it
        {"Consolas", false, false, ""},              // only a styled entry
        {"Consolas", false, true, "consolai.otf"},
        {"Consolas Italic", false, false, ""},       // "(opentype)" is not cut, so never exact
        {"Wingdings", false, false, ""},
    };
    for (const MatchCase& c : cases) {
        EXPECT_EQ(MatchFontFile(table, c.name, c.bold, c.italic), c.file) << c.name << " " << c.bold << c.italic;
    }
}

TEST(FontMatching, SetFontChoosesTheStyledNameOnlyWhenItExists) {
    CPdfFontSet fonts;
    FontTable three;
    three.Add("Arial (TrueType)", "arial.ttf");
    three.Add("Arial Bold (TrueType)", "arialbd.ttf");
    three.Add("Arial Bold Italic (TrueType)", "arialbi.ttf");
    fonts.SetFontTable(three);
    EXPECT_EQ(fonts.SetFont("Arial", true, false), 1);
    EXPECT_EQ(fonts.CurrentFontName(), "Arial Bold");
    EXPECT_EQ(fonts.CurrentFontFile(), "arialbd.ttf");

    FontTable one;
    one.Add("Arial (TrueType)", "arial.ttf");
    fonts.SetFontTable(one);
    EXPECT_EQ(fonts.SetFont("Arial", true, false), 1);
    EXPECT_EQ(fonts.CurrentFontName(), "Arial");
    EXPECT_EQ(fonts.CurrentFontFile(), "arial.ttf");

    EXPECT_EQ(fonts.SetFont("", false, false), 1);  // an empty face means Arial
    EXPECT_EQ(fonts.CurrentFontName(), "Arial");

    EXPECT_EQ(fonts.SetFont("Tahoma", false, false), 0);
    EXPECT_EQ(fonts.CurrentFontName(), "");
    EXPECT_EQ(fonts.SymbolTestFace(), "Tahoma");
}

TEST(FontMatching, SymbolTestFaceIsTheLastNameLookedUp) {
    CPdfFontSet fonts;
    FontTable table;
    table.Add("Symbol (TrueType)", "symbol.ttf");
    table.Add("simhei (TrueType)", "simhei.ttf");
    fonts.SetFontTable(table);
    EXPECT_EQ(fonts.SetFont("Symbol", true, false), 1);
    EXPECT_EQ(fonts.CurrentFontName(), "Symbol");
    EXPECT_EQ(fonts.SymbolTestFace(), "Symbol Bold");

    EXPECT_EQ(fonts.SetFont("\xCB\xCE\xCC\xE5", false, false), 1);  // the GB2312 Song face
    EXPECT_EQ(fonts.CurrentFontName(), "simhei");
    EXPECT_EQ(fonts.CurrentFontFile(), "simhei.ttf");
}

TEST(FontMatching, WinAnsiBytes) {
    EXPECT_EQ(CPdfFontSet::WinAnsiByte(0x00E9), 0xE9);
    EXPECT_EQ(CPdfFontSet::WinAnsiByte(0x20AC), 0x80);  // euro
    EXPECT_EQ(CPdfFontSet::WinAnsiByte(0x2013), 0x96);  // en dash
    EXPECT_EQ(CPdfFontSet::WinAnsiByte(0x201C), 0x93);
    EXPECT_EQ(CPdfFontSet::WinAnsiByte(0x0141), 0x41);  // no Windows-1252 byte: the low byte
    EXPECT_EQ(CPdfFontSet::WinAnsiByte(0xF06C), 0x6C);
}

TEST(FontMatching, Utf16ToWinAnsiText) {
    const std::u16string text = u"A\u00e9\u20ac\u2014\u0141\u4e2d";
    EXPECT_EQ(Utf16ToWinAnsiText(text.data(), static_cast<int>(text.size())), "A\xE9\x80\x97??");
    EXPECT_EQ(Utf16ToWinAnsiText(nullptr, 4), "");
    EXPECT_EQ(Utf16ToWinAnsiText(text.data(), -1), "");
}

}  // namespace
}  // namespace slidemill

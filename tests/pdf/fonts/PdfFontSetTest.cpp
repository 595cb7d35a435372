// The font set drawing into real PoDoFo documents, checked with the tools a user has:
// pdftotext for the text, pdffonts for the fonts, the content stream for the operators.

#include <gtest/gtest.h>

#include <podofo/podofo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "pdf/fonts/PdfFontSet.h"
#include "tests/support/PdfInspect.h"

namespace slidemill {
namespace {

using slidemill::testing::HaveTool;
using slidemill::testing::PageContent;
using slidemill::testing::Quote;
using slidemill::testing::RunCommand;
using slidemill::testing::TempFolder;

constexpr double kPageWidth = 400;
constexpr double kPageHeight = 200;

// One streamed document with one open page, as the writer has it while a slide plays.
class OnePageDocument {
public:
    explicit OnePageDocument(const std::string& path)
        : document_(path.c_str(), PoDoFo::ePdfVersion_1_6, nullptr, PoDoFo::ePdfWriteMode_Compact) {
        PoDoFo::PdfPage* page = document_.CreatePage(PoDoFo::PdfRect(0, 0, kPageWidth, kPageHeight));
        painter_.SetPage(page);
    }
    PoDoFo::PdfStreamedDocument& Document() { return document_; }
    PoDoFo::PdfPainter& Painter() { return painter_; }
    void Close() {
        painter_.FinishPage();
        document_.Close();
    }

private:
    PoDoFo::PdfStreamedDocument document_;
    PoDoFo::PdfPainter painter_;
};

class FontSetPdf : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Valid());
        ASSERT_TRUE(fonts_.LoadFontTable());
        if (MatchFontFile(fonts_.Table(), "Arial", false, false).empty())
            GTEST_SKIP() << "no stand-in for Arial is installed";
    }

    // Draws a word with one character every 12 points on the baseline y = 100.
    void DrawWord(OnePageDocument& page, const std::u16string& word, double x, double cellHeight = 20) {
        for (char16_t c : word) {
            fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, static_cast<uint16_t>(c), x, 100, cellHeight);
            x += 12;
        }
    }

    std::string PdfFonts(const std::string& pdf) { return RunCommand("pdffonts " + Quote(pdf)).output; }
    // The extracted text without blanks: characters placed one by one come out with
    // blanks wherever the gap to the next one is wide.
    std::string PdfText(const std::string& pdf) {
        std::string text = RunCommand("pdftotext -raw " + Quote(pdf) + " -").output;
        std::erase(text, ' ');
        return text;
    }

    TempFolder folder_;
    CPdfFontSet fonts_;
};

TEST_F(FontSetPdf, DrawsWinAnsiTextThatReadersExtract) {
    if (!HaveTool("pdftotext") || !HaveTool("pdffonts")) GTEST_SKIP() << "poppler-utils missing";
    const std::string pdf = folder_.File("text.pdf");
    {
        OnePageDocument page(pdf);
        ASSERT_EQ(fonts_.SetFont("Arial", false, false), 1);
        DrawWord(page, u"Caf\u00e9", 20);
        DrawWord(page, u"\u20ac\u2013\u201cx\u201d", 100);
        ASSERT_EQ(fonts_.SetFont("Times New Roman", true, false), 1);
        EXPECT_EQ(fonts_.CurrentFontName(), "Times New Roman Bold");
        DrawWord(page, u"Bold", 200);
        page.Close();
    }
    EXPECT_EQ(RunCommand("qpdf --check " + Quote(pdf)).exitCode, 0);
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("Caf\u00e9"), std::string::npos) << text;
    EXPECT_NE(text.find("\u20ac\u2013\u201cx\u201d"), std::string::npos) << text;
    EXPECT_NE(text.find("Bold"), std::string::npos) << text;

    const std::string fonts = PdfFonts(pdf);
    EXPECT_NE(fonts.find("LiberationSans"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("LiberationSerif-Bold"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("WinAnsi"), std::string::npos) << fonts;
    EXPECT_EQ(fonts.find(" yes yes "), std::string::npos) << "nothing is embedded without the option:\n" << fonts;
    EXPECT_EQ(fonts_.Cache().size(), 2u);
}

// The pdffonts line of the font whose name contains the part.
std::string FontLine(const std::string& fonts, const std::string& part) {
    const size_t at = fonts.find(part);
    if (at == std::string::npos) return {};
    const size_t begin = fonts.rfind('\n', at) + 1;
    return fonts.substr(begin, fonts.find('\n', at) - begin);
}

TEST_F(FontSetPdf, EmbedsWhenAsked) {
    if (!HaveTool("pdffonts") || !HaveTool("pdftotext")) GTEST_SKIP() << "poppler-utils missing";
    const std::string pdf = folder_.File("embedded.pdf");
    fonts_.SetEmbedFonts(true);
    {
        OnePageDocument page(pdf);
        ASSERT_EQ(fonts_.SetFont("Arial", false, true), 1);
        DrawWord(page, u"Slanted", 20);
        page.Close();
    }
    const std::string line = FontLine(PdfFonts(pdf), "LiberationSans-Italic");
    EXPECT_NE(line.find("WinAnsi          yes"), std::string::npos) << line;
    EXPECT_NE(PdfText(pdf).find("Slanted"), std::string::npos);
    EXPECT_EQ(RunCommand("qpdf --check " + Quote(pdf)).exitCode, 0);
}

// An embedded font must show every glyph the system font shows: the page rendered
// from the embedded file and from the installed one look the same.
TEST_F(FontSetPdf, EmbeddedGlyphsRenderLikeTheInstalledFont) {
    if (!HaveTool("pdftoppm")) GTEST_SKIP() << "poppler-utils missing";
    if (MatchFontFile(fonts_.Table(), "Calibri", true, true).empty()) GTEST_SKIP() << "no Calibri stand-in";
    std::string pixels[2];
    for (int embed = 0; embed < 2; ++embed) {
        CPdfFontSet fonts;
        fonts.SetFontTable(fonts_.Table());
        fonts.SetEmbedFonts(embed == 1);
        const std::string pdf = folder_.File("glyphs" + std::to_string(embed) + ".pdf");
        {
            OnePageDocument page(pdf);
            ASSERT_EQ(fonts.SetFont("Calibri", true, true), 1);
            double x = 10;
            for (char16_t c : std::u16string(u"abcdefghijklmnopqrstuvwxyz")) {
                fonts.DrawChar(page.Document(), page.Painter(), kPageHeight, static_cast<uint16_t>(c), x, 100, 30);
                x += 14;
            }
            page.Close();
        }
        const std::string png = folder_.File("glyphs" + std::to_string(embed));
        ASSERT_EQ(RunCommand("pdftoppm -gray -r 36 " + Quote(pdf) + " " + Quote(png)).exitCode, 0);
        pixels[embed] = RunCommand("cat " + Quote(png) + "-1.pgm").output;
    }
    ASSERT_EQ(pixels[0].size(), pixels[1].size());
    size_t differing = 0;
    size_t inked = 0;
    for (size_t i = 0; i < pixels[0].size(); ++i) {
        if (std::abs(pixels[0][i] - pixels[1][i]) > 64) ++differing;
        if (static_cast<unsigned char>(pixels[0][i]) < 128) ++inked;
    }
    EXPECT_GT(inked, 100u);
    EXPECT_LT(differing, inked / 20) << "glyphs differ between the embedded and the installed font";
}

TEST_F(FontSetPdf, TwoByteFacesAreEmbeddedEvenWithoutTheOption) {
    if (!HaveTool("pdffonts") || !HaveTool("pdftotext")) GTEST_SKIP() << "poppler-utils missing";
    if (MatchFontFile(fonts_.Table(), "Symbol", false, false).empty()) GTEST_SKIP() << "no Symbol stand-in";
    const std::string pdf = folder_.File("symbol.pdf");
    {
        OnePageDocument page(pdf);
        ASSERT_EQ(fonts_.SetFont("Symbol", false, false), 1);
        EXPECT_EQ(fonts_.SymbolTestFace(), "Symbol");
        DrawWord(page, u"\uf061bc", 20);  // Symbol codes: a private-use code loses its 0xF000
        page.Close();
    }
    const std::string fonts = PdfFonts(pdf);
    EXPECT_NE(fonts.find("Identity-H"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("yes yes"), std::string::npos) << fonts;
    EXPECT_NE(PdfText(pdf).find("\u03b1\u03b2\u03c7"), std::string::npos) << PdfText(pdf);  // alpha beta chi
}

// No Wingdings face is installed: its bullet codes show as the characters they stand
// for, not as the letters of their codes; codes without a known character stay as given.
TEST_F(FontSetPdf, WingdingsBulletsAreTheirCharacters) {
    if (!HaveTool("pdftotext")) GTEST_SKIP() << "poppler-utils missing";
    const std::string pdf = folder_.File("wingdings.pdf");
    {
        OnePageDocument page(pdf);
        ASSERT_EQ(fonts_.SetFont("Wingdings", false, false), 1);
        if (AsciiLower(fonts_.CurrentFontFile()).find("wingding") != std::string::npos)
            GTEST_SKIP() << "a real Wingdings face is installed";
        DrawWord(page, u"\uf06e\uf0fcn\uf0a7", 20);  // filled square, check, square, small square
        page.Close();
    }
    const std::string text = PdfText(pdf);
    for (const char* shown : {"\u25a0", "\u2713", "\u25aa"}) EXPECT_NE(text.find(shown), std::string::npos) << text;
    EXPECT_EQ(text.find('n'), std::string::npos) << text;
}

// A two-byte font takes whole UTF-16 codes: text beyond Windows-1252 keeps its letters.
TEST_F(FontSetPdf, TwoByteFacesKeepCharactersBeyondOneByte) {
    if (!HaveTool("pdffonts") || !HaveTool("pdftotext")) GTEST_SKIP() << "poppler-utils missing";
    const std::string dejaVu = MatchFontFile(fonts_.Table(), "DejaVu Sans", false, false);
    if (dejaVu.empty()) GTEST_SKIP() << "DejaVu Sans is not installed";
    FontTable table = fonts_.Table();
    table.Add("simhei (TrueType)", dejaVu);  // the face the GB2312 Song face is drawn with
    fonts_.SetFontTable(table);
    const std::string pdf = folder_.File("simhei.pdf");
    {
        OnePageDocument page(pdf);
        ASSERT_EQ(fonts_.SetFont("\xCB\xCE\xCC\xE5", false, false), 1);
        EXPECT_EQ(fonts_.CurrentFontName(), "simhei");
        DrawWord(page, u"\u041f\u0440\u0438\u0432\u0435\u0442 \u0141\u00f3d\u017a", 20);
        page.Close();
    }
    const std::string line = FontLine(PdfFonts(pdf), "DejaVuSans");
    EXPECT_NE(line.find("Identity-H       yes"), std::string::npos) << line;
    EXPECT_NE(PdfText(pdf).find("\u041f\u0440\u0438\u0432\u0435\u0442\u0141\u00f3d\u017a"), std::string::npos)
        << PdfText(pdf);
    EXPECT_EQ(RunCommand("qpdf --check " + Quote(pdf)).exitCode, 0);
}

// Characters Windows-1252 lacks keep their letters in a one-byte face: they go through
// a two-byte subset of the same face (Cyrillic, Greek, Polish in the Arial stand-in) or
// of the face fontconfig offers for them (Chinese), while the rest stays one-byte.
TEST_F(FontSetPdf, CharactersBeyondWindows1252KeepTheirLetters) {
    if (!HaveTool("pdffonts") || !HaveTool("pdftotext")) GTEST_SKIP() << "poppler-utils missing";
    const bool haveCjk = !MatchSystemFontFileForChar("Arial", false, false, 0x4E2D).empty();
    const std::string pdf = folder_.File("scripts.pdf");
    {
        OnePageDocument page(pdf);
        ASSERT_EQ(fonts_.SetFont("Arial", false, false), 1);
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 'A', 10, 40, 20);
        DrawWord(page, u"\u041f\u0440\u0438\u0432\u0435\u0442", 20);  // Привет
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 'Z', 10, 60, 20);
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 0x03A9, 10, 140, 20);  // Ω
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 0x0142, 30, 140, 20);  // ł
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 0x0119, 50, 140, 20);  // ę
        if (haveCjk) {
            fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 0x4E2D, 10, 180, 20);  // 中
            fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 0x6587, 30, 180, 20);  // 文
        }
        page.Close();
    }
    EXPECT_EQ(RunCommand("qpdf --check " + Quote(pdf)).exitCode, 0);
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("\u041f\u0440\u0438\u0432\u0435\u0442"), std::string::npos) << text;
    EXPECT_NE(text.find("\u03a9\u0142\u0119"), std::string::npos) << text;
    EXPECT_NE(text.find("A"), std::string::npos) << text;
    EXPECT_NE(text.find("Z"), std::string::npos) << text;
    EXPECT_EQ(text.find("\x1f"), std::string::npos) << "no low bytes:" << text;
    if (haveCjk) {
        EXPECT_NE(text.find("\u4e2d\u6587"), std::string::npos) << text;
    }

    const std::string fonts = PdfFonts(pdf);
    EXPECT_NE(FontLine(fonts, "WinAnsi").find("LiberationSans"), std::string::npos) << fonts;
    EXPECT_NE(FontLine(fonts, "Identity-H").find("LiberationSans"), std::string::npos) << fonts;
    if (haveCjk) {
        // Liberation Sans has no CJK glyphs: a second two-byte font, the fallback face's.
        EXPECT_NE(fonts.find("Identity-H", fonts.find("Identity-H") + 1), std::string::npos) << fonts;
    }
    if (HaveTool("pdftoppm")) RunCommand("pdftoppm -png -r 72 " + Quote(pdf) + " " + Quote(folder_.File("scripts")));
    if (const char* keep = std::getenv("SLIDEMILL_KEEP_PDF")) RunCommand("cp " + Quote(pdf) + " " + Quote(keep));
}

// A turned character is drawn at the origin of a rotated coordinate system placed at
// its position; upright characters after it keep the plain form.
TEST_F(FontSetPdf, RotationTurnsEachCharacterAroundItsPosition) {
    const std::string pdf = folder_.File("turned.pdf");
    {
        OnePageDocument page(pdf);
        ASSERT_EQ(fonts_.SetFont("Arial", false, false), 1);
        fonts_.SetRotation(90);
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 'U', 50, 150, 20);
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 'p', 50, 138, 20);
        fonts_.SetRotation(0);
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 'R', 100, 150, 20);
        page.Close();
    }
    const std::string content = slidemill::testing::NormalisedContent(PageContent(pdf, 0));
    // PoDoFo writes the matrix with fifteen decimals.
    EXPECT_NE(content.find(" 1.000000000000000 -1.000000000000000 0.000000000000000 50.000000000000000 50.000000000000000 cm"),
              std::string::npos)
        << content;
    EXPECT_NE(content.find("0.000\n0.000\nTd <55> Tj"), std::string::npos) << content;
    EXPECT_NE(content.find("100.000\n50.000\nTd <52> Tj"), std::string::npos) << content;
    if (HaveTool("qpdf")) {
        EXPECT_EQ(RunCommand("qpdf --check " + Quote(pdf)).exitCode, 0);
    }
    if (const char* keep = std::getenv("SLIDEMILL_KEEP_TURNED_PDF")) RunCommand("cp " + Quote(pdf) + " " + Quote(keep));
}

TEST_F(FontSetPdf, ContentOfOneCharacter) {
    const std::string pdf = folder_.File("content.pdf");
    {
        OnePageDocument page(pdf);
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 'A', 10, 20, 10);  // no font yet: q Q
        ASSERT_EQ(fonts_.SetFont("Arial", false, false), 1);
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, ' ', 10, 20, 10);  // blank: nothing
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 'A', 10, 20, 10);
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 'B', 22, 20, 10);
        EXPECT_DOUBLE_EQ(fonts_.LastFontSize(), 8.5);
        page.Close();
    }
    const std::string content = slidemill::testing::NormalisedContent(PageContent(pdf, 0));
    // The first q Q is the draw without a font; then A and B in their own q Q blocks,
    // sized 0.85 of the cell and with the baseline flipped to y = 200 - 20.
    EXPECT_EQ(content.rfind("q\nQ\nq\nBT\n", 0), 0u) << content;
    EXPECT_NE(content.find("8.500 Tf"), std::string::npos) << content;
    EXPECT_NE(content.find("10.000\n180.000\nTd <41> Tj"), std::string::npos) << content;
    EXPECT_NE(content.find("22.000\n180.000\nTd <42> Tj"), std::string::npos) << content;
    EXPECT_EQ(content.find("<20>"), std::string::npos) << content;
    size_t blocks = 0;
    for (size_t at = content.find("BT\n"); at != std::string::npos; at = content.find("BT\n", at + 1)) ++blocks;
    EXPECT_EQ(blocks, 2u);
}

TEST_F(FontSetPdf, NonFiniteNumbersDrawNothing) {
    const std::string pdf = folder_.File("nan.pdf");
    const double nan = std::nan("");
    const double inf = HUGE_VAL;
    {
        OnePageDocument page(pdf);
        ASSERT_EQ(fonts_.SetFont("Arial", false, false), 1);
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 'A', nan, 20, 10);
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 'B', 10, inf, 10);
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 'C', 10, 20, nan);
        fonts_.DrawChar(page.Document(), page.Painter(), kPageHeight, 'D', 10, 20, 10);
        page.Close();
    }
    const std::string content = PageContent(pdf, 0);
    EXPECT_EQ(content.find("nan"), std::string::npos) << content;
    EXPECT_EQ(content.find("inf"), std::string::npos) << content;
    EXPECT_NE(content.find("<44> Tj"), std::string::npos) << content;
    if (HaveTool("qpdf")) {
        EXPECT_EQ(RunCommand("qpdf --check " + Quote(pdf)).exitCode, 0);
    }
}

TEST_F(FontSetPdf, UnusableFontFileFallsBackToArialUnderItsOwnName) {
    const std::string bogus = folder_.File("broken.ttf");
    std::ofstream(bogus) << "not a font";
    FontTable table = fonts_.Table();
    table.Add("Broken Face (TrueType)", bogus);
    fonts_.SetFontTable(table);
    const std::string pdf = folder_.File("fallback.pdf");
    {
        OnePageDocument page(pdf);
        ASSERT_EQ(fonts_.SetFont("Broken Face", false, false), 1);
        DrawWord(page, u"Still", 20);
        page.Close();
    }
    ASSERT_EQ(fonts_.Cache().size(), 1u);
    EXPECT_EQ(fonts_.Cache()[0].name, "Broken Face");
    EXPECT_NE(fonts_.Cache()[0].font, nullptr);
    if (HaveTool("pdffonts")) {
        EXPECT_NE(PdfFonts(pdf).find("LiberationSans"), std::string::npos);
    }
}

}  // namespace
}  // namespace slidemill

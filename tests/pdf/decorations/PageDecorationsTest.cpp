// Header, footer and watermark on real pages, read back with poppler and qpdf.

#include <gtest/gtest.h>

#include <podofo/podofo.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "pdf/decorations/PageDecorations.h"
#include "pdf/fonts/PdfFontSet.h"
#include "tests/support/PdfInspect.h"

namespace slidemill {
namespace {

using slidemill::testing::HaveTool;
using slidemill::testing::PageContent;
using slidemill::testing::Quote;
using slidemill::testing::RunCommand;
using slidemill::testing::TempFolder;

TEST(DecorationGeometry, SizesAndPositions) {
    EXPECT_DOUBLE_EQ(HeaderFooterSize(540), 10);  // 6.75 is below the minimum
    EXPECT_DOUBLE_EQ(HeaderFooterSize(1600), 20);
    EXPECT_DOUBLE_EQ(WatermarkSize(2), 10);
    EXPECT_NEAR(WatermarkSize(10), 28.35, 0.005);

    struct Row {
        int position;
        double baseline;
        LineAlignment alignment;
    };
    const Row rows[] = {
        {0, 515, LineAlignment::Left},   {1, 515, LineAlignment::Center}, {2, 515, LineAlignment::Right},
        {3, 245, LineAlignment::Left},   {4, 245, LineAlignment::Center}, {5, 245, LineAlignment::Right},
        {6, 5, LineAlignment::Left},     {7, 5, LineAlignment::Center},   {8, 5, LineAlignment::Right},
        {-1, 5, LineAlignment::Left},    {99, 5, LineAlignment::Left},
    };
    for (const Row& row : rows) {
        const WatermarkPlacement placement = PlaceWatermark(row.position, 540, 20);
        EXPECT_DOUBLE_EQ(placement.baseline, row.baseline) << row.position;
        EXPECT_EQ(placement.alignment, row.alignment) << row.position;
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// Words of pdftotext -bbox: text with xMin, yMin (top-left origin), xMax, yMax.
struct Word {
    std::string text;
    double xMin, yMin, xMax, yMax;
};

std::vector<Word> Words(const std::string& pdf) {
    const std::string html = RunCommand("pdftotext -bbox " + Quote(pdf) + " -").output;
    const std::regex word(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::vector<Word> words;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it) {
        words.push_back({(*it)[5], std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
    }
    return words;
}

class DecoratedPage : public ::testing::Test {
protected:
    static constexpr double kWidth = 720;
    static constexpr double kHeight = 540;

    void SetUp() override {
        ASSERT_TRUE(folder_.Valid());
        ASSERT_TRUE(fonts_.LoadFontTable());
        if (MatchFontFile(fonts_.Table(), "Arial", false, false).empty()) GTEST_SKIP() << "no Arial stand-in";
        if (!HaveTool("pdftotext") || !HaveTool("qpdf")) GTEST_SKIP() << "poppler-utils or qpdf missing";
    }

    // One page decorated by the callback; returns the file.
    template <typename Draw>
    std::string Decorate(const std::string& name, Draw draw) {
        const std::string pdf = folder_.File(name);
        PoDoFo::PdfStreamedDocument document(pdf.c_str(), PoDoFo::ePdfVersion_1_6, nullptr,
                                             PoDoFo::ePdfWriteMode_Compact);
        PoDoFo::PdfPainter painter;
        PoDoFo::PdfPage* page = document.CreatePage(PoDoFo::PdfRect(0, 0, kWidth, kHeight));
        painter.SetPage(page);
        MacroContext macros;
        macros.pageOrdinal = 2;
        macros.localTime = [] {
            std::tm t{};
            t.tm_year = 111;
            t.tm_mon = 2;
            t.tm_mday = 5;
            return t;
        };
        DecorationTarget target{document, painter, kWidth, kHeight, fonts_, macros};
        draw(target);
        painter.FinishPage();
        document.Close();
        return pdf;
    }

    TempFolder folder_;
    CPdfFontSet fonts_;
};

TEST_F(DecoratedPage, HeaderAndFooterShowTheirTextWhereTheyBelong) {
    const std::string pdf = Decorate("header.pdf", [](DecorationTarget& target) {
        DrawFooter(target, "Left \x80 \x96 \x93x\x94", 0);  // euro, en dash and quotes in Windows-1252
        DrawHeader(target, "Page ~page NO~ ~month/date/year~", 2);
        DrawHeader(target, "", 1);  // nothing
    });
    EXPECT_EQ(RunCommand("qpdf --check " + Quote(pdf)).exitCode, 0);
    const std::string text = RunCommand("pdftotext -raw " + Quote(pdf) + " -").output;
    EXPECT_NE(text.find("Left \u20ac \u2013 \u201cx\u201d"), std::string::npos) << text;
    EXPECT_NE(text.find("Page 3 03/05/2011"), std::string::npos) << text;
    EXPECT_NE(RunCommand("pdffonts " + Quote(pdf)).output.find("WinAnsi"), std::string::npos);

    const std::vector<Word> words = Words(pdf);
    ASSERT_FALSE(words.empty());
    const auto find = [&](const std::string& w) {
        return *std::find_if(words.begin(), words.end(), [&](const Word& word) { return word.text == w; });
    };
    ASSERT_TRUE(std::any_of(words.begin(), words.end(), [](const Word& w) { return w.text == "Left"; }));
    ASSERT_TRUE(std::any_of(words.begin(), words.end(), [](const Word& w) { return w.text == "03/05/2011"; }));
    const Word left = find("Left");
    const Word date = find("03/05/2011");
    EXPECT_NEAR(left.xMin, 5, 1.0);            // the band starts 5 points in
    EXPECT_NEAR(date.xMax, kWidth - 5, 1.5);   // right-aligned to the band's end
    EXPECT_GT(left.yMin, kHeight - 20);        // footer near the bottom (top-left coordinates)
    EXPECT_LT(date.yMax, 20);                  // header near the top
    const std::string content = PageContent(pdf, 0);
    EXPECT_NE(content.find("10.000 Tf"), std::string::npos) << content;  // H / 80 = 6.75, raised to 10
    EXPECT_NE(content.find("525.000"), std::string::npos) << content;   // header baseline 540 - 5 - 10
}

TEST_F(DecoratedPage, WatermarkIsHalfTransparentAndRestoresOpacity) {
    const std::string pdf = Decorate("watermark.pdf", [](DecorationTarget& target) {
        DrawWatermark(target, "DRAFT", 4, 10);
        target.painter.SetColor(1.0, 0.0, 0.0);
        target.painter.Rectangle(0, 0, 50, 50);
        target.painter.Fill();
    });
    const std::string qdf = folder_.File("watermark.qdf");
    ASSERT_EQ(RunCommand("qpdf --qdf --object-streams=disable " + Quote(pdf) + " " + Quote(qdf)).exitCode, 0);
    const std::string file = ReadFile(qdf);
    EXPECT_NE(file.find("/CA 0.5"), std::string::npos);
    EXPECT_NE(file.find("/ca 0.5"), std::string::npos);
    EXPECT_NE(file.find("/CA 1"), std::string::npos);
    EXPECT_NE(file.find("/ca 1"), std::string::npos);
    const std::string content = PageContent(pdf, 0);
    const size_t first = content.find(" gs");
    const size_t text = content.find("<4452414654> Tj");
    const size_t second = content.find(" gs", first + 1);
    ASSERT_NE(first, std::string::npos) << content;
    ASSERT_NE(text, std::string::npos) << content;
    ASSERT_NE(second, std::string::npos) << content;
    EXPECT_LT(first, text);
    EXPECT_LT(text, second);
    EXPECT_NE(content.find("28.346 Tf"), std::string::npos) << content;
    EXPECT_NE(RunCommand("pdftotext " + Quote(pdf) + " -").output.find("DRAFT"), std::string::npos);
}

TEST_F(DecoratedPage, DecorationsMakeDrawCharSelectItsFontAgain) {
    Decorate("reselect.pdf", [this](DecorationTarget& target) {
        ASSERT_EQ(fonts_.SetFont("Arial", false, false), 1);
        fonts_.DrawChar(target.document, target.painter, kHeight, 'A', 10, 100, 20);
        EXPECT_EQ(fonts_.LastFontName(), "Arial");
        DrawFooter(target, "footer", 1);
        EXPECT_EQ(fonts_.LastFontName(), "");
        EXPECT_EQ(fonts_.LastFontSize(), CPdfFontSet::kNoFontSize);
    });
}

}  // namespace
}  // namespace slidemill

// The page writer against real PDF files: content stream operators and numbers, page
// sizes, the play-area sizing handed to the picture, and failures of the file itself.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include <podofo/podofo.h>

#include "pdf/PdfErrorText.h"
#include "pdf/PdfPageWriter.h"
#include "tests/support/PdfInspect.h"

namespace slidemill {
namespace {

using testing::HaveTool;
using testing::NormalisedContent;
using testing::PageContent;
using testing::Quote;
using testing::RunCommand;
using testing::TempFolder;

// Writes one page drawn by `draw` and returns its normalised content stream.
std::string DrawOnePage(const TempFolder& folder, const std::function<void(CPdfPageWriter&)>& draw,
                        double width = 720.0, double height = 540.0) {
    const std::string path = folder.File("page.pdf");
    {
        CPdfPageWriter writer(path);
        writer.CreateDocument();
        writer.BeginPage(0, width, height);
        draw(writer);
        writer.EndPage();
        writer.Close();
    }
    return NormalisedContent(PageContent(path, 0));
}

struct OperatorCase {
    const char* name;
    std::function<void(CPdfPageWriter&)> draw;
    const char* expected;  // the whole content stream of a 720 x 540 page
};

class PdfPageWriterOperators : public ::testing::TestWithParam<OperatorCase> {};

TEST_P(PdfPageWriterOperators, EmitsExactContent) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    EXPECT_EQ(DrawOnePage(folder, GetParam().draw), GetParam().expected);
}

const double kTriangleXs[] = {10, 110, 60};
const double kTwoXs[] = {10, 20};
const double kTwoYs[] = {30, 40};

INSTANTIATE_TEST_SUITE_P(
    Cases, PdfPageWriterOperators,
    ::testing::Values(
        // COLORREF 0x00BBGGRR: red byte 0xFF, green 0x80, blue 0 -> 1, 128/255, 0.
        OperatorCase{"PenColourIsNonStrokingRgb", [](CPdfPageWriter& w) { w.SetPenColor(0x0080FF); },
                     "1.000 0.502 0.000 rg\n"},
        OperatorCase{"BrushColourIsNonStrokingRgb", [](CPdfPageWriter& w) { w.SetBrushColor(0xFF0000); },
                     "0.000 0.000 1.000 rg\n"},
        OperatorCase{"DrawColourSetsFillThenStroke", [](CPdfPageWriter& w) { w.SetDrawColor(0x00FF00); },
                     "0.000 1.000 0.000 rg\n0.000 1.000 0.000 RG\n"},
        OperatorCase{"PenWidthIsMultipliedByScale",
                     [](CPdfPageWriter& w) {
                         w.Geometry().scale = 0.5;
                         w.SetPenWidth(2);
                     },
                     "1.000 w\n"},
        OperatorCase{"LineUsesPenColourAndFlipsY",
                     [](CPdfPageWriter& w) {
                         w.SetPenColor(0x0000FF);
                         w.DrawLine(10, 20, 30, 40);
                     },
                     "1.000 0.000 0.000 rg\n1.000 0.000 0.000 rg\n1.000 0.000 0.000 RG\n"
                     "10.000 520.000 m 30.000 500.000 l S\n"},
        OperatorCase{"PolylineIsBracketedSegments",
                     [](CPdfPageWriter& w) {
                         const double xs[] = {0, 10, 20};
                         const double ys[] = {0, 10, 20};
                         w.DrawPolyline(xs, ys, 3);
                     },
                     "q\n0.000 0.000 0.000 rg\n0.000 0.000 0.000 RG\n"
                     "0.000 540.000 m 10.000 530.000 l S\n10.000 530.000 m 20.000 520.000 l S\nQ\n"},
        OperatorCase{"OnePointPolylineOnlyBrackets",
                     [](CPdfPageWriter& w) {
                         const double xs[] = {5};
                         const double ys[] = {5};
                         w.DrawPolyline(xs, ys, 1);
                     },
                     "q\n0.000 0.000 0.000 rg\n0.000 0.000 0.000 RG\nQ\n"},
        OperatorCase{"TrianglePolygonIsClosedNonZeroFill",
                     [](CPdfPageWriter& w) {
                         w.SetBrushColor(0x00FF00);
                         double ys[] = {10, 10, 100};
                         w.FillPolygon(kTriangleXs, ys, 3);
                     },
                     "0.000 1.000 0.000 rg\nq\n0.000 1.000 0.000 rg\n"
                     "10.000 530.000 m\n110.000 530.000 l\n60.000 440.000 l\nh\nf\nQ\n"},
        OperatorCase{"TwoPointPolygonOnlyBrackets",
                     [](CPdfPageWriter& w) {
                         double ys[] = {kTwoYs[0], kTwoYs[1]};
                         w.FillPolygon(kTwoXs, ys, 2);
                     },
                     "q\n0.000 0.000 0.000 rg\nQ\n"},
        OperatorCase{"EmptyOrMissingPointsDrawNothing",
                     [](CPdfPageWriter& w) {
                         w.DrawPolyline(nullptr, nullptr, 5);
                         w.FillPolygon(nullptr, nullptr, 5);
                         double ys[] = {1, 2, 3};
                         w.FillPolygon(kTriangleXs, ys, -1);
                     },
                     "q\n0.000 0.000 0.000 rg\n0.000 0.000 0.000 RG\nQ\n"
                     "q\n0.000 0.000 0.000 rg\nQ\nq\n0.000 0.000 0.000 rg\nQ\n"},
        // A damaged picture can map to NaN or infinity: nothing unwritable reaches the page,
        // the finite segment of a polyline stays, and a broken clip hides what follows.
        OperatorCase{"NonFiniteNumbersAreNotWritten",
                     [](CPdfPageWriter& w) {
                         const double nan = std::nan("");
                         const double inf = HUGE_VAL;
                         w.DrawLine(nan, 0, 1, 1);
                         const double xs[] = {0, 10, inf};
                         const double ys[] = {0, 10, 20};
                         w.DrawPolyline(xs, ys, 3);
                         double fy[] = {0, nan, 20};
                         w.FillPolygon(kTriangleXs, fy, 3);
                         w.Geometry().scale = inf;
                         w.SetPenWidth(1);
                         w.SetClipRect(0, nan, 10, 10);
                     },
                     "0.000 0.000 0.000 rg\n0.000 0.000 0.000 RG\n"
                     "q\n0.000 0.000 0.000 rg\n0.000 0.000 0.000 RG\n0.000 540.000 m 10.000 530.000 l S\nQ\n"
                     "q\n0.000 0.000 0.000 rg\nQ\n0.000 0.000 0.000 0.000 re W n\n"},
        // Bottom-left origin, no flip: this clip covers the page's bottom-left corner.
        OperatorCase{"ClipRectIsInPdfCoordinates", [](CPdfPageWriter& w) { w.SetClipRect(0, 0, 100, 50); },
                     "0.000 0.000 100.000 50.000 re W n\n"},
        OperatorCase{"ClipToPlayAreaUsesOffsetsAndScale",
                     [](CPdfPageWriter& w) {
                         PageGeometry& g = w.Geometry();
                         g.offX = 10;
                         g.offY = 20;
                         g.scale = 2.0;
                         g.playWidth = 300;
                         g.playHeight = 100;
                         w.ClipToPlayArea();
                     },
                     "20.000 400.000 300.000 100.000 re W n\n"},
        // A window extent of height 0: an empty clip at the top edge of the play area.
        OperatorCase{"ClipToPlayAreaOfHeightZeroIsEmpty",
                     [](CPdfPageWriter& w) {
                         PageGeometry& g = w.Geometry();
                         g.offX = 10;
                         g.offY = 20;
                         g.scale = 2.0;
                         g.playWidth = 300;
                         g.playHeight = 0;
                         w.ClipToPlayArea();
                     },
                     "20.000 500.000 300.000 0.000 re W n\n"},
        OperatorCase{"SaveAndRestoreState",
                     [](CPdfPageWriter& w) {
                         w.SaveState();
                         w.RestoreState();
                     },
                     "q\nQ\n"}),
    [](const ::testing::TestParamInfo<OperatorCase>& info) { return std::string(info.param.name); });

// Characters, a URI link and the three decorations reach the page as a reader sees it.
TEST(PdfPageWriterText, CharactersLinksAndDecorationsReachThePage) {
    if (!HaveTool("pdftotext") || !HaveTool("qpdf")) GTEST_SKIP() << "pdftotext or qpdf missing";
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("text.pdf");
    {
        CPdfPageWriter writer(path);
        writer.CreateDocument();
        writer.SetSourcePath("deck.ppt");
        writer.SetPageOrdinal(2);
        writer.BeginPage(0, 720.0, 540.0);
        ASSERT_EQ(writer.SetFont("Arial", false, false), 1);
        // A face nobody installed is drawn with fontconfig's substitute, as it is measured.
        EXPECT_EQ(writer.SetFont("No Such Face Anywhere", false, false), 1);
        ASSERT_EQ(writer.SetFont("Arial", true, false), 1);
        const std::string word = "Slidemill";
        for (size_t i = 0; i < word.size(); ++i) writer.DrawChar(uint16_t(word[i]), 100.0 + 12.0 * double(i), 200.0, 24.0);
        writer.AddUriLink(100, 330, 108, 24, "http://example.org/");
        writer.DrawChar(65, std::nan(""), 10, 12);  // left out, not written as "nan"
        writer.DrawHeader("Page ~page NO~", 1);
        writer.DrawFooter("~filename~", 2);
        writer.DrawWatermark("DRAFT", 4, 20);
        writer.EndPage();
        writer.Close();
    }
    EXPECT_EQ(RunCommand("qpdf --check " + Quote(path)).exitCode, 0);
    const std::string text = RunCommand("pdftotext -layout " + Quote(path) + " -").output;
    std::string packed;  // fixed-pitch characters come out with gaps between some of them
    for (char c : text) if (c != ' ') packed += c;
    EXPECT_NE(packed.find("Slidemill"), std::string::npos) << text;
    EXPECT_NE(text.find("Page 3"), std::string::npos) << text;
    EXPECT_NE(text.find("deck.ppt"), std::string::npos) << text;
    EXPECT_NE(text.find("DRAFT"), std::string::npos) << text;
    const std::string qdf = RunCommand("qpdf --qdf --object-streams=disable " + Quote(path) + " -").output;
    EXPECT_NE(qdf.find("/URI (http://example.org/)"), std::string::npos);
    EXPECT_EQ(qdf.find("nan"), std::string::npos);
}

// A link to another slide: the runs of both pages reach the writer's bookkeeping, and
// after the last page the source line jumps to the target line's band on its page.
TEST(PdfPageWriterText, RunsOfTwoPagesBecomeALinkBetweenThem) {
    if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf missing";
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("internal.pdf");
    {
        CPdfPageWriter writer(path);
        writer.CreateDocument();
        InternalLinkRecord record;
        record.linkText = "Go to the summary";
        record.targetText = "Summary";
        writer.InternalLinks().push_back(record);
        for (int page = 0; page < 2; ++page) {
            writer.SetPageOrdinal(page);
            writer.BeginPage(page, 720.0, 540.0);
            const std::string text = page == 0 ? "Go to the summary" : "Summary";
            for (int side = 0; side < 2; ++side) writer.AddTextRun(text, 50, 400, 200, 20, side);
            writer.AddTextRun("other line", 50, 300, 100, 20, 0);
            writer.AddTextRun("other line", 50, 300, 100, 20, 1);
            writer.EndPage();
        }
        writer.AddInternalLinks();
        writer.Close();
    }
    EXPECT_EQ(RunCommand("qpdf --check " + Quote(path)).exitCode, 0);
    const std::string qdf = RunCommand("qpdf --qdf --object-streams=disable " + Quote(path) + " -").output;
    const size_t fit = qdf.find("/FitR");
    ASSERT_NE(fit, std::string::npos);
    // One link annotation, on the first page, pointing at the second.
    EXPECT_EQ(qdf.find("/FitR", fit + 1), std::string::npos);
    EXPECT_NE(qdf.find("/Subtype /Link"), std::string::npos);
    std::smatch second, dest;
    ASSERT_TRUE(std::regex_search(qdf, second, std::regex("%% Page 2\n(?:%%[^\n]*\n)*(\\d+) 0 obj")));
    ASSERT_TRUE(std::regex_search(qdf, dest, std::regex("/Dest \\[\\s*(\\d+) 0 R\\s*/FitR")));
    EXPECT_EQ(dest[1].str(), second[1].str());
}

TEST(PdfPageWriterText, OutsideAPageNothingIsDrawnAndNothingFails) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    CPdfPageWriter writer(folder.File("none.pdf"));
    writer.DrawChar(65, 1, 2, 3);
    writer.DrawHeader("x", 0);
    writer.AddUriLink(1, 2, 3, 4, "http://example.org/");
    writer.AddInternalLinks();
    writer.CreateDocument();
    writer.DrawFooter("x", 0);
    writer.DrawWatermark("x", 0, 10);
    writer.BeginPage(0, 100, 100);
    writer.EndPage();
    writer.AddInternalLinks();
    writer.Close();
    SUCCEED();
}

TEST(PdfPageWriterPolygon, LeavesCallerYsFlippedSoASecondFillIsMirrored) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    double ys[] = {10, 10, 100};
    std::string content = DrawOnePage(folder, [&](CPdfPageWriter& w) {
        w.FillPolygon(kTriangleXs, ys, 3);
        EXPECT_EQ(ys[0], 530.0);
        EXPECT_EQ(ys[2], 440.0);
        w.FillPolygon(kTriangleXs, ys, 3);
    });
    EXPECT_EQ(ys[0], 10.0);
    EXPECT_EQ(ys[2], 100.0);
    const std::string second = "10.000 10.000 m\n110.000 10.000 l\n60.000 100.000 l\nh\nf\n";
    EXPECT_NE(content.find("10.000 530.000 m\n110.000 530.000 l\n60.000 440.000 l\nh\nf\n"), std::string::npos)
        << content;
    EXPECT_NE(content.find(second), std::string::npos) << content;
}

// A picture that records what the writer hands over and optionally draws.
class FakePlayback : public IPagePlayback {
public:
    bool hasPicture = true;
    int32_t dpiX = 96;
    int32_t dpiY = 96;
    std::function<void(IPageWriter&)> draw;

    int plays = 0;
    PlayRect rect;
    RenderOptions options;
    double pdfScale = 0.0;
    PageGeometry geometry;  // as the writer had set it when playback began

    bool PictureResolution(int32_t& x, int32_t& y) override {
        x = dpiX;
        y = dpiY;
        return hasPicture;
    }
    int Play(IPageWriter& writer, const PlayRect& r, const RenderOptions& o, double scale) override {
        ++plays;
        rect = r;
        options = o;
        pdfScale = scale;
        geometry = writer.Geometry();
        if (draw) draw(writer);
        return 1;
    }
};

struct SizingCase {
    const char* name;
    double extentX, extentY;  // 0.01 mm
    int32_t dpiX, dpiY;
    int32_t expectedRight, expectedBottom;
};

class PdfPageWriterSizing : public ::testing::TestWithParam<SizingCase> {};

TEST_P(PdfPageWriterSizing, PlayRectangleFollowsPictureAspect) {
    const SizingCase& c = GetParam();
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    FakePlayback picture;
    picture.dpiX = c.dpiX;
    picture.dpiY = c.dpiY;
    DrawOnePage(folder, [&](CPdfPageWriter& w) {
        w.SetPictureExtent(c.extentX, c.extentY, 2);
        EXPECT_EQ(w.PlayMetafile(picture, 0, 0, 720, 540), 1);
    });
    ASSERT_EQ(picture.plays, 1);
    EXPECT_EQ(picture.rect.left, 0);
    EXPECT_EQ(picture.rect.top, 0);
    EXPECT_EQ(picture.rect.right, c.expectedRight);
    EXPECT_EQ(picture.rect.bottom, c.expectedBottom);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PdfPageWriterSizing,
    ::testing::Values(SizingCase{"WideExtentEqualResolution", 2540, 1270, 96, 96, 720, 360},
                      SizingCase{"ExtentXOfTenKeepsPageHeight", 10, 1270, 96, 96, 720, 540},
                      SizingCase{"ExtentYOfTenKeepsPageHeight", 2540, 10, 96, 96, 720, 540},
                      SizingCase{"NoExtentKeepsPageHeight", 0, 0, 96, 96, 720, 540},
                      // Twice the vertical resolution doubles the picture's pixel height.
                      SizingCase{"UnequalResolution", 2540, 1270, 96, 192, 720, 720},
                      SizingCase{"ZeroResolutionKeepsPageHeight", 2540, 1270, 0, 96, 720, 540},
                      SizingCase{"HugeAspectDoesNotOverflow", 1e300, 11, 96, 96, 720, 0},
                      SizingCase{"TinyAspectIsClamped", 11, 1e300, 96, 96, 720, 2147483647}),
    [](const ::testing::TestParamInfo<SizingCase>& info) { return std::string(info.param.name); });

TEST(PdfPageWriterPlayback, SetsGeometryAndOptionsBeforeHandingOver) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    FakePlayback picture;
    std::string content = DrawOnePage(folder, [&](CPdfPageWriter& w) {
        w.Geometry().scale = 0.25;
        w.Geometry().textScale = 3.0;
        w.Options().pageUnitFlag = 1;
        w.Options().eraseBackground = 1;
        w.SetPictureExtent(0, 0, 2);
        picture.draw = [](IPageWriter& writer) {
            writer.Geometry().scale = 0.5;  // what the renderer's mapping does
            writer.SetPenWidth(4);
        };
        EXPECT_EQ(w.PlayMetafile(picture, 12.7, 3.9, 600.9, 400.2), 1);
        EXPECT_EQ(w.Geometry().scale, 0.5);
    });
    EXPECT_EQ(picture.geometry.x0, 12.7);
    EXPECT_EQ(picture.geometry.y0, 3.9);
    EXPECT_EQ(picture.geometry.offX, 12);
    EXPECT_EQ(picture.geometry.offY, 3);
    EXPECT_EQ(picture.geometry.scale, 1.0);
    EXPECT_EQ(picture.geometry.textScale, 1.0);
    EXPECT_EQ(picture.geometry.playWidth, 600.9);
    EXPECT_EQ(picture.geometry.pageHeight, 540.0);
    EXPECT_EQ(picture.pdfScale, 1.0);
    EXPECT_EQ(picture.options.pageUnitFlag, 0);
    EXPECT_EQ(picture.options.eraseBackground, 1);
    EXPECT_EQ(picture.rect.right, 600);
    EXPECT_EQ(picture.rect.bottom, 400);
    EXPECT_EQ(content, "2.000 w\n");
}

TEST(PdfPageWriterPlayback, WithoutPictureNothingIsPlayed) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    FakePlayback picture;
    picture.hasPicture = false;
    DrawOnePage(folder, [&](CPdfPageWriter& w) { EXPECT_EQ(w.PlayMetafile(picture, 0, 0, 720, 540), 0); });
    EXPECT_EQ(picture.plays, 0);
}

TEST(PdfPageWriterDocument, PagesHaveTheSlideSizeAndTheFilePassesChecks) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("deck.pdf");
    {
        CPdfPageWriter writer(path);
        writer.CreateDocument();
        const double sizes[][2] = {{720, 540}, {960, 540}, {595.5, 842.25}};
        for (int i = 0; i < 3; ++i) {
            writer.SetPageOrdinal(i);
            writer.BeginPage(i, sizes[i][0], sizes[i][1]);
            writer.SetPictureExtent(2540, 1905, 2);
            writer.SaveState();
            writer.SetBrushColor(0x0000FF);
            double xs[] = {50, 300, 175};
            double ys[] = {50, 50, 300};
            writer.FillPolygon(xs, ys, 3);
            writer.SetPenColor(0xFF0000);
            writer.SetPenWidth(4);
            writer.DrawLine(0, 0, sizes[i][0], sizes[i][1]);
            writer.RestoreState();
            writer.EndPage();
        }
        writer.SetDocumentInfo("", "", "", "", "");
        writer.Close();
    }
    PoDoFo::PdfMemDocument document(path.c_str());
    ASSERT_EQ(document.GetPageCount(), 3);
    const PoDoFo::PdfRect box = document.GetPage(1)->GetMediaBox();
    EXPECT_EQ(box.GetLeft(), 0.0);
    EXPECT_EQ(box.GetBottom(), 0.0);
    EXPECT_EQ(box.GetWidth(), 960.0);
    EXPECT_EQ(box.GetHeight(), 540.0);
    EXPECT_NEAR(document.GetPage(2)->GetMediaBox().GetHeight(), 842.25, 1e-3);
    EXPECT_EQ(document.GetPdfVersion(), PoDoFo::ePdfVersion_1_6);

    if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf not installed";
    auto check = RunCommand("qpdf --check " + Quote(path));
    EXPECT_EQ(check.exitCode, 0) << check.output;
}

TEST(PdfPageWriterDocument, InformationEntriesAreStoredAndEmptyOnesKept) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    struct Info {
        std::string creator, author, title, subject, keywords;
    };
    const Info cases[] = {{"Slides maker", "A. Author", "The title", "Subject", "one two"}, {"", "", "", "", ""}};
    for (const Info& c : cases) {
        const std::string path = folder.File("info.pdf");
        {
            CPdfPageWriter writer(path);
            writer.CreateDocument();
            writer.BeginPage(0, 100, 100);
            writer.EndPage();
            writer.SetDocumentInfo(c.creator, c.author, c.title, c.subject, c.keywords);
            writer.Close();
        }
        PoDoFo::PdfError::EnableDebug(false);
        PoDoFo::PdfMemDocument document(path.c_str());
        const PoDoFo::PdfObject* info = document.GetInfo()->GetObject();
        const std::pair<const char*, const std::string*> keys[] = {{"Creator", &c.creator},
                                                                   {"Author", &c.author},
                                                                   {"Title", &c.title},
                                                                   {"Subject", &c.subject},
                                                                   {"Keywords", &c.keywords}};
        for (const auto& [key, value] : keys) {
            const PoDoFo::PdfObject* entry = info->GetDictionary().GetKey(PoDoFo::PdfName(key));
            ASSERT_NE(entry, nullptr) << key;
            ASSERT_TRUE(entry->IsString()) << key;
            const PoDoFo::PdfString& s = entry->GetString();
            EXPECT_EQ(std::string(s.GetString(), s.GetLength()), *value) << key;
        }
        EXPECT_NE(info->GetDictionary().GetKey(PoDoFo::PdfName("Producer")), nullptr);
        EXPECT_NE(info->GetDictionary().GetKey(PoDoFo::PdfName("CreationDate")), nullptr);
    }
}

// Windows-1252 text (euro sign, dash) and UTF-8 text both reach a reader as typed.
TEST(PdfPageWriterDocument, NonAsciiInformationReadsBackAsTyped) {
    if (!HaveTool("pdfinfo")) GTEST_SKIP() << "pdfinfo not installed";
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("info.pdf");
    {
        CPdfPageWriter writer(path);
        writer.CreateDocument();
        writer.BeginPage(0, 100, 100);
        writer.EndPage();
        writer.SetDocumentInfo("Caf\xe9 \x80 \x96", "Gr\xc3\xbc\xc3\x9f\xc3\xa9", "\x93quoted\x94", "plain", "k\xe9y");
        writer.Close();
    }
    auto info = RunCommand("pdfinfo -enc UTF-8 " + Quote(path));
    ASSERT_EQ(info.exitCode, 0) << info.output;
    const std::string lines = "\n" + info.output;
    auto field = [&lines](const std::string& key) {
        size_t at = lines.find("\n" + key + ":");
        if (at == std::string::npos) return std::string("<missing>");
        at = lines.find_first_not_of(' ', at + key.size() + 2);
        return lines.substr(at, lines.find('\n', at) - at);
    };
    EXPECT_EQ(field("Creator"), "Caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x93");
    EXPECT_EQ(field("Author"), "Gr\xc3\xbc\xc3\x9f\xc3\xa9");
    EXPECT_EQ(field("Title"), "\xe2\x80\x9cquoted\xe2\x80\x9d");
    EXPECT_EQ(field("Subject"), "plain");
    EXPECT_EQ(field("Keywords"), "k\xc3\xa9y");
}

TEST(PdfPageWriterDocument, RendersWhatWasDrawn) {
    if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm not installed";
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("picture.pdf");
    {
        CPdfPageWriter writer(path);
        writer.CreateDocument();
        writer.BeginPage(0, 200, 100);
        writer.SaveState();
        writer.SetBrushColor(0x0000FF);  // red triangle at the top left (top-left coordinates)
        double xs[] = {0, 100, 0};
        double ys[] = {0, 0, 50};
        writer.FillPolygon(xs, ys, 3);
        writer.SetClipRect(100, 0, 100, 50);  // bottom-right quarter
        writer.SetBrushColor(0x00FF00);
        double bx[] = {0, 200, 200, 0};
        double by[] = {0, 0, 100, 100};
        writer.FillPolygon(bx, by, 4);  // whole page, clipped to the quarter
        writer.RestoreState();
        writer.EndPage();
        writer.Close();
    }
    auto render = RunCommand("pdftoppm -r 72 -aa no -aaVector no -singlefile " + Quote(path) + " " + Quote(folder.File("out")));
    ASSERT_EQ(render.exitCode, 0) << render.output;
    // Binary PPM: "P6\n200 100\n255\n" then RGB triples.
    std::FILE* f = std::fopen(folder.File("out.ppm").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char magic[3] = {};
    int w = 0, h = 0, max = 0;
    ASSERT_EQ(std::fscanf(f, "%2s %d %d %d", magic, &w, &h, &max), 4);
    std::fgetc(f);
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 3);
    ASSERT_EQ(std::fread(pixels.data(), 1, pixels.size(), f), pixels.size());
    std::fclose(f);
    ASSERT_EQ(w, 200);
    ASSERT_EQ(h, 100);
    auto pixel = [&](int x, int y) {
        const unsigned char* p = &pixels[(static_cast<size_t>(y) * w + x) * 3];
        return (p[0] << 16) | (p[1] << 8) | p[2];
    };
    EXPECT_EQ(pixel(10, 5), 0xFF0000);     // inside the triangle
    EXPECT_EQ(pixel(90, 45), 0xFFFFFF);    // beside it
    EXPECT_EQ(pixel(150, 75), 0x00FF00);   // the clipped quarter
    EXPECT_EQ(pixel(150, 25), 0xFFFFFF);   // outside the clip
    EXPECT_EQ(pixel(50, 75), 0xFFFFFF);
}

TEST(PdfPageWriterFailures, MissingOutputFolderThrowsWithPathAndLeavesNoFile) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("no-such-folder/out.pdf");
    std::string message;
    {
        CPdfPageWriter writer(path);
        try {
            writer.CreateDocument();
            ADD_FAILURE() << "CreateDocument did not throw";
        } catch (const PoDoFo::PdfError& error) {
            message = DescribePdfError(error);
        }
        // A failed writer must still be safe to use wrongly and to destroy.
        EXPECT_THROW(writer.BeginPage(0, 100, 100), PoDoFo::PdfError);
        EXPECT_NO_THROW(writer.DrawLine(0, 0, 1, 1));
        EXPECT_THROW(writer.Close(), PoDoFo::PdfError);
    }
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(PdfPageWriterFailures, WriteErrorsSurfaceAndDestructionIsSafe) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    bool threw = false;
    try {
        CPdfPageWriter writer("/dev/full");
        writer.CreateDocument();
        for (int i = 0; i < 50; ++i) {
            writer.BeginPage(i, 720, 540);
            for (int j = 0; j < 200; ++j) writer.DrawLine(j, j, j + 1, j + 1);
            writer.EndPage();
        }
        writer.Close();
    } catch (const PoDoFo::PdfError& error) {
        threw = true;
        EXPECT_NE(DescribePdfError(error).find("cannot write a page of \"/dev/full\""), std::string::npos)
            << DescribePdfError(error);
    }
    EXPECT_TRUE(threw) << "writing to a full device reported success";
}

TEST(PdfPageWriterFailures, AbandonedWriterLeavesAnIncompleteFile) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("abandoned.pdf");
    {
        CPdfPageWriter writer(path);
        writer.CreateDocument();
        writer.BeginPage(0, 720, 540);
        writer.DrawLine(0, 0, 10, 10);
        writer.EndPage();
        writer.BeginPage(1, 720, 540);  // left open on purpose
        writer.DrawLine(0, 0, 10, 10);
    }
    ASSERT_TRUE(std::filesystem::exists(path));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::string bytes;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
    EXPECT_EQ(bytes.rfind("%PDF-1.6", 0), 0u);
    EXPECT_EQ(bytes.find("startxref"), std::string::npos);
    EXPECT_EQ(bytes.find("trailer"), std::string::npos);
}

}  // namespace
}  // namespace slidemill

namespace slidemill {
namespace {

// Fonts and images are created while a page is open; the page stream must come out whole
// and the objects must reach the file.
TEST(PdfPageWriterDocument, ObjectsCreatedMidPageKeepThePageStreamWhole) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("midpage.pdf");
    {
        CPdfPageWriter writer(path);
        EXPECT_EQ(writer.Document(), nullptr);
        writer.CreateDocument();
        EXPECT_EQ(writer.Painter(), nullptr);
        for (int page = 0; page < 2; ++page) {
            writer.BeginPage(page, 200, 100);
            ASSERT_NE(writer.Painter(), nullptr);
            writer.DrawLine(0, 0, 10, 10);
            PoDoFo::PdfImage image(writer.Document());
            const char rgb[] = {'\xff', '\0', '\0', '\0', '\xff', '\0'};
            PoDoFo::PdfMemoryInputStream data(rgb, sizeof rgb);
            image.SetImageData(2, 1, 8, &data);
            writer.Painter()->DrawImage(20, 20, &image, 30, 40);
            writer.DrawLine(50, 50, 60, 60);
            writer.EndPage();
        }
        writer.Close();
    }
    const std::string content = NormalisedContent(PageContent(path, 1));
    const size_t first = content.find("0.000 100.000 m 10.000 90.000 l S");
    const size_t image = content.find(" Do\n");
    const size_t last = content.find("50.000 50.000 m 60.000 40.000 l S");
    EXPECT_NE(first, std::string::npos) << content;
    EXPECT_NE(image, std::string::npos) << content;
    EXPECT_NE(last, std::string::npos) << content;
    EXPECT_LT(first, image);
    EXPECT_LT(image, last);
    if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf not installed";
    auto check = RunCommand("qpdf --check " + Quote(path));
    EXPECT_EQ(check.exitCode, 0) << check.output;
}

}  // namespace
}  // namespace slidemill

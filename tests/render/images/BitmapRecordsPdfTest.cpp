// Bitmap records all the way to a PDF file: the placement's lower-left corner on the page,
// a masking pair keyed on its borders, one image object for a picture on every page, and
// the rendered page.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "pdf/PdfPageWriter.h"
#include "render/images/BitmapRecords.h"
#include "render/images/CornerKey.h"
#include "render/images/RasterOperations.h"
#include "tests/render/images/BitmapFixtures.h"
#include "tests/support/PdfInspect.h"

namespace slidemill {
namespace {

using testing::FakeRenderSurface;
using testing::HaveTool;
using testing::NormalisedContent;
using testing::PageContent;
using testing::Quote;
using testing::RunCommand;
using testing::TempFolder;

void PreparePage(CPdfPageWriter& writer, int index) {
    writer.BeginPage(index, 720, 540);
    writer.Geometry().offX = 0;
    writer.Geometry().offY = 0;
}

TEST(BitmapRecordsToPdf, StretchDibitsLandsWithItsLowerLeftCornerFlipped) {
    // Destination (10, 20, 110, 70) at s = 1 and no offsets on a 540-point-high page: an
    // image 100 x 50 points whose lower-left corner is at (10, 470).
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("stretch.pdf");
    {
        CPdfPageWriter writer(path);
        writer.CreateDocument();
        PreparePage(writer, 0);
        FakeRenderSurface surface;
        uint32_t key = kInitialKeyColor;
        CBitmapRecords records(surface, &writer, 1.0, key);
        const testing::Dib dib = testing::Rgb24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
        records.StretchBlt({10, 20, 110, 70}, dib.bits, dib.bmi, 0, kRopSrcCopy);
        records.StretchBlt({10, 20, 110, 70}, dib.bits, dib.bmi, 0, kRopBlackness);  // leaves the page alone
        writer.EndPage();
        writer.Close();
    }
    const std::string content = NormalisedContent(PageContent(path, 0));
    EXPECT_TRUE(std::regex_search(content, std::regex("^q\n100(\\.0+)? 0 0 50(\\.0+)? 10(\\.0+)? 470(\\.0+)? cm\n/\\S+ Do\nQ\n$")))
        << content;
}

TEST(BitmapRecordsToPdf, SlideLogoOnEveryPageIsOneImageAndRendersKeyed) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("deck.pdf");
    // A logo drawn as a masking pair (SRCAND on white, SRCPAINT on black) on a light page,
    // on each of three pages, and a photo once.
    std::vector<uint32_t> andPart(16 * 16, 0xFFFFFF), paintPart(16 * 16, 0x000000);
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x) {
            andPart[y * 16 + x] = 0x000000;
            paintPart[y * 16 + x] = 0xC00000;
        }
    const testing::Dib andDib = testing::Rgb24(16, 16, andPart);
    const testing::Dib paintDib = testing::Rgb24(16, 16, paintPart);
    std::vector<uint32_t> photo(8 * 8);
    for (int i = 0; i < 64; ++i) photo[i] = uint32_t(i * 4) << 8 | uint32_t(255 - i * 4);
    const testing::Dib photoDib = testing::Rgb24(8, 8, photo);
    {
        CPdfPageWriter writer(path);
        writer.CreateDocument();
        for (int page = 0; page < 3; ++page) {
            PreparePage(writer, page);
            writer.SetBrushColor(0xE0E0E0);
            double xs[] = {0, 720, 720, 0}, ys[] = {0, 0, 540, 540};
            writer.FillPolygon(xs, ys, 4);
            FakeRenderSurface surface;
            uint32_t key = kInitialKeyColor;
            CBitmapRecords records(surface, &writer, 1.0, key);
            if (page == 1) records.StretchBlt({300, 100, 700, 500}, photoDib.bits, photoDib.bmi, 0, kRopSrcCopy);
            records.StretchBlt({20, 20, 180, 180}, andDib.bits, andDib.bmi, 0, kRopSrcAnd);
            records.StretchBlt({20, 20, 180, 180}, paintDib.bits, paintDib.bmi, 0, kRopSrcPaint);
            writer.EndPage();
        }
        writer.Close();
    }
    if (HaveTool("qpdf")) {
        auto check = RunCommand("qpdf --check " + Quote(path));
        EXPECT_EQ(check.exitCode, 0) << check.output;
        // Expanded, the file holds exactly three image objects and their Mask arrays.
        auto qdf = RunCommand("qpdf --qdf --object-streams=disable " + Quote(path) + " " + Quote(folder.File("qdf.pdf")));
        ASSERT_EQ(qdf.exitCode, 0) << qdf.output;
        std::ifstream in(folder.File("qdf.pdf"), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const std::string s = text.str();
        size_t images = 0;
        for (size_t at = s.find("/Subtype /Image"); at != std::string::npos; at = s.find("/Subtype /Image", at + 1))
            ++images;
        EXPECT_EQ(images, 3u);
        EXPECT_NE(s.find("255\n    255\n    255\n    255\n    255\n    255\n"), std::string::npos);  // keyed on white
        EXPECT_NE(s.find("0\n    0\n    0\n    0\n    0\n    0\n"), std::string::npos);  // keyed on black
    }
    if (HaveTool("pdfimages")) {
        auto list = RunCommand("pdfimages -list " + Quote(path));
        std::istringstream lines(list.output);
        std::string line;
        std::set<std::string> objects;
        int rows = 0;
        for (int n = 0; std::getline(lines, line); ++n) {
            if (n < 2) continue;
            std::istringstream fields(line);
            std::string field;
            for (int i = 0; i < 11 && fields >> field; ++i)
                if (i == 10) objects.insert(field);
            ++rows;
        }
        EXPECT_EQ(rows, 7);               // two logo parts on three pages and the photo
        EXPECT_EQ(objects.size(), 3u);    // stored once each
    }
    if (HaveTool("pdftoppm")) {
        auto render = RunCommand("pdftoppm -r 36 -png -f 2 -l 2 -singlefile " + Quote(path) + " " +
                                 Quote(std::string(SLIDEMILL_BINARY_DIR) + "/render-images-page2"));
        EXPECT_EQ(render.exitCode, 0) << render.output;
    }
}

}  // namespace
}  // namespace slidemill

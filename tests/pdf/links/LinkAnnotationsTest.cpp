// Link annotations in a real streamed document, read back the way a reader sees them:
// qpdf's QDF form lists each annotation dictionary in plain text.

#include <gtest/gtest.h>

#include <podofo/podofo.h>

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/links/LinkAnnotations.h"
#include "tests/support/PdfInspect.h"

namespace slidemill {
namespace {

using slidemill::testing::HaveTool;
using slidemill::testing::Quote;
using slidemill::testing::RunCommand;
using slidemill::testing::TempFolder;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(LinkAnnotations, UriAndSlideLinksInAStreamedDocument) {
    if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf missing";
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string pdf = folder.File("links.pdf");
    {
        PoDoFo::PdfStreamedDocument document(pdf.c_str(), PoDoFo::ePdfVersion_1_6, nullptr,
                                             PoDoFo::ePdfWriteMode_Compact);
        PoDoFo::PdfPainter painter;
        for (int i = 0; i < 3; ++i) {
            PoDoFo::PdfPage* page = document.CreatePage(PoDoFo::PdfRect(0, 0, 720, 540));
            painter.SetPage(page);
            painter.DrawLine(0, 0, 10, 10);
            if (i == 0) AddUriLinkAnnotation(document, *page, 50, 440, 40, 10, "http://example.org/x?a=1");
            if (i == 1) AddUriLinkAnnotation(document, *page, 50, std::nanf(""), 40, 10, "http://bad.example/");
            painter.FinishPage();
        }
        std::vector<InternalLinkRecord> records(4);
        records[0].sourcePage = 0;  // page 1 to page 3
        records[0].targetPage = 2;
        const int32_t source[4] = {100, 400, 300, 418};
        const int32_t target[4] = {20, 250, 90, 270};
        std::copy(std::begin(source), std::end(source), records[0].sourceRect);
        std::copy(std::begin(target), std::end(target), records[0].targetRect);
        records[1].sourcePage = 1;  // never found on the target side: no link
        records[2].sourcePage = 1;  // a page that does not exist: skipped
        records[2].targetPage = 7;
        records[3] = records[0];    // the same page on both sides links to that page
        records[3].targetPage = 0;
        EXPECT_EQ(AddInternalLinkAnnotations(document, records), 2);
        document.Close();
    }
    ASSERT_EQ(RunCommand("qpdf --check " + Quote(pdf)).exitCode, 0);
    const std::string qdf = folder.File("links.qdf");
    ASSERT_EQ(RunCommand("qpdf --qdf --object-streams=disable " + Quote(pdf) + " " + Quote(qdf)).exitCode, 0);
    const std::string text = ReadFile(qdf);

    EXPECT_EQ(Count(text, "/Subtype /Link"), 3u) << text;
    EXPECT_NE(text.find("/URI (http://example.org/x?a=1)"), std::string::npos);
    EXPECT_NE(text.find("/S /URI"), std::string::npos);
    EXPECT_EQ(text.find("bad.example"), std::string::npos);  // a NaN rectangle is left out
    EXPECT_EQ(Count(text, "/C [\n    0\n  ]"), 3u) << text;
    EXPECT_EQ(text.find("/Border"), std::string::npos);
    // FitR onto the full-width band of the target: 0 250 720 270.
    const std::regex fitR(R"(/Dest \[\s*(\d+) 0 R\s*/FitR\s*0\s*250\s*720\s*270\s*\])");
    EXPECT_EQ(std::distance(std::sregex_iterator(text.begin(), text.end(), fitR), std::sregex_iterator()), 2) << text;
    EXPECT_NE(text.find("/Rect [\n    100\n    400\n    300\n    418\n  ]"), std::string::npos);
    // All three annotations sit on the first page, in its one /Annots array.
    EXPECT_EQ(Count(text, "/Annots"), 1u) << text;
}

}  // namespace
}  // namespace slidemill

// Text runs of two slides go through the run placement, the run classification and the
// real font, link and annotation components, wired the way the page writer wires them;
// the PDF is then read back as a user's reader sees it.

#include <gtest/gtest.h>

#include <podofo/podofo.h>

#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/NullPageWriter.h"
#include "pdf/fonts/PdfFontSet.h"
#include "render/text/TextRunPlacement.h"
#include "platform/text/WinAnsi.h"
#include "pdf/links/LinkAnnotations.h"
#include "pdf/links/LinkMatching.h"
#include "render/text/LinkRunClassifier.h"
#include "tests/support/PdfInspect.h"

namespace slidemill {
namespace {

using slidemill::testing::HaveTool;
using slidemill::testing::Quote;
using slidemill::testing::RunCommand;
using slidemill::testing::TempFolder;

// The text and link operations of a page writer, delegated to the components.
class TextLinkWriter : public NullPageWriter {
public:
    explicit TextLinkWriter(const std::string& path)
        : document_(path.c_str(), PoDoFo::ePdfVersion_1_6, nullptr, PoDoFo::ePdfWriteMode_Compact) {
        fonts_.LoadFontTable();
    }

    void BeginPage(double width, double height) {
        Geometry().pageWidth = width;
        Geometry().pageHeight = height;
        Geometry().offX = 0;
        Geometry().offY = 0;
        painter_.SetPage(document_.CreatePage(PoDoFo::PdfRect(0, 0, width, height)));
    }
    void EndPage() {
        painter_.FinishPage();
        ++pageOrdinal_;
    }
    void Close() {
        AddInternalLinkAnnotations(document_, internalLinks_);
        document_.Close();
    }

    int SetFont(const std::string& face, bool bold, bool italic) override { return fonts_.SetFont(face, bold, italic); }
    void DrawChar(uint16_t code, double x, double y, double cellHeight) override {
        fonts_.DrawChar(document_, painter_, Geometry().pageHeight, code, x, y, cellHeight);
    }
    bool IsLinkText(const std::string& text) override {
        return slidemill::IsLinkText(SlideLinks{linkAddresses, linkTexts}, text);
    }
    bool FindLinkTarget(const std::string& text, std::string& target) override {
        return slidemill::FindLinkTarget(SlideLinks{linkAddresses, linkTexts}, text, target);
    }
    void AddUriLink(float x, float y, float w, float h, const std::string& target) override {
        auto* page = dynamic_cast<PoDoFo::PdfPage*>(painter_.GetPage());
        if (page != nullptr) AddUriLinkAnnotation(document_, *page, x, y, w, h, target);
    }
    void AddTextRun(const std::string& text, double x, double y, double w, double h, int side) override {
        runs_.AddTextRun(text, x, y, w, h, side, pageOrdinal_);
    }
    bool& LinkContinues() override { return runs_.LinkContinues(); }

    std::vector<std::string> linkAddresses;
    std::vector<std::string> linkTexts;
    std::vector<InternalLinkRecord> internalLinks_;

private:
    PoDoFo::PdfStreamedDocument document_;
    PoDoFo::PdfPainter painter_;
    CPdfFontSet fonts_;
    CLinkRunBook runs_{internalLinks_};
    int pageOrdinal_ = 0;
};

// Every character 8 units wide, cells 16 high.
class FixedMeasure : public ITextRunMeasure {
public:
    bool MeasureText(const char16_t*, int count, int32_t& cx, int32_t& cy) override {
        cx = 8 * count;
        cy = 16;
        return true;
    }
};

// The renderer's side of one text record: place the run, then classify it.
struct RendererSide {
    TextLinkWriter& writer;
    FixedMeasure measure;
    TextRunCursor cursor;
    LinkRunState links;

    void NewPage() {
        cursor = {};
        links = {};
    }
    void Run(int32_t x, int32_t y, const std::u16string& text) {
        std::vector<int32_t> advances(text.size(), 8);
        const PlacedTextRun run = PlaceTextRun(writer, measure, cursor, x, y, text.data(),
                                               static_cast<int>(text.size()), advances.data(), 1.0);
        ClassifyTextRun(writer, links, writer.LinkContinues(), Utf16ToWinAnsiText(text.data(), static_cast<int>(text.size())),
                        TextRunGeometry{run.x, run.y, run.cx, run.cy}, 1.0, writer.Geometry().pageHeight);
    }
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

TEST(TextRunsToLinks, TwoSlidesWithWebMailAndSlideLinks) {
    if (!HaveTool("qpdf") || !HaveTool("pdftotext")) GTEST_SKIP() << "qpdf or poppler-utils missing";
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string pdf = folder.File("slides.pdf");
    {
        TextLinkWriter writer(pdf);
        InternalLinkRecord record;
        record.linkText = "See the summary";
        record.targetText = "Summary";
        writer.internalLinks_.push_back(record);
        RendererSide renderer{writer, {}, {}, {}};
        if (writer.SetFont("Arial", false, false) == 0) GTEST_SKIP() << "no Arial stand-in";

        writer.BeginPage(720, 540);
        writer.linkAddresses = {"http://example.org/docs"};
        writer.linkTexts = {"Read the docs"};
        renderer.NewPage();
        renderer.Run(40, 60, u"Read the docs");
        renderer.Run(40, 100, u"write to team@example.org");
        renderer.Run(40, 140, u"See the");
        renderer.Run(104, 140, u" summary");  // same line: joined with the run before
        writer.EndPage();

        writer.BeginPage(720, 540);
        writer.linkAddresses.clear();
        writer.linkTexts.clear();
        renderer.NewPage();
        renderer.Run(40, 300, u"Summary \u2013 all done");
        writer.EndPage();
        writer.Close();
    }
    ASSERT_EQ(RunCommand("qpdf --check " + Quote(pdf)).exitCode, 0);
    // Characters sit at the record's fixed advances, so the reader's word breaks fall
    // anywhere; the characters themselves must all be there.
    std::string text = RunCommand("pdftotext -raw " + Quote(pdf) + " -").output;
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n'; });
    EXPECT_NE(text.find("Readthedocs"), std::string::npos) << text;
    EXPECT_NE(text.find("Summary\u2013alldone"), std::string::npos) << text;

    const std::string qdf = folder.File("slides.qdf");
    ASSERT_EQ(RunCommand("qpdf --qdf --object-streams=disable " + Quote(pdf) + " " + Quote(qdf)).exitCode, 0);
    const std::string file = ReadFile(qdf);
    EXPECT_NE(file.find("/URI (http://example.org/docs)"), std::string::npos);
    EXPECT_NE(file.find("/URI (Mailto:write to team@example.org)"), std::string::npos);
    // The slide link spans "See the summary" (40 ... 40 + 15 x 8) on the line whose
    // baseline is at 540 - 140, and zooms onto the band of "Summary" on page 2.
    EXPECT_NE(file.find("/Rect [\n    40\n    400\n    160\n    416\n  ]"), std::string::npos) << file;
    const std::regex fitR(R"(/Dest \[\s*\d+ 0 R\s*/FitR\s*0\s*240\s*720\s*256\s*\])");
    EXPECT_TRUE(std::regex_search(file, fitR)) << file;
}

}  // namespace
}  // namespace slidemill

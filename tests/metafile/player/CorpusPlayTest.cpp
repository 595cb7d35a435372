// Every EMF of the shared corpus plays to its end or stops with result 5, through the
// parser and renderer into a writer that discards everything and into the recording
// double, without a crash or a sanitizer report.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "metafile/player/EmfPagePlayback.h"
#include "metafile/player/EmfParser.h"
#include "pdf/NullPageWriter.h"
#include "platform/wmf/PlaceableHeader.h"
#include "platform/wmf2emf/WmfToEmf.h"
#include "tests/support/RecordingPageWriter.h"

namespace slidemill {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusFiles(const char* folder, const char* extension) {
    std::vector<fs::path> files;
    fs::path dir = fs::path(SLIDEMILL_CORPUS) / folder;
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return files;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.path().extension() == extension) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<uint8_t> ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(CorpusPlay, EveryEmfPlaysToItsEndOrStopsCleanly) {
    auto files = CorpusFiles("emf", ".emf");
    if (files.empty()) GTEST_SKIP() << "no corpus";
    auto measurer = std::make_shared<CFreeTypeTextMeasurer>();
    int done = 0;
    for (const auto& f : files) {
        SCOPED_TRACE(f.filename().string());
        std::vector<uint8_t> bytes = ReadAll(f);
        CEmfPagePlayback picture(bytes, measurer);
        for (int pass = 0; pass < 2; ++pass) {
            NullPageWriter null;
            testing::RecordingPageWriter recording;
            IPageWriter& writer = pass == 0 ? static_cast<IPageWriter&>(null) : recording;
            writer.Geometry().pageWidth = writer.Geometry().playWidth = 720;
            writer.Geometry().pageHeight = 540;
            writer.Geometry().offX = writer.Geometry().offY = 0;
            int result = picture.Play(writer, PlayRect{0, 0, 720, 540}, RenderOptions{}, 1.0);
            EXPECT_TRUE(result == kPlayDone || result == kPlayStopped || result == kPlayNoHeader) << result;
            if (pass == 0 && result == kPlayDone) ++done;
        }
    }
    // Most of the corpus is sound; only the deliberately damaged files may stop early.
    EXPECT_GE(done, int(files.size()) / 2);
}

// The slide pictures LibreOffice exports, converted to EMF, play to their end and put
// their filled shapes and outlines on the page.
TEST(CorpusPlay, SlidePicturesPlayToTheirEnd) {
    auto files = CorpusFiles("lo-slides", ".wmf");
    if (files.empty()) GTEST_SKIP() << "no corpus";
    auto measurer = std::make_shared<CFreeTypeTextMeasurer>();
    for (const auto& f : files) {
        SCOPED_TRACE(f.filename().string());
        std::vector<uint8_t> bytes = ReadAll(f);
        auto placeable = ReadPlaceableHeader(bytes);
        ASSERT_TRUE(placeable.has_value());
        WmfConversionOptions options;
        options.picture = MetafilePict{8, placeable->WidthHundredthsMm(), placeable->HeightHundredthsMm()};
        options.placeableBounds = EmfRectL{placeable->left, placeable->top, placeable->right, placeable->bottom};
        std::vector<uint8_t> emf;
        ASSERT_TRUE(ConvertWmfToEmf(std::span<const uint8_t>(bytes).subspan(kPlaceableHeaderSize), options, emf));
        CEmfPagePlayback picture(emf, measurer);
        testing::RecordingPageWriter writer;
        writer.geometry.pageWidth = writer.geometry.playWidth = 720;
        writer.geometry.pageHeight = 540;
        writer.geometry.offX = writer.geometry.offY = 0;
        EXPECT_EQ(picture.Play(writer, PlayRect{0, 0, 720, 540}, RenderOptions{}, 1.0), kPlayDone);
        // The page mapping comes from the picture's window: the slide fills the play width.
        EXPECT_NEAR(writer.geometry.scale * placeable->Width(), 720, 1);
        int depth = 0;
        for (const auto& c : writer.calls) {
            depth += c == "SaveState" ? 1 : c == "RestoreState" ? -1 : 0;
            EXPECT_GE(depth, 0);
        }
    }
}

}  // namespace
}  // namespace slidemill

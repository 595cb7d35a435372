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
#include "tests/support/RecordingPageWriter.h"

namespace slidemill {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusEmfs() {
    std::vector<fs::path> files;
    fs::path dir = fs::path(SLIDEMILL_CORPUS) / "emf";
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return files;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.path().extension() == ".emf") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<uint8_t> ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(CorpusPlay, EveryEmfPlaysToItsEndOrStopsCleanly) {
    auto files = CorpusEmfs();
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

}  // namespace
}  // namespace slidemill

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

// A placeable picture converted to EMF and played onto a 720 x 540 recording page.
testing::RecordingPageWriter PlayPlaceable(const fs::path& file) {
    testing::RecordingPageWriter writer;
    std::vector<uint8_t> bytes = ReadAll(file);
    auto placeable = ReadPlaceableHeader(bytes);
    EXPECT_TRUE(placeable.has_value());
    if (!placeable) return writer;
    WmfConversionOptions options;
    options.picture = MetafilePict{8, placeable->WidthHundredthsMm(), placeable->HeightHundredthsMm()};
    options.placeableBounds = EmfRectL{placeable->left, placeable->top, placeable->right, placeable->bottom};
    std::vector<uint8_t> emf;
    EXPECT_TRUE(ConvertWmfToEmf(std::span<const uint8_t>(bytes).subspan(kPlaceableHeaderSize), options, emf));
    CEmfPagePlayback picture(emf, std::make_shared<CFreeTypeTextMeasurer>());
    writer.geometry.pageWidth = writer.geometry.playWidth = 720;
    writer.geometry.pageHeight = 540;
    writer.geometry.offX = writer.geometry.offY = 0;
    EXPECT_EQ(picture.Play(writer, PlayRect{0, 0, 720, 540}, RenderOptions{}, 1.0), kPlayDone);
    return writer;
}

// A picture whose window starts at a negative origin lands on the page: most of its
// filled shapes have points inside the play area.
TEST(CorpusPlay, NegativeWindowOriginPictureLandsOnThePage) {
    const fs::path file = fs::path(SLIDEMILL_CORPUS) / "wmf" / "rtfjs__test__wmf-test-files__car-1__source.wmf";
    if (!fs::exists(file)) GTEST_SKIP() << "no corpus";
    const testing::RecordingPageWriter writer = PlayPlaceable(file);
    int fills = 0, onPage = 0;
    for (const std::string& c : writer.calls) {
        if (c.rfind("FillPolygon", 0) != 0) continue;
        ++fills;
        const size_t colon = c.find(':');
        const size_t comma = c.find(',', colon);
        const double x = std::stod(c.substr(colon + 1, comma - colon - 1));
        const double y = std::stod(c.substr(comma + 1));
        if (x >= 0 && x <= 720 && y >= 0 && y <= 540) ++onPage;
    }
    EXPECT_GT(fills, 50);
    EXPECT_GT(onPage, fills * 3 / 4);
}

// LibreOffice's transparent pictures (a SRCPAINT mask and a SRCAND image each) become one
// image apiece, with a soft mask.
TEST(CorpusPlay, TransparentSlidePicturesAreOneMaskedImageEach) {
    const fs::path file = fs::path(SLIDEMILL_CORPUS) / "lo-slides" / "54541_cropped_bitmap_s01.wmf";
    if (!fs::exists(file)) GTEST_SKIP() << "no corpus";
    const testing::RecordingPageWriter writer = PlayPlaceable(file);
    int images = 0, masked = 0;
    for (const std::string& c : writer.calls) {
        if (c.rfind("DrawImage", 0) != 0) continue;
        ++images;
        masked += c.find(" alpha") != std::string::npos;
    }
    EXPECT_EQ(images, 12);  // twelve pairs in the picture
    EXPECT_EQ(masked, images);
}

}  // namespace
}  // namespace slidemill

// Real metafiles from the shared corpus: every bitmap record of every EMF (damaged ones
// included) through the bitmap-record code onto one page per file. The records are found
// with a small walk of their framing here; the fields are those of [MS-EMF] 2.3.1. The
// file must pass qpdf and carry the images; nothing may crash.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "metafile/ByteReader.h"
#include "pdf/PdfPageWriter.h"
#include "render/images/BitmapRecords.h"
#include "render/images/CornerKey.h"
#include "tests/render/images/BitmapFixtures.h"
#include "tests/support/PdfInspect.h"

namespace slidemill {
namespace {

using testing::FakeRenderSurface;
using testing::HaveTool;
using testing::Quote;
using testing::RunCommand;
using testing::TempFolder;

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The bytes [offset, offset + size) of a record, empty when they are not all inside it.
std::span<const uint8_t> Part(std::span<const uint8_t> record, uint32_t offset, uint32_t size) {
    ByteReader r(record);
    if (!r.Contains(offset, size)) return {};
    return record.subspan(offset, size);
}

// Plays the bitmap records of one EMF onto the writer's open page; returns how many there
// were. A window origin and extent, when the file sets them, map the picture onto the
// page (a rough stand-in for the renderer's mapping, enough to see the pictures);
// otherwise the header's bounds do.
int PlayBitmapRecords(std::span<const uint8_t> emf, CPdfPageWriter& writer) {
    int seen = 0;
    ByteReader file(emf);
    const double left = int32_t(file.PeekU32(8)), top = int32_t(file.PeekU32(12));
    const double right = int32_t(file.PeekU32(16)), bottom = int32_t(file.PeekU32(20));
    double scale = 540.0 / std::max({right - left, bottom - top, 1.0});
    writer.Geometry().offX = int32_t(std::clamp(-left, -1e9, 1e9));
    writer.Geometry().offY = int32_t(std::clamp(-top, -1e9, 1e9));
    FakeRenderSurface surface;
    uint32_t key = kInitialKeyColor;
    size_t at = 0;
    while (file.Contains(at, 8)) {
        const uint32_t type = file.PeekU32(at);
        const uint32_t size = file.PeekU32(at + 4);
        if (size < 8 || size % 4 != 0 || !file.Contains(at, size)) break;
        const std::span<const uint8_t> rec = emf.subspan(at, size);
        const ByteReader r(rec);
        auto i32 = [&](size_t o) { return int32_t(r.PeekU32(o)); };
        auto u32 = [&](size_t o) { return r.PeekU32(o); };
        auto bitmap = [&](size_t offBmi) {
            return std::pair{Part(rec, u32(offBmi + 8), u32(offBmi + 12)), Part(rec, u32(offBmi), u32(offBmi + 4))};
        };  // (bits, bmi) from the offBmi, cbBmi, offBits, cbBits quadruple
        CBitmapRecords records(surface, &writer, scale, key);
        switch (type) {
            case 9:  // EMR_SETWINDOWEXTEX
                if (std::max(i32(8), i32(12)) > 0) scale = 540.0 / std::max(i32(8), i32(12));
                break;
            case 10:  // EMR_SETWINDOWORGEX
                writer.Geometry().offX = int32_t(std::clamp(-double(i32(8)), -1e9, 1e9));
                writer.Geometry().offY = int32_t(std::clamp(-double(i32(12)), -1e9, 1e9));
                break;
            case 76:  // EMR_BITBLT
            case 77: {  // EMR_STRETCHBLT
                const RECTL dest{i32(24), i32(28), i32(24) + i32(32), i32(28) + i32(36)};
                auto [bits, bmi] = bitmap(84);
                if (!bmi.empty()) records.StretchBlt(dest, bits, bmi, u32(80), u32(40));
                ++seen;
                break;
            }
            case 78: {  // EMR_MASKBLT
                const RECTL dest{i32(24), i32(28), i32(24) + i32(32), i32(28) + i32(36)};
                auto [bits, bmi] = bitmap(84);
                auto [maskBits, maskBmi] = bitmap(112);
                records.MaskBlt(dest, bits, bmi, u32(80), u32(40), i32(100), i32(104), maskBits, maskBmi);
                ++seen;
                break;
            }
            case 79: {  // EMR_PLGBLT
                const POINTL points[3] = {{i32(24), i32(28)}, {i32(32), i32(36)}, {i32(40), i32(44)}};
                auto [bits, bmi] = bitmap(96);
                auto [maskBits, maskBmi] = bitmap(124);
                records.PlgBlt(points, bits, bmi, u32(92), i32(112), i32(116), maskBits, maskBmi);
                ++seen;
                break;
            }
            case 80: {  // EMR_SETDIBITSTODEVICE
                const RECTL dest{i32(24), i32(28), i32(24) + i32(40), i32(28) + i32(44)};
                auto [bits, bmi] = bitmap(48);
                records.StretchBlt(dest, bits, bmi, u32(64), 0x00CC0020);
                ++seen;
                break;
            }
            case 81: {  // EMR_STRETCHDIBITS
                const RECTL dest{i32(24), i32(28), i32(24) + i32(72), i32(28) + i32(76)};
                auto [bits, bmi] = bitmap(48);
                records.StretchBlt(dest, bits, bmi, u32(64), u32(68));
                ++seen;
                break;
            }
            case 114:  // EMR_ALPHABLEND
            case 116: {  // EMR_TRANSPARENTBLT
                const RECTL dest{i32(24), i32(28), i32(24) + i32(32), i32(28) + i32(36)};
                auto [bits, bmi] = bitmap(84);
                if (type == 114) records.AlphaBlend(dest, bits, bmi, u32(80), u32(40));
                else records.TransparentBlt(dest, bits, bmi, u32(80), u32(40));
                ++seen;
                break;
            }
            default:
                break;
        }
        at += size;
    }
    return seen;
}

TEST(BitmapRecordsCorpus, EveryBitmapRecordOfTheCorpusReachesAValidPdf) {
    const std::filesystem::path corpus = std::filesystem::path(SLIDEMILL_CORPUS) / "emf";
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "corpus not available";
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(corpus))
        if (entry.path().extension() == ".emf") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());

    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("corpus.pdf");
    int bitmapRecords = 0;
    size_t placed = 0;
    {
        CPdfPageWriter writer(path);
        writer.CreateDocument();
        int page = 0;
        for (const auto& file : files) {
            const std::vector<uint8_t> emf = ReadFile(file);
            ByteReader header(emf);
            if (!header.Contains(0, 24) || header.PeekU32(0) != 1) continue;
            writer.BeginPage(page++, 720, 540);
            bitmapRecords += PlayBitmapRecords(emf, writer);
            writer.EndPage();
        }
        placed = writer.DistinctImageCount();
        writer.Close();
    }
    EXPECT_GT(bitmapRecords, 100);
    EXPECT_GT(placed, 20u);
    if (HaveTool("qpdf")) {
        auto check = RunCommand("qpdf --check " + Quote(path));
        EXPECT_EQ(check.exitCode, 0) << check.output.substr(0, 2000);
    }
    if (HaveTool("pdftoppm")) {
        // Kept beside the build for a person to look at: the contact sheet of all pages.
        const std::string out = std::string(SLIDEMILL_BINARY_DIR) + "/render-images-corpus.pdf";
        std::error_code ignored;
        std::filesystem::copy_file(path, out, std::filesystem::copy_options::overwrite_existing, ignored);
        auto render = RunCommand("pdftoppm -r 10 -png " + Quote(path) + " " + Quote(folder.File("p")));
        EXPECT_EQ(render.exitCode, 0) << render.output.substr(0, 2000);
    }
}

}  // namespace
}  // namespace slidemill

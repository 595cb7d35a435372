// Playback benchmark, run by hand: plays the slide pictures of the corpus through the
// record parser and renderer into (a) a writer that discards everything and (b) the real
// PDF page writer, and prints records and pages per second.
//
//   slidemill-bench-playback [corpus folder] [rounds] [emf]
//
// The pictures are the LibreOffice slide exports (lo-slides/*.wmf, converted to EMF
// first); with "emf", or when none can be converted, the stand-alone EMF files
// (emf/*.emf). It also times text measurement, which text records without spacing
// arrays need for every string.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "metafile/player/EmfPagePlayback.h"
#include "pdf/NullPageWriter.h"
#include "pdf/PdfPageWriter.h"
#include "platform/wmf/PlaceableHeader.h"
#include "platform/wmf2emf/WmfToEmf.h"

using namespace slidemill;
namespace fs = std::filesystem;

namespace {

struct Picture {
    std::string name;
    std::vector<uint8_t> emf;
    double extentX = 0, extentY = 0;  // 0.01 mm
};

std::vector<uint8_t> ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> Files(const fs::path& dir, const std::string& ext) {
    std::vector<fs::path> out;
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return out;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.path().extension() == ext) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<Picture> LoadSlides(const fs::path& corpus, bool emfOnly) {
    std::vector<Picture> pictures;
    if (!emfOnly)
        for (const auto& f : Files(corpus / "lo-slides", ".wmf")) {
        std::vector<uint8_t> bytes = ReadAll(f);
        auto placeable = ReadPlaceableHeader(bytes);
        std::span<const uint8_t> wmf(bytes);
        WmfConversionOptions options;
        Picture p;
        p.name = f.filename().string();
        if (placeable) {
            wmf = wmf.subspan(kPlaceableHeaderSize);
            options.picture = MetafilePict{8, placeable->WidthHundredthsMm(), placeable->HeightHundredthsMm()};
            options.placeableBounds = EmfRectL{placeable->left, placeable->top, placeable->right, placeable->bottom};
            p.extentX = placeable->WidthHundredthsMm();
            p.extentY = placeable->HeightHundredthsMm();
        }
        if (ConvertWmfToEmf(wmf, options, p.emf)) pictures.push_back(std::move(p));
    }
    if (!pictures.empty()) return pictures;
    for (const auto& f : Files(corpus / "emf", ".emf")) pictures.push_back({f.filename().string(), ReadAll(f), 0, 0});
    return pictures;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    fs::path corpus = argc > 1 ? fs::path(argv[1]) : fs::path(SLIDEMILL_CORPUS);
    int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    bool emfOnly = argc > 3 && std::string(argv[3]) == "emf";
    std::vector<Picture> pictures = LoadSlides(corpus, emfOnly);
    if (pictures.empty()) {
        std::fprintf(stderr, "no pictures under %s\n", corpus.string().c_str());
        return 1;
    }
    auto measurer = std::make_shared<CFreeTypeTextMeasurer>();
    std::vector<std::unique_ptr<CEmfPagePlayback>> playbacks;
    for (auto& p : pictures) playbacks.push_back(std::make_unique<CEmfPagePlayback>(p.emf, measurer));

    // (a) Parser and renderer alone.
    uint64_t records = 0, pages = 0;
    int failures = 0;
    auto start = std::chrono::steady_clock::now();
    std::clock_t cpuStart = std::clock();
    for (int round = 0; round < rounds; ++round)
        for (auto& pb : playbacks) {
            NullPageWriter writer;
            writer.Geometry().pageWidth = writer.Geometry().playWidth = 720;
            writer.Geometry().pageHeight = 540;
            writer.Geometry().offX = writer.Geometry().offY = 0;
            if (pb->Play(writer, PlayRect{0, 0, 720, 540}, RenderOptions{}, 1.0) != 0) ++failures;
            records += pb->LastRecordCount();
            ++pages;
        }
    double t = Seconds(std::chrono::steady_clock::now() - start);
    double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    // The processor time is the steadier figure on a machine shared with other work.
    std::printf("null writer: %zu pictures x %d rounds: %llu records, %llu pages in %.3f s (%.3f s processor):"
                " %.0f records/s, %.1f pages/s (%d stopped early)\n",
                pictures.size(), rounds, (unsigned long long)records, (unsigned long long)pages, t, cpu,
                records / (cpu > 0 ? cpu : t), pages / (cpu > 0 ? cpu : t), failures);

    // (b) Through the PDF page writer into a file.
    fs::path out = fs::temp_directory_path() / "slidemill-bench.pdf";
    uint64_t pdfPages = 0;
    start = std::chrono::steady_clock::now();
    {
        CPdfPageWriter writer(out.string());
        writer.CreateDocument();
        for (int round = 0; round < std::max(1, rounds / 4); ++round)
            for (size_t i = 0; i < playbacks.size(); ++i) {
                writer.BeginPage(int(i), 720, 540);
                writer.SetPictureExtent(pictures[i].extentX, pictures[i].extentY, 2);
                writer.SaveState();
                writer.PlayMetafile(*playbacks[i], 0, 0, 720, 540);
                writer.RestoreState();
                writer.EndPage();
                ++pdfPages;
            }
        writer.Close();
    }
    t = Seconds(std::chrono::steady_clock::now() - start);
    std::printf("PDF writer: %llu pages in %.3f s: %.1f pages/s -> %s (%llu bytes)\n", (unsigned long long)pdfPages, t,
                pdfPages / t, out.string().c_str(), (unsigned long long)fs::file_size(out));

    // (c) Text measurement: 20-character runs in a few faces and sizes.
    {
        const char16_t text[] = u"The quick brown fox ";
        const char* faces[] = {"Arial", "Times New Roman", "Calibri", "Courier New"};
        std::vector<int32_t> extents;
        const int runs = 200000;
        start = std::chrono::steady_clock::now();
        for (int i = 0; i < runs; ++i) {
            LOGFONTW font;
            font.lfHeight = -(12 + i % 5) * 35;
            font.lfWeight = i % 3 == 0 ? 700 : 400;
            const char* face = faces[i % 4];
            for (size_t k = 0; face[k]; ++k) font.lfFaceName[k] = char16_t(face[k]);
            measurer->MeasureExtents(font, text, 20, extents);
        }
        t = Seconds(std::chrono::steady_clock::now() - start);
        std::printf("text measurement: %d runs of 20 characters in %.3f s: %.0f runs/s\n", runs, t, runs / t);
    }
    return 0;
}

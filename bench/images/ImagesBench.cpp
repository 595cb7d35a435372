// Converts N pages that each carry one full-page 24-bit picture (3300 x 2550 pixels by
// default, an 11 x 8.5 inch slide at 300 dpi) and reports the time per page and the
// memory in use as the run goes on.
//
//   bench_images [--pages N] [--width W] [--height H] [--out file.pdf] [--same] [--held]
//
// Each page's picture differs from the others (unless --same), so every page writes a new
// image object. The picture goes the way a slide's does: a packed DIB as an
// EMR_STRETCHDIBITS record carries it, decoded and placed by the bitmap-record code.
// --held places the pixels the plain way instead (a PoDoFo image created and filled while
// the page is open), which the streamed document keeps in memory until it is closed: the
// comparison shows what the page writer's deferred image data saves.

#include <sys/resource.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <podofo/podofo.h>

#include "pdf/PdfPageWriter.h"
#include "platform/dib/DibDecoder.h"
#include "platform/gdi/PlaybackContext.h"
#include "render/RenderSurface.h"
#include "render/images/BitmapRecords.h"
#include "render/images/CornerKey.h"
#include "render/images/RasterOperations.h"

namespace {

using namespace slidemill;

class BenchSurface : public IRenderSurface {
public:
    CRasterSurface* QueryGraphics() override { return nullptr; }
    PlaybackContext* QuerySurfaceDC() override { return nullptr; }
    void ReleaseSurfaceDC(PlaybackContext*) override {}
    bool QueryMonochrome() override { return false; }
    int32_t QueryROP2() override { return 13; }
    COLORREF QueryTextColor() override { return 0; }
    COLORREF QueryBkColor() override { return 0xFFFFFF; }
    int32_t QueryBkMode() override { return 2; }
    const RasterBrush* QueryBrush() override { return nullptr; }
    COLORREF MapColor(COLORREF c) override { return c; }
    void DrawImage(const RasterBrush&, const RectF&) override {}
};

// Resident memory now, in MiB (from /proc/self/statm).
double ResidentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (8 * i));
}

// A photograph-like picture: smooth gradients with a little grain, bottom-up BGR rows.
std::vector<uint8_t> PictureBits(uint32_t width, uint32_t height) {
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> bits(stride * height);
    uint32_t seed = 1;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = &bits[size_t(y) * stride];
        for (uint32_t x = 0; x < width; ++x) {
            seed = seed * 1103515245 + 12345;
            const int grain = int((seed >> 24) & 7) - 4;
            row[x * 3 + 0] = uint8_t(std::clamp(int(x * 255 / width) + grain, 0, 255));
            row[x * 3 + 1] = uint8_t(std::clamp(int(y * 255 / height) + grain, 0, 255));
            row[x * 3 + 2] = uint8_t(std::clamp(int((x + y) * 127 / (width + height)) + 64 + grain, 0, 255));
        }
    }
    return bits;
}

std::vector<uint8_t> InfoHeader(uint32_t width, uint32_t height) {
    std::vector<uint8_t> bmi(40, 0);
    Put32(bmi, 0, 40);
    Put32(bmi, 4, width);
    Put32(bmi, 8, height);
    bmi[12] = 1;
    bmi[14] = 24;
    return bmi;
}

}  // namespace

int main(int argc, char** argv) {
    int pages = 100;
    uint32_t width = 3300, height = 2550;
    std::string out = "bench-images.pdf";
    bool same = false, held = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--pages") pages = std::atoi(next());
        else if (a == "--width") width = uint32_t(std::atoi(next()));
        else if (a == "--height") height = uint32_t(std::atoi(next()));
        else if (a == "--out") out = next();
        else if (a == "--same") same = true;
        else if (a == "--held") held = true;
        else {
            std::fprintf(stderr, "usage: bench_images [--pages N] [--width W] [--height H] [--out F] [--same] [--held]\n");
            return 2;
        }
    }
    if (pages <= 0 || width == 0 || height == 0) return 2;

    std::vector<uint8_t> bits = PictureBits(width, height);
    const std::vector<uint8_t> bmi = InfoHeader(width, height);
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    std::printf("%d pages, %ux%u 24-bit picture each (%.1f MiB of pixels), %s, %s\n", pages, width, height,
                double(bits.size()) / (1024.0 * 1024.0), same ? "the same picture" : "a different picture per page",
                held ? "images held until Close (plain PoDoFo)" : "page writer DrawImage");
    std::printf("resident before the run: %.1f MiB\n", ResidentMiB());

    const double pageW = 792.0, pageH = 612.0;
    const auto start = std::chrono::steady_clock::now();
    double slowest = 0.0;
    {
        CPdfPageWriter writer(out);
        writer.CreateDocument();
        BenchSurface surface;
        uint32_t key = kInitialKeyColor;
        for (int page = 0; page < pages; ++page) {
            const auto pageStart = std::chrono::steady_clock::now();
            // Mark the picture with the page number (one row of it), so that pages differ.
            if (!same) std::memset(&bits[(size_t(page) % height) * stride], page & 0xFF, stride);
            writer.BeginPage(page, pageW, pageH);
            writer.Geometry().offX = 0;
            writer.Geometry().offY = 0;
            if (!held) {
                // The picture as the renderer hands it over: destination in logical units
                // at a scale that maps the slide onto the page.
                CBitmapRecords records(surface, &writer, pageW / width, key);
                records.StretchBlt({0, 0, int32_t(width), int32_t(height)}, bits, bmi, 0, kRopSrcCopy);
            } else {
                DecodedImage image;
                DecodeDib(bmi, bits, DibColorUsage::RgbColors, nullptr, image);
                PoDoFo::PdfImage pdfImage(writer.Document());
                PoDoFo::PdfMemoryInputStream input(reinterpret_cast<const char*>(image.rgb.data()),
                                                   PoDoFo::pdf_long(image.rgb.size()));
                pdfImage.SetImageData(image.width, image.height, 8, &input);
                writer.Painter()->DrawImage(0, 0, &pdfImage, pageW / image.width, pageH / image.height);
            }
            writer.EndPage();
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - pageStart).count();
            slowest = std::max(slowest, seconds);
            if (page == 0 || (page + 1) % 10 == 0)
                std::printf("page %3d: %.3f s, resident %.1f MiB\n", page + 1, seconds, ResidentMiB());
        }
        const auto closeStart = std::chrono::steady_clock::now();
        writer.Close();
        std::printf("close: %.3f s, %zu image objects\n",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - closeStart).count(),
                    writer.DistinctImageCount());
    }
    const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::ifstream file(out, std::ios::binary | std::ios::ate);
    std::printf("total %.2f s, %.3f s per page (slowest %.3f s), peak resident %.1f MiB, file %.1f MiB\n", total,
                total / pages, slowest, PeakMiB(), double(file.tellg()) / (1024.0 * 1024.0));
    return 0;
}

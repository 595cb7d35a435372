// Images through the PDF page writer, read back as a user would: the placement in the
// content stream, the image objects and their masks, one object for a picture that
// repeats, the file checked by qpdf and listed by pdfimages, and the page rendered.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <podofo/podofo.h>

#include "pdf/PdfPageWriter.h"
#include "platform/dib/DibTypes.h"
#include "tests/support/PdfInspect.h"

namespace slidemill {
namespace {

using testing::HaveTool;
using testing::NormalisedContent;
using testing::PageContent;
using testing::Quote;
using testing::RunCommand;
using testing::TempFolder;

DecodedImage Solid(uint32_t w, uint32_t h, uint32_t rgb) {
    DecodedImage image;
    image.width = w;
    image.height = h;
    image.rgb.resize(size_t(w) * h * 3);
    for (size_t i = 0; i < image.rgb.size(); i += 3) {
        image.rgb[i] = uint8_t(rgb >> 16);
        image.rgb[i + 1] = uint8_t(rgb >> 8);
        image.rgb[i + 2] = uint8_t(rgb);
    }
    return image;
}

// Pseudo-random pixels: they do not compress, so their size on disk shows where they went.
DecodedImage Noise(uint32_t w, uint32_t h, uint32_t seed) {
    DecodedImage image;
    image.width = w;
    image.height = h;
    image.rgb.resize(size_t(w) * h * 3);
    for (auto& byte : image.rgb) {
        seed = seed * 1103515245 + 12345;
        byte = static_cast<uint8_t>(seed >> 24);
    }
    return image;
}

// One document, pages drawn by `pages[i]` on 720 x 540 pages.
void WriteDocument(const std::string& path, const std::vector<std::function<void(CPdfPageWriter&)>>& pages) {
    CPdfPageWriter writer(path);
    writer.CreateDocument();
    for (size_t i = 0; i < pages.size(); ++i) {
        writer.BeginPage(int(i), 720, 540);
        pages[i](writer);
        writer.EndPage();
    }
    writer.Close();
}

struct ImageObject {
    long width = 0, height = 0;
    std::string colorSpace, filter;
    std::vector<long> mask;  // the /Mask array, empty without one
    bool hasSoftMask = false;
};

// The image objects of a file that are not themselves soft masks.
std::vector<ImageObject> ColourImages(const std::string& path) {
    PoDoFo::PdfError::EnableDebug(false);
    PoDoFo::PdfMemDocument document(path.c_str());
    std::set<PoDoFo::PdfReference> softMasks;
    std::vector<PoDoFo::PdfObject*> images;
    for (PoDoFo::PdfObject* object : document.GetObjects()) {
        if (!object->IsDictionary()) continue;
        const PoDoFo::PdfObject* subtype = object->GetDictionary().GetKey("Subtype");
        if (subtype == nullptr || !subtype->IsName() || subtype->GetName().GetName() != "Image") continue;
        images.push_back(object);
        if (const PoDoFo::PdfObject* s = object->GetDictionary().GetKey("SMask"); s && s->IsReference())
            softMasks.insert(s->GetReference());
    }
    std::vector<ImageObject> out;
    for (PoDoFo::PdfObject* object : images) {
        if (softMasks.count(object->Reference())) continue;
        const PoDoFo::PdfDictionary& d = object->GetDictionary();
        ImageObject image;
        image.width = static_cast<long>(d.GetKeyAsLong("Width"));
        image.height = static_cast<long>(d.GetKeyAsLong("Height"));
        if (auto* cs = d.GetKey("ColorSpace"); cs && cs->IsName()) image.colorSpace = cs->GetName().GetName();
        if (auto* f = d.GetKey("Filter"); f && f->IsName()) image.filter = f->GetName().GetName();
        if (auto* m = d.GetKey("Mask"); m && m->IsArray())
            for (const PoDoFo::PdfObject& v : m->GetArray()) image.mask.push_back(static_cast<long>(v.GetNumber()));
        image.hasSoftMask = d.HasKey("SMask");
        out.push_back(image);
    }
    return out;
}

// pdfimages -list rows: page, type ("image" or "smask") and object number.
struct ListedImage {
    int page = 0;
    std::string type;
    int object = 0;
};
std::vector<ListedImage> ListImages(const std::string& path) {
    auto result = RunCommand("pdfimages -list " + Quote(path));
    std::vector<ListedImage> rows;
    std::istringstream lines(result.output);
    std::string line;
    int n = 0;
    while (std::getline(lines, line)) {
        if (++n <= 2) continue;  // header and rule
        std::istringstream fields(line);
        ListedImage row;
        std::string skip;
        fields >> row.page >> skip >> row.type;
        for (int i = 0; i < 7; ++i) fields >> skip;
        fields >> row.object;
        if (fields) rows.push_back(row);
    }
    return rows;
}

void ExpectQpdfClean(const std::string& path) {
    if (!HaveTool("qpdf")) return;
    auto check = RunCommand("qpdf --check " + Quote(path));
    EXPECT_EQ(check.exitCode, 0) << check.output;
    EXPECT_EQ(check.output.find("WARNING"), std::string::npos) << check.output;
}

TEST(PdfImagePlacement, FillsTheRectangleWithTheFlippedMatrix) {
    // A 100 x 50 point image at (10, 20) from the top of a 540-point page: lower-left
    // corner at (10, 470).
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("place.pdf");
    WriteDocument(path, {[](CPdfPageWriter& w) { w.DrawImage(10, 20, 100, 50, Solid(4, 2, 0x336699), {}); }});
    const std::string content = NormalisedContent(PageContent(path, 0));
    EXPECT_TRUE(std::regex_search(content, std::regex("^q\n100(\\.0+)? 0 0 50(\\.0+)? 10(\\.0+)? 470(\\.0+)? cm\n/\\S+ Do\nQ\n$")))
        << content;
    const auto images = ColourImages(path);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].width, 4);
    EXPECT_EQ(images[0].height, 2);
    EXPECT_EQ(images[0].colorSpace, "DeviceRGB");
    EXPECT_EQ(images[0].filter, "FlateDecode");
    EXPECT_TRUE(images[0].mask.empty());
    EXPECT_FALSE(images[0].hasSoftMask);
    ExpectQpdfClean(path);
}

TEST(PdfImagePlacement, ColourKeyIsTheMaskArrayOfExactlyThatColour) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("key.pdf");
    // COLORREF 0x00BBGGRR: red 0x10, green 0x80, blue 0xFF.
    WriteDocument(path, {[](CPdfPageWriter& w) { w.DrawImage(0, 0, 50, 50, Solid(2, 2, 0x1080FF), ImageMask::Keyed(0xFF8010)); }});
    const auto images = ColourImages(path);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].mask, (std::vector<long>{0x10, 0x10, 0x80, 0x80, 0xFF, 0xFF}));
    ExpectQpdfClean(path);
}

TEST(PdfImagePlacement, NothingIsPlacedForBadPixelsOrRectangles) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("bad.pdf");
    WriteDocument(path, {[](CPdfPageWriter& w) {
        DecodedImage shortRows = Solid(4, 4, 0);
        shortRows.rgb.resize(10);
        w.DrawImage(0, 0, 10, 10, shortRows, {});
        w.DrawImage(0, 0, 10, 10, DecodedImage{}, {});
        w.DrawImage(0, 0, 0, 10, Solid(1, 1, 0), {});
        w.DrawImage(0, std::nan(""), 10, 10, Solid(1, 1, 0), {});
        w.DrawImage(0, 0, 1e308 * 10, 10, Solid(1, 1, 0), {});
    }});
    EXPECT_EQ(NormalisedContent(PageContent(path, 0)), "");
    EXPECT_TRUE(ColourImages(path).empty());
    ExpectQpdfClean(path);
}

TEST(PdfImagePlacement, OutsideAPageNothingHappens) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    CPdfPageWriter writer(folder.File("none.pdf"));
    writer.DrawImage(0, 0, 10, 10, Solid(1, 1, 0), {});  // no document yet
    writer.CreateDocument();
    writer.DrawImage(0, 0, 10, 10, Solid(1, 1, 0), {});  // no page
    EXPECT_EQ(writer.DistinctImageCount(), 0u);
    writer.Close();
}

TEST(PdfImageSharing, OnePictureOnManyPagesIsOneObject) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("shared.pdf");
    const DecodedImage logo = Noise(16, 8, 1);
    const DecodedImage other = Noise(16, 8, 2);
    auto placeLogo = [&](CPdfPageWriter& w) { w.DrawImage(10, 10, 160, 80, logo, {}); };
    WriteDocument(path, {placeLogo,
                         [&](CPdfPageWriter& w) {
                             placeLogo(w);
                             w.DrawImage(300, 300, 16, 8, logo, {});  // twice on one page
                             w.DrawImage(300, 100, 16, 8, other, {});
                             w.DrawImage(300, 200, 16, 8, logo, ImageMask::Keyed(0));  // same pixels, keyed
                         },
                         placeLogo});
    if (!HaveTool("pdfimages")) GTEST_SKIP() << "pdfimages not installed";
    const auto rows = ListImages(path);
    ASSERT_EQ(rows.size(), 6u);
    std::set<int> objects;
    for (const auto& row : rows) objects.insert(row.object);
    EXPECT_EQ(objects.size(), 3u);  // logo, other, keyed logo
    EXPECT_EQ(rows[0].object, rows[1].object);
    EXPECT_EQ(rows[0].object, rows[5].object);
    EXPECT_EQ(ColourImages(path).size(), 3u);
    // The page content names the same image each time it appears.
    const std::string first = NormalisedContent(PageContent(path, 0));
    const std::string last = NormalisedContent(PageContent(path, 2));
    EXPECT_EQ(first, last);
    ExpectQpdfClean(path);
}

TEST(PdfImageSharing, AlphaMakesASoftMaskUnlessFullyOpaque) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("alpha.pdf");
    DecodedImage seeThrough = Solid(2, 2, 0xFF0000);
    seeThrough.hasAlpha = true;
    seeThrough.alpha = {0xFF, 0x00, 0x00, 0xFF};
    DecodedImage opaque = Solid(2, 2, 0x00FF00);
    opaque.hasAlpha = true;
    opaque.alpha.assign(4, 0xFF);
    WriteDocument(path, {[&](CPdfPageWriter& w) {
        w.DrawImage(0, 0, 100, 100, seeThrough, ImageMask::Alpha());
        w.DrawImage(200, 0, 100, 100, opaque, ImageMask::Alpha());
        w.DrawImage(400, 0, 100, 100, seeThrough, {});  // alpha not asked for: painted whole
    }});
    const auto images = ColourImages(path);
    ASSERT_EQ(images.size(), 3u);
    int softMasks = 0;
    for (const auto& image : images) softMasks += image.hasSoftMask ? 1 : 0;
    EXPECT_EQ(softMasks, 1);
    if (HaveTool("pdfimages")) {
        int listedMasks = 0;
        for (const auto& row : ListImages(path)) listedMasks += row.type == "smask" ? 1 : 0;
        EXPECT_EQ(listedMasks, 1);
    }
    ExpectQpdfClean(path);
}

TEST(PdfImageMemory, ImageDataReachesTheFileWhenItsPageEnds) {
    // The samples of a page's images are written when the page ends, not held until the
    // document is closed: the file has them before Close.
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("streamed.pdf");
    CPdfPageWriter writer(path);
    writer.CreateDocument();
    writer.BeginPage(0, 720, 540);
    writer.DrawImage(0, 0, 720, 540, Noise(400, 400, 7), {});  // 480000 bytes that do not compress
    writer.EndPage();
    writer.BeginPage(1, 720, 540);  // the file is flushed as pages go; a little may wait in buffers
    EXPECT_GT(std::filesystem::file_size(path), 470000u);
    writer.EndPage();
    writer.Close();
    ExpectQpdfClean(path);
}

TEST(PdfImageMemory, CloseWithAPageStillOpenWritesItsImages) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("open.pdf");
    {
        CPdfPageWriter writer(path);
        writer.CreateDocument();
        writer.BeginPage(0, 720, 540);
        writer.DrawImage(0, 0, 100, 100, Noise(8, 8, 3), {});
        writer.Close();  // ends the page itself
    }
    ASSERT_EQ(ColourImages(path).size(), 1u);
    EXPECT_EQ(ColourImages(path)[0].width, 8);
    ExpectQpdfClean(path);
}

TEST(PdfImageSharing, ANewDocumentStartsWithoutImages) {
    // The same writer, a second document: the picture is written into the new file rather
    // than referred to in the old one.
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("again.pdf");
    const DecodedImage picture = Noise(8, 8, 4);
    CPdfPageWriter writer(path);
    for (int run = 0; run < 2; ++run) {
        writer.CreateDocument();
        writer.BeginPage(0, 720, 540);
        writer.DrawImage(0, 0, 100, 100, picture, {});
        writer.EndPage();
        writer.Close();
        EXPECT_EQ(writer.DistinctImageCount(), 1u);
    }
    ASSERT_EQ(ColourImages(path).size(), 1u);
    ExpectQpdfClean(path);
}

TEST(PdfImageRendering, KeyedAndMaskedPixelsShowThePageThrough) {
    if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm not installed";
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string path = folder.File("render.pdf");
    // 2 x 2 pixels: red, green / blue, white. Placed three times on a grey page: plain,
    // keyed on white, and with the alpha channel hiding the green pixel.
    DecodedImage quad;
    quad.width = 2;
    quad.height = 2;
    quad.rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    quad.hasAlpha = true;
    quad.alpha = {0xFF, 0x00, 0xFF, 0xFF};
    {
        CPdfPageWriter writer(path);
        writer.CreateDocument();
        writer.BeginPage(0, 300, 100);
        writer.SetBrushColor(0x808080);
        double xs[] = {0, 300, 300, 0};
        double ys[] = {0, 0, 100, 100};
        writer.FillPolygon(xs, ys, 4);
        writer.DrawImage(0, 0, 100, 100, quad, {});
        writer.DrawImage(100, 0, 100, 100, quad, ImageMask::Keyed(0xFFFFFF));
        writer.DrawImage(200, 0, 100, 100, quad, ImageMask::Alpha());
        writer.EndPage();
        writer.Close();
    }
    auto render = RunCommand("pdftoppm -r 72 -png -singlefile " + Quote(path) + " " + Quote(folder.File("page")));
    ASSERT_EQ(render.exitCode, 0) << render.output;
    // Kept beside the build for a person to look at.
    std::error_code ignored;
    std::filesystem::copy_file(folder.File("page.png"), std::string(SLIDEMILL_BINARY_DIR) + "/pdf-images-render.png",
                               std::filesystem::copy_options::overwrite_existing, ignored);
    auto ppm = RunCommand("pdftoppm -r 72 -singlefile " + Quote(path) + " " + Quote(folder.File("page")));
    ASSERT_EQ(ppm.exitCode, 0) << ppm.output;
    std::FILE* f = std::fopen(folder.File("page.ppm").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char magic[3] = {};
    int w = 0, h = 0, max = 0;
    ASSERT_EQ(std::fscanf(f, "%2s %d %d %d", magic, &w, &h, &max), 4);
    std::fgetc(f);
    std::vector<unsigned char> pixels(size_t(w) * h * 3);
    ASSERT_EQ(std::fread(pixels.data(), 1, pixels.size(), f), pixels.size());
    std::fclose(f);
    ASSERT_EQ(w, 300);
    ASSERT_EQ(h, 100);
    auto at = [&](int x, int y) {
        const unsigned char* p = &pixels[(size_t(y) * w + x) * 3];
        return (p[0] << 16) | (p[1] << 8) | p[2];
    };
    // Plain: the four pixels, top row first.
    EXPECT_EQ(at(25, 25), 0xFF0000);
    EXPECT_EQ(at(75, 25), 0x00FF00);
    EXPECT_EQ(at(25, 75), 0x0000FF);
    EXPECT_EQ(at(75, 75), 0xFFFFFF);
    // Keyed on white: the white pixel shows the grey page.
    EXPECT_EQ(at(125, 25), 0xFF0000);
    EXPECT_EQ(at(175, 75), 0x808080);
    // Soft mask: the green pixel is transparent, the white one is not.
    EXPECT_EQ(at(275, 25), 0x808080);
    EXPECT_EQ(at(275, 75), 0xFFFFFF);
    EXPECT_EQ(at(225, 25), 0xFF0000);
}

}  // namespace
}  // namespace slidemill

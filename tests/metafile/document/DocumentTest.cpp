#include <gtest/gtest.h>

#include "metafile/document/MetafileDocument.h"
#include "tests/metafile/document/Fixtures.h"
#include "tests/metafile/document/TempDir.h"

namespace slidemill {
namespace {

using namespace testing_doc;

TEST(Document, OpensTheCaptureFileAndDerivesTheDocumentPath) {
    TempDir dir;
    WriteFile(dir.Path("drda.er"), TinyWmf());
    NoFonts fonts;
    CMetafileDocument doc(nullptr, &fonts, dir.Root());
    EXPECT_EQ(doc.OpenFile(dir.Path("drda.er")), typecode::kWmf);
    EXPECT_EQ(doc.DocumentPath(), dir.Path("drda.mlf"));
    ASSERT_EQ(doc.PageCount(), 1);
    const EnhMetaFile* emf = doc.GetPageMetafile(0);
    ASSERT_NE(emf, nullptr);
    // No placeable header: the whole reference display.
    EXPECT_EQ(emf->Header().frame.right, 50800);
    EXPECT_EQ(emf->Header().frame.bottom, 28600);
    EXPECT_EQ(doc.GetPageMetafile(0), emf);  // made once, then kept
    EXPECT_EQ(doc.GetPageMetafile(1), nullptr);
    EXPECT_EQ(doc.GetPageMetafile(-1), nullptr);
}

TEST(Document, DocumentPathOnlyReplacesTheFileNamesExtension) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {{"/t/drda.er", "/t/drda.mlf"},
                 {"/t/a.b.wmf", "/t/a.b.mlf"},
                 {"/t/noext", "/t/noext.mlf"},
                 {"/t.d/noext", "/t.d/noext.mlf"},
                 {"rel.emf", "rel.mlf"}};
    for (const Case& c : cases) EXPECT_EQ(CMetafileDocument::DocumentPathFor(c.in), c.out);
}

TEST(Document, PlaceableHeaderGivesThePictureDescription) {
    NoFonts fonts;
    CMetafileDocument doc(nullptr, &fonts);
    struct Case {
        uint16_t inch;
        int16_t right, bottom;
        int32_t frameRight, frameBottom;
    } cases[] = {
        {1440, 1440, 720, 2540, 1270},
        {2540, 25400, 19050, 25400, 19050},
        {0, 1440, 720, 50800, 28600},  // no unit: the whole reference display
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inch);
        auto wmf = TinyWmf(true, c.inch, c.right, c.bottom);
        auto emf = doc.ConvertWmfBits(wmf.size(), wmf.data());
        ASSERT_NE(emf, nullptr);
        EXPECT_EQ(emf->Header().frame.right, c.frameRight);
        EXPECT_EQ(emf->Header().frame.bottom, c.frameBottom);
    }
    auto cut = TinyWmf(true);
    EXPECT_EQ(doc.ConvertWmfBits(10, cut.data()), nullptr);
    EXPECT_EQ(doc.ConvertWmfBits(0, nullptr), nullptr);
}

TEST(Document, UnopenableAndUnknownFilesLeaveTheDocumentAlone) {
    TempDir dir;
    WriteFile(dir.Path("a.wmf"), TinyWmf());
    WriteFile(dir.Path("x.emf"), std::vector<uint8_t>(300, 0x55));
    NoFonts fonts;
    CMetafileDocument doc(nullptr, &fonts, dir.Root());
    ASSERT_EQ(doc.OpenFile(dir.Path("a.wmf")), typecode::kWmf);
    EXPECT_EQ(doc.OpenFile(dir.Path("missing.wmf")), typecode::kCannotOpen);
    EXPECT_EQ(doc.OpenFile(dir.Path("x.emf")), typecode::kNone);
    EXPECT_EQ(doc.PageCount(), 1);
    EXPECT_EQ(doc.DocumentPath(), dir.Path("a.mlf"));
    EXPECT_NE(doc.GetPageMetafile(0), nullptr);
}

TEST(Document, LoadsEveryMetafileKind) {
    TempDir dir;
    WriteFile(dir.Path("a.emf"), TinyEmf());
    WriteGzip(dir.Path("a.emz"), TinyEmf());
    WriteGzip(dir.Path("a.wmz"), TinyWmf(true));
    WriteFile(dir.Path("p.wmf"), TinyWmf(true));
    NoFonts fonts;
    CMetafileDocument doc(nullptr, &fonts, dir.Root());
    struct Case {
        const char* name;
        uint32_t code;
    } cases[] = {{"a.emf", typecode::kEmf}, {"a.emz", typecode::kGzipEmf}, {"a.wmz", typecode::kGzipWmf},
                 {"p.wmf", typecode::kWmf}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(doc.OpenFile(dir.Path(c.name)), c.code);
        const EnhMetaFile* emf = doc.GetPageMetafile(0);
        ASSERT_NE(emf, nullptr);
        EmfRecordWalker walker(emf->Bytes());
        EmfRecord rec;
        while (walker.Next(rec)) {
        }
        EXPECT_EQ(walker.Status(), EmfWalkStatus::End);
    }
}

TEST(Document, FailedConversionIsRetriedButAFailedPageIsNot) {
    TempDir dir;
    auto wmf = TinyWmf();
    wmf[18] = 1;  // first record size below 3 words
    WriteFile(dir.Path("bad.wmf"), wmf);
    NoFonts fonts;
    CMetafileDocument doc(nullptr, &fonts, dir.Root());
    ASSERT_EQ(doc.OpenFile(dir.Path("bad.wmf")), typecode::kWmf);
    EXPECT_EQ(doc.GetPageMetafile(0), nullptr);
    EXPECT_EQ(doc.Page(0)->TypeCode(), typecode::kWmf);  // state unchanged
    // Mended on disk: the next request succeeds.
    WriteFile(dir.Path("bad.wmf"), TinyWmf());
    EXPECT_NE(doc.GetPageMetafile(0), nullptr);
}

TEST(Document, ImagesAndTextDocumentsAreClassifiedButNotLoadedYet) {
    TempDir dir;
    WriteFile(dir.Path("photo.jpg"), std::vector<uint8_t>(50, 0xFF));
    WriteText(dir.Path("notes.txt"), "hello");
    NoFonts fonts;
    CMetafileDocument doc(nullptr, &fonts, dir.Root());
    EXPECT_EQ(doc.OpenFile(dir.Path("photo.jpg")), typecode::kJpeg);
    EXPECT_EQ(doc.GetPageMetafile(0), nullptr);
    EXPECT_EQ(doc.OpenFile(dir.Path("notes.txt")), 0u);  // no pages laid out
}

TEST(Document, ClearEmptiesEverything) {
    TempDir dir;
    WriteFile(dir.Path("a.wmf"), TinyWmf());
    NoFonts fonts;
    CMetafileDocument doc(nullptr, &fonts, dir.Root());
    doc.OpenFile(dir.Path("a.wmf"));
    doc.Clear();
    EXPECT_EQ(doc.PageCount(), 0);
    EXPECT_TRUE(doc.DocumentPath().empty());
    EXPECT_EQ(doc.GetPageMetafile(0), nullptr);
}

}  // namespace
}  // namespace slidemill

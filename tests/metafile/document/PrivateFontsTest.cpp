#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "metafile/document/MetafileDocument.h"
#include "tests/metafile/document/Fixtures.h"
#include "tests/metafile/document/TempDir.h"

namespace slidemill {
namespace {

using namespace testing_doc;
namespace fs = std::filesystem;

class RecordingFonts : public IPrivateFontTable {
public:
    bool Add(const std::string& path) override {
        added.push_back(path);
        return true;
    }
    bool Remove(const std::string& path) override {
        removed.push_back(path);
        return true;
    }
    std::vector<std::string> added, removed;
};

// The start of an sfnt with the given table count, padded to 172 bytes.
std::vector<uint8_t> FakeTrueType(uint16_t tables, size_t size = 172) {
    std::vector<uint8_t> b(size, 0);
    b[1] = 1;
    b[4] = uint8_t(tables >> 8);
    b[5] = uint8_t(tables);
    return b;
}

TEST(PrivateFonts, TrueTypeCheck) {
    TempDir dir;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool expected;
    } cases[] = {
        {"ten.ttf", FakeTrueType(10), true},
        {"nine.ttf", FakeTrueType(9), false},
        {"big.ttf", FakeTrueType(0x0100), true},
        {"short.ttf", FakeTrueType(12, 171), false},
        {"otto.otf", {'O', 'T', 'T', 'O', 0, 12}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.Path(c.name), c.bytes);
        EXPECT_EQ(IsTrueTypeFile(dir.Path(c.name)), c.expected);
    }
    EXPECT_FALSE(IsTrueTypeFile(dir.Path("missing.ttf")));
}

TEST(PrivateFonts, FontsNextToTheDocumentAreRegisteredAndReleased) {
    TempDir dir;
    WriteFile(dir.Path("deck/slide.wmf"), TinyWmf());
    WriteFile(dir.Path("deck/Fonts/Ten.ttf"), FakeTrueType(10));
    WriteFile(dir.Path("deck/Fonts/Nine.ttf"), FakeTrueType(9));
    WriteText(dir.Path("deck/Fonts/readme.txt"), "not a font");
    fs::create_directories(dir.Path("deck/Fonts/folder.ttf"));
    RecordingFonts fonts;
    {
        CMetafileDocument doc(nullptr, &fonts, dir.Root());
        ASSERT_EQ(doc.OpenFile(dir.Path("deck/slide.wmf")), typecode::kWmf);
        // A local disk: the files themselves are registered, no copies.
        ASSERT_EQ(fonts.added.size(), 1u);
        EXPECT_EQ(fonts.added[0], dir.Path("deck/Fonts/Ten.ttf"));
        EXPECT_EQ(doc.RegisteredFonts(), fonts.added);
        // Opening again releases the previous content's fonts first.
        doc.OpenFile(dir.Path("deck/slide.wmf"));
        ASSERT_EQ(fonts.removed.size(), 1u);
        EXPECT_EQ(fonts.added.size(), 2u);
    }
    EXPECT_EQ(fonts.removed.size(), 2u);
    EXPECT_TRUE(fs::exists(dir.Path("deck/Fonts/Ten.ttf")));  // never deleted
    EXPECT_FALSE(fs::exists(dir.Path("Metascope")));         // nothing copied
}

TEST(PrivateFonts, NoFontsFolderRegistersNothing) {
    TempDir dir;
    WriteFile(dir.Path("slide.wmf"), TinyWmf());
    RecordingFonts fonts;
    CMetafileDocument doc(nullptr, &fonts, dir.Root());
    doc.OpenFile(dir.Path("slide.wmf"));
    EXPECT_TRUE(fonts.added.empty());
}

TEST(PrivateFonts, TemporaryCopiesAreDeletedWhenReleased) {
    TempDir dir;
    RecordingFonts fonts;
    CMetafileDocument doc(nullptr, &fonts, dir.Root());
    const std::string copies = doc.MakeTempSubfolder("Metascope");
    ASSERT_EQ(copies, dir.Root() + "Metascope/");
    WriteFile(copies + "Ten.eft", FakeTrueType(10));
    ASSERT_TRUE(doc.RegisterFont(copies + "Ten.eft", true));
    doc.UnregisterFonts();
    EXPECT_FALSE(fs::exists(copies + "Ten.eft"));
    EXPECT_TRUE(doc.RegisteredFonts().empty());
}

// A document that believes it lies on a network share.
class RemoteDocument : public CMetafileDocument {
public:
    using CMetafileDocument::CMetafileDocument;

protected:
    bool IsOnFixedDrive(const std::string&) const override { return false; }
};

TEST(PrivateFonts, FontsOfARemoteDocumentAreCopiedFirst) {
    TempDir dir;
    TempDir run;
    WriteFile(dir.Path("share/slide.wmf"), TinyWmf());
    WriteFile(dir.Path("share/Fonts/Corp.ttf"), FakeTrueType(12));
    WriteFile(dir.Path("share/Fonts/Other.TTF"), FakeTrueType(12));
    WriteFile(dir.Path("share/Fonts/Nine.ttf"), FakeTrueType(9));
    // A copy left over from an earlier run is used as it is.
    WriteFile(run.Root() + "Metascope/Other.eft", FakeTrueType(20));
    RecordingFonts fonts;
    {
        RemoteDocument doc(nullptr, &fonts, run.Root());
        ASSERT_EQ(doc.OpenFile(dir.Path("share/slide.wmf")), typecode::kWmf);
        std::vector<std::string> expected = {run.Root() + "Metascope/Corp.eft", run.Root() + "Metascope/Other.eft"};
        EXPECT_EQ(fonts.added, expected);
        EXPECT_TRUE(fs::exists(run.Root() + "Metascope/Corp.eft"));
        EXPECT_EQ(ReadBytes(run.Root() + "Metascope/Other.eft")[5], 20);  // not overwritten
        EXPECT_FALSE(fs::exists(run.Root() + "Metascope/Nine.eft"));
        doc.Clear();
        // Released: the copies go, the originals stay.
        EXPECT_FALSE(fs::exists(run.Root() + "Metascope/Corp.eft"));
        EXPECT_FALSE(fs::exists(run.Root() + "Metascope/Other.eft"));
        EXPECT_TRUE(fs::exists(dir.Path("share/Fonts/Corp.ttf")));
        EXPECT_TRUE(doc.PendingDeletions().empty());
    }
    EXPECT_EQ(fonts.removed.size(), 2u);
}

TEST(PrivateFonts, WithoutARunFolderCopiesGoToAPrivateFolder) {
    TempDir dir;
    WriteFile(dir.Path("share/slide.wmf"), TinyWmf());
    WriteFile(dir.Path("share/Fonts/Corp.ttf"), FakeTrueType(12));
    RecordingFonts fonts;
    std::string copy;
    {
        RemoteDocument doc(nullptr, &fonts);
        doc.OpenFile(dir.Path("share/slide.wmf"));
        ASSERT_EQ(fonts.added.size(), 1u);
        copy = fonts.added[0];
        const std::string shared = (fs::temp_directory_path() / "Metascope").string();
        EXPECT_NE(copy.rfind(shared, 0), 0u);  // never the shared, predictable folder
        EXPECT_NE(copy.find("/slidemill-"), std::string::npos);
        EXPECT_TRUE(fs::exists(copy));
    }
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_FALSE(fs::exists(fs::path(copy).parent_path().parent_path()));  // the private folder is gone
}

TEST(PrivateFonts, NoTemporaryFolderMeansNoRegistration) {
    TempDir dir;
    WriteFile(dir.Path("share/slide.wmf"), TinyWmf());
    WriteFile(dir.Path("share/Fonts/Corp.ttf"), FakeTrueType(12));
    WriteText(dir.Path("blocker"), "a file where the folder should be");
    RecordingFonts fonts;
    RemoteDocument doc(nullptr, &fonts, dir.Path("blocker"));
    doc.OpenFile(dir.Path("share/slide.wmf"));
    EXPECT_TRUE(fonts.added.empty());
}

class RefusingFonts : public IPrivateFontTable {
public:
    bool Add(const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
};

TEST(PrivateFonts, AFailedRegistrationDeletesItsCopy) {
    TempDir dir;
    RefusingFonts fonts;
    CMetafileDocument doc(nullptr, &fonts, dir.Root());
    const std::string copies = doc.MakeTempSubfolder("Metascope");
    WriteFile(copies + "Bad.eft", FakeTrueType(10));
    WriteFile(dir.Path("Own.ttf"), FakeTrueType(10));
    EXPECT_FALSE(doc.RegisterFont(copies + "Bad.eft", true));
    EXPECT_FALSE(fs::exists(copies + "Bad.eft"));
    EXPECT_FALSE(doc.RegisterFont(dir.Path("Own.ttf"), false));
    EXPECT_TRUE(fs::exists(dir.Path("Own.ttf")));
}

// With fontconfig itself: a real TrueType face becomes an application font and leaves
// again with the document.
TEST(PrivateFonts, FontconfigApplicationFonts) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    std::string source;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) source = reinterpret_cast<char*>(file);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    if (source.empty() || !IsTrueTypeFile(source)) GTEST_SKIP() << "no TrueType system font";

    TempDir dir;
    WriteFile(dir.Path("deck/slide.wmf"), TinyWmf());
    fs::create_directories(dir.Path("deck/Fonts"));
    fs::copy_file(source, dir.Path("deck/Fonts/Private.ttf"));
    auto appFonts = [] {
        std::vector<std::string> files;
        FcFontSet* set = FcConfigGetFonts(FcConfigGetCurrent(), FcSetApplication);
        for (int i = 0; set && i < set->nfont; ++i) {
            FcChar8* f = nullptr;
            if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &f) == FcResultMatch)
                files.push_back(reinterpret_cast<char*>(f));
        }
        return files;
    };
    {
        CMetafileDocument doc(nullptr, nullptr, dir.Root());
        doc.OpenFile(dir.Path("deck/slide.wmf"));
        ASSERT_EQ(doc.RegisteredFonts().size(), 1u);
        auto files = appFonts();
        EXPECT_NE(std::find(files.begin(), files.end(), dir.Path("deck/Fonts/Private.ttf")), files.end());
    }
    auto files = appFonts();
    EXPECT_EQ(std::find(files.begin(), files.end(), dir.Path("deck/Fonts/Private.ttf")), files.end());
    FcFini();  // fontconfig keeps its configuration until told to let go
}

}  // namespace
}  // namespace slidemill

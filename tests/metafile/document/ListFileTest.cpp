#include <gtest/gtest.h>

#include "metafile/document/MetafileDocument.h"
#include "tests/metafile/document/Fixtures.h"
#include "tests/metafile/document/TempDir.h"

namespace slidemill {
namespace {

using namespace testing_doc;

TEST(ListFile, EmptyListGivesAnEmptyDocument) {
    TempDir dir;
    WriteText(dir.Path("empty.mlf"), "[General]\nID=MLF\nNbFiles=0\n");
    NoFonts fonts;
    CMetafileDocument doc(nullptr, &fonts, dir.Root());
    EXPECT_EQ(doc.OpenFile(dir.Path("empty.mlf")), typecode::kListFile);
    EXPECT_EQ(doc.PageCount(), 0);
    EXPECT_EQ(doc.DocumentPath(), dir.Path("empty.mlf"));
}

TEST(ListFile, PagesSitNextToTheListAndKeepTheirAttributes) {
    TempDir dir;
    WriteFile(dir.Path("one.wmf"), TinyWmf());
    WriteFile(dir.Path("two.emf"), TinyEmf());
    WriteFile(dir.Path("junk.bin"), std::vector<uint8_t>(100, 0x33));
    WriteText(dir.Path("deck.mlf"),
              "[General]\nID=MLF\nNbFiles=4\nURL=http://example.org\nCredit=Team\n"
              "[Files]\nFile0=C:\\elsewhere\\one.wmf\nFile1=sub/two.emf\nFile2=junk.bin\nFile3=gone.wmf\n"
              "[Page0]\nURL=u0\nCredit=c0\nComment=first\n[Page1]\nComment=second\n");
    RecordingPrompt prompt;
    NoFonts fonts;
    CMetafileDocument doc(&prompt, &fonts, dir.Root());
    ASSERT_EQ(doc.OpenFile(dir.Path("deck.mlf")), typecode::kListFile);
    ASSERT_EQ(doc.PageCount(), 4);
    EXPECT_EQ(doc.Url(), "http://example.org");
    EXPECT_EQ(doc.Credit(), "Team");
    EXPECT_EQ(doc.Page(0)->Path(), dir.Path("one.wmf"));
    EXPECT_EQ(doc.Page(1)->Path(), dir.Path("two.emf"));
    EXPECT_EQ(doc.Page(0)->TypeCode(), typecode::kWmf);  // classified at once
    EXPECT_EQ(doc.Page(1)->TypeCode(), typecode::kStateUnclassified);
    EXPECT_EQ(doc.Page(0)->url, "u0");
    EXPECT_EQ(doc.Page(0)->credit, "c0");
    EXPECT_EQ(doc.Page(0)->comment, "first");
    EXPECT_EQ(doc.Page(1)->comment, "second");

    EXPECT_NE(doc.GetPageMetafile(0), nullptr);
    EXPECT_NE(doc.GetPageMetafile(1), nullptr);
    EXPECT_EQ(doc.Page(1)->TypeCode(), typecode::kEmf);

    // Unrecognised: one message, then the page stays failed.
    EXPECT_EQ(doc.GetPageMetafile(2), nullptr);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0], "File type not supported:\n" + dir.Path("junk.bin"));
    EXPECT_EQ(typecode::State(doc.Page(2)->TypeCode()), typecode::kStateFailed);
    EXPECT_EQ(doc.GetPageMetafile(2), nullptr);
    EXPECT_EQ(prompt.messages.size(), 1u);

    // Missing: failed without a message.
    EXPECT_EQ(doc.GetPageMetafile(3), nullptr);
    EXPECT_EQ(doc.Page(3)->TypeCode(), typecode::kStateFailed);
    EXPECT_EQ(prompt.messages.size(), 1u);
}

TEST(ListFile, FirstPageThatIsAListOrUnknownWaitsForItsFirstLoad) {
    TempDir dir;
    WriteText(dir.Path("inner.mlf"), "[General]\nID=MLF\nNbFiles=0\n");
    WriteText(dir.Path("outer.mlf"), "[General]\nID=MLF\nNbFiles=1\n[Files]\nFile0=inner.mlf\n");
    NoFonts fonts;
    CMetafileDocument doc(nullptr, &fonts, dir.Root());
    ASSERT_EQ(doc.OpenFile(dir.Path("outer.mlf")), typecode::kListFile);
    EXPECT_EQ(doc.Page(0)->TypeCode(), typecode::kStateUnclassified);
    EXPECT_EQ(doc.GetPageMetafile(0), nullptr);  // a list is not a picture
}

TEST(ListFile, HostilePageCountsAreBounded) {
    TempDir dir;
    NoFonts fonts;
    CMetafileDocument doc(nullptr, &fonts, dir.Root());
    WriteText(dir.Path("neg.mlf"), "[General]\nID=MLF\nNbFiles=-5\n");
    EXPECT_EQ(doc.OpenFile(dir.Path("neg.mlf")), typecode::kListFile);
    EXPECT_EQ(doc.PageCount(), 0);
    WriteText(dir.Path("huge.mlf"), "[General]\nID=MLF\nNbFiles=99999999999\n");
    EXPECT_EQ(doc.OpenFile(dir.Path("huge.mlf")), typecode::kListFile);
    EXPECT_EQ(doc.PageCount(), 65535);
}

TEST(ListSettings, DefaultsAndSixteenBitFields) {
    TempDir dir;
    NoFonts fonts;
    CMetafileDocument doc(nullptr, &fonts, dir.Root());
    const ListSettings defaults;
    EXPECT_EQ(doc.Settings().scale, 10000u);
    EXPECT_EQ(doc.Settings().paperColor, 0xFFFFFFu);
    EXPECT_EQ(doc.Settings().reverseVideoMode, 32);

    WriteText(dir.Path("plain.mlf"), "[General]\nID=MLF\nNbFiles=0\n");
    doc.OpenFile(dir.Path("plain.mlf"));
    EXPECT_EQ(doc.Settings().ctlColor, defaults.ctlColor);
    EXPECT_EQ(doc.Settings().interpolationMode, defaults.interpolationMode);
    EXPECT_EQ(doc.Settings().pixelOffsetMode, defaults.pixelOffsetMode);

    WriteText(dir.Path("set.mlf"),
              "[General]\nID=MLF\nNbFiles=0\n[Settings]\nCtlBorder=65537\nScale=65537\nFitMode=3\n"
              "PaperColor=255\nTextContrast=70000\nLeftMargin=-1\n");
    doc.OpenFile(dir.Path("set.mlf"));
    EXPECT_EQ(doc.Settings().ctlBorder, 1);
    EXPECT_EQ(doc.Settings().scale, 65537u);
    EXPECT_EQ(doc.Settings().fitMode, 3);
    EXPECT_EQ(doc.Settings().paperColor, 255u);
    EXPECT_EQ(doc.Settings().textContrast, uint16_t(70000 % 65536));
    EXPECT_EQ(doc.Settings().leftMargin, 0xFFFFFFFFu);
    EXPECT_EQ(doc.Settings().topMargin, 32u);
}

}  // namespace
}  // namespace slidemill

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "pdf/fonts/FontTable.h"
#include "pdf/fonts/PdfFontSet.h"

namespace slidemill {
namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class InstalledFontTable : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadFontTable(table_));
        if (MatchFontFile(table_, "Liberation Sans", false, false).empty())
            GTEST_SKIP() << "the Liberation fonts are not installed";
    }
    FontTable table_;
};

TEST_F(InstalledFontTable, ListsInstalledFacesInWindowsStyle) {
    ASSERT_EQ(table_.displayNames.size(), table_.filePaths.size());
    const auto& names = table_.displayNames;
    EXPECT_NE(std::find(names.begin(), names.end(), "Liberation Sans (TrueType)"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "Liberation Sans Bold Italic (TrueType)"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "Liberation Sans Regular (TrueType)"), names.end());
    for (const std::string& name : names) {
        EXPECT_TRUE(EndsWith(name, " (TrueType)") || EndsWith(name, " (OpenType)")) << name;
    }
}

struct StandIn {
    const char* face;
    bool bold;
    bool italic;
    const char* file;
};

TEST_F(InstalledFontTable, WindowsFacesFindTheirMetricCompatibleFiles) {
    const StandIn cases[] = {
        {"Arial", false, false, "LiberationSans-Regular.ttf"},
        {"Arial", true, false, "LiberationSans-Bold.ttf"},
        {"Arial Bold", true, false, "LiberationSans-Bold.ttf"},
        {"Arial", true, true, "LiberationSans-BoldItalic.ttf"},
        {"Times New Roman", false, true, "LiberationSerif-Italic.ttf"},
        {"Courier New", false, false, "LiberationMono-Regular.ttf"},
        {"Calibri", false, false, "Carlito-Regular.ttf"},
        {"Cambria", true, false, "Caladea-Bold.ttf"},
    };
    for (const StandIn& c : cases) {
        const std::string file = MatchFontFile(table_, c.face, c.bold, c.italic);
        if (c.face == std::string("Calibri") || c.face == std::string("Cambria")) {
            if (file.empty()) continue;  // fonts-crosextra not installed
        }
        EXPECT_TRUE(EndsWith(file, c.file)) << c.face << " -> " << file;
    }
}

TEST_F(InstalledFontTable, FacesWithoutAStandInAreNotListed) {
    // Tahoma only falls through to fontconfig's sans-serif default.
    EXPECT_EQ(MatchFontFile(table_, "Tahoma", false, false), "");
    EXPECT_EQ(MatchFontFile(table_, "NoSuchFace", false, false), "");
}

TEST_F(InstalledFontTable, UnknownFacesAreAddedWithFontconfigsSubstitute) {
    // Luxi Sans is not installed; its text is measured with fontconfig's substitute, so
    // it must be drawn with that file too and not with the Arial fallback.
    FontTable grown = table_;
    ASSERT_TRUE(AddMatchedFace(grown, "Luxi Sans"));
    EXPECT_EQ(MatchFontFile(grown, "Luxi Sans", false, false), MatchSystemFontFile("Luxi Sans", false, false));
    EXPECT_EQ(MatchFontFile(grown, "Luxi Sans Bold", true, false), MatchSystemFontFile("Luxi Sans", true, false));

    CPdfFontSet fonts;
    ASSERT_TRUE(fonts.LoadFontTable());
    ASSERT_EQ(fonts.SetFont("Luxi Sans", true, false), 1);
    EXPECT_EQ(fonts.CurrentFontFile(), MatchSystemFontFile("Luxi Sans", true, false));
    EXPECT_NE(fonts.CurrentFontFile(), MatchFontFile(table_, "Arial", true, false));
    const size_t size = fonts.Table().Size();
    ASSERT_EQ(fonts.SetFont("luxi sans", false, false), 1);  // asked once a face
    EXPECT_EQ(fonts.Table().Size(), size);

    // A table made by hand stays as it is given.
    CPdfFontSet handMade;
    handMade.SetFontTable(table_);
    EXPECT_EQ(handMade.SetFont("Luxi Sans", false, false), 0);
}

}  // namespace
}  // namespace slidemill

#include "metafile/inspect/Inspect.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tests/metafile/document/Fixtures.h"
#include "tests/metafile/document/TempDir.h"

namespace slidemill {
namespace {

using namespace testing_doc;

TEST(Inspect, ReportsEveryKind) {
    TempDir dir;
    WriteFile(dir.Path("a.emf"), TinyEmf());
    WriteFile(dir.Path("a.wmf"), TinyWmf(true));
    WriteGzip(dir.Path("a.wmz"), TinyWmf());
    WriteText(dir.Path("l.mlf"), "[General]\nID=MLF\nNbFiles=1\n[Files]\nFile0=a.emf\n[Settings]\nScale=5000\n");
    auto damaged = TinyWmf();
    damaged[18] = 1;
    WriteFile(dir.Path("bad.wmf"), damaged);
    struct Case {
        const char* name;
        int result;
        std::vector<std::string> lines;
    } cases[] = {
        {"a.emf", 0, {"Type code: 0x0001", "Picture resolution: 96 x 96 dpi, device 1920 x 1080", "EMR_EOF 1"}},
        {"a.wmf",
         0,
         {"Type code: 0x0002", "Placeable header: bounds 0, 0, 1440, 720, 1440 units per inch", "META_RECTANGLE 1",
          "Converted to EMF:", "Frame: 0, 0, 2540, 1270", "EMR_RECTANGLE 1", "EMR_SETWINDOWEXTEX 1"}},
        {"a.wmz", 0, {"Type code: 0x0007", "Inflated:", "Frame: 0, 0, 50800, 28600"}},
        {"l.mlf", 0, {"Type code: 0x0003", "List file: 1 pages", "Scale 5000"}},
        {"bad.wmf", 2, {"Damaged: record size below 3 words", "conversion failed"}},
        {"missing.emf", 1, {"Type code: 0x2000 (cannot be opened)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ostringstream out;
        EXPECT_EQ(InspectFile(dir.Path(c.name), out), c.result);
        for (const std::string& line : c.lines) EXPECT_NE(out.str().find(line), std::string::npos) << out.str();
    }
}

TEST(Inspect, CorpusFiles) {
    const std::filesystem::path corpus = SLIDEMILL_CORPUS;
    if (!std::filesystem::is_directory(corpus / "emf")) GTEST_SKIP() << "corpus not present";
    std::ostringstream out;
    EXPECT_EQ(InspectFile((corpus / "lo-slides" / "shapes_s01.wmf").string(), out), 0);
    EXPECT_NE(out.str().find("META_POLYPOLYGON"), std::string::npos);
    EXPECT_NE(out.str().find("EMR_POLYPOLYGON16"), std::string::npos);
    std::ostringstream bad;
    EXPECT_EQ(InspectFile((corpus / "wmf" / "poi__test-data__slideshow__61338.wmf").string(), bad), 2);
}

}  // namespace
}  // namespace slidemill

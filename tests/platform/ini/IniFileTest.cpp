#include "platform/ini/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace slidemill {
namespace {

const char* kText =
    "\xEF\xBB\xBF; a comment\n"
    "[General]\r\n"
    "ID = MLF \r\n"
    "Quoted=\"  spaced  \"\n"
    "Single='x'\n"
    "Half=\"open\n"
    "Empty=\n"
    "NbFiles=12abc\n"
    "Negative=-3\n"
    "Big=4294967297\n"
    "Text=hello\n"
    "NoEquals\n"
    "[ general ]\n"
    "Later=found\n"
    "ID=second\n"
    "[Files]\n"
    "File0=a.wmf\n";

TEST(IniFile, StringsWithPlatformSemantics) {
    IniFile ini = IniFile::Parse(kText);
    struct Case {
        const char* section;
        const char* key;
        size_t buffer;
        const char* expected;
    } cases[] = {
        {"General", "ID", 260, "MLF"},
        {"GENERAL", "id", 260, "MLF"},  // case-insensitive; the first key wins
        {"General", "Quoted", 260, "  spaced  "},
        {"General", "Single", 260, "x"},
        {"General", "Half", 260, "\"open"},
        {"General", "Empty", 260, ""},
        {"General", "Missing", 260, "dflt"},
        {"General", "Later", 260, "found"},  // a repeated section is searched as well
        {"General", "Text", 3, "he"},        // buffer size less the terminator
        {"General", "Text", 0, ""},
        {"Files", "File0", 260, "a.wmf"},
        {"Nowhere", "File0", 260, "dflt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(ini.GetString(c.section, c.key, "dflt", c.buffer), c.expected);
    }
    EXPECT_FALSE(ini.HasKey("General", "NoEquals"));
}

TEST(IniFile, Integers) {
    IniFile ini = IniFile::Parse(kText);
    EXPECT_EQ(ini.GetInt("General", "NbFiles", 7), 12u);
    EXPECT_EQ(ini.GetInt("General", "Negative", 7), uint32_t(-3));
    EXPECT_EQ(ini.GetInt("General", "Big", 7), 1u);  // wraps at 32 bits
    EXPECT_EQ(ini.GetInt("General", "Text", 7), 0u);
    EXPECT_EQ(ini.GetInt("General", "Empty", 7), 0u);
    EXPECT_EQ(ini.GetInt("General", "Missing", 7), 7u);
}

TEST(IniFile, FilesAndBinaryContent) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string path = (dir / "slidemill-ini-test.ini").string();
    {
        std::ofstream out(path, std::ios::binary);
        out << "[General]\nID=MLF\n";
        out.put('\0');
        out << "[Hidden]\nKey=after the zero byte\n";
    }
    EXPECT_EQ(GetPrivateProfileString("General", "ID", "", 260, path), "MLF");
    EXPECT_EQ(GetPrivateProfileString("Hidden", "Key", "none", 260, path), "none");
    EXPECT_EQ(GetPrivateProfileInt("General", "ID", 5, path), 0u);
    std::filesystem::remove(path);
    EXPECT_EQ(GetPrivateProfileString("General", "ID", "dflt", 260, path), "dflt");
    EXPECT_EQ(GetPrivateProfileInt("General", "ID", 5, path), 5u);
    EXPECT_FALSE(IniFile::Load(path).has_value());
}

}  // namespace
}  // namespace slidemill

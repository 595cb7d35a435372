#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/office/ProfileTemplate.h"
#include "tests/support/TempFolder.h"

namespace slidemill {
namespace {

namespace fs = std::filesystem;

using testing::TempFolder;

void Touch(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

std::string Read(const fs::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(OfficeProfileTemplate, KeepsOnlyTheExtensionRegistryAndSeedsNewProfilesWithIt) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const fs::path root(folder.Path());
    const std::string templ = (root / "cache/office-profile-7.4").string();
    const fs::path started = root / "started";
    Touch(started / "user/extensions/buildid", "40(Build:2)");
    Touch(started / "user/uno_packages/cache/registry/backenddb.xml", "<db/>");
    Touch(started / "user/registrymodifications.xcu", "recent documents");

    EXPECT_FALSE(SeedProfileFromTemplate(templ, (root / "none").string())) << "no template yet";
    SaveProfileTemplate(templ, started.string());
    EXPECT_TRUE(fs::exists(fs::path(templ) / "extensions/buildid"));
    EXPECT_FALSE(fs::exists(fs::path(templ) / "registrymodifications.xcu")) << "may name the opened decks";

    const fs::path fresh = root / "fresh";
    fs::create_directories(fresh / "user");
    ASSERT_TRUE(SeedProfileFromTemplate(templ, fresh.string()));
    EXPECT_EQ(Read(fresh / "user/extensions/buildid"), "40(Build:2)");
    EXPECT_EQ(Read(fresh / "user/uno_packages/cache/registry/backenddb.xml"), "<db/>");

    // An existing template is kept; a profile that never got far is not kept.
    Touch(started / "user/extensions/buildid", "changed");
    SaveProfileTemplate(templ, started.string());
    EXPECT_EQ(Read(fs::path(templ) / "extensions/buildid"), "40(Build:2)");
    const std::string other = (root / "cache/office-profile-other").string();
    SaveProfileTemplate(other, (root / "never-started").string());
    EXPECT_FALSE(fs::exists(other));
    for (const auto& entry : fs::directory_iterator(root / "cache"))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << "no half-built template left";
}

TEST(OfficeProfileTemplate, AnIncompleteTemplateIsNotUsed) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const fs::path root(folder.Path());
    Touch(root / "templ/extensions/buildid", "x");  // no completion mark
    fs::create_directories(root / "fresh/user");
    EXPECT_FALSE(SeedProfileFromTemplate((root / "templ").string(), (root / "fresh").string()));
    EXPECT_FALSE(fs::exists(root / "fresh/user/extensions"));
}

TEST(OfficeProfileTemplate, TheFolderIsPerVersionUnderTheCache) {
    const char* saved = std::getenv("SLIDEMILL_CACHE_DIR");
    const std::string restore = saved ? saved : "";
    setenv("SLIDEMILL_CACHE_DIR", "/var/cache/x", 1);
    EXPECT_EQ(OfficeProfileTemplateFolder("7.4.7.2"), "/var/cache/x/office-profile-7.4.7.2");
    EXPECT_EQ(OfficeProfileTemplateFolder("7.4 / beta"), "/var/cache/x/office-profile-7.4___beta");
    EXPECT_EQ(OfficeProfileTemplateFolder(""), "");
    if (saved) setenv("SLIDEMILL_CACHE_DIR", restore.c_str(), 1);
    else unsetenv("SLIDEMILL_CACHE_DIR");
}

}  // namespace
}  // namespace slidemill

#include "platform/office/ProfileTemplate.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace slidemill {

namespace fs = std::filesystem;

namespace {

// The folders of a started profile's user folder that record the registered extensions.
const char* const kKeptFolders[] = {"extensions", "uno_packages"};
const char kCompleteMarker[] = "complete";

std::string CacheRoot() {
    if (const char* dir = std::getenv("SLIDEMILL_CACHE_DIR"); dir && *dir) return dir;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') return std::string(xdg) + "/slidemill";
    if (const char* home = std::getenv("HOME"); home && *home == '/') return std::string(home) + "/.cache/slidemill";
    return {};
}

// A version string as a file-name part: letters, digits, dots and dashes only.
std::string FileNamePart(const std::string& text) {
    std::string out;
    for (unsigned char c : text) out += (std::isalnum(c) || c == '.' || c == '-') ? char(c) : '_';
    return out;
}

bool CopyTree(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    return !ec;
}

}  // namespace

std::string OfficeProfileTemplateFolder(const std::string& officeVersion) {
    const std::string root = CacheRoot();
    if (root.empty() || officeVersion.empty()) return {};
    return root + "/office-profile-" + FileNamePart(officeVersion);
}

bool SeedProfileFromTemplate(const std::string& templateFolder, const std::string& profileFolder) {
    if (templateFolder.empty()) return false;
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(templateFolder) / kCompleteMarker, ec)) return false;
    const fs::path user = fs::path(profileFolder) / "user";
    for (const char* name : kKeptFolders) {
        if (!CopyTree(fs::path(templateFolder) / name, user / name)) {
            for (const char* undo : kKeptFolders) fs::remove_all(user / undo, ec);
            return false;
        }
    }
    return true;
}

void SaveProfileTemplate(const std::string& templateFolder, const std::string& profileFolder) {
    if (templateFolder.empty()) return;
    std::error_code ec;
    if (fs::exists(templateFolder, ec)) return;
    const fs::path user = fs::path(profileFolder) / "user";
    for (const char* name : kKeptFolders) {
        if (!fs::is_directory(user / name, ec)) return;  // the instance never got that far
    }
    fs::create_directories(fs::path(templateFolder).parent_path(), ec);
    if (ec) return;
    std::random_device random;
    const fs::path building =
        templateFolder + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(random());
    bool ok = fs::create_directory(building, ec) && !ec;
    for (const char* name : kKeptFolders) ok = ok && CopyTree(user / name, building / name);
    if (ok) {
        std::ofstream marker(building / kCompleteMarker);
        ok = bool(marker << "1\n");
    }
    if (ok) fs::rename(building, templateFolder, ec);  // fails when another run was first
    if (!ok || ec) fs::remove_all(building, ec);
}

}  // namespace slidemill

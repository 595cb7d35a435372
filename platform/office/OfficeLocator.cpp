#include "platform/office/OfficeLocator.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace slidemill {

namespace fs = std::filesystem;

namespace {

constexpr const char* kBridgeName = "slidemill_office_bridge.py";
constexpr const char* kDebianSoffice = "/usr/lib/libreoffice/program/soffice";

bool IsExecutableFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec) && access(path.c_str(), X_OK) == 0;
}

bool IsReadableFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec) && access(path.c_str(), R_OK) == 0;
}

std::string FromEnvironment(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string OnPath(const std::string& name) {
    std::string path = FromEnvironment("PATH");
    std::stringstream dirs(path);
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) continue;
        std::string candidate = dir + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
    }
    return {};
}

std::string ExecutableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().string();
}

}  // namespace

std::string FindSoffice(const std::string& configured) {
    if (!configured.empty()) return IsExecutableFile(configured) ? configured : std::string();
    std::string fromEnv = FromEnvironment("SLIDEMILL_SOFFICE");
    if (!fromEnv.empty()) return IsExecutableFile(fromEnv) ? fromEnv : std::string();
    std::string found = OnPath("soffice");
    if (!found.empty()) return found;
    return IsExecutableFile(kDebianSoffice) ? kDebianSoffice : std::string();
}

std::string FindOfficeBridge(const std::string& configured) {
    if (!configured.empty()) return IsReadableFile(configured) ? configured : std::string();
    std::string fromEnv = FromEnvironment("SLIDEMILL_OFFICE_BRIDGE");
    if (!fromEnv.empty()) return IsReadableFile(fromEnv) ? fromEnv : std::string();
    std::string folder = ExecutableFolder();
    if (!folder.empty()) {
        for (const std::string& candidate : {folder + "/" + kBridgeName, folder + "/../bin/" + kBridgeName,
                                             folder + "/../libexec/slidemill/" + kBridgeName}) {
            if (IsReadableFile(candidate)) return candidate;
        }
    }
#ifdef SLIDEMILL_OFFICE_BRIDGE_BUILT
    if (IsReadableFile(SLIDEMILL_OFFICE_BRIDGE_BUILT)) return SLIDEMILL_OFFICE_BRIDGE_BUILT;
#endif
#ifdef SLIDEMILL_OFFICE_BRIDGE_INSTALLED
    if (IsReadableFile(SLIDEMILL_OFFICE_BRIDGE_INSTALLED)) return SLIDEMILL_OFFICE_BRIDGE_INSTALLED;
#endif
    return {};
}

std::string OfficeProductVersion(const std::string& sofficePath) {
    std::error_code ec;
    fs::path real = fs::canonical(sofficePath, ec);
    if (ec) return {};
    std::ifstream in(real.parent_path() / "bootstraprc");
    std::string line;
    static const std::regex productKey(R"(^\s*ProductKey\s*=.*?(\d+\.\d+)\s*$)");
    while (std::getline(in, line)) {
        std::smatch m;
        if (std::regex_match(line, m, productKey)) return m[1].str();
    }
    return {};
}

}  // namespace slidemill

#include "platform/files/Files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace slidemill {

namespace {
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;
}  // namespace

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path, uint64_t maxBytes) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return std::nullopt;
    struct stat st {};
    if (fstat(fileno(f.get()), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    if (uint64_t(st.st_size) > maxBytes) return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve(size_t(st.st_size));
    uint8_t buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f.get())) > 0;) {
        if (bytes.size() + n > maxBytes) return std::nullopt;
        bytes.insert(bytes.end(), buf, buf + n);
    }
    if (std::ferror(f.get())) return std::nullopt;
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    File f(std::fopen(path.c_str(), "wb"));
    if (!f) return false;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) return false;
    return std::fclose(f.release()) == 0;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsReplaceableFile(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode));
}

bool DeleteFilePath(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RenamePath(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

std::string TemporaryFolder() {
    const char* env = std::getenv("TMPDIR");
    std::string folder = env && *env ? env : "/tmp";
    if (folder.back() != '/') folder += '/';
    return folder;
}

PrivateTempFolder::PrivateTempFolder(const std::string& parent) {
    std::string base = parent.empty() ? TemporaryFolder() : parent;
    if (base.back() != '/') base += '/';
    std::string pattern = base + "slidemill-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data())) path_ = std::string(buf.data()) + "/";
}

PrivateTempFolder::~PrivateTempFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace slidemill

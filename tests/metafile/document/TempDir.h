#pragma once
// A private scratch folder per test, removed afterwards, and small file helpers.

#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace slidemill::testing_doc {

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("slidemill-doc-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }
    std::string Root() const { return path_.string() + "/"; }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void WriteText(const std::string& path, const std::string& text) {
    WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

inline void WriteGzip(const std::string& path, const std::vector<uint8_t>& bytes) {
    gzFile gz = gzopen(path.c_str(), "wb");
    if (!bytes.empty()) gzwrite(gz, bytes.data(), unsigned(bytes.size()));
    gzclose(gz);
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace slidemill::testing_doc

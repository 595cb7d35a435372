#pragma once
// Small file helpers over the C library and std::filesystem, without exceptions: every
// failure is a return value.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace slidemill {

// Whole-file read; nullopt when the file cannot be opened or read, or is larger than maxBytes.
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path, uint64_t maxBytes = uint64_t(1) << 31);
// Creates or truncates the file and writes the bytes; false on any failure (a partial
// file may be left; callers that must not leave one write elsewhere and rename).
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// True when something exists at the path (a file, folder or dangling link).
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
// True for a regular file or a symbolic link (not followed): what may be deleted to make
// room for a new file. Folders, devices, pipes and sockets are never deleted.
bool IsReplaceableFile(const std::string& path);
// Deletes a file (not a folder); true when it is gone afterwards because of this call.
bool DeleteFilePath(const std::string& path);
bool RenamePath(const std::string& from, const std::string& to);

// The system's temporary folder with a trailing separator ($TMPDIR, else /tmp/).
std::string TemporaryFolder();

// A folder only this user can enter, made fresh under a parent folder (mkdtemp) and
// removed with everything in it when the object goes away.
class PrivateTempFolder {
public:
    // Empty parent: the system's temporary folder. Path() is empty when it could not be made.
    explicit PrivateTempFolder(const std::string& parent = {});
    ~PrivateTempFolder();
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    bool Ok() const { return !path_.empty(); }
    // The folder with a trailing separator.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The folder part of a path ("" for a bare file name) and the file-name part.
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);

}  // namespace slidemill

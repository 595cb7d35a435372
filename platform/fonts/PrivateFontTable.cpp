#include "platform/fonts/PrivateFontTable.h"

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

namespace slidemill {

bool FontconfigFontTable::Add(const std::string& fontPath) {
    FcConfig* config = FcConfigGetCurrent();
    if (!config) return false;
    if (!FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(fontPath.c_str()))) return false;
    files_.push_back(fontPath);
    return true;
}

bool FontconfigFontTable::Remove(const std::string& fontPath) {
    auto it = std::find(files_.begin(), files_.end(), fontPath);
    if (it == files_.end()) return false;
    files_.erase(it);
    FcConfig* config = FcConfigGetCurrent();
    if (!config) return true;
    FcConfigAppFontClear(config);
    for (const std::string& f : files_) FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(f.c_str()));
    return true;
}

bool IsTrueTypeFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char head[172];
    const size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (n != sizeof head) return false;
    if (head[0] != 0 || head[1] != 1 || head[2] != 0 || head[3] != 0) return false;
    const unsigned tables = (unsigned(head[4]) << 8) | head[5];
    return tables > 9;
}

namespace {

bool IsNetworkOrMediaFs(long type) {
    switch (static_cast<unsigned long>(type)) {
        case 0x6969:      // NFS
        case 0x517B:      // SMB
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2
        case 0x65735546:  // FUSE (sshfs and friends)
        case 0x01021997:  // 9P
        case 0x5346414F:  // AFS
        case 0x73757245:  // CODA
        case 0x564C:      // NCP
        case 0x00C36400:  // CEPH
        case 0x9660:      // ISO 9660
        case 0x15013346:  // UDF
            return true;
        default:
            return false;
    }
}

bool ReadFlag(const std::string& file) {
    std::ifstream in(file);
    int v = 0;
    return (in >> v) && v == 1;
}

}  // namespace

bool IsFixedDrive(const std::string& path) {
    std::string probe = path;
    struct stat st {};
    // Walk up to something that exists (the document may not be created yet).
    while (!probe.empty() && ::stat(probe.c_str(), &st) != 0) {
        size_t slash = probe.find_last_of('/');
        if (slash == std::string::npos) {
            probe = ".";
            break;
        }
        probe = slash == 0 ? "/" : probe.substr(0, slash);
    }
    if (probe.empty() || ::stat(probe.c_str(), &st) != 0) return true;
    struct statfs fs {};
    if (::statfs(probe.c_str(), &fs) == 0 && IsNetworkOrMediaFs(long(fs.f_type))) return false;
    // A block device marked removable (USB sticks, card readers); for a partition the
    // flag sits on its parent device.
    const std::string dev =
        "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    if (ReadFlag(dev + "/removable") || ReadFlag(dev + "/../removable")) return false;
    return true;
}

}  // namespace slidemill

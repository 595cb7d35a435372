#include "platform/emf/EnhMetaFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace slidemill {

std::unique_ptr<EnhMetaFile> EnhMetaFile::FromBytes(std::vector<uint8_t> bytes) {
    EmfHeader header;
    if (!ReadEmfHeader(bytes, header)) return nullptr;
    return std::unique_ptr<EnhMetaFile>(new EnhMetaFile(std::move(bytes), header));
}

std::unique_ptr<EnhMetaFile> EnhMetaFile::FromBytes(std::span<const uint8_t> bytes) {
    return FromBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, uint64_t maxBytes) {
    out.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t chunk[65536];
    bool ok = true;
    for (;;) {
        size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (n) {
            if (out.size() + n > maxBytes) {
                ok = false;
                break;
            }
            out.insert(out.end(), chunk, chunk + n);
        }
        if (n < sizeof chunk) {
            if (std::ferror(f)) ok = false;
            break;
        }
    }
    std::fclose(f);
    if (!ok) out.clear();
    return ok;
}

std::unique_ptr<EnhMetaFile> EnhMetaFile::FromFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) return nullptr;
    return FromBytes(std::move(bytes));
}

uint32_t GetEnhMetaFileHeader(const EnhMetaFile* emf, uint32_t size, uint8_t* buffer) {
    if (!emf || !buffer || size < kEmfHeaderMinSize) return 0;
    const uint32_t n = std::min<uint32_t>({size, uint32_t(kEmfHeaderFullSize), emf->Header().size});
    std::memcpy(buffer, emf->Bytes().data(), n);
    const uint32_t want = std::min<uint32_t>(size, uint32_t(kEmfHeaderFullSize));
    if (want > n) std::memset(buffer + n, 0, want - n);
    return n;
}

bool ReadPictureResolution(const EnhMetaFile* emf, int32_t& dpiX, int32_t& dpiY, int32_t& deviceWidth,
                           int32_t& deviceHeight) {
    if (!emf) return false;
    PictureResolution r = PictureResolutionOf(emf->Header());
    dpiX = r.dpiX;
    dpiY = r.dpiY;
    deviceWidth = r.deviceWidth;
    deviceHeight = r.deviceHeight;
    return true;
}

}  // namespace slidemill

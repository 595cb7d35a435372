#pragma once
// An enhanced metafile held in memory: the owned record bytes plus their validated
// header. It stands in for the platform's metafile handle (what GetEnhMetaFileA and
// SetEnhMetaFileBits return); nothing else about a metafile is kept here.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "metafile/EmfHeader.h"

namespace slidemill {

class EnhMetaFile {
public:
    // Takes the bytes when they start with a valid header; null otherwise. The header's
    // Bytes field is not trusted to cut the data: records are framed up to EMR_EOF.
    static std::unique_ptr<EnhMetaFile> FromBytes(std::vector<uint8_t> bytes);
    static std::unique_ptr<EnhMetaFile> FromBytes(std::span<const uint8_t> bytes);
    // Reads a whole .emf file; null when it cannot be read or is not an EMF.
    static std::unique_ptr<EnhMetaFile> FromFile(const std::string& path);

    const EmfHeader& Header() const { return header_; }
    std::span<const uint8_t> Bytes() const { return bytes_; }
    size_t Size() const { return bytes_.size(); }

private:
    EnhMetaFile(std::vector<uint8_t> bytes, const EmfHeader& header) : bytes_(std::move(bytes)), header_(header) {}
    std::vector<uint8_t> bytes_;
    EmfHeader header_;
};

// SetEnhMetaFileBits (size, bytes).
inline std::unique_ptr<EnhMetaFile> SetEnhMetaFileBits(size_t size, const uint8_t* bytes) {
    if (!bytes) return nullptr;
    return EnhMetaFile::FromBytes(std::span<const uint8_t>(bytes, size));
}
// GetEnhMetaFileA (path).
inline std::unique_ptr<EnhMetaFile> GetEnhMetaFileA(const std::string& path) { return EnhMetaFile::FromFile(path); }

// Copies up to `size` bytes of the header record (at most its first 108 bytes) into the
// buffer, zero-filling what the record does not cover; returns the number of bytes
// copied, 0 when the metafile is null or the buffer too small for the base header.
uint32_t GetEnhMetaFileHeader(const EnhMetaFile* emf, uint32_t size, uint8_t* buffer);

// The reference-device resolution of a loaded metafile; false, with nothing written,
// when the metafile is null.
bool ReadPictureResolution(const EnhMetaFile* emf, int32_t& dpiX, int32_t& dpiY, int32_t& deviceWidth,
                           int32_t& deviceHeight);

// Reads a whole file into memory, refusing files above maxBytes. False when it cannot.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, uint64_t maxBytes = uint64_t(1) << 31);

}  // namespace slidemill

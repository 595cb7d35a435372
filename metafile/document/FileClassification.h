#pragma once
// Classification of picture files by content (then by extension), and the gzip helpers
// it and the loader use.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace slidemill {

// True when length > 9 and the bytes start a gzip member: 1F 8B, method 8 (deflate), a
// flag byte below 32.
bool IsGzipHeader(const uint8_t* bytes, size_t length);

// Decompresses up to `count` bytes from the start of a gzip file into `buffer`; true
// when the read reported no error (fewer bytes are not an error). `read` gets the count.
bool ReadGzipPrefix(const std::string& path, uint8_t* buffer, size_t count, size_t* read = nullptr);

// The largest inflated size accepted; a bigger stream is treated as damaged (a gzip
// bomb must not exhaust memory).
constexpr size_t kMaxInflatedBytes = size_t(512) << 20;

// Decompresses a whole gzip file, appending to `sink` in chunks of 32768 bytes. False on
// a read error or when the output would pass `maxBytes`; the sink keeps what was
// appended.
bool InflateGzipFile(const std::string& path, std::vector<uint8_t>& sink, size_t maxBytes = kMaxInflatedBytes);

// The extension table (".jpg" 0x0104 ... ".exi" 0x0154), case-insensitive; 0 otherwise.
uint32_t LookupExtensionType(const std::string& path);

// The type code of a file: list file, placeable key, EMF header, WMF header, gzip
// member of one of those, then the extension table. 0x2000 when it cannot be opened.
uint32_t ClassifyFile(const std::string& path);

}  // namespace slidemill

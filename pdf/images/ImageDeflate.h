#pragma once
// Flate (zlib) compression of image samples, done here rather than by the PDF library so
// that the compression level can favour speed: slide pictures are large and a page must
// not take seconds.

#include <cstdint>
#include <span>
#include <vector>

namespace slidemill {

// zlib's fastest level: a full-page photograph compresses in a fraction of the time of
// the default level for a file only slightly larger.
constexpr int kImageDeflateLevel = 1;

// The zlib stream of `data` (what a /FlateDecode filter reads back). Throws
// std::bad_alloc or std::runtime_error when zlib fails.
std::vector<uint8_t> DeflateSamples(std::span<const uint8_t> data, int level = kImageDeflateLevel);

}  // namespace slidemill

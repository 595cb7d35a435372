#include "pdf/images/ImageDeflate.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include <zlib.h>

namespace slidemill {

std::vector<uint8_t> DeflateSamples(std::span<const uint8_t> data, int level) {
    z_stream z{};
    if (deflateInit(&z, level) != Z_OK) throw std::runtime_error("zlib: deflateInit failed");
    std::vector<uint8_t> out;
    // A first guess that fits most pictures; the loop grows it when it does not.
    out.resize(std::max<size_t>(1024, data.size() / 2));
    size_t inPos = 0;
    size_t outPos = 0;
    constexpr size_t kChunk = std::numeric_limits<uInt>::max() / 2;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (outPos == out.size()) out.resize(out.size() + out.size() / 2 + 1024);
        const size_t inChunk = std::min(kChunk, data.size() - inPos);
        const size_t outChunk = std::min(kChunk, out.size() - outPos);
        z.next_in = const_cast<Bytef*>(data.data() + inPos);
        z.avail_in = static_cast<uInt>(inChunk);
        z.next_out = out.data() + outPos;
        z.avail_out = static_cast<uInt>(outChunk);
        const bool last = inPos + inChunk == data.size();
        status = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
        if (status == Z_STREAM_ERROR) {
            deflateEnd(&z);
            throw std::runtime_error("zlib: deflate failed");
        }
        inPos += inChunk - z.avail_in;
        outPos += outChunk - z.avail_out;
    }
    deflateEnd(&z);
    out.resize(outPos);
    out.shrink_to_fit();
    return out;
}

}  // namespace slidemill

#include "pdf/images/ImageDeflate.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include <zlib.h>

namespace slidemill {
namespace {

// One deflate stream fed piece by piece into a growing output.
class Deflater {
public:
    Deflater(int level, size_t expected) {
        if (deflateInit(&z_, level) != Z_OK) throw std::runtime_error("zlib: deflateInit failed");
        out_.resize(std::max<size_t>(1024, expected));
    }
    ~Deflater() { deflateEnd(&z_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void Feed(const uint8_t* data, size_t size, bool last) {
        constexpr size_t kChunk = std::numeric_limits<uInt>::max() / 2;
        int status = Z_OK;
        for (;;) {
            const size_t inChunk = std::min(kChunk, size);
            const bool finish = last && inChunk == size;
            z_.next_in = const_cast<Bytef*>(data);
            z_.avail_in = static_cast<uInt>(inChunk);
            do {
                if (pos_ == out_.size()) out_.resize(out_.size() + out_.size() / 2 + 1024);
                const size_t outChunk = std::min(kChunk, out_.size() - pos_);
                z_.next_out = out_.data() + pos_;
                z_.avail_out = static_cast<uInt>(outChunk);
                status = deflate(&z_, finish ? Z_FINISH : Z_NO_FLUSH);
                if (status == Z_STREAM_ERROR) throw std::runtime_error("zlib: deflate failed");
                pos_ += outChunk - z_.avail_out;
            } while (z_.avail_out == 0 || (finish && status != Z_STREAM_END));
            data += inChunk;
            size -= inChunk;
            if (size == 0) break;
        }
    }

    std::vector<uint8_t> Take() {
        out_.resize(pos_);
        out_.shrink_to_fit();
        return std::move(out_);
    }

private:
    z_stream z_{};
    std::vector<uint8_t> out_;
    size_t pos_ = 0;
};

}  // namespace

std::vector<uint8_t> DeflateRowsUp(std::span<const uint8_t> data, size_t rowBytes, size_t rows, int level) {
    if (rowBytes == 0 || rows > std::numeric_limits<size_t>::max() / rowBytes || data.size() != rowBytes * rows)
        throw std::invalid_argument("image rows do not match their size");
    Deflater deflater(level, data.size() / 2);
    // A batch of predicted rows at a time keeps zlib's calls large and the extra memory small.
    const size_t batchRows = std::max<size_t>(1, (size_t(1) << 20) / (rowBytes + 1));
    std::vector<uint8_t> batch;
    for (size_t first = 0; first < rows || rows == 0; first += batchRows) {
        const size_t count = std::min(batchRows, rows - first);
        batch.resize(count * (rowBytes + 1));
        for (size_t r = 0; r < count; ++r) {
            const size_t y = first + r;
            const uint8_t* row = data.data() + y * rowBytes;
            uint8_t* out = batch.data() + r * (rowBytes + 1);
            out[0] = 2;  // Up
            if (y == 0) {
                std::copy(row, row + rowBytes, out + 1);
            } else {
                const uint8_t* above = row - rowBytes;
                for (size_t i = 0; i < rowBytes; ++i) out[1 + i] = static_cast<uint8_t>(row[i] - above[i]);
            }
        }
        deflater.Feed(batch.data(), batch.size(), first + count >= rows);
        if (rows == 0) break;
    }
    return deflater.Take();
}

std::vector<uint8_t> DeflateSamples(std::span<const uint8_t> data, int level) {
    Deflater deflater(level, data.size() / 2);
    deflater.Feed(data.data(), data.size(), true);
    return deflater.Take();
}

}  // namespace slidemill

#include "pdf/images/ImageDeflate.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <stdexcept>
#include <thread>

#include <zlib.h>

namespace slidemill {
namespace {

// One deflate stream fed piece by piece into a growing output.
class Deflater {
public:
    // windowBits 15 gives a whole zlib stream; -15 a raw deflate piece (see DeflateRowsUp).
    Deflater(int level, size_t expected, int windowBits = 15) {
        if (deflateInit2(&z_, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::runtime_error("zlib: deflateInit failed");
        out_.resize(std::max<size_t>(1024, expected));
    }
    ~Deflater() { deflateEnd(&z_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // `end`: Z_NO_FLUSH while more follows; Z_FINISH to close the stream; Z_SYNC_FLUSH to
    // end a raw piece on a byte boundary without closing it.
    void Feed(const uint8_t* data, size_t size, int end) {
        constexpr size_t kChunk = std::numeric_limits<uInt>::max() / 2;
        int status = Z_OK;
        for (;;) {
            const size_t inChunk = std::min(kChunk, size);
            const int flush = inChunk == size ? end : Z_NO_FLUSH;
            z_.next_in = const_cast<Bytef*>(data);
            z_.avail_in = static_cast<uInt>(inChunk);
            do {
                if (pos_ == out_.size()) out_.resize(out_.size() + out_.size() / 2 + 1024);
                const size_t outChunk = std::min(kChunk, out_.size() - pos_);
                z_.next_out = out_.data() + pos_;
                z_.avail_out = static_cast<uInt>(outChunk);
                status = deflate(&z_, flush);
                if (status == Z_STREAM_ERROR) throw std::runtime_error("zlib: deflate failed");
                pos_ += outChunk - z_.avail_out;
            } while (z_.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
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

// Predicts rows [begin, end) of the picture and feeds them to `deflater`, ending with
// `end`; returns the Adler-32 of the predicted bytes. The row above `begin` is read from
// the picture, so bands can be predicted independently.
uLong PredictBand(std::span<const uint8_t> data, size_t rowBytes, size_t begin, size_t endRow, Deflater& deflater,
                  int end) {
    uLong adler = adler32(0L, Z_NULL, 0);
    // A batch of predicted rows at a time keeps zlib's calls large and the extra memory small.
    const size_t batchRows = std::max<size_t>(1, (size_t(1) << 20) / (rowBytes + 1));
    std::vector<uint8_t> batch;
    for (size_t first = begin; first < endRow || first == begin; first += batchRows) {
        const size_t count = std::min(batchRows, endRow - first);
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
        adler = adler32_z(adler, batch.data(), batch.size());
        const bool last = first + count >= endRow;
        deflater.Feed(batch.data(), batch.size(), last ? end : Z_NO_FLUSH);
        if (last) break;
    }
    return adler;
}

// Pictures smaller than this are compressed on the calling thread alone.
constexpr size_t kParallelBytes = size_t(4) << 20;

}  // namespace

std::vector<uint8_t> DeflateRowsUp(std::span<const uint8_t> data, size_t rowBytes, size_t rows, int level) {
    if (rowBytes == 0 || rows > std::numeric_limits<size_t>::max() / rowBytes || data.size() != rowBytes * rows)
        throw std::invalid_argument("image rows do not match their size");
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t bands = data.size() < kParallelBytes ? 1 : std::min<size_t>({cores, 4, rows});
    if (bands <= 1) {
        Deflater deflater(level, data.size() / 2);
        PredictBand(data, rowBytes, 0, rows, deflater, Z_FINISH);
        return deflater.Take();
    }

    // Large pictures: horizontal bands compressed at the same time as raw deflate pieces,
    // each but the last ended on a byte boundary (sync flush), then joined under one zlib
    // header with the Adler-32 of the whole. Matches do not reach across a band's top
    // edge, which costs a few bytes per band.
    struct Band {
        size_t begin = 0, end = 0;
        uLong adler = 0;
        std::vector<uint8_t> bytes;
        std::exception_ptr error;
    };
    std::vector<Band> work(bands);
    for (size_t b = 0; b < bands; ++b) {
        work[b].begin = rows * b / bands;
        work[b].end = rows * (b + 1) / bands;
    }
    auto run = [&](Band& band, bool last) {
        try {
            Deflater deflater(level, (band.end - band.begin) * rowBytes / 2, -15);
            band.adler = PredictBand(data, rowBytes, band.begin, band.end, deflater, last ? Z_FINISH : Z_SYNC_FLUSH);
            band.bytes = deflater.Take();
        } catch (...) {
            band.error = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    for (size_t b = 1; b < bands; ++b) threads.emplace_back(run, std::ref(work[b]), b + 1 == bands);
    run(work[0], false);
    for (std::thread& t : threads) t.join();
    for (const Band& band : work)
        if (band.error) std::rethrow_exception(band.error);

    size_t total = 6;
    for (const Band& band : work) total += band.bytes.size();
    std::vector<uint8_t> out;
    out.reserve(total);
    // zlib header: deflate, 32 KiB window, no dictionary; the check bits make it a
    // multiple of 31.
    const uint8_t cmf = 0x78;
    const uint8_t levelBits = level <= 1 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    uint8_t flg = static_cast<uint8_t>(levelBits << 6);
    flg = static_cast<uint8_t>(flg + (31 - (cmf * 256 + flg) % 31) % 31);
    out.push_back(cmf);
    out.push_back(flg);
    uLong adler = work[0].adler;
    out.insert(out.end(), work[0].bytes.begin(), work[0].bytes.end());
    for (size_t b = 1; b < bands; ++b) {
        const z_off_t length = static_cast<z_off_t>((work[b].end - work[b].begin) * (rowBytes + 1));
        adler = adler32_combine(adler, work[b].adler, length);
        out.insert(out.end(), work[b].bytes.begin(), work[b].bytes.end());
    }
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(adler >> shift));
    return out;
}

std::vector<uint8_t> DeflateSamples(std::span<const uint8_t> data, int level) {
    Deflater deflater(level, data.size() / 2);
    deflater.Feed(data.data(), data.size(), Z_FINISH);
    return deflater.Take();
}

}  // namespace slidemill

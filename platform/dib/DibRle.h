#pragma once
// Expansion of BI_RLE8 and BI_RLE4 streams ([MS-WMF] 3.1.6 Bitmap Compression).
//
// The stream is walked in stored row order (row 0 is the first row of the stream, the
// bottom one for a bottom-up bitmap). Pixels a run would put past the right edge are
// dropped; the stream ends at the end-of-bitmap mark, after the last row, or when its
// data runs out. Pixels the stream never sets (skipped by a delta or an early end of
// line) are left to the caller, who keeps them black.

#include <cstdint>
#include <span>

#include "metafile/ByteReader.h"

namespace slidemill {

struct RleOutcome {
    // False when the data ran out (or a code was cut short) before the end-of-bitmap
    // mark and before the last row was filled.
    bool complete = false;
};

// `put(x, storedRow, index)` is called for every pixel inside the bitmap.
template <typename Put>
RleOutcome ExpandRle(std::span<const uint8_t> data, bool fourBit, uint32_t width, uint32_t height, Put&& put) {
    ByteReader r(data);
    uint64_t x = 0;
    uint64_t row = 0;
    auto emit = [&](uint8_t index) {
        if (x < width && row < height) put(static_cast<uint32_t>(x), static_cast<uint32_t>(row), index);
        ++x;
    };
    auto filled = [&] { return row >= height || (row + 1 == height && x >= width); };

    while (row < height) {
        if (!r.Has(2)) return {filled()};
        const uint8_t count = r.U8();
        const uint8_t value = r.U8();
        if (count > 0) {
            // Encoded run: one index (RLE8) or two alternating nibbles (RLE4), high first.
            for (uint32_t i = 0; i < count; ++i) {
                emit(fourBit ? static_cast<uint8_t>(i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
            }
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                ++row;
                break;
            case 1:  // end of bitmap
                return {true};
            case 2: {  // delta: the next pixel is right and further along the rows
                if (!r.Has(2)) return {filled()};
                x += r.U8();
                row += r.U8();
                break;
            }
            default: {  // absolute run of `value` pixels, padded to a 16-bit boundary
                const uint32_t n = value;
                const size_t bytes = fourBit ? (n + 1) / 2 : n;
                const bool whole = r.Has(bytes);
                const size_t available = whole ? bytes : r.Remaining();
                std::span<const uint8_t> run = r.View(available);
                for (uint32_t i = 0; i < n; ++i) {
                    const size_t byte = fourBit ? i / 2 : i;
                    if (byte >= run.size()) break;
                    const uint8_t b = run[byte];
                    emit(fourBit ? static_cast<uint8_t>(i % 2 == 0 ? b >> 4 : b & 0x0F) : b);
                }
                if (!whole) return {filled()};
                if (bytes % 2 != 0 && r.Has(1)) r.Skip(1);
                break;
            }
        }
    }
    return {true};
}

}  // namespace slidemill

// libFuzzer entry point for the DIB decoder: the input is read as a packed DIB, as two
// spans split where its first byte says, and as the pixel values of a mask bitmap, under
// each colour usage. Sizes are capped so that the fuzzer finds faults, not allocations.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/dib/DibDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace slidemill;
    if (size < 1) return 0;
    constexpr uint64_t kCap = 1 << 20;
    const DibPalette palette{{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}};
    const std::span<const uint8_t> input(data + 1, size - 1);
    const auto usage = static_cast<DibColorUsage>(data[0] % 3);

    DecodedImage img;
    DecodePackedDib(input, usage, data[0] & 0x80 ? &palette : nullptr, img, kCap);

    const size_t split = std::min<size_t>(input.size(), size_t(data[0]) * 2);
    DecodeDib(input.first(split), input.subspan(split), usage, &palette, img, kCap);

    DibIndexImage indices;
    DecodeDibIndices(input.first(split), input.subspan(split), indices, kCap);
    DecodeDibBand(input.first(split), input.subspan(split), data[0] & 3, data[0] >> 2, usage, &palette, img, kCap);
    return 0;
}

#pragma once
// The 22-byte placeable header ([MS-WMF] 2.3.2.3 META_PLACEABLE) that many .wmf files
// carry in front of the standard header: the picture's bounding box in logical units and
// how many of those units make an inch.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "metafile/ByteReader.h"

namespace slidemill {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableHeaderSize = 22;

struct PlaceableHeader {
    int16_t left = 0;
    int16_t top = 0;
    int16_t right = 0;
    int16_t bottom = 0;
    uint16_t inch = 0;      // logical units per inch
    uint16_t checksum = 0;  // XOR of the first ten 16-bit words
    bool checksumOk = false;

    int32_t Width() const { return int32_t(right) - left; }
    int32_t Height() const { return int32_t(bottom) - top; }
    // Picture size in 0.01 mm, or 0 when the header gives no usable unit.
    int32_t WidthHundredthsMm() const { return inch ? int32_t((int64_t(Width()) * 2540) / inch) : 0; }
    int32_t HeightHundredthsMm() const { return inch ? int32_t((int64_t(Height()) * 2540) / inch) : 0; }
};

// Reads the header when the bytes start with the placeable key; nullopt otherwise or when
// the bytes are too short to hold it.
inline std::optional<PlaceableHeader> ReadPlaceableHeader(std::span<const uint8_t> bytes) {
    ByteReader r(bytes);
    if (!r.Has(kPlaceableHeaderSize) || r.U32() != kPlaceableKey) return std::nullopt;
    PlaceableHeader h;
    r.U16();  // HWmf, always 0 on disk
    h.left = r.I16();
    h.top = r.I16();
    h.right = r.I16();
    h.bottom = r.I16();
    h.inch = r.U16();
    r.U32();  // reserved
    h.checksum = r.U16();
    uint16_t x = 0;
    for (size_t i = 0; i < 10; ++i) x ^= r.PeekU16(i * 2);
    h.checksumOk = x == h.checksum;
    return h;
}

// The picture with a placeable header in front: a box of (left, top)-(right, bottom)
// logical units at `inch` units per inch, with its checksum.
inline std::vector<uint8_t> WithPlaceableHeader(std::span<const uint8_t> wmf, int16_t left, int16_t top,
                                                int16_t right, int16_t bottom, uint16_t inch) {
    ByteWriter w;
    w.U32(kPlaceableKey);
    w.U16(0);  // HWmf
    w.I16(left);
    w.I16(top);
    w.I16(right);
    w.I16(bottom);
    w.U16(inch);
    w.U32(0);  // reserved
    uint16_t sum = 0;
    for (size_t i = 0; i < 10; ++i) sum ^= uint16_t(w.Buffer()[2 * i] | w.Buffer()[2 * i + 1] << 8);
    w.U16(sum);
    w.Bytes(wmf);
    return w.Take();
}

}  // namespace slidemill

#pragma once
// Views the record parser hands to the renderer instead of raw pointers into a record:
// each wraps a span of the record that the parser has already checked, and reads its
// elements little-endian through the bounds-checked ByteReader (an index past the span
// reads as zero, it never reads outside the record).

#include <cstddef>
#include <cstdint>
#include <span>

#include "metafile/ByteReader.h"
#include "platform/gdi/GdiTypes.h"

namespace slidemill {

using RecordBytes = std::span<const uint8_t>;

// 32-bit points (POINTL, 8 bytes each).
class PointsL {
public:
    PointsL() = default;
    explicit PointsL(RecordBytes bytes) : r_(bytes) {}
    POINTL operator[](size_t i) const {
        return {int32_t(r_.PeekU32(i * 8)), int32_t(r_.PeekU32(i * 8 + 4))};
    }
    size_t Capacity() const { return r_.Size() / 8; }

private:
    ByteReader r_;
};

// 16-bit points (POINTS, 4 bytes each), widened on reading.
class PointsS {
public:
    PointsS() = default;
    explicit PointsS(RecordBytes bytes) : r_(bytes) {}
    POINTL operator[](size_t i) const {
        return {int16_t(r_.PeekU16(i * 4)), int16_t(r_.PeekU16(i * 4 + 2))};
    }
    size_t Capacity() const { return r_.Size() / 4; }

private:
    ByteReader r_;
};

// Unsigned 32-bit values (polygon point counts, mesh indexes).
class U32Array {
public:
    U32Array() = default;
    explicit U32Array(RecordBytes bytes) : r_(bytes) {}
    uint32_t operator[](size_t i) const { return r_.PeekU32(i * 4); }
    size_t Capacity() const { return r_.Size() / 4; }

private:
    ByteReader r_;
};

}  // namespace slidemill

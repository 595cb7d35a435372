#pragma once
// Builds small EMF pictures for tests, record by record, with ByteWriter.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "metafile/ByteReader.h"

namespace slidemill::testing {

class EmfBuilder {
public:
    // A header with the given object-table size, a 100 x 100 mm frame on a 1000 x 1000
    // pixel, 100 x 100 mm reference device.
    explicit EmfBuilder(uint16_t handles = 8) {
        w_.U32(1);
        w_.U32(108);
        for (int v : {0, 0, 999, 999}) w_.I32(v);        // bounds
        for (int v : {0, 0, 10000, 10000}) w_.I32(v);    // frame, 0.01 mm
        w_.U32(0x464D4520);
        w_.U32(0x10000);
        w_.U32(0);  // bytes, patched at the end
        w_.U32(0);  // records
        w_.U16(handles);
        w_.U16(0);
        w_.U32(0);
        w_.U32(0);
        w_.U32(0);
        w_.I32(1000);
        w_.I32(1000);
        w_.I32(100);
        w_.I32(100);
        w_.Zeros(12);
        w_.U32(100000);
        w_.U32(100000);
    }

    // A record of the type whose body the function writes (padded to 4 bytes).
    EmfBuilder& Record(uint32_t type, const std::function<void(ByteWriter&)>& body) {
        ByteWriter b;
        if (body) body(b);
        b.PadTo(4);
        w_.U32(type);
        w_.U32(uint32_t(8 + b.Size()));
        w_.Bytes(b.Buffer().data(), b.Size());
        return *this;
    }
    // A record of 32-bit values.
    EmfBuilder& Ints(uint32_t type, std::initializer_list<int32_t> values) {
        return Record(type, [&](ByteWriter& b) {
            for (int32_t v : values) b.I32(v);
        });
    }
    // Raw bytes appended as they are (for broken framing).
    EmfBuilder& Raw(std::initializer_list<uint8_t> bytes) {
        for (uint8_t v : bytes) w_.U8(v);
        return *this;
    }

    std::vector<uint8_t> Finish(bool withEof = true) {
        if (withEof) Ints(14, {0, 16, 20});
        std::vector<uint8_t> out = w_.Buffer();
        ByteWriter patch;
        (void)patch;
        uint32_t n = uint32_t(out.size());
        for (int i = 0; i < 4; ++i) out[48 + i] = uint8_t(n >> (8 * i));
        return out;
    }

private:
    ByteWriter w_;
};

// Helpers for record bodies.
inline void Bounds(ByteWriter& b) {
    for (int i = 0; i < 4; ++i) b.I32(0);
}
inline void Points32(ByteWriter& b, std::initializer_list<std::pair<int32_t, int32_t>> pts) {
    Bounds(b);
    b.U32(uint32_t(pts.size()));
    for (auto [x, y] : pts) b.I32(x), b.I32(y);
}
inline void Points16(ByteWriter& b, std::initializer_list<std::pair<int16_t, int16_t>> pts) {
    Bounds(b);
    b.U32(uint32_t(pts.size()));
    for (auto [x, y] : pts) b.I16(x), b.I16(y);
}

}  // namespace slidemill::testing

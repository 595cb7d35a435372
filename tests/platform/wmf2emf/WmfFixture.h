#pragma once
// Hand-built Windows metafiles for the converter tests.

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "metafile/ByteReader.h"

namespace slidemill::testing_wmf {

class WmfBuilder {
public:
    WmfBuilder() {
        w_.U16(1);       // memory metafile
        w_.U16(9);       // header words
        w_.U16(0x0300);  // version
        w_.U32(0);       // size in words, patched
        w_.U16(0);       // objects
        w_.U32(0);       // largest record
        w_.U16(0);
    }
    // A record of 16-bit parameter words.
    WmfBuilder& Rec(uint16_t function, std::initializer_list<int> words) {
        ByteWriter p;
        for (int v : words) p.U16(uint16_t(v));
        return Raw(function, p.Buffer());
    }
    // A record with raw parameter bytes (padded to a whole word).
    WmfBuilder& Raw(uint16_t function, const std::vector<uint8_t>& params) {
        size_t bytes = params.size() + (params.size() % 2);
        w_.U32(uint32_t(3 + bytes / 2));
        w_.U16(function);
        w_.Bytes(params.data(), params.size());
        if (params.size() % 2) w_.U8(0);
        return *this;
    }
    std::vector<uint8_t> Finish(bool eof = true) {
        if (eof) {
            w_.U32(3);
            w_.U16(0);
        }
        w_.PatchU32(6, uint32_t(w_.Size() / 2));
        return w_.Take();
    }

private:
    ByteWriter w_;
};

}  // namespace slidemill::testing_wmf

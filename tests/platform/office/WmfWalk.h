#pragma once
// Test helper: walks a Windows metafile (standard header first) record by record with
// the bounds-checked reader and reports whether it frames cleanly.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "metafile/ByteReader.h"

namespace slidemill::testing {

struct WmfRecordInfo {
    uint16_t function = 0;
    std::vector<int16_t> params;  // the first few 16-bit parameters
};

struct WmfWalk {
    bool framed = false;  // header sizes match, every record fits, the last one is EOF
    std::string problem;
    std::vector<WmfRecordInfo> records;

    size_t CountOf(uint16_t function) const {
        size_t n = 0;
        for (const auto& r : records) n += r.function == function;
        return n;
    }
};

inline WmfWalk WalkWmf(std::span<const uint8_t> bytes) {
    WmfWalk w;
    ByteReader r(bytes);
    if (!r.Has(18)) {
        w.problem = "short header";
        return w;
    }
    const uint16_t type = r.U16();
    const uint16_t headerWords = r.U16();
    r.U16();
    const uint32_t sizeWords = r.U32();
    r.U16();
    const uint32_t maxRecord = r.U32();
    r.U16();
    if ((type != 1 && type != 2) || headerWords != 9) {
        w.problem = "bad header";
        return w;
    }
    if (uint64_t(sizeWords) * 2 != bytes.size()) {
        w.problem = "header size " + std::to_string(sizeWords * 2) + " != " + std::to_string(bytes.size());
        return w;
    }
    uint32_t largest = 0;
    while (r.Remaining() > 0) {
        const size_t at = r.Offset();
        const uint32_t words = r.PeekU32(at);
        if (!r.Has(6) || words < 3 || uint64_t(words) * 2 > r.Remaining()) {
            w.problem = "record at " + std::to_string(at) + " does not fit";
            return w;
        }
        ByteReader rec = r.Sub(at, size_t(words) * 2);
        rec.Skip(4);
        WmfRecordInfo info;
        info.function = rec.U16();
        for (int i = 0; i < 4 && rec.Has(2); ++i) info.params.push_back(rec.I16());
        w.records.push_back(info);
        largest = std::max(largest, words);
        r.Skip(size_t(words) * 2);
        if (info.function == 0) break;
    }
    if (w.records.empty() || w.records.back().function != 0) {
        w.problem = "no end-of-file record";
        return w;
    }
    if (r.Remaining() != 0) {
        w.problem = "bytes after the end-of-file record";
        return w;
    }
    if (largest != maxRecord) {
        w.problem = "largest record " + std::to_string(largest) + " != header " + std::to_string(maxRecord);
        return w;
    }
    w.framed = true;
    return w;
}

}  // namespace slidemill::testing

// Any bytes through the EMF header reader and the record walker.
#include "metafile/EmfHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    slidemill::EmfHeader header;
    if (!slidemill::ReadEmfHeader(bytes, header)) return 0;
    int32_t a, b, c, d;
    slidemill::ReadPictureResolution(bytes, a, b, c, d);
    slidemill::EmfRecordWalker walker(bytes);
    slidemill::EmfRecord rec;
    while (walker.Next(rec)) {
        slidemill::ByteReader body = rec.Body();
        while (body.Remaining() >= 4) body.U32();
    }
    return 0;
}

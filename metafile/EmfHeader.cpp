#include "metafile/EmfHeader.h"

#include <limits>

#include "metafile/EmfRecordTypes.h"

namespace slidemill {

namespace {

EmfRectL ReadRect(ByteReader& r) {
    EmfRectL rc;
    rc.left = r.I32();
    rc.top = r.I32();
    rc.right = r.I32();
    rc.bottom = r.I32();
    return rc;
}

void WriteRect(ByteWriter& w, const EmfRectL& rc) {
    w.I32(rc.left);
    w.I32(rc.top);
    w.I32(rc.right);
    w.I32(rc.bottom);
}

}  // namespace

bool ReadEmfHeader(ByteReader& reader, EmfHeader& h) {
    const size_t start = reader.Offset();
    if (!reader.Has(kEmfHeaderMinSize)) return false;
    h = EmfHeader{};
    h.type = reader.U32();
    h.size = reader.U32();
    h.bounds = ReadRect(reader);
    h.frame = ReadRect(reader);
    h.signature = reader.U32();
    h.version = reader.U32();
    h.bytes = reader.U32();
    h.records = reader.U32();
    h.handles = reader.U16();
    h.reserved = reader.U16();
    h.nDescription = reader.U32();
    h.offDescription = reader.U32();
    h.nPalEntries = reader.U32();
    h.device.cx = reader.I32();
    h.device.cy = reader.I32();
    h.millimeters.cx = reader.I32();
    h.millimeters.cy = reader.I32();
    if (!reader.Ok()) return false;
    if (h.type != EMR_HEADER || h.signature != kEmfSignature) return false;
    if (h.size < kEmfHeaderMinSize || h.size % 4 != 0) return false;
    if (h.size > reader.Size() - start) return false;

    if (h.size >= kEmfHeaderExt1Size) {
        h.hasExtension1 = true;
        h.cbPixelFormat = reader.U32();
        h.offPixelFormat = reader.U32();
        h.bOpenGL = reader.U32();
    }
    if (h.size >= kEmfHeaderFullSize) {
        h.hasExtension2 = true;
        h.micrometersX = reader.U32();
        h.micrometersY = reader.U32();
    }
    if (!reader.Ok()) return false;

    // The description is a pair of UTF-16 strings somewhere inside the header record.
    ByteReader record = ByteReader(reader.Data() + start, h.size);
    if (h.nDescription && h.offDescription >= kEmfHeaderMinSize && h.nDescription <= h.size / 2 &&
        record.Contains(h.offDescription, size_t(h.nDescription) * 2)) {
        ByteReader d = record.Sub(h.offDescription, size_t(h.nDescription) * 2);
        h.description.reserve(h.nDescription);
        for (uint32_t i = 0; i < h.nDescription; ++i) h.description.push_back(char16_t(d.U16()));
    }
    reader.Seek(start + h.size);
    return true;
}

bool ReadEmfHeader(std::span<const uint8_t> bytes, EmfHeader& header) {
    ByteReader r(bytes);
    return ReadEmfHeader(r, header);
}

void WriteEmfHeader(ByteWriter& w, const EmfHeader& h) {
    const size_t start = w.Size();
    const uint32_t size = h.size < kEmfHeaderMinSize ? uint32_t(kEmfHeaderMinSize) : h.size;
    w.U32(EMR_HEADER);
    w.U32(size);
    WriteRect(w, h.bounds);
    WriteRect(w, h.frame);
    w.U32(kEmfSignature);
    w.U32(h.version);
    w.U32(h.bytes);
    w.U32(h.records);
    w.U16(h.handles);
    w.U16(h.reserved);
    w.U32(h.nDescription);
    w.U32(h.offDescription);
    w.U32(h.nPalEntries);
    w.I32(h.device.cx);
    w.I32(h.device.cy);
    w.I32(h.millimeters.cx);
    w.I32(h.millimeters.cy);
    if (size >= kEmfHeaderExt1Size) {
        w.U32(h.cbPixelFormat);
        w.U32(h.offPixelFormat);
        w.U32(h.bOpenGL);
    }
    if (size >= kEmfHeaderFullSize) {
        w.U32(h.micrometersX);
        w.U32(h.micrometersY);
    }
    while (w.Size() - start < size) w.U8(0);
}

int32_t MulDiv(int32_t a, int32_t b, int32_t d) {
    if (d == 0) return -1;
    int64_t num = int64_t(a) * int64_t(b);
    int64_t den = d;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    // Round half away from zero.
    int64_t q = num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den);
    if (q > std::numeric_limits<int32_t>::max() || q < std::numeric_limits<int32_t>::min()) return -1;
    return int32_t(q);
}

PictureResolution PictureResolutionOf(const EmfHeader& h) {
    PictureResolution res;
    res.deviceWidth = h.device.cx;
    res.deviceHeight = h.device.cy;
    // Millimeters x 10 in 64 bits: a hostile header must not overflow the divisor.
    auto tenths = [](int32_t mm) -> int32_t {
        int64_t v = int64_t(mm) * 10;
        if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min()) return 0;
        return int32_t(v);
    };
    res.dpiX = MulDiv(h.device.cx, 254, tenths(h.millimeters.cx));
    res.dpiY = MulDiv(h.device.cy, 254, tenths(h.millimeters.cy));
    return res;
}

bool ReadPictureResolution(std::span<const uint8_t> emf, int32_t& dpiX, int32_t& dpiY, int32_t& deviceWidth,
                           int32_t& deviceHeight) {
    EmfHeader h;
    if (emf.empty() || !ReadEmfHeader(emf, h)) return false;
    PictureResolution res = PictureResolutionOf(h);
    dpiX = res.dpiX;
    dpiY = res.dpiY;
    deviceWidth = res.deviceWidth;
    deviceHeight = res.deviceHeight;
    return true;
}

const char* EmfWalkStatusText(EmfWalkStatus status) {
    switch (status) {
        case EmfWalkStatus::Ok: return "ok";
        case EmfWalkStatus::End: return "end of metafile";
        case EmfWalkStatus::SizeTooSmall: return "record size below 8 bytes";
        case EmfWalkStatus::SizeNotAligned: return "record size not a multiple of 4";
        case EmfWalkStatus::PastEnd: return "record reaches past the end of the data";
        case EmfWalkStatus::NoEof: return "data ends without EMR_EOF";
    }
    return "unknown";
}

bool EmfRecordWalker::Next(EmfRecord& rec) {
    if (status_ != EmfWalkStatus::Ok) return false;
    const size_t remaining = bytes_.size() - pos_;
    if (remaining == 0) {
        status_ = EmfWalkStatus::NoEof;
        return false;
    }
    if (remaining < kEmfRecordHeaderSize) {
        status_ = EmfWalkStatus::PastEnd;
        return false;
    }
    ByteReader r(bytes_.subspan(pos_));
    const uint32_t type = r.U32();
    const uint32_t size = r.U32();
    if (size < kEmfRecordHeaderSize) {
        status_ = EmfWalkStatus::SizeTooSmall;
        return false;
    }
    if (size % 4 != 0) {
        status_ = EmfWalkStatus::SizeNotAligned;
        return false;
    }
    if (size > remaining) {
        status_ = EmfWalkStatus::PastEnd;
        return false;
    }
    rec.type = type;
    rec.size = size;
    rec.offset = pos_;
    rec.bytes = bytes_.subspan(pos_, size);
    pos_ += size;
    ++count_;
    if (type == EMR_EOF) status_ = EmfWalkStatus::End;
    return true;
}

}  // namespace slidemill

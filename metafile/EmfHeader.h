#pragma once
// The EMF header record ([MS-EMF] 2.3.4.2 EMR_HEADER with its two extensions), the
// reference-device resolution derived from it, and the framing of the records that follow.
//
// Records are framed by two little-endian u32 fields, Type and Size (bytes, header
// included, a multiple of 4). Offsets stored inside a record count from its first byte,
// so a record is handed out as a reader over the whole record.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "metafile/ByteReader.h"

namespace slidemill {

constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr size_t kEmfHeaderMinSize = 88;        // the base header, without extensions
constexpr size_t kEmfHeaderExt1Size = 100;      // with cbPixelFormat, offPixelFormat, bOpenGL
constexpr size_t kEmfHeaderFullSize = 108;      // with MicrometersX / MicrometersY as well
constexpr size_t kEmfRecordHeaderSize = 8;      // Type + Size

struct EmfRectL {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct EmfSizeL {
    int32_t cx = 0;
    int32_t cy = 0;
};

struct EmfHeader {
    uint32_t type = 0;
    uint32_t size = 0;
    EmfRectL bounds;  // reference-device pixels, inclusive
    EmfRectL frame;   // 0.01 mm, inclusive
    uint32_t signature = 0;
    uint32_t version = 0;
    uint32_t bytes = 0;
    uint32_t records = 0;
    uint16_t handles = 0;  // object-table size; only these 16 bits count
    uint16_t reserved = 0;
    uint32_t nDescription = 0;  // UTF-16 code units
    uint32_t offDescription = 0;
    uint32_t nPalEntries = 0;
    EmfSizeL device;       // pixels
    EmfSizeL millimeters;  // mm
    // First extension (present when size >= 100).
    bool hasExtension1 = false;
    uint32_t cbPixelFormat = 0;
    uint32_t offPixelFormat = 0;
    uint32_t bOpenGL = 0;
    // Second extension (present when size >= 108).
    bool hasExtension2 = false;
    uint32_t micrometersX = 0;
    uint32_t micrometersY = 0;
    // The description, when it lies inside the header record; empty otherwise.
    std::u16string description;
};

// Reads and validates the header at the start of the bytes: Type 1, the " EMF"
// signature, a Size of at least 88 bytes, a multiple of 4 and inside the bytes. The
// extension fields are read only when Size covers them. A description whose offset or
// length falls outside the record is left empty (not an error). False when invalid; the
// header is then unspecified.
bool ReadEmfHeader(std::span<const uint8_t> bytes, EmfHeader& header);
bool ReadEmfHeader(ByteReader& reader, EmfHeader& header);

// Writes the header record (size as given in header.size, at least 88; the extension
// fields up to that size, zero padding beyond). The description is not written.
void WriteEmfHeader(ByteWriter& out, const EmfHeader& header);

// a * b / d with a 64-bit intermediate, rounded to the nearest integer with halves
// away from zero; -1 when d is 0 or the result does not fit 32 bits.
int32_t MulDiv(int32_t a, int32_t b, int32_t d);

struct PictureResolution {
    int32_t dpiX = 0;
    int32_t dpiY = 0;
    int32_t deviceWidth = 0;   // pixels
    int32_t deviceHeight = 0;  // pixels
};

// dpi = MulDiv(Device, 254, Millimeters x 10) per axis; a Millimeters of 0 gives -1.
PictureResolution PictureResolutionOf(const EmfHeader& header);

// Reads the header of in-memory EMF bytes and gives the reference-device resolution and
// size. False, with nothing written, when the header cannot be read.
bool ReadPictureResolution(std::span<const uint8_t> emf, int32_t& dpiX, int32_t& dpiY, int32_t& deviceWidth,
                           int32_t& deviceHeight);

// One framed record: its type, size and position, and a reader over the whole record
// (Type and Size included, so record-relative offsets can be used directly).
struct EmfRecord {
    uint32_t type = 0;
    uint32_t size = 0;
    size_t offset = 0;  // from the start of the metafile
    std::span<const uint8_t> bytes;

    ByteReader Reader() const { return ByteReader(bytes); }
    // A reader placed after Type and Size.
    ByteReader Body() const {
        ByteReader r(bytes);
        r.Skip(kEmfRecordHeaderSize);
        return r;
    }
};

enum class EmfWalkStatus {
    Ok,              // more records may follow
    End,             // EMR_EOF was delivered; nothing more
    SizeTooSmall,    // a record's Size is below 8
    SizeNotAligned,  // a record's Size is not a multiple of 4
    PastEnd,         // a record reaches past the end of the bytes
    NoEof,           // the bytes ended (cleanly framed) without EMR_EOF
};

const char* EmfWalkStatusText(EmfWalkStatus status);

// Walks records strictly in file order, from the header on. Next() gives each record
// in turn and returns false at the end or at the first framing fault; Status() then
// says which. A fault is never skipped over.
class EmfRecordWalker {
public:
    explicit EmfRecordWalker(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool Next(EmfRecord& record);
    EmfWalkStatus Status() const { return status_; }
    bool Failed() const { return status_ != EmfWalkStatus::Ok && status_ != EmfWalkStatus::End; }
    size_t Offset() const { return pos_; }   // of the next record, or of the faulty one
    size_t Count() const { return count_; }  // records delivered

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    size_t count_ = 0;
    EmfWalkStatus status_ = EmfWalkStatus::Ok;
};

}  // namespace slidemill

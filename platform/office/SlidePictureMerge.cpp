#include "platform/office/SlidePictureMerge.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "metafile/ByteReader.h"
#include "platform/automation/PresentationApp.h"
#include "platform/wmf/PlaceableHeader.h"
#include "platform/wmf/WmfRecorder.h"

namespace slidemill {

namespace {

constexpr uint16_t kMfComment = 0x000F;             // META_ESCAPE MFCOMMENT
constexpr uint32_t kEnhancedMetafileTag = 0x43464D57;  // "WMFC"
constexpr uint16_t kEscape = 0x0626;
constexpr uint16_t kHundredthsMmPerInch = 2540;

int16_t ClampI16(int64_t v) {
    return static_cast<int16_t>(std::clamp<int64_t>(v, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

// 0.01 mm to the piece's logical units, rounded to the nearest unit.
int64_t ToUnits(int64_t hundredthsMm, uint16_t unitsPerInch) {
    return static_cast<int64_t>(std::llround(double(hundredthsMm) * unitsPerInch / kHundredthsMmPerInch));
}

bool IsEmbeddedEmfComment(ByteReader record) {
    // size (4), function (2), escape function (2), byte count (2), comment identifier (4)
    if (!record.Has(14)) return false;
    return record.PeekU16(6) == kMfComment && record.PeekU32(10) == kEnhancedMetafileTag;
}

}  // namespace

uint16_t PieceUnitsPerInch(std::span<const uint8_t> file) {
    auto placeable = ReadPlaceableHeader(file);
    if (placeable && placeable->inch > 0) return placeable->inch;
    return kHundredthsMmPerInch;
}

std::optional<PreparedPiece> PreparePiece(const ExportPiece& piece, int32_t pageWidth, int32_t pageHeight,
                                          uint16_t unitsPerInch, std::string* error) {
    auto fail = [&](const char* what) -> std::optional<PreparedPiece> {
        if (error) *error = what;
        return std::nullopt;
    };
    std::span<const uint8_t> bytes(piece.file);
    if (ReadPlaceableHeader(bytes)) bytes = bytes.subspan(kPlaceableHeaderSize);
    ByteReader in(bytes);
    if (!in.Has(wmf::kHeaderSize)) return fail("the slide picture is too short");
    const uint16_t type = in.PeekU16(0);
    const uint16_t headerWords = in.PeekU16(2);
    if ((type != 1 && type != 2) || headerWords != 9) return fail("the slide picture has no metafile header");
    const uint16_t objects = in.PeekU16(10);

    PreparedPiece out;
    out.windowExtX = ClampI16(ToUnits(pageWidth, unitsPerInch));
    out.windowExtY = ClampI16(ToUnits(pageHeight, unitsPerInch));
    int64_t shiftX = 0;
    int64_t shiftY = 0;
    if (piece.collection) {
        // A collection's logical point u lies at page position u + origin + margin.
        shiftX = -ToUnits(int64_t(kCollectionExportMargin) + piece.originX, unitsPerInch);
        shiftY = -ToUnits(int64_t(kCollectionExportMargin) + piece.originY, unitsPerInch);
    }
    out.windowOrgX = ClampI16(shiftX);
    out.windowOrgY = ClampI16(shiftY);

    ByteWriter w;
    w.U16(type);
    w.U16(9);
    w.U16(in.PeekU16(4));  // version
    w.U32(0);              // size in words, patched below
    w.U16(objects);
    w.U32(0);  // largest record, patched below
    w.U16(0);

    uint32_t maxWords = 0;
    bool sawEof = false;
    in.Seek(wmf::kHeaderSize);
    while (in.Remaining() > 0 && !sawEof) {
        const size_t at = in.Offset();
        if (!in.Has(6)) return fail("the slide picture ends inside a record");
        const uint32_t words = in.PeekU32(at);
        const uint16_t function = in.PeekU16(at + 4);
        if (words < 3 || uint64_t(words) * 2 > in.Remaining()) return fail("a record of the slide picture is damaged");
        ByteReader record = in.Sub(at, size_t(words) * 2);
        in.Skip(size_t(words) * 2);
        if (function == wmf::kEof) sawEof = true;
        if (function == kEscape && IsEmbeddedEmfComment(record)) continue;

        if ((function == wmf::kSetWindowOrg || function == wmf::kSetWindowExt) && words == 5) {
            // Parameters are y, then x ([MS-WMF] 2.3.5.30 / 2.3.5.31).
            int16_t y = static_cast<int16_t>(record.PeekU16(6));
            int16_t x = static_cast<int16_t>(record.PeekU16(8));
            if (function == wmf::kSetWindowOrg) {
                y = ClampI16(int64_t(y) + shiftY);
                x = ClampI16(int64_t(x) + shiftX);
            } else {
                y = out.windowExtY;
                x = out.windowExtX;
            }
            w.U32(5);
            w.U16(function);
            w.I16(y);
            w.I16(x);
            maxWords = std::max<uint32_t>(maxWords, 5);
            continue;
        }
        w.Bytes(record.Data(), record.Size());
        maxWords = std::max(maxWords, words);
    }
    if (!sawEof) {
        w.U32(3);
        w.U16(wmf::kEof);
        maxWords = std::max<uint32_t>(maxWords, 3);
    }
    w.PatchU32(6, uint32_t(w.Size() / 2));
    w.PatchU32(12, maxWords);
    out.wmf = w.Take();
    return out;
}

MetafilePicture MergeSlidePieces(const std::vector<ExportPiece>& pieces, int32_t pageWidth, int32_t pageHeight) {
    if (pieces.empty()) throw AutomationError("The presentation application exported no picture of the slide.");
    const uint16_t outerUnits = PieceUnitsPerInch(pieces.front().file);
    WmfRecorder recorder;
    recorder.SetMapMode(8);  // anisotropic: the viewport decides the size
    recorder.SetWindowOrg(0, 0);
    recorder.SetWindowExt(ClampI16(ToUnits(pageWidth, outerUnits)), ClampI16(ToUnits(pageHeight, outerUnits)));

    size_t played = 0;
    std::string firstError;
    for (const ExportPiece& piece : pieces) {
        std::string error;
        auto prepared = PreparePiece(piece, pageWidth, pageHeight, PieceUnitsPerInch(piece.file), &error);
        if (!prepared) {
            if (firstError.empty()) firstError = error;
            continue;
        }
        recorder.SaveDC();
        recorder.SetWindowOrg(prepared->windowOrgX, prepared->windowOrgY);
        recorder.SetWindowExt(prepared->windowExtX, prepared->windowExtY);
        const bool ok = recorder.PlayMetafile(prepared->wmf);
        recorder.RestoreDC(-1);
        if (ok) {
            ++played;
        } else if (firstError.empty()) {
            firstError = "a part of the slide picture could not be played";
        }
    }
    if (played == 0) throw AutomationError("The slide picture cannot be used: " + firstError + ".");

    MetafilePicture picture;
    picture.mm = 8;
    picture.xExt = pageWidth;
    picture.yExt = pageHeight;
    picture.wmf = recorder.Finish();
    // What the clipboard holds is a memory metafile ([MS-WMF] 2.1.1.18 MetafileType);
    // some readers refuse a disk metafile there.
    if (picture.wmf.size() >= 2) {
        picture.wmf[0] = 0x01;
        picture.wmf[1] = 0x00;
    }
    return picture;
}

}  // namespace slidemill

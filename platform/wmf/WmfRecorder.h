#pragma once
// Records a Windows metafile ([MS-WMF]) in memory, the way a metafile recording context
// does: every call appends one record, objects take the lowest free slot of the object
// table, and Finish() closes the metafile with its end-of-file record and a header whose
// size, largest record and object count match what was recorded.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "metafile/ByteReader.h"

namespace slidemill {

// Record function numbers ([MS-WMF] 2.1.1.1 RecordType) used by the recorder and its callers.
namespace wmf {
constexpr uint16_t kEof = 0x0000;
constexpr uint16_t kSaveDC = 0x001E;
constexpr uint16_t kRealizePalette = 0x0035;
constexpr uint16_t kSetPalEntries = 0x0037;
constexpr uint16_t kCreatePalette = 0x00F7;
constexpr uint16_t kSetBkMode = 0x0102;
constexpr uint16_t kSetMapMode = 0x0103;
constexpr uint16_t kSetRop2 = 0x0104;
constexpr uint16_t kSetPolyFillMode = 0x0106;
constexpr uint16_t kSetTextAlign = 0x012E;
constexpr uint16_t kRestoreDC = 0x0127;
constexpr uint16_t kInvertRegion = 0x012A;
constexpr uint16_t kPaintRegion = 0x012B;
constexpr uint16_t kSelectClipRegion = 0x012C;
constexpr uint16_t kSelectObject = 0x012D;
constexpr uint16_t kResizePalette = 0x0139;
constexpr uint16_t kDibCreatePatternBrush = 0x0142;
constexpr uint16_t kDeleteObject = 0x01F0;
constexpr uint16_t kCreatePatternBrush = 0x01F9;
constexpr uint16_t kSetBkColor = 0x0201;
constexpr uint16_t kSetTextColor = 0x0209;
constexpr uint16_t kSetWindowOrg = 0x020B;
constexpr uint16_t kSetWindowExt = 0x020C;
constexpr uint16_t kSetViewportOrg = 0x020D;
constexpr uint16_t kSetViewportExt = 0x020E;
constexpr uint16_t kOffsetWindowOrg = 0x020F;
constexpr uint16_t kLineTo = 0x0213;
constexpr uint16_t kMoveTo = 0x0214;
constexpr uint16_t kFillRegion = 0x0228;
constexpr uint16_t kSelectPalette = 0x0234;
constexpr uint16_t kPolygon = 0x0324;
constexpr uint16_t kPolyline = 0x0325;
constexpr uint16_t kEllipse = 0x0418;
constexpr uint16_t kRectangle = 0x041B;
constexpr uint16_t kFrameRegion = 0x0429;
constexpr uint16_t kPolyPolygon = 0x0538;
constexpr uint16_t kCreatePenIndirect = 0x02FA;
constexpr uint16_t kCreateFontIndirect = 0x02FB;
constexpr uint16_t kCreateBrushIndirect = 0x02FC;
constexpr uint16_t kCreateRegion = 0x06FF;
constexpr uint16_t kExtTextOut = 0x0A32;

constexpr size_t kHeaderSize = 18;  // META_HEADER, 9 words

// True for the records that put a new object into the object table.
bool CreatesObject(uint16_t function);
}  // namespace wmf

struct WmfPoint {
    int16_t x = 0;
    int16_t y = 0;
};

class WmfRecorder {
public:
    // Returned by the object creators when the object table is full (nothing recorded).
    static constexpr uint16_t kNoSlot = 0xFFFF;

    WmfRecorder();

    void SaveDC();
    void RestoreDC(int16_t n);
    void SetMapMode(int16_t mm);
    void SetViewportExt(int16_t cx, int16_t cy);
    void SetViewportOrg(int16_t x, int16_t y);
    void SetWindowExt(int16_t cx, int16_t cy);
    void SetWindowOrg(int16_t x, int16_t y);
    void OffsetWindowOrg(int16_t dx, int16_t dy);

    // Plays a metafile (standard 18-byte header, no placeable header) into the recording:
    // re-records its records in order, remapping object indexes into this recorder's
    // object table, and deletes the objects it leaves behind, as the platform does.
    // Returns false for a malformed metafile (what was recorded before the bad record stays).
    bool PlayMetafile(std::span<const uint8_t> wmf);

    // Appends one record (function number and 16-bit parameters); object-creating records
    // take a slot in the object table.
    void Record(uint16_t function, std::span<const uint16_t> params);

    // Convenience records for generated pictures. Object creators return the slot index.
    uint16_t CreatePen(uint16_t style, int16_t width, uint32_t colorref);
    uint16_t CreateSolidBrush(uint32_t colorref);
    uint16_t CreateNullBrush();
    // A font by face name (at most 31 bytes) and height in logical units (negative: em size).
    uint16_t CreateFont(int16_t height, int16_t weight, bool italic, std::string_view face, uint8_t charset = 0);
    void SelectObject(uint16_t index);
    void DeleteObject(uint16_t index);
    void SetBkMode(int16_t mode);
    void SetTextColor(uint32_t colorref);
    void SetTextAlign(uint16_t align);
    void Rectangle(int16_t left, int16_t top, int16_t right, int16_t bottom);
    void Ellipse(int16_t left, int16_t top, int16_t right, int16_t bottom);
    void Polygon(std::span<const WmfPoint> points);
    void Polyline(std::span<const WmfPoint> points);
    void MoveTo(int16_t x, int16_t y);
    void LineTo(int16_t x, int16_t y);
    // META_EXTTEXTOUT without clip rectangle or spacing array; text in the font's code page.
    void ExtTextOut(int16_t x, int16_t y, std::string_view text);

    // Objects currently in the table (slots in use).
    size_t LiveObjects() const;

    std::vector<uint8_t> Finish();  // EOF record, header patched (size, max record, objects)

private:
    uint16_t TakeSlot();
    void FreeSlot(uint16_t index);
    void AppendRecord(uint16_t function, std::span<const uint16_t> params);

    ByteWriter out_;
    std::vector<bool> slots_;  // object table: true while the slot holds an object
    size_t firstFree_ = 0;     // no free slot lies below this index
    uint32_t maxRecordWords_ = 0;
    bool finished_ = false;
};

}  // namespace slidemill

#include "platform/wmf/WmfRecorder.h"

#include <algorithm>
#include <optional>

namespace slidemill {

namespace wmf {
bool CreatesObject(uint16_t function) {
    switch (function) {
    case kCreatePalette:
    case kCreatePatternBrush:
    case kDibCreatePatternBrush:
    case kCreatePenIndirect:
    case kCreateFontIndirect:
    case kCreateBrushIndirect:
    case kCreateRegion:
        return true;
    default:
        return false;
    }
}
}  // namespace wmf

namespace {

// Type 1 (MEMORYMETAFILE) even for files: it is what metafiles on disk carry in practice,
// and some readers refuse type 2.
constexpr uint16_t kMetafileType = 1;
constexpr uint16_t kHeaderWords = 9;
constexpr uint16_t kVersion = 0x0300;
constexpr size_t kSizeOffset = 6;
constexpr size_t kObjectsOffset = 10;
constexpr size_t kMaxRecordOffset = 12;

uint16_t Word(int16_t v) { return static_cast<uint16_t>(v); }

// Positions (in 16-bit parameter words) of the object indexes a record refers to.
// Records outside this list refer to no object by index.
std::span<const size_t> ObjectParams(uint16_t function) {
    static constexpr size_t first[] = {0};
    static constexpr size_t firstTwo[] = {0, 1};
    switch (function) {
    case wmf::kSelectObject:
    case wmf::kDeleteObject:
    case wmf::kSelectPalette:
    case wmf::kSelectClipRegion:
    case wmf::kInvertRegion:
    case wmf::kPaintRegion:
        return first;
    case wmf::kFillRegion:   // region, brush
    case wmf::kFrameRegion:  // region, brush, height, width
        return firstTwo;
    default:
        return {};
    }
}

}  // namespace

WmfRecorder::WmfRecorder() {
    out_.U16(kMetafileType);
    out_.U16(kHeaderWords);
    out_.U16(kVersion);
    out_.U32(0);  // size in words, patched by Finish
    out_.U16(0);  // number of objects, patched
    out_.U32(0);  // largest record in words, patched
    out_.U16(0);  // number of members, unused
}

void WmfRecorder::AppendRecord(uint16_t function, std::span<const uint16_t> params) {
    if (finished_) return;
    const uint32_t words = uint32_t(3 + params.size());
    out_.U32(words);
    out_.U16(function);
    for (uint16_t p : params) out_.U16(p);
    maxRecordWords_ = std::max(maxRecordWords_, words);
}

uint16_t WmfRecorder::TakeSlot() {
    while (firstFree_ < slots_.size() && slots_[firstFree_]) ++firstFree_;
    if (firstFree_ < slots_.size()) {
        slots_[firstFree_] = true;
        return uint16_t(firstFree_);
    }
    if (slots_.size() >= kNoSlot) return kNoSlot;  // the table is full
    slots_.push_back(true);
    firstFree_ = slots_.size();
    return uint16_t(slots_.size() - 1);
}

void WmfRecorder::FreeSlot(uint16_t index) {
    if (index < slots_.size()) {
        slots_[index] = false;
        firstFree_ = std::min<size_t>(firstFree_, index);
    }
}

size_t WmfRecorder::LiveObjects() const { return size_t(std::count(slots_.begin(), slots_.end(), true)); }

void WmfRecorder::Record(uint16_t function, std::span<const uint16_t> params) {
    if (finished_) return;
    if (wmf::CreatesObject(function) && TakeSlot() == kNoSlot) return;
    if (function == wmf::kDeleteObject && !params.empty()) FreeSlot(params[0]);
    AppendRecord(function, params);
}

void WmfRecorder::SaveDC() { Record(wmf::kSaveDC, {}); }

void WmfRecorder::RestoreDC(int16_t n) {
    const uint16_t p[] = {Word(n)};
    Record(wmf::kRestoreDC, p);
}

void WmfRecorder::SetMapMode(int16_t mm) {
    const uint16_t p[] = {Word(mm)};
    Record(wmf::kSetMapMode, p);
}

// The point records store y before x ([MS-WMF] 2.3.5).
void WmfRecorder::SetViewportExt(int16_t cx, int16_t cy) {
    const uint16_t p[] = {Word(cy), Word(cx)};
    Record(wmf::kSetViewportExt, p);
}

void WmfRecorder::SetViewportOrg(int16_t x, int16_t y) {
    const uint16_t p[] = {Word(y), Word(x)};
    Record(wmf::kSetViewportOrg, p);
}

void WmfRecorder::SetWindowExt(int16_t cx, int16_t cy) {
    const uint16_t p[] = {Word(cy), Word(cx)};
    Record(wmf::kSetWindowExt, p);
}

void WmfRecorder::SetWindowOrg(int16_t x, int16_t y) {
    const uint16_t p[] = {Word(y), Word(x)};
    Record(wmf::kSetWindowOrg, p);
}

void WmfRecorder::OffsetWindowOrg(int16_t dx, int16_t dy) {
    const uint16_t p[] = {Word(dy), Word(dx)};
    Record(wmf::kOffsetWindowOrg, p);
}

bool WmfRecorder::PlayMetafile(std::span<const uint8_t> bytes) {
    if (finished_) return false;
    ByteReader r(bytes);
    if (!r.Has(wmf::kHeaderSize)) return false;
    const uint16_t type = r.U16();
    const uint16_t headerWords = r.U16();
    r.U16();  // version: any
    r.U32();  // size: the records themselves decide
    const uint16_t declaredObjects = r.U16();
    r.U32();  // largest record
    r.U16();  // members
    if ((type != 1 && type != 2) || headerWords != kHeaderWords) return false;

    // The picture's own object table: each of its slots names the slot it got here
    // (kNoSlot when this table had no room for it).
    std::vector<std::optional<uint16_t>> map(declaredObjects);
    size_t mapFree = 0;  // no free picture slot lies below this index
    auto pictureSlot = [&]() -> size_t {
        while (mapFree < map.size() && map[mapFree]) ++mapFree;
        if (mapFree == map.size()) map.emplace_back();
        return mapFree;
    };

    bool ok = true;
    std::vector<uint16_t> params;
    while (true) {
        if (!r.Has(6)) {  // every record has a size and a function; the EOF record ends it
            ok = false;
            break;
        }
        const size_t start = r.Offset();
        const uint32_t words = r.U32();
        const uint16_t function = r.U16();
        if (function == wmf::kEof) break;
        if (words < 3 || uint64_t(words) * 2 > r.Size() - start) {
            ok = false;
            break;
        }
        const size_t count = words - 3;
        params.resize(count);
        for (size_t i = 0; i < count; ++i) params[i] = r.U16();

        if (wmf::CreatesObject(function)) {
            const size_t mine = pictureSlot();
            const uint16_t slot = TakeSlot();
            map[mine] = slot;
            if (slot != kNoSlot) AppendRecord(function, params);
            continue;
        }
        const uint16_t original = params.empty() ? 0 : params[0];
        bool refsOk = true;
        for (size_t pos : ObjectParams(function)) {
            if (pos >= params.size() || params[pos] >= map.size() || !map[params[pos]] ||
                *map[params[pos]] == kNoSlot) {
                refsOk = false;
                break;
            }
            params[pos] = *map[params[pos]];
        }
        if (function == wmf::kDeleteObject && !params.empty() && original < map.size() && map[original]) {
            map[original].reset();
            mapFree = std::min<size_t>(mapFree, original);
        }
        // A record naming an object the picture does not hold fails on playback and leaves
        // nothing behind, so it is not recorded.
        if (!refsOk) continue;
        if (function == wmf::kDeleteObject) FreeSlot(params[0]);
        AppendRecord(function, params);
    }

    // Objects the picture created and did not delete are deleted when its playback ends.
    for (auto& slot : map) {
        if (!slot || *slot == kNoSlot) continue;
        const uint16_t p[] = {*slot};
        Record(wmf::kDeleteObject, p);
        slot.reset();
    }
    return ok;
}

uint16_t WmfRecorder::CreatePen(uint16_t style, int16_t width, uint32_t colorref) {
    // LogPen: style, width as a PointS (x = width, y unused), COLORREF.
    const uint16_t p[] = {style, Word(width), 0, uint16_t(colorref & 0xFFFF), uint16_t(colorref >> 16)};
    const uint16_t slot = TakeSlot();
    if (slot != kNoSlot) AppendRecord(wmf::kCreatePenIndirect, p);
    return slot;
}

uint16_t WmfRecorder::CreateSolidBrush(uint32_t colorref) {
    // LogBrush: style (0 solid), COLORREF, hatch.
    const uint16_t p[] = {0, uint16_t(colorref & 0xFFFF), uint16_t(colorref >> 16), 0};
    const uint16_t slot = TakeSlot();
    if (slot != kNoSlot) AppendRecord(wmf::kCreateBrushIndirect, p);
    return slot;
}

uint16_t WmfRecorder::CreateNullBrush() {
    const uint16_t p[] = {1, 0, 0, 0};  // BS_NULL
    const uint16_t slot = TakeSlot();
    if (slot != kNoSlot) AppendRecord(wmf::kCreateBrushIndirect, p);
    return slot;
}

uint16_t WmfRecorder::CreateFont(int16_t height, int16_t weight, bool italic, std::string_view face,
                                 uint8_t charset) {
    // Font object ([MS-WMF] 2.2.1.2): five 16-bit fields, eight bytes, a 32-byte face name.
    ByteWriter f;
    f.I16(height);
    f.I16(0);  // width
    f.I16(0);  // escapement
    f.I16(0);  // orientation
    f.I16(weight);
    f.U8(italic ? 1 : 0);
    f.U8(0);  // underline
    f.U8(0);  // strike out
    f.U8(charset);
    f.U8(0);  // output precision
    f.U8(0);  // clip precision
    f.U8(0);  // quality
    f.U8(0);  // pitch and family
    const size_t n = std::min<size_t>(face.size(), 31);
    f.Bytes(face.data(), n);
    f.Zeros(32 - n);
    const auto& b = f.Buffer();
    std::vector<uint16_t> p(b.size() / 2);
    for (size_t i = 0; i < p.size(); ++i) p[i] = uint16_t(b[2 * i] | (b[2 * i + 1] << 8));
    const uint16_t slot = TakeSlot();
    if (slot != kNoSlot) AppendRecord(wmf::kCreateFontIndirect, p);
    return slot;
}

void WmfRecorder::SelectObject(uint16_t index) {
    const uint16_t p[] = {index};
    Record(wmf::kSelectObject, p);
}

void WmfRecorder::DeleteObject(uint16_t index) {
    const uint16_t p[] = {index};
    Record(wmf::kDeleteObject, p);
}

void WmfRecorder::SetBkMode(int16_t mode) {
    const uint16_t p[] = {Word(mode)};
    Record(wmf::kSetBkMode, p);
}

void WmfRecorder::SetTextColor(uint32_t colorref) {
    const uint16_t p[] = {uint16_t(colorref & 0xFFFF), uint16_t(colorref >> 16)};
    Record(wmf::kSetTextColor, p);
}

void WmfRecorder::SetTextAlign(uint16_t align) {
    const uint16_t p[] = {align};
    Record(wmf::kSetTextAlign, p);
}

// Rectangle and ellipse store bottom, right, top, left.
void WmfRecorder::Rectangle(int16_t left, int16_t top, int16_t right, int16_t bottom) {
    const uint16_t p[] = {Word(bottom), Word(right), Word(top), Word(left)};
    Record(wmf::kRectangle, p);
}

void WmfRecorder::Ellipse(int16_t left, int16_t top, int16_t right, int16_t bottom) {
    const uint16_t p[] = {Word(bottom), Word(right), Word(top), Word(left)};
    Record(wmf::kEllipse, p);
}

namespace {
std::vector<uint16_t> PointParams(std::span<const WmfPoint> points) {
    const size_t n = std::min<size_t>(points.size(), 0x7FFF);
    std::vector<uint16_t> p;
    p.reserve(1 + 2 * n);
    p.push_back(uint16_t(n));
    for (size_t i = 0; i < n; ++i) {
        p.push_back(Word(points[i].x));
        p.push_back(Word(points[i].y));
    }
    return p;
}
}  // namespace

void WmfRecorder::Polygon(std::span<const WmfPoint> points) { Record(wmf::kPolygon, PointParams(points)); }

void WmfRecorder::Polyline(std::span<const WmfPoint> points) { Record(wmf::kPolyline, PointParams(points)); }

void WmfRecorder::MoveTo(int16_t x, int16_t y) {
    const uint16_t p[] = {Word(y), Word(x)};
    Record(wmf::kMoveTo, p);
}

void WmfRecorder::LineTo(int16_t x, int16_t y) {
    const uint16_t p[] = {Word(y), Word(x)};
    Record(wmf::kLineTo, p);
}

void WmfRecorder::ExtTextOut(int16_t x, int16_t y, std::string_view text) {
    // Y, X, string length, options, then the string padded to a whole word.
    const size_t n = std::min<size_t>(text.size(), 0x7FFF);
    std::vector<uint16_t> p = {Word(y), Word(x), uint16_t(n), 0};
    for (size_t i = 0; i < n; i += 2) {
        const uint8_t lo = uint8_t(text[i]);
        const uint8_t hi = i + 1 < n ? uint8_t(text[i + 1]) : 0;
        p.push_back(uint16_t(lo | (hi << 8)));
    }
    Record(wmf::kExtTextOut, p);
}

std::vector<uint8_t> WmfRecorder::Finish() {
    if (!finished_) {
        AppendRecord(wmf::kEof, {});
        finished_ = true;
        out_.PatchU32(kSizeOffset, uint32_t(out_.Size() / 2));
        out_.PatchU16(kObjectsOffset, uint16_t(std::min<size_t>(slots_.size(), 0xFFFF)));
        out_.PatchU32(kMaxRecordOffset, maxRecordWords_);
    }
    return out_.Buffer();
}

}  // namespace slidemill

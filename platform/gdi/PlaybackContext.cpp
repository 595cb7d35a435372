#include "platform/gdi/PlaybackContext.h"

#include <algorithm>
#include <cmath>

#include "metafile/ByteReader.h"
#include "metafile/EmfHeader.h"
#include "metafile/EmfRecordTypes.h"
#include "platform/ReferenceDisplay.h"
#include "platform/text/WinAnsi.h"

namespace slidemill {

namespace {

constexpr GdiHandle StockHandle(uint32_t number) { return number + 1; }

LOGFONTW MakeFont(const char* face, int32_t height, int32_t weight, uint8_t pitch) {
    LOGFONTW f;
    f.lfHeight = height;
    f.lfWeight = weight;
    f.lfPitchAndFamily = pitch;
    for (size_t i = 0; face[i] && i + 1 < f.lfFaceName.size(); ++i) f.lfFaceName[i] = char16_t(face[i]);
    return f;
}

// The twenty static entries of the default palette.
const COLORREF kDefaultPalette[20] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0, 0xC0DCC0, 0xF0CAA6,
    0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

int32_t Mul(int32_t a, int32_t b, int32_t d) { return MulDiv(a, b, d); }

XFORM Combine(const XFORM& a, const XFORM& b) {  // a first, then b
    XFORM r;
    r.eM11 = a.eM11 * b.eM11 + a.eM12 * b.eM21;
    r.eM12 = a.eM11 * b.eM12 + a.eM12 * b.eM22;
    r.eM21 = a.eM21 * b.eM11 + a.eM22 * b.eM21;
    r.eM22 = a.eM21 * b.eM12 + a.eM22 * b.eM22;
    r.eDx = a.eDx * b.eM11 + a.eDy * b.eM21 + b.eDx;
    r.eDy = a.eDx * b.eM12 + a.eDy * b.eM22 + b.eDy;
    return r;
}

}  // namespace

std::u16string WidenAnsi(const uint8_t* bytes, size_t count) {
    std::u16string out;
    out.resize(count);
    for (size_t i = 0; i < count; ++i) out[i] = char16_t(WinAnsiToUnicode(bytes[i]));
    return out;
}

PlaybackContext::PlaybackContext(std::shared_ptr<ITextMeasurer> measurer) : measurer_(std::move(measurer)) {
    auto solidBrush = [&](uint32_t n, COLORREF c) {
        stock_[n].kind = GdiObjectKind::Brush;
        stock_[n].brush = {brush::kSolid, c, 0};
    };
    solidBrush(stock::kWhiteBrush, 0xFFFFFF);
    solidBrush(stock::kLtGrayBrush, 0xC0C0C0);
    solidBrush(stock::kGrayBrush, 0x808080);
    solidBrush(stock::kDkGrayBrush, 0x404040);
    solidBrush(stock::kBlackBrush, 0x000000);
    solidBrush(stock::kDcBrush, 0xFFFFFF);
    stock_[stock::kNullBrush].kind = GdiObjectKind::Brush;
    stock_[stock::kNullBrush].brush = {brush::kNull, 0, 0};
    auto solidPen = [&](uint32_t n, uint32_t style, COLORREF c) {
        stock_[n].kind = GdiObjectKind::Pen;
        stock_[n].pen = {style, {0, 0}, c};
    };
    solidPen(stock::kWhitePen, pen::kSolid, 0xFFFFFF);
    solidPen(stock::kBlackPen, pen::kSolid, 0x000000);
    solidPen(stock::kNullPen, pen::kNull, 0x000000);
    solidPen(stock::kDcPen, pen::kSolid, 0x000000);
    auto font = [&](uint32_t n, LOGFONTW f) {
        stock_[n].kind = GdiObjectKind::Font;
        stock_[n].font = f;
    };
    font(stock::kOemFixedFont, MakeFont("Terminal", 12, 400, 1));
    font(stock::kAnsiFixedFont, MakeFont("Courier", 12, 400, 1));
    font(stock::kAnsiVarFont, MakeFont("MS Sans Serif", 12, 400, 2));
    font(stock::kSystemFont, MakeFont("System", 16, 700, 2));
    font(stock::kDeviceDefaultFont, MakeFont("System", 16, 700, 2));
    font(stock::kSystemFixedFont, MakeFont("Fixedsys", 15, 400, 1));
    font(stock::kDefaultGuiFont, MakeFont("MS Shell Dlg", -11, 400, 0));
    stock_[stock::kDefaultPalette].kind = GdiObjectKind::Palette;
    stock_[stock::kDefaultPalette].palette.assign(std::begin(kDefaultPalette), std::end(kDefaultPalette));

    state_.pen = StockHandle(stock::kBlackPen);
    state_.brush = StockHandle(stock::kWhiteBrush);
    state_.font = StockHandle(stock::kSystemFont);
    state_.palette = StockHandle(stock::kDefaultPalette);
}

PlaybackContext::~PlaybackContext() = default;

ITextMeasurer& PlaybackContext::Measurer() {
    if (!measurer_) measurer_ = std::make_shared<CFreeTypeTextMeasurer>();
    return *measurer_;
}

// --- objects -------------------------------------------------------------------------

GdiHandle PlaybackContext::GetStockObject(uint32_t number) const {
    if (number >= stock::kCount || stock_[number].kind == GdiObjectKind::None) return 0;
    return StockHandle(number);
}

const GdiObject* PlaybackContext::Object(GdiHandle handle) const {
    if (handle == 0) return nullptr;
    if (handle <= stock::kCount) {
        const GdiObject& s = stock_[handle - 1];
        return s.kind == GdiObjectKind::None ? nullptr : &s;
    }
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : &it->second;
}

GdiObjectKind PlaybackContext::GetObjectType(GdiHandle handle) const {
    const GdiObject* o = Object(handle);
    return o ? o->kind : GdiObjectKind::None;
}

int PlaybackContext::GetObject(GdiHandle handle, LOGPEN& out) const {
    const GdiObject* o = Object(handle);
    if (!o || o->kind != GdiObjectKind::Pen) return 0;
    out = o->pen;
    return 16;
}

int PlaybackContext::GetObject(GdiHandle handle, EXTLOGPEN& out) const {
    const GdiObject* o = Object(handle);
    if (!o || o->kind != GdiObjectKind::ExtPen) return 0;
    out = o->extPen;
    return int(24 + 4 * std::min<size_t>(o->extPen.elpStyleEntry.size(), 1u << 20));
}

int PlaybackContext::GetObject(GdiHandle handle, LOGBRUSH& out) const {
    const GdiObject* o = Object(handle);
    if (!o || o->kind != GdiObjectKind::Brush) return 0;
    out = o->brush;
    return 12;
}

int PlaybackContext::GetObject(GdiHandle handle, LOGFONTW& out) const {
    const GdiObject* o = Object(handle);
    if (!o || o->kind != GdiObjectKind::Font) return 0;
    out = o->font;
    return 92;
}

GdiHandle PlaybackContext::Add(GdiObject object) {
    GdiHandle h = nextHandle_++;
    if (nextHandle_ == 0) nextHandle_ = 0x100;  // after four billion objects: wrap past the stock range
    objects_[h] = std::move(object);
    return h;
}

GdiHandle PlaybackContext::CreatePen(const LOGPEN& p) {
    GdiObject o;
    o.kind = GdiObjectKind::Pen;
    o.pen = p;
    return Add(std::move(o));
}

GdiHandle PlaybackContext::CreateExtPen(const EXTLOGPEN& p, std::vector<uint8_t> packedDib, uint32_t usage) {
    GdiObject o;
    o.kind = GdiObjectKind::ExtPen;
    o.extPen = p;
    o.packedDib = std::move(packedDib);
    o.dibUsage = usage;
    return Add(std::move(o));
}

GdiHandle PlaybackContext::CreateBrushIndirect(const LOGBRUSH& b) {
    // Indirect creation knows only solid, hollow and hatched brushes ([MS-EMF] 2.3.7.1):
    // other styles would need a pattern handle the description cannot carry, so no
    // brush is made and the slot stays empty.
    if (b.lbStyle != brush::kSolid && b.lbStyle != brush::kNull && b.lbStyle != brush::kHatched) return 0;
    GdiObject o;
    o.kind = GdiObjectKind::Brush;
    o.brush = b;
    return Add(std::move(o));
}

GdiHandle PlaybackContext::CreateFontIndirect(const LOGFONTW& f) {
    GdiObject o;
    o.kind = GdiObjectKind::Font;
    o.font = f;
    return Add(std::move(o));
}

GdiHandle PlaybackContext::CreatePalette(std::vector<COLORREF> entries) {
    GdiObject o;
    o.kind = GdiObjectKind::Palette;
    o.palette = std::move(entries);
    return Add(std::move(o));
}

GdiHandle PlaybackContext::CreateColorSpace() {
    GdiObject o;
    o.kind = GdiObjectKind::ColorSpace;
    return Add(std::move(o));
}

GdiHandle PlaybackContext::CreateDibPatternBrush(std::vector<uint8_t> packedDib, uint32_t usage) {
    GdiObject o;
    o.kind = GdiObjectKind::Brush;
    o.brush = {brush::kDibPatternPt, usage, 0};
    o.packedDib = std::move(packedDib);
    o.dibUsage = usage;
    GdiHandle h = Add(std::move(o));
    return h;
}

GdiHandle PlaybackContext::CreatePatternBrush(std::vector<uint8_t> packedDib) {
    GdiObject o;
    o.kind = GdiObjectKind::Brush;
    o.brush = {brush::kPattern, 0, 0};
    o.packedDib = std::move(packedDib);
    GdiHandle h = Add(std::move(o));
    objects_[h].brush.lbHatch = h;  // the pattern "bitmap" is the brush's own copy
    return h;
}

bool PlaybackContext::IsSelected(GdiHandle h) const {
    auto in = [h](const State& s) { return s.pen == h || s.brush == h || s.font == h || s.palette == h; };
    if (in(state_)) return true;
    for (const State& s : saved_)
        if (in(s)) return true;
    return false;
}

void PlaybackContext::CollectGarbage(GdiHandle handle) {
    auto it = std::find(pendingDelete_.begin(), pendingDelete_.end(), handle);
    if (it == pendingDelete_.end() || IsSelected(handle)) return;
    pendingDelete_.erase(it);
    objects_.erase(handle);
}

GdiHandle PlaybackContext::SelectObject(GdiHandle handle) {
    GdiHandle* slot = nullptr;
    switch (GetObjectType(handle)) {
        case GdiObjectKind::Pen:
        case GdiObjectKind::ExtPen: slot = &state_.pen; break;
        case GdiObjectKind::Brush: slot = &state_.brush; break;
        case GdiObjectKind::Font: slot = &state_.font; break;
        default: return 0;
    }
    GdiHandle previous = *slot;
    *slot = handle;
    if (previous != handle && !pendingDelete_.empty()) CollectGarbage(previous);
    return previous;
}

GdiHandle PlaybackContext::SelectPalette(GdiHandle handle) {
    if (GetObjectType(handle) != GdiObjectKind::Palette) return 0;
    GdiHandle previous = state_.palette;
    state_.palette = handle;
    if (previous != handle && !pendingDelete_.empty()) CollectGarbage(previous);
    return previous;
}

bool PlaybackContext::DeleteObject(GdiHandle handle) {
    if (handle <= stock::kCount) return handle != 0;  // stock objects stay
    auto it = objects_.find(handle);
    if (it == objects_.end()) return false;
    if (IsSelected(handle)) {
        if (std::find(pendingDelete_.begin(), pendingDelete_.end(), handle) == pendingDelete_.end())
            pendingDelete_.push_back(handle);
        return true;
    }
    objects_.erase(it);
    return true;
}

GdiHandle PlaybackContext::GetCurrentObject(GdiObjectKind kind) const {
    switch (kind) {
        case GdiObjectKind::Pen:
        case GdiObjectKind::ExtPen: return state_.pen;
        case GdiObjectKind::Brush: return state_.brush;
        case GdiObjectKind::Font: return state_.font;
        case GdiObjectKind::Palette: return state_.palette;
        default: return 0;
    }
}

// --- mapping -------------------------------------------------------------------------

void PlaybackContext::SetMapMode(int32_t mode) {
    using namespace refdisplay;
    State& s = state_;
    switch (mode) {
        case 1: s.windowExt = {1, 1}; s.viewportExt = {1, 1}; break;
        case 2: s.windowExt = {kHorzSizeMm, kVertSizeMm}; s.viewportExt = {kHorzRes / 10, -kVertRes / 10}; break;
        case 3: s.windowExt = {kHorzSizeMm * 10, kVertSizeMm * 10}; s.viewportExt = {kHorzRes / 10, -kVertRes / 10}; break;
        case 4: s.windowExt = {kHorzSizeMm, kVertSizeMm}; s.viewportExt = {Mul(254, kHorzRes, 1000), -Mul(254, kVertRes, 1000)}; break;
        case 5: s.windowExt = {kHorzSizeMm * 10, kVertSizeMm * 10}; s.viewportExt = {Mul(254, kHorzRes, 1000), -Mul(254, kVertRes, 1000)}; break;
        case 6: s.windowExt = {Mul(144, kHorzSizeMm, 10), Mul(144, kVertSizeMm, 10)}; s.viewportExt = {Mul(254, kHorzRes, 1000), -Mul(254, kVertRes, 1000)}; break;
        case 7: s.windowExt = {kHorzSizeMm, kVertSizeMm}; s.viewportExt = {kHorzRes / 10, -kVertRes / 10}; break;
        case 8: break;
        default: return;  // not a map mode: refused
    }
    s.mapMode = mode;
}

void PlaybackContext::SetWindowExt(int32_t cx, int32_t cy) {
    if (state_.mapMode != 7 && state_.mapMode != 8) return;  // fixed modes ignore extents
    if (cx == 0 || cy == 0) return;
    state_.windowExt = {cx, cy};
}

void PlaybackContext::SetViewportExt(int32_t cx, int32_t cy) {
    if (state_.mapMode != 7 && state_.mapMode != 8) return;
    if (cx == 0 || cy == 0) return;
    state_.viewportExt = {cx, cy};
}

void PlaybackContext::ScaleWindowExt(int32_t xn, int32_t xd, int32_t yn, int32_t yd) {
    if (state_.mapMode != 7 && state_.mapMode != 8) return;
    if (xd == 0 || yd == 0) return;
    int32_t cx = Mul(state_.windowExt.cx, xn, xd), cy = Mul(state_.windowExt.cy, yn, yd);
    if (cx != 0 && cy != 0) state_.windowExt = {cx, cy};
}

void PlaybackContext::ScaleViewportExt(int32_t xn, int32_t xd, int32_t yn, int32_t yd) {
    if (state_.mapMode != 7 && state_.mapMode != 8) return;
    if (xd == 0 || yd == 0) return;
    int32_t cx = Mul(state_.viewportExt.cx, xn, xd), cy = Mul(state_.viewportExt.cy, yn, yd);
    if (cx != 0 && cy != 0) state_.viewportExt = {cx, cy};
}

void PlaybackContext::ModifyWorldTransform(const XFORM& xf, uint32_t mode) {
    switch (mode) {
        case 1: state_.world = XFORM{}; break;
        case 2: state_.world = Combine(xf, state_.world); break;  // xf applies first
        case 3: state_.world = Combine(state_.world, xf); break;
        case 4: state_.world = xf; break;
        default: break;
    }
}

int PlaybackContext::SaveDC() {
    saved_.push_back(state_);
    return int(saved_.size());
}

bool PlaybackContext::RestoreDC(int32_t level) {
    int64_t depth = int64_t(saved_.size());
    int64_t target = level < 0 ? depth + level : int64_t(level) - 1;  // index of the state to restore
    // A walk's own saved state is below the floor: the records cannot pop it.
    if (level == 0 || target < int64_t(saveFloor_) || target >= depth) return false;
    GdiHandle before[4] = {state_.pen, state_.brush, state_.font, state_.palette};
    state_ = saved_[size_t(target)];
    saved_.resize(size_t(target));
    for (GdiHandle h : before)
        if (!pendingDelete_.empty()) CollectGarbage(h);
    for (GdiHandle h : std::vector<GdiHandle>(pendingDelete_)) CollectGarbage(h);
    return true;
}

void PlaybackContext::LogicalToDevice(double& x, double& y) const {
    const State& s = state_;
    double wx = x * s.world.eM11 + y * s.world.eM21 + s.world.eDx;
    double wy = x * s.world.eM12 + y * s.world.eM22 + s.world.eDy;
    double px = (wx - s.windowOrg.x) * double(s.viewportExt.cx) / double(s.windowExt.cx ? s.windowExt.cx : 1) + s.viewportOrg.x;
    double py = (wy - s.windowOrg.y) * double(s.viewportExt.cy) / double(s.windowExt.cy ? s.windowExt.cy : 1) + s.viewportOrg.y;
    x = px * frameSx_ + frameDx_;
    y = py * frameSy_ + frameDy_;
}

bool PlaybackContext::DeviceToLogical(double& x, double& y) const {
    const State& s = state_;
    if (frameSx_ == 0 || frameSy_ == 0 || s.viewportExt.cx == 0 || s.viewportExt.cy == 0) return false;
    double px = (x - frameDx_) / frameSx_, py = (y - frameDy_) / frameSy_;
    double wx = (px - s.viewportOrg.x) * double(s.windowExt.cx) / double(s.viewportExt.cx) + s.windowOrg.x;
    double wy = (py - s.viewportOrg.y) * double(s.windowExt.cy) / double(s.viewportExt.cy) + s.windowOrg.y;
    const XFORM& w = s.world;
    double det = double(w.eM11) * w.eM22 - double(w.eM12) * w.eM21;
    if (det == 0 || !std::isfinite(det)) return false;
    double dx = wx - w.eDx, dy = wy - w.eDy;
    x = (dx * w.eM22 - dy * w.eM21) / det;
    y = (dy * w.eM11 - dx * w.eM12) / det;
    return std::isfinite(x) && std::isfinite(y);
}

int32_t PlaybackContext::GetDeviceCaps(int index) const {
    using namespace refdisplay;
    switch (index) {
        case caps::kHorzSize: return kHorzSizeMm;
        case caps::kVertSize: return kVertSizeMm;
        case caps::kHorzRes: return kHorzRes;
        case caps::kVertRes: return kVertRes;
        case caps::kBitsPixel: return 32;
        case caps::kPlanes: return 1;
        case caps::kAspectX: return kAspectX;
        case caps::kAspectY: return kAspectY;
        case caps::kAspectXY: return 51;  // sqrt(36^2 + 36^2)
        case caps::kLogPixelsX: return kLogPixelsX;
        case caps::kLogPixelsY: return kLogPixelsY;
        default: return 0;
    }
}

int32_t PlaybackContext::GetSystemMetrics(int index) {
    if (index == caps::kCxScreen) return refdisplay::kHorzRes;
    if (index == caps::kCyScreen) return refdisplay::kVertRes;
    return 0;
}

void PlaybackContext::SetClipBoxOverride(const RECTL* box) {
    clipOverride_ = box != nullptr;
    if (box) clipBox_ = *box;
}

RECTL PlaybackContext::GetClipBox() const {
    if (clipOverride_) return clipBox_;
    double x1 = 0, y1 = 0, x2 = refdisplay::kHorzRes, y2 = refdisplay::kVertRes;
    if (!DeviceToLogical(x1, y1) || !DeviceToLogical(x2, y2)) return RECTL{};
    auto clamp = [](double v) { return int32_t(std::clamp(std::floor(v + 0.5), -2147483647.0, 2147483647.0)); };
    RECTL r{clamp(std::min(x1, x2)), clamp(std::min(y1, y2)), clamp(std::max(x1, x2)), clamp(std::max(y1, y2))};
    return r;
}

// --- text ----------------------------------------------------------------------------

bool PlaybackContext::GetTextExtentExPoint(const char16_t* text, int count, std::vector<int32_t>& extents) {
    LOGFONTW font;
    if (!GetObject(state_.font, font)) return false;
    return Measurer().MeasureExtents(font, text, count, extents);
}

bool PlaybackContext::GetTextExtentPoint(const char16_t* text, int count, SIZEL& size) {
    LOGFONTW font;
    if (!GetObject(state_.font, font)) return false;
    std::vector<int32_t> extents;
    if (!Measurer().MeasureExtents(font, text, count, extents)) return false;
    size.cx = extents.empty() ? 0 : extents.back();
    // The extent's height is the character cell, not the em size a negative height asks for.
    int32_t cell = 0;
    if (!Measurer().MeasureCellHeight(font, cell)) cell = int32_t(std::min<int64_t>(std::abs(int64_t(font.lfHeight)), INT32_MAX));
    size.cy = cell;
    return true;
}

bool PlaybackContext::GetTextAscent(int32_t& ascent) {
    LOGFONTW font;
    if (!GetObject(state_.font, font)) return false;
    return Measurer().MeasureAscent(font, ascent);
}

// --- records -------------------------------------------------------------------------

void PlaybackContext::PutObject(HandleTable& table, uint32_t slot, GdiHandle handle) {
    if (slot == 0 || slot >= table.slots.size()) {  // no such slot: the object is not kept
        if (handle) DeleteObject(handle);
        return;
    }
    if (table.slots[slot]) DeleteObject(table.slots[slot]);
    table.slots[slot] = handle;
}

GdiHandle PlaybackContext::Resolve(const HandleTable& table, uint32_t index) const {
    if (index & stock::kIndexBit) return GetStockObject(index & ~stock::kIndexBit);
    if (index == 0 || index >= table.slots.size()) return 0;
    return table.slots[index];
}

bool PlaybackContext::PlayRecord(HandleTable& table, std::span<const uint8_t> record) {
    ByteReader r(record);
    uint32_t type = r.U32();
    uint32_t size = r.U32();
    if (!r.Ok() || size < 8 || size > record.size()) return false;
    r = ByteReader(record.data(), size);
    r.Skip(8);

    switch (type) {
        case EMR_SETWINDOWEXTEX: { int32_t cx = r.I32(), cy = r.I32(); if (r.Ok()) SetWindowExt(cx, cy); break; }
        case EMR_SETWINDOWORGEX: { int32_t x = r.I32(), y = r.I32(); if (r.Ok()) SetWindowOrg(x, y); break; }
        case EMR_SETVIEWPORTEXTEX: { int32_t cx = r.I32(), cy = r.I32(); if (r.Ok()) SetViewportExt(cx, cy); break; }
        case EMR_SETVIEWPORTORGEX: { int32_t x = r.I32(), y = r.I32(); if (r.Ok()) SetViewportOrg(x, y); break; }
        case EMR_SETBRUSHORGEX: { int32_t x = r.I32(), y = r.I32(); if (r.Ok()) state_.brushOrg = {x, y}; break; }
        case EMR_SETMAPPERFLAGS: { uint32_t v = r.U32(); if (r.Ok()) state_.mapperFlags = v; break; }
        case EMR_SETMAPMODE: { int32_t m = r.I32(); if (r.Ok()) SetMapMode(m); break; }
        case EMR_SETSTRETCHBLTMODE: { int32_t m = r.I32(); if (r.Ok() && m >= 1 && m <= 4) state_.stretchMode = m; break; }
        case EMR_SETICMMODE: { uint32_t m = r.U32(); if (r.Ok()) state_.icmMode = m; break; }
        case EMR_SCALEVIEWPORTEXTEX:
        case EMR_SCALEWINDOWEXTEX: {
            int32_t xn = r.I32(), xd = r.I32(), yn = r.I32(), yd = r.I32();
            if (!r.Ok()) break;
            if (type == EMR_SCALEWINDOWEXTEX) ScaleWindowExt(xn, xd, yn, yd);
            else ScaleViewportExt(xn, xd, yn, yd);
            break;
        }
        case EMR_SAVEDC: SaveDC(); break;
        case EMR_RESTOREDC: { int32_t rel = r.I32(); if (r.Ok()) RestoreDC(rel); break; }
        case EMR_SETWORLDTRANSFORM: { XFORM x = ReadXform(r); if (r.Ok()) SetWorldTransform(x); break; }
        case EMR_MODIFYWORLDTRANSFORM: {
            XFORM x = ReadXform(r);
            uint32_t mode = r.U32();
            if (r.Ok()) ModifyWorldTransform(x, mode);
            break;
        }
        case EMR_SELECTOBJECT: {
            uint32_t index = r.U32();
            if (!r.Ok()) break;
            GdiHandle h = Resolve(table, index);
            if (h) SelectObject(h);
            break;
        }
        case EMR_SELECTPALETTE: {
            uint32_t index = r.U32();
            if (!r.Ok()) break;
            GdiHandle h = Resolve(table, index);
            if (h) SelectPalette(h);
            break;
        }
        case EMR_DELETEOBJECT: {
            uint32_t index = r.U32();
            if (!r.Ok() || (index & stock::kIndexBit) || index == 0 || index >= table.slots.size()) break;
            if (table.slots[index]) DeleteObject(table.slots[index]);
            table.slots[index] = 0;
            break;
        }
        case EMR_CREATEPEN: {
            uint32_t slot = r.U32();
            LOGPEN p;
            p.lopnStyle = r.U32();
            p.lopnWidth.x = r.I32();
            p.lopnWidth.y = r.I32();
            p.lopnColor = r.U32();
            if (r.Ok()) PutObject(table, slot, CreatePen(p));
            break;
        }
        case EMR_CREATEBRUSHINDIRECT: {
            uint32_t slot = r.U32();
            LOGBRUSH b;
            b.lbStyle = r.U32();
            b.lbColor = r.U32();
            b.lbHatch = r.U32();
            if (r.Ok()) PutObject(table, slot, CreateBrushIndirect(b));
            break;
        }
        case EMR_EXTCREATEPEN: {
            uint32_t slot = r.U32();
            uint32_t offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
            EXTLOGPEN p;
            p.elpPenStyle = r.U32();
            p.elpWidth = r.U32();
            p.elpBrushStyle = r.U32();
            p.elpColor = r.U32();
            p.elpHatch = r.U32();
            uint32_t n = r.U32();
            if (!r.Ok()) break;
            if (n > r.Remaining() / 4) return false;  // more entries than the record holds
            p.elpStyleEntry.resize(n);
            for (uint32_t i = 0; i < n; ++i) p.elpStyleEntry[i] = r.U32();
            std::vector<uint8_t> dib;
            if (cbBmi && cbBits && r.Contains(offBmi, cbBmi) && r.Contains(offBits, cbBits)) {
                dib.assign(record.data() + offBmi, record.data() + offBmi + cbBmi);
                dib.insert(dib.end(), record.data() + offBits, record.data() + offBits + cbBits);
            }
            PutObject(table, slot, CreateExtPen(p, std::move(dib), p.elpColor));
            break;
        }
        case EMR_EXTCREATEFONTINDIRECTW: {
            uint32_t slot = r.U32();
            LOGFONTW f;
            f.lfHeight = r.I32();
            f.lfWidth = r.I32();
            f.lfEscapement = r.I32();
            f.lfOrientation = r.I32();
            f.lfWeight = r.I32();
            f.lfItalic = r.U8();
            f.lfUnderline = r.U8();
            f.lfStrikeOut = r.U8();
            f.lfCharSet = r.U8();
            f.lfOutPrecision = r.U8();
            f.lfClipPrecision = r.U8();
            f.lfQuality = r.U8();
            f.lfPitchAndFamily = r.U8();
            for (size_t i = 0; i < 32; ++i) f.lfFaceName[i] = char16_t(r.U16());
            if (!r.Ok()) return false;
            f.lfFaceName[31] = 0;
            PutObject(table, slot, CreateFontIndirect(f));
            break;
        }
        case EMR_CREATEPALETTE: {
            uint32_t slot = r.U32();
            r.U16();  // version
            uint16_t n = r.U16();
            if (!r.Ok()) break;
            std::vector<COLORREF> entries;
            n = uint16_t(std::min<size_t>(n, r.Remaining() / 4));
            entries.reserve(n);
            for (uint16_t i = 0; i < n; ++i) entries.push_back(r.U32() & 0xFFFFFF);
            PutObject(table, slot, CreatePalette(std::move(entries)));
            break;
        }
        case EMR_SETPALETTEENTRIES: {
            uint32_t index = r.U32(), start = r.U32(), n = r.U32();
            if (!r.Ok()) break;
            GdiHandle h = Resolve(table, index);
            auto it = objects_.find(h);
            if (it == objects_.end() || it->second.kind != GdiObjectKind::Palette) break;
            auto& pal = it->second.palette;
            for (uint32_t i = 0; i < n && r.Has(4); ++i) {
                uint32_t c = r.U32() & 0xFFFFFF;
                if (uint64_t(start) + i < pal.size()) pal[start + i] = c;
            }
            break;
        }
        case EMR_RESIZEPALETTE: {
            uint32_t index = r.U32(), n = r.U32();
            if (!r.Ok()) break;
            GdiHandle h = Resolve(table, index);
            auto it = objects_.find(h);
            if (it != objects_.end() && it->second.kind == GdiObjectKind::Palette && n <= 1024)
                it->second.palette.resize(n, 0);
            break;
        }
        case EMR_CREATECOLORSPACE:
        case EMR_CREATECOLORSPACEW: {
            uint32_t slot = r.U32();
            if (r.Ok()) PutObject(table, slot, CreateColorSpace());
            break;
        }
        case EMR_DELETECOLORSPACE: {
            uint32_t index = r.U32();
            if (!r.Ok() || index == 0 || index >= table.slots.size()) break;
            if (GetObjectType(table.slots[index]) != GdiObjectKind::ColorSpace) break;
            DeleteObject(table.slots[index]);
            table.slots[index] = 0;
            break;
        }
        case EMR_CREATEMONOBRUSH:
        case EMR_CREATEDIBPATTERNBRUSHPT: {
            uint32_t slot = r.U32(), usage = r.U32();
            uint32_t offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
            if (!r.Ok()) break;
            std::vector<uint8_t> dib;
            if (r.Contains(offBmi, cbBmi) && r.Contains(offBits, cbBits)) {
                dib.assign(record.data() + offBmi, record.data() + offBmi + cbBmi);
                dib.insert(dib.end(), record.data() + offBits, record.data() + offBits + cbBits);
            }
            if (type == EMR_CREATEMONOBRUSH)
                PutObject(table, slot, CreatePatternBrush(std::move(dib)));
            else
                PutObject(table, slot, CreateDibPatternBrush(std::move(dib), usage));
            break;
        }
        default: break;  // nothing of the context changes
    }
    return r.Ok();
}

bool PlaybackContext::Enumerate(std::span<const uint8_t> emf, const PlaybackRect& rect, const RecordCallback& callback) {
    EmfHeader header;
    if (!ReadEmfHeader(emf, header)) return false;

    // The frame (0.01 mm) in reference-device pixels, mapped onto the rectangle.
    auto toPixels = [](int32_t v, int32_t pixels, int32_t mm) {
        return mm > 0 ? double(v) * pixels / (mm * 100.0) : double(v);
    };
    double fl = toPixels(header.frame.left, header.device.cx, header.millimeters.cx);
    double fr = toPixels(header.frame.right, header.device.cx, header.millimeters.cx);
    double ft = toPixels(header.frame.top, header.device.cy, header.millimeters.cy);
    double fb = toPixels(header.frame.bottom, header.device.cy, header.millimeters.cy);
    double sx = fr != fl ? (double(rect.right) - rect.left) / (fr - fl) : 1.0;
    double sy = fb != ft ? (double(rect.bottom) - rect.top) / (fb - ft) : 1.0;
    if (!std::isfinite(sx) || sx == 0) sx = 1.0;
    if (!std::isfinite(sy) || sy == 0) sy = 1.0;

    SaveDC();
    size_t depth = saved_.size();
    size_t keepFloor = saveFloor_;
    saveFloor_ = depth;
    double keep[4] = {frameSx_, frameSy_, frameDx_, frameDy_};
    frameSx_ = sx;
    frameSy_ = sy;
    frameDx_ = rect.left - fl * sx;
    frameDy_ = rect.top - ft * sy;

    HandleTable table;
    table.slots.assign(header.handles, 0);

    EmfRecordWalker walker(emf);
    EmfRecord record;
    bool stopped = false;
    while (walker.Next(record)) {
        if (!callback(record.bytes, table)) {
            stopped = true;
            break;
        }
        if (record.type == EMR_EOF) break;
    }
    bool ok = !stopped && !walker.Failed();

    // Back to the state before the walk, whatever the records left on the stack.
    if (saved_.size() >= depth) {
        state_ = saved_[depth - 1];
        saved_.resize(depth - 1);
    }
    saveFloor_ = keepFloor;
    frameSx_ = keep[0];
    frameSy_ = keep[1];
    frameDx_ = keep[2];
    frameDy_ = keep[3];
    for (GdiHandle& h : table.slots)
        if (h) {
            DeleteObject(h);
            h = 0;
        }
    for (GdiHandle h : std::vector<GdiHandle>(pendingDelete_)) CollectGarbage(h);
    return ok;
}

}  // namespace slidemill

#include "metafile/player/EmfParser.h"

#include <algorithm>
#include <cstring>

#include "metafile/EmfHeader.h"
#include "metafile/EmfRecordTypes.h"
#include "metafile/player/PaintMaskPair.h"
#include "platform/dib/DibDecoder.h"
#include "platform/dib/DibHeader.h"

namespace slidemill {

namespace {

constexpr uint32_t kSrcCopy = 0x00CC0020;
constexpr uint32_t kEtoClipped = 0x4;

// A reader placed at a fixed offset of the record.
ByteReader At(std::span<const uint8_t> rec, size_t offset) {
    ByteReader r(rec);
    r.Seek(offset);
    return r;
}

// [offset, offset + length) of the record, or an empty span when it does not fit.
std::span<const uint8_t> Slice(std::span<const uint8_t> rec, uint64_t offset, uint64_t length) {
    if (offset > rec.size() || length > rec.size() - offset) return {};
    return rec.subspan(size_t(offset), size_t(length));
}

// From the offset to the end of the record (empty when the offset is outside it).
std::span<const uint8_t> Tail(std::span<const uint8_t> rec, uint64_t offset) {
    if (offset > rec.size()) return {};
    return rec.subspan(size_t(offset));
}

template <typename T>
RecordHandler H(int (T::*handler)()) {
    return static_cast<RecordHandler>(handler);
}

}  // namespace

// ---- dispatcher ------------------------------------------------------------------------

static const RecordMapEntry kDispatcherEntries[] = {{-1, nullptr}};
static const RecordMap kDispatcherMap = {nullptr, kDispatcherEntries};

CRecordDispatcher::~CRecordDispatcher() = default;
int CRecordDispatcher::OnUnhandledRecord(int) { return 4; }
int CRecordDispatcher::CurrentRecordSize() { return 0; }
const RecordMap& CRecordDispatcher::GetRecordMap() const { return kDispatcherMap; }

void CRecordDispatcher::BuildLookup() {
    int largest = -1;
    for (const RecordMap* m = &GetRecordMap(); m; m = m->base)
        for (const RecordMapEntry* e = m->entries; e && e->type != -1; ++e) largest = std::max(largest, e->type);
    lookupSize_ = size_t(largest + 1);
    lookup_ = std::make_unique<const RecordMapEntry*[]>(lookupSize_);
    for (size_t i = 0; i < lookupSize_; ++i) lookup_[i] = nullptr;
    for (const RecordMap* m = &GetRecordMap(); m; m = m->base)
        for (const RecordMapEntry* e = m->entries; e && e->type != -1; ++e)
            if (e->type >= 0 && !lookup_[size_t(e->type)]) lookup_[size_t(e->type)] = e;
}

int CRecordDispatcher::Dispatch(uint32_t type) {
    if (type > 0 && type < lookupSize_ && lookup_[type]) return (this->*(lookup_[type]->handler))();
    return OnUnhandledRecord(int(type));
}

// ---- enumerator ------------------------------------------------------------------------

static const RecordMapEntry kEnumeratorEntries[] = {
    {1, H(&CEmfEnumerator::HandleHeader)},
    {-1, nullptr},
};
static const RecordMap kEnumeratorMap = {&kDispatcherMap, kEnumeratorEntries};

const RecordMap& CEmfEnumerator::GetRecordMap() const { return kEnumeratorMap; }

int CEmfEnumerator::OnUnhandledRecord(int) {
    PlayCurrentRecord();
    return 0;
}

int CEmfEnumerator::CurrentRecordSize() {
    if (record_.size() < 8) return 0;
    return int(ByteReader(record_).PeekU32(4));
}

int CEmfEnumerator::BeginPlay(PlaybackContext* dc, int playArgument, const PlaybackRect& rect) {
    if (!HasLookup()) BuildLookup();
    dc_ = dc;
    playArgument_ = playArgument;
    rect_ = rect;
    table_ = nullptr;
    tableSize_ = 0;
    record_ = {};
    recordCount_ = 0;
    return 0;
}

void CEmfEnumerator::EndPlay() {}
int CEmfEnumerator::BeforeRecord() {
    ++recordCount_;
    return 0;
}
int CEmfEnumerator::AfterRecord() { return 0; }
int CEmfEnumerator::HandleHeader() { return 0; }

void CEmfEnumerator::PlayCurrentRecord() {
    if (dc_ && table_) dc_->PlayRecord(*table_, record_);
}

int CEmfEnumerator::ProcessRecord(std::span<const uint8_t> record, HandleTable& table) {
    record_ = record;
    table_ = &table;
    int result = BeforeRecord();
    if (result == 0) result = Dispatch(uint32_t(ByteReader(record).PeekU32(0)));
    if (result == 0) result = AfterRecord();
    if (result != 0) lastError_ = result;
    return result;
}

int CEmfEnumerator::Play(PlaybackContext* dc, std::span<const uint8_t> emf, int playArgument, const PlaybackRect& rect) {
    int result = BeginPlay(dc, playArgument, rect);
    if (result != 0) return result;
    EmfHeader header;
    if (!dc || !ReadEmfHeader(emf, header)) return kPlayNoHeader;
    tableSize_ = header.handles;
    emf_ = emf;
    bool ok = dc->Enumerate(emf, rect, [this](std::span<const uint8_t> record, HandleTable& table) {
        return ProcessRecord(record, table) == 0;
    });
    EndPlay();
    record_ = {};
    emf_ = {};
    table_ = nullptr;
    if (!ok) {
        lastError_ = kPlayStopped;
        return kPlayStopped;
    }
    return kPlayDone;
}

// ---- parser: map -----------------------------------------------------------------------

static const RecordMapEntry kParserEntries[] = {
    {1, H(&CEmfParser::HandleHeader)},
    {2, H(&CEmfParser::HandlePolyBezier)},
    {3, H(&CEmfParser::HandlePolygon)},
    {4, H(&CEmfParser::HandlePolyline)},
    {5, H(&CEmfParser::HandlePolyBezierTo)},
    {6, H(&CEmfParser::HandlePolylineTo)},
    {7, H(&CEmfParser::HandlePolyPolyline)},
    {8, H(&CEmfParser::HandlePolyPolygon)},
    {9, H(&CEmfParser::HandleSetWindowExtEx)},
    {10, H(&CEmfParser::HandleSetWindowOrgEx)},
    {11, H(&CEmfParser::HandleSetViewportExtEx)},
    {12, H(&CEmfParser::HandleSetViewportOrgEx)},
    {13, H(&CEmfParser::HandleSetBrushOrgEx)},
    {14, H(&CEmfParser::HandleEof)},
    {15, H(&CEmfParser::HandleSetPixelV)},
    {16, H(&CEmfParser::HandleSetMapperFlags)},
    {17, H(&CEmfParser::HandleSetMapMode)},
    {18, H(&CEmfParser::HandleSetBkMode)},
    {19, H(&CEmfParser::HandleSetPolyFillMode)},
    {20, H(&CEmfParser::HandleSetRop2)},
    {21, H(&CEmfParser::HandleSetStretchBltMode)},
    {22, H(&CEmfParser::HandleSetTextAlign)},
    {23, H(&CEmfParser::HandleSetColorAdjustment)},
    {24, H(&CEmfParser::HandleSetTextColor)},
    {25, H(&CEmfParser::HandleSetBkColor)},
    {26, H(&CEmfParser::HandleOffsetClipRgn)},
    {27, H(&CEmfParser::HandleMoveToEx)},
    {28, H(&CEmfParser::HandleSetMetaRgn)},
    {29, H(&CEmfParser::HandleExcludeClipRect)},
    {30, H(&CEmfParser::HandleIntersectClipRect)},
    {31, H(&CEmfParser::HandleScaleViewportExtEx)},
    {32, H(&CEmfParser::HandleScaleWindowExtEx)},
    {33, H(&CEmfParser::HandleSaveDc)},
    {34, H(&CEmfParser::HandleRestoreDc)},
    {35, H(&CEmfParser::HandleSetWorldTransform)},
    {36, H(&CEmfParser::HandleModifyWorldTransform)},
    {37, H(&CEmfParser::HandleSelectObject)},
    {38, H(&CEmfParser::HandleCreatePen)},
    {39, H(&CEmfParser::HandleCreateBrushIndirect)},
    {40, H(&CEmfParser::HandleDeleteObject)},
    {41, H(&CEmfParser::HandleAngleArc)},
    {42, H(&CEmfParser::HandleEllipse)},
    {43, H(&CEmfParser::HandleRectangle)},
    {44, H(&CEmfParser::HandleRoundRect)},
    {45, H(&CEmfParser::HandleArc)},
    {46, H(&CEmfParser::HandleChord)},
    {47, H(&CEmfParser::HandlePie)},
    {48, H(&CEmfParser::HandleSelectPalette)},
    {49, H(&CEmfParser::HandleCreatePalette)},
    {50, H(&CEmfParser::HandleSetPaletteEntries)},
    {51, H(&CEmfParser::HandleResizePalette)},
    {52, H(&CEmfParser::HandleRealizePalette)},
    {53, H(&CEmfParser::HandleExtFloodFill)},
    {54, H(&CEmfParser::HandleLineTo)},
    {55, H(&CEmfParser::HandleArcTo)},
    {56, H(&CEmfParser::HandlePolyDraw)},
    {57, H(&CEmfParser::HandleSetArcDirection)},
    {58, H(&CEmfParser::HandleSetMiterLimit)},
    {59, H(&CEmfParser::HandleBeginPath)},
    {60, H(&CEmfParser::HandleEndPath)},
    {61, H(&CEmfParser::HandleCloseFigure)},
    {62, H(&CEmfParser::HandleFillPath)},
    {63, H(&CEmfParser::HandleStrokeAndFillPath)},
    {64, H(&CEmfParser::HandleStrokePath)},
    {65, H(&CEmfParser::HandleFlattenPath)},
    {66, H(&CEmfParser::HandleWidenPath)},
    {67, H(&CEmfParser::HandleSelectClipPath)},
    {68, H(&CEmfParser::HandleAbortPath)},
    {70, H(&CEmfParser::HandleComment)},
    {71, H(&CEmfParser::HandleFillRgn)},
    {72, H(&CEmfParser::HandleFrameRgn)},
    {73, H(&CEmfParser::HandleInvertRgn)},
    {74, H(&CEmfParser::HandlePaintRgn)},
    {75, H(&CEmfParser::HandleExtSelectClipRgn)},
    {76, H(&CEmfParser::HandleBitBlt)},
    {77, H(&CEmfParser::HandleStretchBlt)},
    {78, H(&CEmfParser::HandleMaskBlt)},
    {79, H(&CEmfParser::HandlePlgBlt)},
    {80, H(&CEmfParser::HandleSetDiBitsToDevice)},
    {81, H(&CEmfParser::HandleStretchDiBits)},
    {82, H(&CEmfParser::HandleExtCreateFontIndirectW)},
    {83, H(&CEmfParser::HandleExtTextOutA)},
    {84, H(&CEmfParser::HandleExtTextOutW)},
    {85, H(&CEmfParser::HandlePolyBezier16)},
    {86, H(&CEmfParser::HandlePolygon16)},
    {87, H(&CEmfParser::HandlePolyline16)},
    {88, H(&CEmfParser::HandlePolyBezierTo16)},
    {89, H(&CEmfParser::HandlePolylineTo16)},
    {90, H(&CEmfParser::HandlePolyPolyline16)},
    {91, H(&CEmfParser::HandlePolyPolygon16)},
    {92, H(&CEmfParser::HandlePolyDraw16)},
    {93, H(&CEmfParser::HandleCreateMonoBrush)},
    {94, H(&CEmfParser::HandleCreateDibPatternBrushPt)},
    {95, H(&CEmfParser::HandleExtCreatePen)},
    {96, H(&CEmfParser::HandlePolyTextOutA)},
    {97, H(&CEmfParser::HandlePolyTextOutW)},
    {98, H(&CEmfParser::HandleSetIcmMode)},
    {99, H(&CEmfParser::HandleCreateColorSpace)},
    {100, H(&CEmfParser::HandleSetColorSpace)},
    {101, H(&CEmfParser::HandleDeleteColorSpace)},
    {102, H(&CEmfParser::HandleGlsRecord)},
    {103, H(&CEmfParser::HandleGlsBoundedRecord)},
    {104, H(&CEmfParser::HandlePixelFormat)},
    {105, H(&CEmfParser::HandleDrawEscape)},
    {106, H(&CEmfParser::HandleExtEscape)},
    {107, H(&CEmfParser::HandleUndefined107)},
    {108, H(&CEmfParser::HandleSmallTextOut)},
    {109, H(&CEmfParser::HandleForceUfiMapping)},
    {110, H(&CEmfParser::HandleNamedEscape)},
    {111, H(&CEmfParser::HandleColorCorrectPalette)},
    {112, H(&CEmfParser::HandleSetIcmProfileA)},
    {113, H(&CEmfParser::HandleSetIcmProfileW)},
    {114, H(&CEmfParser::HandleAlphaBlend)},
    {115, H(&CEmfParser::HandleSetLayout)},
    {116, H(&CEmfParser::HandleTransparentBlt)},
    {117, H(&CEmfParser::HandleReserved117)},
    {118, H(&CEmfParser::HandleGradientFill)},
    {119, H(&CEmfParser::HandleSetLinkedUfis)},
    {120, H(&CEmfParser::HandleSetTextJustification)},
    {121, H(&CEmfParser::HandleColorMatchToTargetW)},
    {122, H(&CEmfParser::HandleCreateColorSpaceW)},
    {-1, nullptr},
};
static const RecordMap kParserMap = {&kEnumeratorMap, kParserEntries};

CEmfParser::~CEmfParser() = default;
const RecordMap& CEmfParser::GetRecordMap() const { return kParserMap; }
int CEmfParser::OnUnhandledRecord(int type) { return CEmfEnumerator::OnUnhandledRecord(type); }

int CEmfParser::BeginPlay(PlaybackContext* dc, int playArgument, const PlaybackRect& rect) {
    if (!renderer_) return kPlayNoRenderer;
    return CEmfEnumerator::BeginPlay(dc, playArgument, rect);
}

CEmfPlayer::~CEmfPlayer() = default;

// ---- parser: helpers -------------------------------------------------------------------

#define ANNOUNCE() renderer_->OnRecord(int32_t(ByteReader(record_).PeekU32(0)))

// Points records: bounds (16), count at 24, points from 28.
template <typename View>
static bool PointsOf(std::span<const uint8_t> rec, size_t pointSize, View& view, int32_t& count) {
    ByteReader r = At(rec, 24);
    uint32_t n = r.U32();
    if (!r.Ok() || n > (rec.size() - 28) / pointSize) return false;
    view = View(rec.subspan(28, size_t(n) * pointSize));
    count = int32_t(n);
    return true;
}

// Poly-poly records: bounds, nPolys at 24, total at 28, counts from 32, then points.
template <typename View>
static bool PolyPointsOf(std::span<const uint8_t> rec, size_t pointSize, View& view, int32_t& total, U32Array& counts,
                         int32_t& polys) {
    ByteReader r = At(rec, 24);
    uint32_t n = r.U32(), t = r.U32();
    if (!r.Ok() || n > (rec.size() - 32) / 4) return false;
    size_t pointsAt = 32 + size_t(n) * 4;
    if (t > (rec.size() - pointsAt) / pointSize) return false;
    counts = U32Array(rec.subspan(32, size_t(n) * 4));
    // The counts must add up to no more than the points present.
    uint64_t sum = 0;
    for (uint32_t i = 0; i < n; ++i) sum += counts[i];
    if (sum > t) return false;
    view = View(rec.subspan(pointsAt, size_t(t) * pointSize));
    total = int32_t(t);
    polys = int32_t(n);
    return true;
}

// ---- parser: handlers ------------------------------------------------------------------

int CEmfParser::HandleHeader() {
    ANNOUNCE();
    PlayCurrentRecord();
    renderer_->OnBegin(dc_, dc_);
    return 0;
}

#define POINTS_HANDLER(Name, View, Size, Op)                           \
    int CEmfParser::Handle##Name() {                                   \
        ANNOUNCE();                                                    \
        View v;                                                        \
        int32_t n = 0;                                                 \
        if (PointsOf(record_, Size, v, n)) renderer_->Op(v, n);        \
        return 0;                                                      \
    }
POINTS_HANDLER(PolyBezier, PointsL, 8, OnPolyBezier)
POINTS_HANDLER(Polygon, PointsL, 8, OnPolygon)
POINTS_HANDLER(Polyline, PointsL, 8, OnPolyline)
POINTS_HANDLER(PolyBezierTo, PointsL, 8, OnPolyBezierTo)
POINTS_HANDLER(PolylineTo, PointsL, 8, OnPolylineTo)
POINTS_HANDLER(PolyBezier16, PointsS, 4, OnPolyBezier16)
POINTS_HANDLER(Polygon16, PointsS, 4, OnPolygon16)
POINTS_HANDLER(Polyline16, PointsS, 4, OnPolyline16)
POINTS_HANDLER(PolyBezierTo16, PointsS, 4, OnPolyBezierTo16)
POINTS_HANDLER(PolylineTo16, PointsS, 4, OnPolylineTo16)
#undef POINTS_HANDLER

#define POLYPOLY_HANDLER(Name, View, Size, Op)                                       \
    int CEmfParser::Handle##Name() {                                                 \
        ANNOUNCE();                                                                  \
        View v;                                                                      \
        U32Array counts;                                                             \
        int32_t total = 0, polys = 0;                                                \
        if (PolyPointsOf(record_, Size, v, total, counts, polys))                    \
            renderer_->Op(v, total, counts, polys);                                  \
        return 0;                                                                    \
    }
POLYPOLY_HANDLER(PolyPolyline, PointsL, 8, OnPolyPolyline)
POLYPOLY_HANDLER(PolyPolygon, PointsL, 8, OnPolyPolygon)
POLYPOLY_HANDLER(PolyPolyline16, PointsS, 4, OnPolyPolyline16)
POLYPOLY_HANDLER(PolyPolygon16, PointsS, 4, OnPolyPolygon16)
#undef POLYPOLY_HANDLER

#define POLYDRAW_HANDLER(Name, View, Size, Op)                                    \
    int CEmfParser::Handle##Name() {                                              \
        ANNOUNCE();                                                               \
        View v;                                                                   \
        int32_t n = 0;                                                            \
        if (!PointsOf(record_, Size, v, n)) return 0;                             \
        auto types = Slice(record_, 28 + uint64_t(n) * Size, uint64_t(n));        \
        if (n > 0 && types.empty()) return 0;                                     \
        renderer_->Op(v, n, types);                                               \
        return 0;                                                                 \
    }
POLYDRAW_HANDLER(PolyDraw, PointsL, 8, OnPolyDraw)
POLYDRAW_HANDLER(PolyDraw16, PointsS, 4, OnPolyDraw16)
#undef POLYDRAW_HANDLER

int CEmfParser::HandleLineTo() {
    ANNOUNCE();
    auto pt = Slice(record_, 8, 8);
    if (!pt.empty()) renderer_->OnPolylineTo(PointsL(pt), 1);
    return 0;
}

int CEmfParser::HandleMoveToEx() {
    ANNOUNCE();
    ByteReader r = At(record_, 8);
    POINTL p = ReadPointL(r);
    if (r.Ok()) renderer_->OnMoveTo(p);
    return 0;
}

int CEmfParser::HandleSetPixelV() {
    ANNOUNCE();
    ByteReader r = At(record_, 8);
    POINTL p = ReadPointL(r);
    uint32_t c = r.U32();
    if (r.Ok()) renderer_->OnSetPixel(p.x, p.y, c);
    return 0;
}

#define BOX_HANDLER(Name, Op)                    \
    int CEmfParser::Handle##Name() {             \
        ANNOUNCE();                              \
        ByteReader r = At(record_, 8);           \
        RECTL box = ReadRectL(r);                 \
        if (r.Ok()) renderer_->Op(box);          \
        return 0;                                \
    }
BOX_HANDLER(Ellipse, OnEllipse)
BOX_HANDLER(Rectangle, OnRectangle)
BOX_HANDLER(ExcludeClipRect, OnExcludeClipRect)
BOX_HANDLER(IntersectClipRect, OnIntersectClipRect)
#undef BOX_HANDLER

int CEmfParser::HandleRoundRect() {
    ANNOUNCE();
    ByteReader r = At(record_, 8);
    RECTL box = ReadRectL(r);
    int32_t cx = r.I32(), cy = r.I32();
    if (r.Ok()) renderer_->OnRoundRect(box, cx, cy);
    return 0;
}

#define ARC_HANDLER(Name, Op)                                         \
    int CEmfParser::Handle##Name() {                                  \
        ANNOUNCE();                                                   \
        ByteReader r = At(record_, 8);                                \
        RECTL box = ReadRectL(r);                                      \
        POINTL start = ReadPointL(r), end = ReadPointL(r);              \
        if (r.Ok()) renderer_->Op(box, start, end);                   \
        return 0;                                                     \
    }
ARC_HANDLER(Arc, OnArc)
ARC_HANDLER(Chord, OnChord)
ARC_HANDLER(Pie, OnPie)
ARC_HANDLER(ArcTo, OnArcTo)
#undef ARC_HANDLER

int CEmfParser::HandleAngleArc() {
    ANNOUNCE();
    ByteReader r = At(record_, 8);
    POINTL c = ReadPointL(r);
    uint32_t radius = r.U32();
    float start = r.F32(), sweep = r.F32();
    if (r.Ok()) renderer_->OnAngleArc(c, radius, start, sweep);
    return 0;
}

int CEmfParser::HandleExtFloodFill() {
    ANNOUNCE();
    ByteReader r = At(record_, 8);
    POINTL p = ReadPointL(r);
    uint32_t c = r.U32(), mode = r.U32();
    if (r.Ok()) renderer_->OnExtFloodFill(p, c, mode);
    return 0;
}

int CEmfParser::HandleGradientFill() {
    ANNOUNCE();
    ByteReader r = At(record_, 24);
    uint32_t nVer = r.U32(), nTri = r.U32(), mode = r.U32();
    if (!r.Ok() || nVer > (record_.size() - 36) / 16) return 0;
    auto vertices = record_.subspan(36, size_t(nVer) * 16);
    size_t meshAt = 36 + size_t(nVer) * 16;
    size_t perMesh = mode == 2 ? 12 : 8;
    if (nTri > (record_.size() - meshAt) / perMesh) return 0;
    auto mesh = record_.subspan(meshAt, size_t(nTri) * perMesh);
    renderer_->OnGradientFill(vertices, nVer, mesh, nTri, mode);
    return 0;
}

#define PAIR_HANDLER(Name, Op, Read)           \
    int CEmfParser::Handle##Name() {           \
        ANNOUNCE();                            \
        PlayCurrentRecord();                   \
        ByteReader r = At(record_, 8);         \
        auto a = r.Read(), b = r.Read();       \
        if (r.Ok()) renderer_->Op(a, b);       \
        return 0;                              \
    }
PAIR_HANDLER(SetWindowExtEx, OnSetWindowExt, I32)
PAIR_HANDLER(SetViewportExtEx, OnSetViewportExt, I32)
PAIR_HANDLER(SetWindowOrgEx, OnSetWindowOrg, I32)
PAIR_HANDLER(SetViewportOrgEx, OnSetViewportOrg, I32)
#undef PAIR_HANDLER

#define SCALE_HANDLER(Name, Op)                                 \
    int CEmfParser::Handle##Name() {                            \
        ANNOUNCE();                                             \
        PlayCurrentRecord();                                    \
        ByteReader r = At(record_, 8);                          \
        int32_t xn = r.I32(), xd = r.I32(), yn = r.I32(), yd = r.I32(); \
        if (r.Ok()) renderer_->Op(xn, xd, yn, yd);              \
        return 0;                                               \
    }
SCALE_HANDLER(ScaleWindowExtEx, OnScaleWindowExt)
SCALE_HANDLER(ScaleViewportExtEx, OnScaleViewportExt)
#undef SCALE_HANDLER

int CEmfParser::HandleSetBrushOrgEx() {
    ANNOUNCE();
    PlayCurrentRecord();
    ByteReader r = At(record_, 8);
    POINTL p = ReadPointL(r);
    if (r.Ok()) renderer_->OnSetBrushOrg(p);
    return 0;
}

int CEmfParser::HandleEof() {
    ANNOUNCE();
    PlayCurrentRecord();
    renderer_->OnEnd();
    return 0;
}

#define VALUE_HANDLER(Name, Op, Read, Played)  \
    int CEmfParser::Handle##Name() {           \
        ANNOUNCE();                            \
        if (Played) PlayCurrentRecord();       \
        ByteReader r = At(record_, 8);         \
        auto v = r.Read();                     \
        if (r.Ok()) renderer_->Op(v);          \
        return 0;                              \
    }
VALUE_HANDLER(SetMapMode, OnSetMapMode, I32, true)
VALUE_HANDLER(SetStretchBltMode, OnSetStretchBltMode, I32, true)
VALUE_HANDLER(SetBkMode, OnSetBkMode, I32, false)
VALUE_HANDLER(SetPolyFillMode, OnSetPolyFillMode, I32, false)
VALUE_HANDLER(SetRop2, OnSetROP2, I32, false)
VALUE_HANDLER(SetTextAlign, OnSetTextAlign, U32, false)
VALUE_HANDLER(SetArcDirection, OnSetArcDirection, I32, false)
VALUE_HANDLER(SetMiterLimit, OnSetMiterLimit, F32, false)
VALUE_HANDLER(SetTextColor, OnSetTextColor, U32, false)
VALUE_HANDLER(SetBkColor, OnSetBkColor, U32, false)
VALUE_HANDLER(RestoreDc, OnRestoreDC, I32, true)
VALUE_HANDLER(SelectPalette, OnSelectPalette, U32, true)
#undef VALUE_HANDLER

int CEmfParser::HandleSetColorAdjustment() {
    ANNOUNCE();
    PlayCurrentRecord();
    renderer_->OnSetColorAdjustment(Tail(record_, 8));
    return 0;
}

int CEmfParser::HandleSaveDc() {
    ANNOUNCE();
    PlayCurrentRecord();
    renderer_->OnSaveDC();
    return 0;
}

int CEmfParser::HandleSetWorldTransform() {
    ANNOUNCE();
    PlayCurrentRecord();
    ByteReader r = At(record_, 8);
    XFORM x = ReadXform(r);
    if (r.Ok()) renderer_->OnSetWorldTransform(x);
    return 0;
}

int CEmfParser::HandleModifyWorldTransform() {
    ANNOUNCE();
    PlayCurrentRecord();
    ByteReader r = At(record_, 8);
    XFORM x = ReadXform(r);
    uint32_t mode = r.U32();
    if (r.Ok()) renderer_->OnModifyWorldTransform(x, mode);
    return 0;
}

int CEmfParser::HandleOffsetClipRgn() {
    ANNOUNCE();
    ByteReader r = At(record_, 8);
    POINTL p = ReadPointL(r);
    if (r.Ok()) renderer_->OnOffsetClipRgn(p);
    return 0;
}

int CEmfParser::HandleSetMetaRgn() {
    ANNOUNCE();
    renderer_->OnSetMetaRgn();
    return 0;
}

int CEmfParser::HandleExtSelectClipRgn() {
    ANNOUNCE();
    ByteReader r = At(record_, 8);
    uint32_t cb = r.U32();
    int32_t mode = r.I32();
    if (!r.Ok()) return 0;
    auto data = Slice(record_, 16, cb);
    if (cb != 0 && data.empty()) return 0;  // region data past the record
    renderer_->OnExtSelectClipRgn(data, cb, mode);
    return 0;
}

int CEmfParser::HandleFillRgn() {
    ANNOUNCE();
    ByteReader r = At(record_, 24);
    uint32_t cb = r.U32(), ih = r.U32();
    auto data = Slice(record_, 32, cb);
    if (!r.Ok() || (cb && data.empty())) return 0;
    GdiHandle brush = table_ && ih < table_->slots.size() ? table_->slots[ih] : 0;
    renderer_->OnFillRgn(brush, data, cb);
    return 0;
}

int CEmfParser::HandleFrameRgn() {
    ANNOUNCE();
    ByteReader r = At(record_, 24);
    uint32_t cb = r.U32(), ih = r.U32();
    int32_t w = r.I32(), h = r.I32();
    auto data = Slice(record_, 40, cb);
    if (!r.Ok() || (cb && data.empty())) return 0;
    GdiHandle brush = table_ && ih < table_->slots.size() ? table_->slots[ih] : 0;
    renderer_->OnFrameRgn(brush, w, h, data, cb);
    return 0;
}

#define REGION_HANDLER(Name, Op)                              \
    int CEmfParser::Handle##Name() {                          \
        ANNOUNCE();                                           \
        ByteReader r = At(record_, 24);                       \
        uint32_t cb = r.U32();                                \
        auto data = Slice(record_, 28, cb);                   \
        if (!r.Ok() || (cb && data.empty())) return 0;        \
        renderer_->Op(data, cb);                              \
        return 0;                                             \
    }
REGION_HANDLER(InvertRgn, OnInvertRgn)
REGION_HANDLER(PaintRgn, OnPaintRgn)
#undef REGION_HANDLER

#define SIMPLE_HANDLER(Name, Call)     \
    int CEmfParser::Handle##Name() {   \
        ANNOUNCE();                    \
        renderer_->Call;               \
        return 0;                      \
    }
SIMPLE_HANDLER(BeginPath, OnBeginPath())
SIMPLE_HANDLER(EndPath, OnEndPath())
SIMPLE_HANDLER(CloseFigure, OnCloseFigure())
SIMPLE_HANDLER(FlattenPath, OnFlattenPath())
SIMPLE_HANDLER(WidenPath, OnWidenPath())
SIMPLE_HANDLER(AbortPath, OnAbortPath())
SIMPLE_HANDLER(FillPath, OnUsePath(2, 5))
SIMPLE_HANDLER(StrokeAndFillPath, OnUsePath(3, 5))
SIMPLE_HANDLER(StrokePath, OnUsePath(1, 5))
#undef SIMPLE_HANDLER

int CEmfParser::HandleSelectClipPath() {
    ANNOUNCE();
    ByteReader r = At(record_, 8);
    int32_t mode = r.I32();
    if (r.Ok()) renderer_->OnUsePath(16, mode);
    return 0;
}

int CEmfParser::HandleSelectObject() {
    ANNOUNCE();
    PlayCurrentRecord();
    ByteReader r = At(record_, 8);
    uint32_t index = r.U32();
    if (!r.Ok() || !dc_) return 0;
    GdiHandle h = 0;
    if (IsStockObjectIndex(index))
        h = dc_->GetStockObject(StockObjectNumber(index));
    else if (table_ && index < table_->slots.size())
        h = table_->slots[index];
    switch (dc_->GetObjectType(h)) {
        case GdiObjectKind::Pen: renderer_->OnSelectPen(h); break;
        case GdiObjectKind::ExtPen: renderer_->OnSelectExtPen(h); break;
        case GdiObjectKind::Brush: renderer_->OnSelectBrush(h); break;
        case GdiObjectKind::Font: renderer_->OnSelectFont(h); break;
        default: break;  // palettes, colour spaces and the like are not passed on
    }
    return 0;
}

// Records applied to the playback context only.
#define PLAYED_HANDLER(Name)           \
    int CEmfParser::Handle##Name() {   \
        ANNOUNCE();                    \
        PlayCurrentRecord();           \
        return 0;                      \
    }
PLAYED_HANDLER(SetMapperFlags)
PLAYED_HANDLER(CreatePen)
PLAYED_HANDLER(CreateBrushIndirect)
PLAYED_HANDLER(DeleteObject)
PLAYED_HANDLER(CreatePalette)
PLAYED_HANDLER(SetPaletteEntries)
PLAYED_HANDLER(ResizePalette)
PLAYED_HANDLER(RealizePalette)
PLAYED_HANDLER(Comment)
PLAYED_HANDLER(ExtCreateFontIndirectW)
PLAYED_HANDLER(ExtCreatePen)
PLAYED_HANDLER(SetIcmMode)
PLAYED_HANDLER(CreateColorSpace)
PLAYED_HANDLER(SetColorSpace)
PLAYED_HANDLER(DeleteColorSpace)
PLAYED_HANDLER(GlsRecord)
PLAYED_HANDLER(GlsBoundedRecord)
PLAYED_HANDLER(PixelFormat)
PLAYED_HANDLER(ColorCorrectPalette)
PLAYED_HANDLER(SetIcmProfileA)
PLAYED_HANDLER(SetIcmProfileW)
PLAYED_HANDLER(SetLinkedUfis)
PLAYED_HANDLER(SetTextJustification)
PLAYED_HANDLER(ColorMatchToTargetW)
PLAYED_HANDLER(CreateColorSpaceW)
#undef PLAYED_HANDLER

// Records that are only announced.
#define IGNORED_HANDLER(Name)          \
    int CEmfParser::Handle##Name() {   \
        ANNOUNCE();                    \
        return 0;                      \
    }
IGNORED_HANDLER(DrawEscape)
IGNORED_HANDLER(ExtEscape)
IGNORED_HANDLER(Undefined107)
IGNORED_HANDLER(ForceUfiMapping)
IGNORED_HANDLER(NamedEscape)
IGNORED_HANDLER(SetLayout)
IGNORED_HANDLER(Reserved117)
#undef IGNORED_HANDLER

// ---- object records the parser builds --------------------------------------------------

int CEmfParser::HandleCreateMonoBrush() {
    ANNOUNCE();
    PlayCurrentRecord();
    ByteReader r = At(record_, 8);
    uint32_t ih = r.U32();
    r.U32();  // iUsage
    uint32_t offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
    (void)cbBmi;
    if (!r.Ok() || !dc_ || !table_) return 0;
    // The header's own size plus two colour entries, set to black and white.
    uint32_t biSize = ByteReader(record_).PeekU32(offBmi);
    auto bmi = Slice(record_, offBmi, uint64_t(biSize) + 8);
    auto bits = Slice(record_, offBits, cbBits);
    if (bmi.empty() || (cbBits && bits.empty())) return 0;
    std::vector<uint8_t> dib(bmi.begin(), bmi.end());
    const uint8_t black[4] = {0, 0, 0, 0}, white[4] = {0xFF, 0xFF, 0xFF, 0};
    if (dib.size() >= 44) std::memcpy(dib.data() + 40, black, 4);
    if (dib.size() >= 48) std::memcpy(dib.data() + 44, white, 4);
    dib.insert(dib.end(), bits.begin(), bits.end());
    dc_->PutObject(*table_, ih, dc_->CreatePatternBrush(std::move(dib)));
    return 0;
}

int CEmfParser::HandleCreateDibPatternBrushPt() {
    ANNOUNCE();
    ByteReader r = At(record_, 8);
    uint32_t ih = r.U32(), usage = r.U32();
    uint32_t offBmi = r.U32(), cbBmi = r.U32();
    r.U32();  // offBits: the bits are taken to follow the header
    uint32_t cbBits = r.U32();
    if (!r.Ok() || !dc_ || !table_) return 0;
    uint64_t want = uint64_t(cbBmi) + cbBits;
    if (want > record_.size()) return 0;  // more than the record could hold
    std::vector<uint8_t> block(size_t(want), 0);
    auto available = Slice(record_, offBmi, std::min<uint64_t>(want, offBmi <= record_.size() ? record_.size() - offBmi : 0));
    std::copy(available.begin(), available.end(), block.begin());
    dc_->PutObject(*table_, ih, dc_->CreateDibPatternBrush(std::move(block), usage));
    return 0;
}

// ---- bitmap records --------------------------------------------------------------------

namespace {

struct BitmapFields {
    std::span<const uint8_t> bmi, bits;
    bool present = false;
    bool valid = true;
};

BitmapFields BitmapAt(std::span<const uint8_t> rec, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits) {
    BitmapFields f;
    f.present = offBmi != 0 && offBits != 0;
    if (!f.present) return f;
    f.bmi = Slice(rec, offBmi, cbBmi);
    f.bits = Slice(rec, offBits, cbBits);
    f.valid = !f.bmi.empty() && (cbBits == 0 || !f.bits.empty());
    return f;
}

}  // namespace

int CEmfParser::HandleBitBlt() { return Blt(EMR_BITBLT); }
int CEmfParser::HandleStretchBlt() { return Blt(EMR_STRETCHBLT); }
int CEmfParser::HandleMaskBlt() { return Blt(EMR_MASKBLT); }
int CEmfParser::HandlePlgBlt() { return Blt(EMR_PLGBLT); }
int CEmfParser::HandleSetDiBitsToDevice() { return Blt(EMR_SETDIBITSTODEVICE); }
int CEmfParser::HandleStretchDiBits() { return Blt(EMR_STRETCHDIBITS); }
int CEmfParser::HandleAlphaBlend() { return Blt(EMR_ALPHABLEND); }
int CEmfParser::HandleTransparentBlt() { return Blt(EMR_TRANSPARENTBLT); }

int CEmfParser::Blt(uint32_t type) {
    ANNOUNCE();
    auto rect = [](int32_t x, int32_t y, int32_t w, int32_t h) {
        return RECTL{x, y, int32_t(int64_t(x) + w), int32_t(int64_t(y) + h)};
    };
    ByteReader r = At(record_, 24);
    switch (type) {
        case EMR_BITBLT:
        case EMR_STRETCHBLT:
        case EMR_MASKBLT:
        case EMR_ALPHABLEND:
        case EMR_TRANSPARENTBLT: {
            if (type == EMR_BITBLT || type == EMR_STRETCHBLT) {
                if (record_.data() == pairedImage_) {
                    pairedImage_ = nullptr;
                    return 0;
                }
                if (PlayPaintMaskPair()) return 0;
            }
            int32_t xDest = r.I32(), yDest = r.I32(), cxDest = r.I32(), cyDest = r.I32();
            uint32_t rop = r.U32();
            int32_t xSrc = r.I32(), ySrc = r.I32();
            XFORM xf = ReadXform(r);
            uint32_t bk = r.U32(), usage = r.U32();
            uint32_t offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
            if (!r.Ok()) return 0;
            RECTL dest = rect(xDest, yDest, cxDest, cyDest);
            BitmapFields bm = BitmapAt(record_, offBmi, cbBmi, offBits, cbBits);
            if (type == EMR_MASKBLT) {
                int32_t xMask = r.I32(), yMask = r.I32();
                uint32_t usageMask = r.U32(), offBmiMask = r.U32(), cbBmiMask = r.U32(), offBitsMask = r.U32(),
                         cbBitsMask = r.U32();
                if (!r.Ok()) return 0;
                if (!bm.present) {
                    renderer_->OnPatBlt(dest, rop, &xf);
                    return 0;
                }
                BitmapFields mask = BitmapAt(record_, offBmiMask, cbBmiMask, offBitsMask, cbBitsMask);
                if (!bm.valid || (mask.present && !mask.valid)) return 0;
                RECTL src = rect(xSrc, ySrc, cxDest, cyDest);
                renderer_->OnMaskBlt(dest, src, bm.bits, bm.bmi, usage, rop, &xf, bk, xMask, yMask, mask.bits,
                                     mask.bmi, usageMask);
                return 0;
            }
            int32_t cxSrc = cxDest, cySrc = cyDest;
            if (type != EMR_BITBLT) {
                cxSrc = r.I32();
                cySrc = r.I32();
                if (!r.Ok()) return 0;
            }
            RECTL src = rect(xSrc, ySrc, cxSrc, cySrc);
            if (!bm.present) {
                if (type == EMR_BITBLT || type == EMR_STRETCHBLT) renderer_->OnPatBlt(dest, rop, &xf);
                return 0;
            }
            if (!bm.valid) return 0;
            if (type == EMR_ALPHABLEND)
                renderer_->OnAlphaBlend(dest, src, bm.bits, bm.bmi, usage, rop, &xf, bk);
            else if (type == EMR_TRANSPARENTBLT)
                renderer_->OnTransparentBlt(dest, src, bm.bits, bm.bmi, usage, rop, &xf, bk);
            else
                renderer_->OnStretchBlt(dest, src, bm.bits, bm.bmi, usage, rop, &xf);
            return 0;
        }
        case EMR_PLGBLT: {
            POINTL dest3[3];
            for (POINTL& p : dest3) p = ReadPointL(r);
            int32_t xSrc = r.I32(), ySrc = r.I32(), cxSrc = r.I32(), cySrc = r.I32();
            XFORM xf = ReadXform(r);
            uint32_t bk = r.U32(), usage = r.U32();
            uint32_t offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32();
            int32_t xMask = r.I32(), yMask = r.I32();
            uint32_t usageMask = r.U32(), offBmiMask = r.U32(), cbBmiMask = r.U32(), offBitsMask = r.U32(),
                     cbBitsMask = r.U32();
            if (!r.Ok()) return 0;
            BitmapFields bm = BitmapAt(record_, offBmi, cbBmi, offBits, cbBits);
            BitmapFields mask = BitmapAt(record_, offBmiMask, cbBmiMask, offBitsMask, cbBitsMask);
            if (!bm.present || !bm.valid || (mask.present && !mask.valid)) return 0;
            renderer_->OnPlgBlt(dest3, rect(xSrc, ySrc, cxSrc, cySrc), bm.bits, bm.bmi, usage, &xf, bk, xMask, yMask,
                                mask.bits, mask.bmi, usageMask);
            return 0;
        }
        case EMR_SETDIBITSTODEVICE:
        case EMR_STRETCHDIBITS: {
            if (type == EMR_STRETCHDIBITS) {
                if (record_.data() == pairedImage_) {
                    pairedImage_ = nullptr;
                    return 0;
                }
                if (PlayPaintMaskPair()) return 0;
            }
            int32_t xDest = r.I32(), yDest = r.I32(), xSrc = r.I32(), ySrc = r.I32(), cxSrc = r.I32(), cySrc = r.I32();
            uint32_t offBmi = r.U32(), cbBmi = r.U32(), offBits = r.U32(), cbBits = r.U32(), usage = r.U32();
            uint32_t rop = kSrcCopy;
            int32_t cxDest = cxSrc, cyDest = cySrc;
            if (type == EMR_STRETCHDIBITS) {
                rop = r.U32();
                cxDest = r.I32();
                cyDest = r.I32();
            }  // iStartScan and cScans of the other record are not read
            if (!r.Ok()) return 0;
            RECTL dest = rect(xDest, yDest, cxDest, cyDest), src = rect(xSrc, ySrc, cxSrc, cySrc);
            BitmapFields bm = BitmapAt(record_, offBmi, cbBmi, offBits, cbBits);
            if (!bm.present) {
                renderer_->OnPatBlt(dest, rop, nullptr);
                return 0;
            }
            if (!bm.valid) return 0;
            renderer_->OnStretchBlt(dest, src, bm.bits, bm.bmi, usage, rop, nullptr);
            return 0;
        }
        default: return 0;
    }
}

std::span<const uint8_t> CEmfParser::NextRecord() const {
    // Only a record that lies inside the metafile being played has a neighbour to look at.
    if (emf_.empty() || record_.empty() || record_.data() < emf_.data() ||
        record_.data() + record_.size() > emf_.data() + emf_.size())
        return {};
    const size_t next = size_t(record_.data() - emf_.data()) + record_.size();
    if (next > emf_.size() || emf_.size() - next < 8) return {};
    const uint32_t size = ByteReader(emf_).PeekU32(next + 4);
    if (size < 8 || size % 4 != 0 || size > emf_.size() - next) return {};
    return emf_.subspan(next, size);
}

bool CEmfParser::PlayPaintMaskPair() {
    const std::optional<StretchDibFields> mask = ReadStretchDib(record_);
    if (!mask || (mask->rop != 0x00EE0086 && mask->rop != 0x008800C6)) return false;  // SRCPAINT, SRCAND
    const std::span<const uint8_t> next = NextRecord();
    if (next.empty()) return false;
    const std::optional<StretchDibFields> image = ReadStretchDib(next);
    if (!image) return false;
    const std::optional<MaskPairKind> kind = PairKind(*mask, *image);
    if (!kind) return false;
    DibInfo info;
    if (ReadDibHeader(image->bmi, DibColorUsage::RgbColors, info, kDefaultMaxDibPixels) != DibResult::Ok) return false;
    MonochromeDib monochrome;
    if (!MonochromeMaskFromPaintBitmap(*mask, *kind, info.width, info.height, monochrome)) return false;
    // Foreground SRCCOPY where the mask bit is set, the destination kept elsewhere.
    constexpr uint32_t kCopyWhereMasked = 0xAACC0020;
    const XFORM identity{};
    renderer_->OnMaskBlt(image->dest, image->src, image->bits, image->bmi, image->usage, kCopyWhereMasked, &identity,
                         0, 0, 0, monochrome.bits, monochrome.bmi, 0);
    pairedImage_ = next.data();
    return true;
}

// ---- text records ----------------------------------------------------------------------

void CEmfParser::MeasureAdvances(const char16_t* text, int count, int32_t* advances) {
    std::fill(advances, advances + count, 0);
    if (!dc_ || count <= 0) return;
    GdiHandle current = dc_->GetCurrentObject(GdiObjectKind::Font);
    LOGFONTW lf;
    GdiHandle upright = 0, previous = 0;
    if (dc_->GetObject(current, lf) && lf.lfEscapement != 0) {
        // Measure along the baseline of an unrotated copy.
        lf.lfEscapement = 0;
        lf.lfOrientation = 0;
        upright = dc_->CreateFontIndirect(lf);
        previous = dc_->SelectObject(upright);
    }
    std::vector<int32_t> extents;
    if (!dc_->GetTextExtentExPoint(text, count, extents) || extents.size() != size_t(count)) {
        extents.assign(size_t(count), 0);
        for (int i = 0; i < count; ++i) {
            SIZEL size;
            if (dc_->GetTextExtentPoint(text, i + 1, size)) extents[size_t(i)] = size.cx;
        }
    }
    for (int i = count - 1; i >= 0; --i) advances[i] = extents[size_t(i)] - (i > 0 ? extents[size_t(i) - 1] : 0);
    if (upright) {
        dc_->SelectObject(previous);
        dc_->DeleteObject(upright);
    }
}

void CEmfParser::TextString(size_t at, bool wide, uint32_t graphicsMode, float exScale, float eyScale) {
    ByteReader r = At(record_, at);
    POINTL ref = ReadPointL(r);
    int32_t n = r.I32();
    uint32_t offString = r.U32(), options = r.U32();
    RECTL rcl = ReadRectL(r);
    uint32_t offDx = r.U32();
    if (!r.Ok() || n <= 0) return;

    std::u16string text;
    if (wide) {
        auto bytes = Slice(record_, offString, uint64_t(n) * 2);
        if (bytes.empty()) return;
        text.resize(size_t(n));
        ByteReader t(bytes);
        for (int32_t i = 0; i < n; ++i) text[size_t(i)] = char16_t(t.U16());
    } else {
        auto bytes = Slice(record_, offString, uint64_t(n));
        if (bytes.empty()) return;
        text = WidenAnsi(bytes.data(), bytes.size());
    }

    std::vector<int32_t> advances(size_t(n), 0);
    auto dx = offDx ? Slice(record_, offDx, uint64_t(n) * 4) : std::span<const uint8_t>();
    if (dx.empty()) {
        MeasureAdvances(text.data(), n, advances.data());
    } else {
        ByteReader d(dx);
        for (int32_t i = 0; i < n; ++i) advances[size_t(i)] = d.I32();
        if (advances.back() == 0) MeasureAdvances(text.data() + n - 1, 1, advances.data() + n - 1);
    }
    float xs = graphicsMode == 1 ? exScale : 1.0f, ys = graphicsMode == 1 ? eyScale : 1.0f;
    renderer_->OnExtTextOut(ref.x, ref.y, options, rcl, text.c_str(), n, advances.data(), xs, ys);
}

#define EXTTEXT_HANDLER(Name, Wide)                                        \
    int CEmfParser::Handle##Name() {                                       \
        ANNOUNCE();                                                        \
        ByteReader r = At(record_, 24);                                    \
        uint32_t mode = r.U32();                                           \
        float ex = r.F32(), ey = r.F32();                                  \
        if (r.Ok()) TextString(36, Wide, mode, ex, ey);                    \
        return 0;                                                          \
    }
EXTTEXT_HANDLER(ExtTextOutA, false)
EXTTEXT_HANDLER(ExtTextOutW, true)
#undef EXTTEXT_HANDLER

#define POLYTEXT_HANDLER(Name, Wide)                                           \
    int CEmfParser::Handle##Name() {                                           \
        ANNOUNCE();                                                            \
        ByteReader r = At(record_, 24);                                        \
        uint32_t mode = r.U32();                                               \
        float ex = r.F32(), ey = r.F32();                                      \
        uint32_t strings = r.U32();                                            \
        if (!r.Ok() || strings > (record_.size() - 40) / 40) return 0;         \
        for (uint32_t i = 0; i < strings; ++i) TextString(40 + size_t(i) * 40, Wide, mode, ex, ey); \
        return 0;                                                              \
    }
POLYTEXT_HANDLER(PolyTextOutA, false)
POLYTEXT_HANDLER(PolyTextOutW, true)
#undef POLYTEXT_HANDLER

int CEmfParser::HandleSmallTextOut() {
    ANNOUNCE();
    ByteReader r = At(record_, 8);
    int32_t x = r.I32(), y = r.I32(), n = r.I32();
    uint32_t options = r.U32(), mode = r.U32();
    float ex = r.F32(), ey = r.F32();
    if (!r.Ok() || n <= 0) return 0;
    RECTL rcl;
    std::u16string text;
    if (options == 0x100) {
        auto bytes = Slice(record_, 36, uint64_t(n) * 2);
        if (bytes.empty()) return 0;
        text.resize(size_t(n));
        ByteReader t(bytes);
        for (int32_t i = 0; i < n; ++i) text[size_t(i)] = char16_t(t.U16());
    } else {
        size_t at = 36;
        if (options == 0x204) {
            ByteReader rr = At(record_, 36);
            rcl = ReadRectL(rr);
            if (!rr.Ok()) return 0;
            at = 52;
        } else {
            options &= ~kEtoClipped;
        }
        auto bytes = Slice(record_, at, uint64_t(n));
        if (bytes.empty()) return 0;
        text = WidenAnsi(bytes.data(), bytes.size());
    }
    std::vector<int32_t> advances(size_t(n), 0);
    MeasureAdvances(text.data(), n, advances.data());
    float xs = mode == 1 ? ex : 1.0f, ys = mode == 1 ? ey : 1.0f;
    renderer_->OnExtTextOut(x, y, options, rcl, text.c_str(), n, advances.data(), xs, ys);
    return 0;
}

}  // namespace slidemill

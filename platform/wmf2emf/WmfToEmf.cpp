#include "platform/wmf2emf/WmfToEmf.h"

#include <algorithm>
#include <climits>

#include "metafile/EmfRecordTypes.h"
#include "platform/ReferenceDisplay.h"
#include "platform/wmf2emf/CharsetText.h"
#include "platform/wmf2emf/Dib.h"
#include "platform/wmf2emf/WmfRecordTypes.h"

namespace slidemill {

using namespace wmf;

namespace {

constexpr size_t kWmfHeaderSize = 18;
constexpr size_t kWmfRecordHeaderSize = 6;  // RecordSize (u32, in words) + RecordFunction
constexpr size_t kMaxWmfObjects = 65534;    // the EMF object count is 16 bits
constexpr uint32_t kRgnCopy = 5;
constexpr uint16_t kEtoOpaque = 0x0002;
constexpr uint16_t kEtoClipped = 0x0004;
constexpr uint32_t kGmCompatible = 1;
constexpr uint32_t kDibRgbColors = 0;

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

// Accumulates a bounding rectangle (inclusive) over points.
struct BoundsBuilder {
    bool any = false;
    EmfRectL rc;
    void Add(int32_t x, int32_t y) {
        if (!any) {
            rc = {x, y, x, y};
            any = true;
            return;
        }
        rc.left = std::min(rc.left, x);
        rc.top = std::min(rc.top, y);
        rc.right = std::max(rc.right, x);
        rc.bottom = std::max(rc.bottom, y);
    }
};

EmfRectL Normalized(int32_t l, int32_t t, int32_t r, int32_t b) {
    return {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

void PutRect(ByteWriter& w, const EmfRectL& rc) {
    w.I32(rc.left);
    w.I32(rc.top);
    w.I32(rc.right);
    w.I32(rc.bottom);
}

void PutIdentityXform(ByteWriter& w) {
    w.F32(1.0f);
    w.F32(0.0f);
    w.F32(0.0f);
    w.F32(1.0f);
    w.F32(0.0f);
    w.F32(0.0f);
}

enum class ObjectKind { Free, Pen, Brush, Font, Palette, Region, Other };

struct WmfObject {
    ObjectKind kind = ObjectKind::Free;
    bool inEmf = false;     // an EMF object exists in slot index + 1
    uint8_t charset = 0;    // fonts
    std::vector<uint8_t> rgnData;  // regions: RGNDATA (header + rectangles)
    EmfRectL rgnBounds;
};

// The part of the device-context state the converter itself has to follow: origins for
// the offset records (EMF has none), the palette for palette edits and the font
// character set for text.
struct DcState {
    Point windowOrg;
    Point viewportOrg;
    int32_t palette = -1;  // WMF index of the selected palette
    int32_t font = -1;     // WMF index of the selected font
    uint8_t charset = 0;
};

class Converter {
public:
    Converter(std::span<const uint8_t> wmf, const WmfConversionOptions& options, WmfConversionReport& report)
        : wmf_(wmf), options_(options), report_(report) {}

    bool Run(std::vector<uint8_t>& out);

private:
    // Emission
    void Emit(uint32_t type, const ByteWriter& body);
    void Emit(uint32_t type) { Emit(type, ByteWriter()); }
    void EmitU32(uint32_t type, uint32_t v) {
        ByteWriter b;
        b.U32(v);
        Emit(type, b);
    }
    void EmitPoint(uint32_t type, int32_t x, int32_t y) {
        ByteWriter b;
        b.I32(x);
        b.I32(y);
        Emit(type, b);
    }
    void EmitRect(uint32_t type, const EmfRectL& rc) {
        ByteWriter b;
        PutRect(b, rc);
        Emit(type, b);
    }
    void WriteHeader(ByteWriter& out) const;
    void EmitPrelude();

    // One record; false when it has no translation.
    bool Translate(uint16_t function, ByteReader& p, size_t paramBytes);
    void Skip(uint16_t function);

    // Objects
    int32_t AddObject(ObjectKind kind);
    WmfObject* Object(uint32_t index);
    uint32_t Slot(uint32_t index) const { return index + 1; }
    void NoteSlot(uint32_t index) { maxIndex_ = std::max<int64_t>(maxIndex_, index); }

    bool CreatePen(ByteReader& p);
    bool CreateBrush(ByteReader& p);
    bool CreateFont(ByteReader& p, size_t paramBytes);
    bool CreatePalette(ByteReader& p);
    bool CreateRegion(ByteReader& p);
    bool CreateDibPatternBrush(ByteReader& p, size_t paramBytes);
    bool CreatePatternBrush(ByteReader& p, size_t paramBytes);
    bool SelectObject(ByteReader& p);
    bool DeleteObject(ByteReader& p);
    bool SelectPalette(ByteReader& p);
    bool SetPaletteEntries(ByteReader& p);
    bool ResizePalette(ByteReader& p);
    bool SelectClipRegion(ByteReader& p);
    bool RegionRecord(uint16_t function, ByteReader& p);

    bool Poly(uint32_t emfType, ByteReader& p);
    bool PolyPolygon(ByteReader& p);
    bool TextOut(ByteReader& p);
    bool ExtTextOut(ByteReader& p, size_t paramBytes);
    void EmitText(int32_t x, int32_t y, uint32_t options, const EmfRectL& rect, std::span<const uint8_t> text,
                  const std::vector<int16_t>* dx);
    bool Escape(ByteReader& p);

    bool DibBitBlt(ByteReader& p, size_t paramBytes, bool stretch);
    bool OldBitBlt(ByteReader& p, size_t paramBytes, bool stretch);
    bool StretchDib(ByteReader& p);
    bool SetDibToDev(ByteReader& p);
    bool PatBlt(ByteReader& p);
    void EmitBlt(bool stretch, int32_t xDest, int32_t yDest, int32_t cxDest, int32_t cyDest, uint32_t rop, int32_t xSrc,
                 int32_t ySrc, int32_t cxSrc, int32_t cySrc, const DibParts* dib, uint32_t usage);

    std::span<const uint8_t> wmf_;
    const WmfConversionOptions& options_;
    WmfConversionReport& report_;
    ByteWriter body_;  // every record after the header
    uint32_t records_ = 0;
    int64_t maxIndex_ = -1;
    std::vector<WmfObject> objects_;
    DcState dc_;
    std::vector<DcState> saved_;
    CharsetWidener widener_;
    EmfRectL frame_;
    EmfSizeL viewport_;  // device pixels the picture fills
    uint16_t wmfObjects_ = 0;  // NumberOfObjects of the WMF header
    // Region records repeat their region's data each time, so a small hostile file could
    // ask for an enormous EMF: the output is bounded by a generous multiple of the input.
    size_t outputLimit_ = 0;
    bool overflow_ = false;
};

void Converter::Emit(uint32_t type, const ByteWriter& body) {
    if (overflow_) return;
    if (body_.Size() + body.Size() + 16 > outputLimit_) {
        overflow_ = true;
        return;
    }
    size_t padded = (body.Size() + 3) & ~size_t(3);
    body_.U32(type);
    body_.U32(uint32_t(kEmfRecordHeaderSize + padded));
    body_.Bytes(body.Buffer().data(), body.Size());
    body_.Zeros(padded - body.Size());
    ++records_;
}

void Converter::Skip(uint16_t function) {
    ++report_.recordsSkipped;
    ++report_.skippedByFunction[function];
}

int32_t Converter::AddObject(ObjectKind kind) {
    size_t i = 0;
    while (i < objects_.size() && objects_[i].kind != ObjectKind::Free) ++i;
    if (i == objects_.size()) {
        if (objects_.size() >= kMaxWmfObjects) return -1;
        objects_.emplace_back();
    }
    objects_[i] = WmfObject{};
    objects_[i].kind = kind;
    NoteSlot(uint32_t(i));
    return int32_t(i);
}

WmfObject* Converter::Object(uint32_t index) {
    if (index >= objects_.size() || objects_[index].kind == ObjectKind::Free) return nullptr;
    return &objects_[index];
}

bool IsWmfHeaderImpl(ByteReader r) {
    if (!r.Has(kWmfHeaderSize)) return false;
    uint16_t type = r.U16();
    uint16_t headerSize = r.U16();
    uint16_t version = r.U16();
    return (type == 1 || type == 2) && headerSize == 9 && (version == 0x0100 || version == 0x0300);
}

bool Converter::Run(std::vector<uint8_t>& out) {
    ByteReader r(wmf_);
    if (!IsWmfHeaderImpl(r)) {
        report_.error = "not a Windows metafile (bad header)";
        return false;
    }
    wmfObjects_ = r.PeekU16(10);
    outputLimit_ = wmf_.size() * 32 + (size_t(64) << 20);
    // Frame and the device area the picture fills.
    using namespace refdisplay;
    if (options_.picture && options_.picture->xExt != 0 && options_.picture->yExt != 0) {
        int32_t w = options_.picture->xExt < 0 ? -options_.picture->xExt : options_.picture->xExt;
        int32_t h = options_.picture->yExt < 0 ? -options_.picture->yExt : options_.picture->yExt;
        frame_ = {0, 0, w, h};
        viewport_ = {MulDiv(w, kHorzRes, kHorzSizeMm * 100), MulDiv(h, kVertRes, kVertSizeMm * 100)};
    } else {
        frame_ = {0, 0, kHorzSizeMm * 100, kVertSizeMm * 100};
        viewport_ = {kHorzRes, kVertRes};
    }

    EmitPrelude();

    // The metafile's declared length: what lies beyond it (padding of a container, say)
    // ends the records instead of damaging them.
    const uint64_t declaredEnd = uint64_t(r.PeekU32(6)) * 2;
    size_t pos = kWmfHeaderSize;
    while (pos < wmf_.size()) {
        const size_t remaining = wmf_.size() - pos;
        const bool zeroTail = std::all_of(wmf_.begin() + pos, wmf_.end(), [](uint8_t b) { return b == 0; });
        const bool pastDeclared = declaredEnd >= kWmfHeaderSize && pos >= declaredEnd;
        ByteReader h(wmf_.subspan(pos));
        const uint32_t words = h.U32();
        const uint16_t function = h.U16();
        if (remaining < kWmfRecordHeaderSize || words < 3 || uint64_t(words) * 2 > remaining) {
            if (zeroTail || pastDeclared) break;
            report_.error = remaining < kWmfRecordHeaderSize ? "record header cut short"
                            : words < 3                      ? "record size below 3 words"
                                                             : "record reaches past the end of the data";
            report_.errorOffset = pos;
            return false;
        }
        const size_t size = size_t(words) * 2;
        ++report_.recordsRead;
        if (function == META_EOF) {
            report_.sawEof = true;
            break;
        }
        ByteReader params(wmf_.subspan(pos + kWmfRecordHeaderSize, size - kWmfRecordHeaderSize));
        if (!Translate(function, params, size - kWmfRecordHeaderSize)) Skip(function);
        if (overflow_) {
            report_.error = "converted metafile would be too large";
            report_.errorOffset = pos;
            return false;
        }
        pos += size;
    }

    // EMR_EOF: no palette, offPalEntries 16, SizeLast 20.
    ByteWriter eof;
    eof.U32(0);
    eof.U32(16);
    eof.U32(20);
    Emit(EMR_EOF, eof);

    ByteWriter all;
    WriteHeader(all);
    all.Bytes(body_.Buffer().data(), body_.Size());
    out = all.Take();
    report_.recordsWritten = records_ + 1;
    return true;
}

void Converter::WriteHeader(ByteWriter& out) const {
    using namespace refdisplay;
    EmfHeader h;
    h.size = uint32_t(kEmfHeaderFullSize);
    h.frame = frame_;
    h.bounds = {0, 0, std::max(0, MulDiv(frame_.right, kHorzRes, kHorzSizeMm * 100) - 1),
                std::max(0, MulDiv(frame_.bottom, kVertRes, kVertSizeMm * 100) - 1)};
    h.version = 0x10000;
    h.bytes = uint32_t(kEmfHeaderFullSize + body_.Size());
    h.records = records_ + 1;
    // Room for every object the metafile says it needs, and for every slot it used.
    h.handles = uint16_t(std::min<int64_t>(65535, std::max<int64_t>(maxIndex_ + 2, int64_t(wmfObjects_) + 1)));
    h.device = {kHorzRes, kVertRes};
    h.millimeters = {kHorzSizeMm, kVertSizeMm};
    h.micrometersX = uint32_t(kHorzSizeMm) * 1000;
    h.micrometersY = uint32_t(kVertSizeMm) * 1000;
    WriteEmfHeader(out, h);
}

// The picture is played in MM_ANISOTROPIC with the viewport covering the frame, so the
// metafile's window maps onto the whole picture. A metafile that never sets a window
// extent gets the placeable bounding box as its window, or is left in MM_TEXT.
void Converter::EmitPrelude() {
    bool hasWindowExt = false;
    size_t pos = kWmfHeaderSize;
    while (pos + kWmfRecordHeaderSize <= wmf_.size()) {
        ByteReader h(wmf_.subspan(pos));
        uint32_t words = h.U32();
        uint16_t function = h.U16();
        if (words < 3 || uint64_t(words) * 2 > wmf_.size() - pos || function == META_EOF) break;
        if (function == META_SETWINDOWEXT) {
            hasWindowExt = true;
            break;
        }
        pos += size_t(words) * 2;
    }
    const std::optional<EmfRectL>& box = options_.placeableBounds;
    const bool boxUsable = box && box->right != box->left && box->bottom != box->top;
    if (!hasWindowExt && !boxUsable) return;
    EmitU32(EMR_SETMAPMODE, 8);
    if (!hasWindowExt) {
        EmitPoint(EMR_SETWINDOWORGEX, box->left, box->top);
        EmitPoint(EMR_SETWINDOWEXTEX, box->right - box->left, box->bottom - box->top);
        dc_.windowOrg = {box->left, box->top};
    }
    EmitPoint(EMR_SETVIEWPORTORGEX, 0, 0);
    EmitPoint(EMR_SETVIEWPORTEXTEX, viewport_.cx, viewport_.cy);
}

bool Converter::Translate(uint16_t function, ByteReader& p, size_t paramBytes) {
    // Simple state records: one 16-bit value (some writers add a reserved word).
    auto mode = [&](uint32_t emfType) {
        uint16_t v = p.U16();
        if (!p.Ok()) return false;
        EmitU32(emfType, v);
        return true;
    };
    auto color = [&](uint32_t emfType) {
        uint32_t c = p.U32();
        if (!p.Ok()) return false;
        EmitU32(emfType, c);
        return true;
    };
    // Records whose parameters are y, x (reverse order).
    auto yx = [&](Point& pt) {
        pt.y = p.I16();
        pt.x = p.I16();
        return p.Ok();
    };
    // Rectangles stored bottom, right, top, left.
    auto rect = [&](EmfRectL& rc) {
        rc.bottom = p.I16();
        rc.right = p.I16();
        rc.top = p.I16();
        rc.left = p.I16();
        return p.Ok();
    };

    switch (function) {
        case META_SETBKMODE: return mode(EMR_SETBKMODE);
        case META_SETMAPMODE: return mode(EMR_SETMAPMODE);
        case META_SETROP2: return mode(EMR_SETROP2);
        case META_SETPOLYFILLMODE: return mode(EMR_SETPOLYFILLMODE);
        case META_SETSTRETCHBLTMODE: return mode(EMR_SETSTRETCHBLTMODE);
        case META_SETTEXTALIGN: return mode(EMR_SETTEXTALIGN);
        case META_SETLAYOUT: return mode(EMR_SETLAYOUT);
        case META_SETMAPPERFLAGS: return color(EMR_SETMAPPERFLAGS);
        case META_SETBKCOLOR: return color(EMR_SETBKCOLOR);
        case META_SETTEXTCOLOR: return color(EMR_SETTEXTCOLOR);
        case META_REALIZEPALETTE: Emit(EMR_REALIZEPALETTE); return true;

        case META_SETTEXTJUSTIFICATION: {
            uint16_t breakCount = p.U16();
            uint16_t breakExtra = p.U16();
            if (!p.Ok()) return false;
            ByteWriter b;
            b.I32(int16_t(breakExtra));
            b.I32(int16_t(breakCount));
            Emit(EMR_SETTEXTJUSTIFICATION, b);
            return true;
        }

        case META_SAVEDC:
            saved_.push_back(dc_);
            Emit(EMR_SAVEDC);
            return true;
        case META_RESTOREDC: {
            int16_t n = p.I16();
            if (!p.Ok()) return false;
            // Negative: relative to the top of the stack; positive: an absolute level.
            int64_t level = n < 0 ? int64_t(saved_.size()) + n : int64_t(n) - 1;
            if (n != 0 && level >= 0 && level < int64_t(saved_.size())) {
                dc_ = saved_[size_t(level)];
                saved_.resize(size_t(level));
            }
            EmitU32(EMR_RESTOREDC, uint32_t(int32_t(n)));
            return true;
        }

        case META_SETWINDOWORG: {
            Point pt;
            if (!yx(pt)) return false;
            dc_.windowOrg = pt;
            EmitPoint(EMR_SETWINDOWORGEX, pt.x, pt.y);
            return true;
        }
        case META_SETVIEWPORTORG: {
            Point pt;
            if (!yx(pt)) return false;
            dc_.viewportOrg = pt;
            EmitPoint(EMR_SETVIEWPORTORGEX, pt.x, pt.y);
            return true;
        }
        case META_OFFSETWINDOWORG: {
            Point d;
            if (!yx(d)) return false;
            dc_.windowOrg.x += d.x;
            dc_.windowOrg.y += d.y;
            EmitPoint(EMR_SETWINDOWORGEX, dc_.windowOrg.x, dc_.windowOrg.y);
            return true;
        }
        case META_OFFSETVIEWPORTORG: {
            Point d;
            if (!yx(d)) return false;
            dc_.viewportOrg.x += d.x;
            dc_.viewportOrg.y += d.y;
            EmitPoint(EMR_SETVIEWPORTORGEX, dc_.viewportOrg.x, dc_.viewportOrg.y);
            return true;
        }
        case META_SETWINDOWEXT:
        case META_SETVIEWPORTEXT: {
            Point ext;
            if (!yx(ext)) return false;
            EmitPoint(function == META_SETWINDOWEXT ? EMR_SETWINDOWEXTEX : EMR_SETVIEWPORTEXTEX, ext.x, ext.y);
            return true;
        }
        case META_SCALEWINDOWEXT:
        case META_SCALEVIEWPORTEXT: {
            int16_t yDenom = p.I16(), yNum = p.I16(), xDenom = p.I16(), xNum = p.I16();
            if (!p.Ok()) return false;
            ByteWriter b;
            b.I32(xNum);
            b.I32(xDenom);
            b.I32(yNum);
            b.I32(yDenom);
            Emit(function == META_SCALEWINDOWEXT ? EMR_SCALEWINDOWEXTEX : EMR_SCALEVIEWPORTEXTEX, b);
            return true;
        }

        case META_MOVETO:
        case META_LINETO: {
            Point pt;
            if (!yx(pt)) return false;
            EmitPoint(function == META_MOVETO ? EMR_MOVETOEX : EMR_LINETO, pt.x, pt.y);
            return true;
        }
        case META_EXCLUDECLIPRECT:
        case META_INTERSECTCLIPRECT: {
            EmfRectL rc;
            if (!rect(rc)) return false;
            EmitRect(function == META_EXCLUDECLIPRECT ? EMR_EXCLUDECLIPRECT : EMR_INTERSECTCLIPRECT, rc);
            return true;
        }
        case META_OFFSETCLIPRGN: {
            Point d;
            if (!yx(d)) return false;
            EmitPoint(EMR_OFFSETCLIPRGN, d.x, d.y);
            return true;
        }
        case META_RECTANGLE:
        case META_ELLIPSE: {
            EmfRectL rc;
            if (!rect(rc)) return false;
            EmitRect(function == META_RECTANGLE ? EMR_RECTANGLE : EMR_ELLIPSE, rc);
            return true;
        }
        case META_ROUNDRECT: {
            int16_t height = p.I16(), width = p.I16();
            EmfRectL rc;
            if (!rect(rc)) return false;
            ByteWriter b;
            PutRect(b, rc);
            b.I32(width);
            b.I32(height);
            Emit(EMR_ROUNDRECT, b);
            return true;
        }
        case META_ARC:
        case META_CHORD:
        case META_PIE: {
            Point end, start;
            if (!yx(end) || !yx(start)) return false;
            EmfRectL rc;
            if (!rect(rc)) return false;
            ByteWriter b;
            PutRect(b, rc);
            b.I32(start.x);
            b.I32(start.y);
            b.I32(end.x);
            b.I32(end.y);
            Emit(function == META_ARC ? EMR_ARC : function == META_CHORD ? EMR_CHORD : EMR_PIE, b);
            return true;
        }
        case META_SETPIXEL: {
            uint32_t c = p.U32();
            Point pt;
            if (!yx(pt)) return false;
            ByteWriter b;
            b.I32(pt.x);
            b.I32(pt.y);
            b.U32(c);
            Emit(EMR_SETPIXELV, b);
            return true;
        }
        case META_FLOODFILL:
        case META_EXTFLOODFILL: {
            uint32_t fillMode = function == META_EXTFLOODFILL ? p.U16() : 0;  // FLOODFILLBORDER
            uint32_t c = p.U32();
            Point pt;
            if (!yx(pt)) return false;
            ByteWriter b;
            b.I32(pt.x);
            b.I32(pt.y);
            b.U32(c);
            b.U32(fillMode);
            Emit(EMR_EXTFLOODFILL, b);
            return true;
        }

        case META_POLYLINE: return Poly(EMR_POLYLINE16, p);
        case META_POLYGON: return Poly(EMR_POLYGON16, p);
        case META_POLYPOLYGON: return PolyPolygon(p);

        case META_TEXTOUT: return TextOut(p);
        case META_EXTTEXTOUT: return ExtTextOut(p, paramBytes);
        case META_ESCAPE: return Escape(p);

        case META_CREATEPENINDIRECT: return CreatePen(p);
        case META_CREATEBRUSHINDIRECT: return CreateBrush(p);
        case META_CREATEFONTINDIRECT: return CreateFont(p, paramBytes);
        case META_CREATEPALETTE: return CreatePalette(p);
        case META_CREATEREGION: return CreateRegion(p);
        case META_DIBCREATEPATTERNBRUSH: return CreateDibPatternBrush(p, paramBytes);
        case META_CREATEPATTERNBRUSH: return CreatePatternBrush(p, paramBytes);
        case META_SELECTOBJECT: return SelectObject(p);
        case META_DELETEOBJECT: return DeleteObject(p);
        case META_SELECTPALETTE: return SelectPalette(p);
        case META_SETPALENTRIES: return SetPaletteEntries(p);
        case META_RESIZEPALETTE: return ResizePalette(p);
        case META_SELECTCLIPREGION: return SelectClipRegion(p);
        case META_FILLREGION:
        case META_FRAMEREGION:
        case META_INVERTREGION:
        case META_PAINTREGION: return RegionRecord(function, p);

        case META_DIBBITBLT: return DibBitBlt(p, paramBytes, false);
        case META_DIBSTRETCHBLT: return DibBitBlt(p, paramBytes, true);
        case META_BITBLT: return OldBitBlt(p, paramBytes, false);
        case META_STRETCHBLT: return OldBitBlt(p, paramBytes, true);
        case META_STRETCHDIB: return StretchDib(p);
        case META_SETDIBTODEV: return SetDibToDev(p);
        case META_PATBLT: return PatBlt(p);

        default: return false;  // META_SETRELABS, META_SETTEXTCHAREXTRA, META_ANIMATEPALETTE, unknown
    }
}

// ---- objects ----

bool Converter::CreatePen(ByteReader& p) {
    uint16_t style = p.U16();
    int16_t widthX = p.I16();
    int16_t widthY = p.I16();
    uint32_t color = p.U32();
    if (!p.Ok()) return false;
    int32_t index = AddObject(ObjectKind::Pen);
    if (index < 0) return false;
    ByteWriter b;
    b.U32(Slot(uint32_t(index)));
    b.U32(style);
    b.I32(widthX);
    b.I32(widthY);
    b.U32(color);
    Emit(EMR_CREATEPEN, b);
    objects_[size_t(index)].inEmf = true;
    return true;
}

bool Converter::CreateBrush(ByteReader& p) {
    uint16_t style = p.U16();
    uint32_t color = p.U32();
    uint16_t hatch = p.U16();
    if (!p.Ok()) return false;
    int32_t index = AddObject(ObjectKind::Brush);
    if (index < 0) return false;
    ByteWriter b;
    b.U32(Slot(uint32_t(index)));
    b.U32(style);
    b.U32(color);
    b.U32(hatch);
    Emit(EMR_CREATEBRUSHINDIRECT, b);
    objects_[size_t(index)].inEmf = true;
    return true;
}

bool Converter::CreateFont(ByteReader& p, size_t paramBytes) {
    if (paramBytes < 18) {
        // Still takes its table slot, so that later indexes stay right.
        AddObject(ObjectKind::Other);
        return false;
    }
    int16_t height = p.I16(), width = p.I16(), escapement = p.I16(), orientation = p.I16(), weight = p.I16();
    uint8_t italic = p.U8(), underline = p.U8(), strikeOut = p.U8(), charset = p.U8();
    uint8_t outPrecision = p.U8(), clipPrecision = p.U8(), quality = p.U8(), pitchAndFamily = p.U8();
    std::vector<uint8_t> face;
    while (p.Remaining() && face.size() < 32) {
        uint8_t c = p.U8();
        if (!c) break;
        face.push_back(c);
    }
    if (!p.Ok()) return false;
    int32_t index = AddObject(ObjectKind::Font);
    if (index < 0) return false;
    // The face name and the text of the font are widened with the font's own code page
    // (an East Asian face name is stored in it), or with the one its face name shows
    // when the declared ANSI set cannot be right.
    const uint8_t textCharset = widener_.EffectiveCharset(face, charset);
    objects_[size_t(index)].charset = textCharset;
    WidenedText faceW = widener_.Widen(face, textCharset);
    ByteWriter b;
    b.U32(Slot(uint32_t(index)));
    // LogFontW (92 bytes) ...
    b.I32(height);
    b.I32(width);
    b.I32(escapement);
    b.I32(orientation);
    b.I32(weight);
    b.U8(italic);
    b.U8(underline);
    b.U8(strikeOut);
    b.U8(charset);
    b.U8(outPrecision);
    b.U8(clipPrecision);
    b.U8(quality);
    b.U8(pitchAndFamily);
    for (size_t i = 0; i < 32; ++i) b.U16(i < faceW.text.size() && i < 31 ? uint16_t(faceW.text[i]) : 0);
    // ... extended to a LogFontPanose (FullName, Style, Version, StyleSize, Match,
    // Reserved, VendorId, Culture, Panose, padding), left empty.
    b.Zeros(128 + 64 + 4 * 6 + 10 + 2);
    Emit(EMR_EXTCREATEFONTINDIRECTW, b);
    objects_[size_t(index)].inEmf = true;
    return true;
}

bool Converter::CreatePalette(ByteReader& p) {
    uint16_t start = p.U16();
    uint16_t count = p.U16();
    (void)start;
    if (!p.Ok() || !p.Has(size_t(count) * 4)) {
        AddObject(ObjectKind::Other);
        return false;
    }
    int32_t index = AddObject(ObjectKind::Palette);
    if (index < 0) return false;
    ByteWriter b;
    b.U32(Slot(uint32_t(index)));
    b.U16(0x0300);
    b.U16(count);
    b.Bytes(p.View(size_t(count) * 4));
    Emit(EMR_CREATEPALETTE, b);
    objects_[size_t(index)].inEmf = true;
    return true;
}

// [MS-WMF] 2.2.1.5 Region: a 22-byte header (nextInChain, ObjectType, a 32-bit
// ObjectCount, RegionSize, ScanCount, maxScan, bounding box) and scans of (left, right)
// pairs framed by their count. Some writers store ObjectCount in 16 bits; the layout
// whose scans frame cleanly is taken. Nothing is guessed from a region that frames
// under neither: its slot is taken and the records using it are skipped.
namespace {

bool ParseRegion(std::span<const uint8_t> bytes, size_t headerSize, std::vector<EmfRectL>& rects, EmfRectL& bounds) {
    ByteReader p(bytes);
    if (!p.Seek(headerSize - 12)) return false;
    const int16_t scanCount = p.I16();
    p.I16();  // maxScan
    const int16_t l = p.I16(), t = p.I16(), r = p.I16(), b = p.I16();
    if (!p.Ok() || scanCount < 0) return false;
    rects.clear();
    for (int32_t s = 0; s < scanCount; ++s) {
        const uint16_t count = p.U16();
        const int16_t top = p.I16();
        const int16_t bottom = p.I16();
        if (!p.Ok() || count % 2 || !p.Has(size_t(count) * 2 + 2)) return false;
        for (uint16_t k = 0; k < count / 2; ++k) {
            const int16_t left = p.I16();
            const int16_t right = p.I16();
            rects.push_back({left, top, right, bottom});
        }
        if (p.U16() != count) return false;
    }
    bounds = Normalized(l, t, r, b);
    return true;
}

}  // namespace

bool Converter::CreateRegion(ByteReader& p) {
    std::span<const uint8_t> bytes = p.View(p.Remaining());
    std::vector<EmfRectL> rects;
    EmfRectL bounds;
    const bool ok = ParseRegion(bytes, 22, rects, bounds) || ParseRegion(bytes, 20, rects, bounds);
    int32_t index = AddObject(ok ? ObjectKind::Region : ObjectKind::Other);
    if (index < 0 || !ok) return false;
    WmfObject& o = objects_[size_t(index)];
    o.rgnBounds = bounds;
    ByteWriter rgn;
    rgn.U32(32);  // RgnDataHeader size
    rgn.U32(1);   // RDH_RECTANGLES
    rgn.U32(uint32_t(rects.size()));
    rgn.U32(uint32_t(rects.size() * 16));
    PutRect(rgn, o.rgnBounds);
    for (const EmfRectL& rc : rects) PutRect(rgn, rc);
    o.rgnData = rgn.Take();
    return true;  // translated: the region lives on in the records that use it
}

bool Converter::CreateDibPatternBrush(ByteReader& p, size_t paramBytes) {
    uint16_t style = p.U16();
    uint16_t usage = p.U16();
    if (!p.Ok() || paramBytes < 4) {
        AddObject(ObjectKind::Other);
        return false;
    }
    std::span<const uint8_t> dib = p.View(paramBytes - 4);
    std::optional<DibParts> parts = SplitDib(dib, usage);
    // With BS_PATTERN writers store a Bitmap16 (header and bits) rather than a DIB.
    std::vector<uint8_t> fromBitmap16;
    if (style == 3 && !parts && dib.size() >= 10) {
        ByteReader r(dib);
        if (std::optional<Bitmap16> bmp = ReadBitmap16(r.Sub(0, 10), r.Sub(10, dib.size() - 10))) {
            fromBitmap16 = Bitmap16ToDib(*bmp);
            parts = SplitDib(fromBitmap16, kDibRgbColors);
        }
    }
    int32_t index = AddObject(ObjectKind::Brush);
    if (index < 0) return false;
    if (!parts) return false;  // the slot stays taken, without an EMF object
    if (style == 3) usage = kDibRgbColors;  // BS_PATTERN: the colour table holds colours
    ByteWriter b;
    b.U32(Slot(uint32_t(index)));
    b.U32(usage);
    PutDibFields(b, 32, &*parts);
    PutDibData(b, *parts);
    Emit(EMR_CREATEDIBPATTERNBRUSHPT, b);
    objects_[size_t(index)].inEmf = true;
    return true;
}

// META_CREATEPATTERNBRUSH: a device-dependent Bitmap16 header (14 bytes), 18 reserved
// bytes and the pattern bits. A monochrome pattern becomes a monochrome brush; 16, 24
// and 32-bit patterns a DIB pattern brush; other depths need a device palette.
bool Converter::CreatePatternBrush(ByteReader& p, size_t paramBytes) {
    std::optional<Bitmap16> bmp;
    if (paramBytes >= 32) bmp = ReadBitmap16(p.Sub(0, 10), p.Sub(32, paramBytes - 32));
    int32_t index = AddObject(ObjectKind::Brush);
    if (index < 0) return false;
    if (!bmp) return false;
    std::vector<uint8_t> dib = Bitmap16ToDib(*bmp);
    std::optional<DibParts> parts = SplitDib(dib, kDibRgbColors);
    if (!parts) return false;
    ByteWriter b;
    b.U32(Slot(uint32_t(index)));
    b.U32(kDibRgbColors);
    PutDibFields(b, 32, &*parts);
    PutDibData(b, *parts);
    Emit(bmp->bitsPixel == 1 ? EMR_CREATEMONOBRUSH : EMR_CREATEDIBPATTERNBRUSHPT, b);
    objects_[size_t(index)].inEmf = true;
    return true;
}

bool Converter::SelectObject(ByteReader& p) {
    uint16_t index = p.U16();
    if (!p.Ok()) return false;
    WmfObject* o = Object(index);
    if (!o) return false;
    if (o->kind == ObjectKind::Region) {
        // Selecting a region sets the clipping region.
        ByteWriter b;
        b.U32(uint32_t(o->rgnData.size()));
        b.U32(kRgnCopy);
        b.Bytes(o->rgnData.data(), o->rgnData.size());
        Emit(EMR_EXTSELECTCLIPRGN, b);
        return true;
    }
    if (!o->inEmf) return false;
    if (o->kind == ObjectKind::Font) {
        dc_.font = index;
        dc_.charset = o->charset;
    }
    if (o->kind == ObjectKind::Palette) {
        dc_.palette = index;
        ByteWriter b;
        b.U32(Slot(index));
        Emit(EMR_SELECTPALETTE, b);
        return true;
    }
    EmitU32(EMR_SELECTOBJECT, Slot(index));
    return true;
}

bool Converter::DeleteObject(ByteReader& p) {
    uint16_t index = p.U16();
    if (!p.Ok()) return false;
    WmfObject* o = Object(index);
    if (!o) return false;
    const bool inEmf = o->inEmf;
    *o = WmfObject{};  // the slot is free for the next object
    if (!inEmf) return true;
    EmitU32(EMR_DELETEOBJECT, Slot(index));
    return true;
}

bool Converter::SelectPalette(ByteReader& p) {
    uint16_t index = p.U16();
    if (!p.Ok()) return false;
    WmfObject* o = Object(index);
    if (!o || o->kind != ObjectKind::Palette || !o->inEmf) return false;
    dc_.palette = index;
    EmitU32(EMR_SELECTPALETTE, Slot(index));
    return true;
}

bool Converter::SetPaletteEntries(ByteReader& p) {
    uint16_t start = p.U16();
    uint16_t count = p.U16();
    if (!p.Ok() || !p.Has(size_t(count) * 4) || dc_.palette < 0) return false;
    WmfObject* o = Object(uint32_t(dc_.palette));
    if (!o || o->kind != ObjectKind::Palette) return false;
    ByteWriter b;
    b.U32(Slot(uint32_t(dc_.palette)));
    b.U32(start);
    b.U32(count);
    b.Bytes(p.View(size_t(count) * 4));
    Emit(EMR_SETPALETTEENTRIES, b);
    return true;
}

bool Converter::ResizePalette(ByteReader& p) {
    uint16_t count = p.U16();
    if (!p.Ok() || dc_.palette < 0) return false;
    WmfObject* o = Object(uint32_t(dc_.palette));
    if (!o || o->kind != ObjectKind::Palette) return false;
    ByteWriter b;
    b.U32(Slot(uint32_t(dc_.palette)));
    b.U32(count);
    Emit(EMR_RESIZEPALETTE, b);
    return true;
}

bool Converter::SelectClipRegion(ByteReader& p) {
    uint16_t index = p.U16();
    if (!p.Ok()) return false;
    WmfObject* o = Object(index);
    if (o && o->kind != ObjectKind::Region) return false;  // not a region, or one that did not parse
    ByteWriter b;
    if (o) {
        b.U32(uint32_t(o->rgnData.size()));
        b.U32(kRgnCopy);
        b.Bytes(o->rgnData.data(), o->rgnData.size());
    } else {
        // No region: back to the default clipping.
        b.U32(0);
        b.U32(kRgnCopy);
    }
    Emit(EMR_EXTSELECTCLIPRGN, b);
    return true;
}

bool Converter::RegionRecord(uint16_t function, ByteReader& p) {
    uint16_t region = p.U16();
    uint16_t brush = 0;
    int16_t height = 0, width = 0;
    if (function == META_FILLREGION || function == META_FRAMEREGION) brush = p.U16();
    if (function == META_FRAMEREGION) {
        height = p.I16();
        width = p.I16();
    }
    if (!p.Ok()) return false;
    WmfObject* rgn = Object(region);
    if (!rgn || rgn->kind != ObjectKind::Region) return false;
    if (function == META_FILLREGION || function == META_FRAMEREGION) {
        WmfObject* br = Object(brush);
        if (!br || br->kind != ObjectKind::Brush || !br->inEmf) return false;
    }
    ByteWriter b;
    PutRect(b, rgn->rgnBounds);
    b.U32(uint32_t(rgn->rgnData.size()));
    uint32_t type = EMR_PAINTRGN;
    if (function == META_FILLREGION || function == META_FRAMEREGION) b.U32(Slot(brush));
    if (function == META_FRAMEREGION) {
        b.I32(width);
        b.I32(height);
    }
    switch (function) {
        case META_FILLREGION: type = EMR_FILLRGN; break;
        case META_FRAMEREGION: type = EMR_FRAMERGN; break;
        case META_INVERTREGION: type = EMR_INVERTRGN; break;
        default: type = EMR_PAINTRGN; break;
    }
    b.Bytes(rgn->rgnData.data(), rgn->rgnData.size());
    Emit(type, b);
    return true;
}

// ---- lines and shapes ----

bool Converter::Poly(uint32_t emfType, ByteReader& p) {
    int16_t count = p.I16();
    if (!p.Ok() || count < 0 || !p.Has(size_t(count) * 4)) return false;
    BoundsBuilder bounds;
    ByteWriter pts;
    for (int16_t i = 0; i < count; ++i) {
        int16_t x = p.I16();
        int16_t y = p.I16();
        bounds.Add(x, y);
        pts.I16(x);
        pts.I16(y);
    }
    ByteWriter b;
    PutRect(b, bounds.rc);
    b.U32(uint32_t(count));
    b.Bytes(pts.Buffer().data(), pts.Size());
    Emit(emfType, b);
    return true;
}

bool Converter::PolyPolygon(ByteReader& p) {
    uint16_t polygons = p.U16();
    if (!p.Ok() || !p.Has(size_t(polygons) * 2)) return false;
    std::vector<uint16_t> counts(polygons);
    size_t total = 0;
    for (uint16_t& c : counts) {
        c = p.U16();
        total += c;
    }
    if (!p.Has(total * 4)) return false;
    BoundsBuilder bounds;
    ByteWriter pts;
    for (size_t i = 0; i < total; ++i) {
        int16_t x = p.I16();
        int16_t y = p.I16();
        bounds.Add(x, y);
        pts.I16(x);
        pts.I16(y);
    }
    ByteWriter b;
    PutRect(b, bounds.rc);
    b.U32(polygons);
    b.U32(uint32_t(total));
    for (uint16_t c : counts) b.U32(c);
    b.Bytes(pts.Buffer().data(), pts.Size());
    Emit(EMR_POLYPOLYGON16, b);
    return true;
}

// ---- text ----

void Converter::EmitText(int32_t x, int32_t y, uint32_t options, const EmfRectL& rect, std::span<const uint8_t> text,
                         const std::vector<int16_t>* dx) {
    using namespace refdisplay;
    WidenedText wide = widener_.Widen(text, dc_.charset);
    const uint32_t n = uint32_t(wide.text.size());
    const uint32_t fixed = 76;
    const uint32_t stringBytes = (n * 2 + 3) & ~uint32_t(3);
    ByteWriter b;
    PutRect(b, EmfRectL{});  // Bounds: not used on playback
    b.U32(kGmCompatible);
    b.F32(100.0f * kHorzSizeMm / kHorzRes);
    b.F32(100.0f * kVertSizeMm / kVertRes);
    b.I32(x);
    b.I32(y);
    b.U32(n);
    b.U32(fixed);
    b.U32(options);
    PutRect(b, rect);
    b.U32(dx ? fixed + stringBytes : 0);
    for (char16_t c : wide.text) b.U16(uint16_t(c));
    b.Zeros(stringBytes - n * 2);
    if (dx) {
        // Each character's advance is the sum of its bytes' advances.
        size_t byte = 0;
        for (uint32_t i = 0; i < n; ++i) {
            int32_t advance = 0;
            for (uint32_t k = 0; k < wide.sourceBytes[i] && byte < dx->size(); ++k) advance += (*dx)[byte++];
            b.I32(advance);
        }
    }
    Emit(EMR_EXTTEXTOUTW, b);
}

bool Converter::TextOut(ByteReader& p) {
    int16_t length = p.I16();
    if (!p.Ok() || length < 0) return false;
    const size_t padded = (size_t(length) + 1) & ~size_t(1);
    if (!p.Has(padded + 4)) return false;
    std::span<const uint8_t> text = p.View(size_t(length));
    p.Skip(padded - size_t(length));
    Point pt;
    pt.y = p.I16();
    pt.x = p.I16();
    if (!p.Ok()) return false;
    EmitText(pt.x, pt.y, 0, EmfRectL{}, text, nullptr);
    return true;
}

bool Converter::ExtTextOut(ByteReader& p, size_t paramBytes) {
    (void)paramBytes;
    Point pt;
    pt.y = p.I16();
    pt.x = p.I16();
    int16_t length = p.I16();
    uint16_t options = p.U16();
    if (!p.Ok() || length < 0) return false;
    EmfRectL rc;
    if (options & (kEtoOpaque | kEtoClipped)) {
        rc.left = p.I16();
        rc.top = p.I16();
        rc.right = p.I16();
        rc.bottom = p.I16();
    }
    if (!p.Ok() || !p.Has(size_t(length))) return false;
    std::span<const uint8_t> text = p.View(size_t(length));
    if (length % 2) p.Skip(1);
    // The advances are optional: present when the record has room for them.
    std::vector<int16_t> dx;
    const bool hasDx = p.Ok() && length > 0 && p.Has(size_t(length) * 2);
    if (hasDx) {
        dx.resize(size_t(length));
        for (int16_t& d : dx) d = p.I16();
    }
    EmitText(pt.x, pt.y, options, rc, text, hasDx ? &dx : nullptr);
    return true;
}

bool Converter::Escape(ByteReader& p) {
    uint16_t escape = p.U16();
    uint16_t byteCount = p.U16();
    if (!p.Ok() || escape != MFCOMMENT) return false;
    // A byte count larger than the record keeps what the record holds.
    std::span<const uint8_t> data = p.View(std::min<size_t>(byteCount, p.Remaining()));
    ByteWriter b;
    b.U32(uint32_t(data.size()));
    b.Bytes(data);
    Emit(EMR_COMMENT, b);
    return true;
}

// ---- bitmaps ----

void Converter::EmitBlt(bool stretch, int32_t xDest, int32_t yDest, int32_t cxDest, int32_t cyDest, uint32_t rop,
                        int32_t xSrc, int32_t ySrc, int32_t cxSrc, int32_t cySrc, const DibParts* dib,
                        uint32_t usage) {
    ByteWriter b;
    PutRect(b, Normalized(xDest, yDest, xDest + cxDest - (cxDest > 0 ? 1 : cxDest < 0 ? -1 : 0),
                          yDest + cyDest - (cyDest > 0 ? 1 : cyDest < 0 ? -1 : 0)));
    b.I32(xDest);
    b.I32(yDest);
    b.I32(cxDest);
    b.I32(cyDest);
    b.U32(rop);
    b.I32(xSrc);
    b.I32(ySrc);
    PutIdentityXform(b);
    b.U32(0);  // BkColorSrc
    b.U32(usage);
    PutDibFields(b, stretch ? 108 : 100, dib);
    if (stretch) {
        b.I32(cxSrc);
        b.I32(cySrc);
    }
    if (dib) PutDibData(b, *dib);
    Emit(stretch ? EMR_STRETCHBLT : EMR_BITBLT, b);
}

bool Converter::DibBitBlt(ByteReader& p, size_t paramBytes, bool stretch) {
    // The form without a bitmap has one reserved word more and nothing after it.
    const size_t noBitmapBytes = stretch ? 22 : 18;
    const bool hasBitmap = paramBytes != noBitmapBytes;
    uint32_t rop = p.U32();
    int16_t srcHeight = 0, srcWidth = 0;
    if (stretch) {
        srcHeight = p.I16();
        srcWidth = p.I16();
    }
    int16_t ySrc = p.I16(), xSrc = p.I16();
    if (!hasBitmap) p.I16();
    int16_t height = p.I16(), width = p.I16(), yDest = p.I16(), xDest = p.I16();
    if (!p.Ok()) return false;
    if (!stretch) {
        srcWidth = width;
        srcHeight = height;
    }
    if (!hasBitmap) {
        EmitBlt(stretch, xDest, yDest, width, height, rop, xSrc, ySrc, srcWidth, srcHeight, nullptr, kDibRgbColors);
        return true;
    }
    std::optional<DibParts> dib = SplitDib(p.View(p.Remaining()), kDibRgbColors);
    if (!dib) return false;
    EmitBlt(stretch, xDest, yDest, width, height, rop, xSrc, ySrc, srcWidth, srcHeight, &*dib, kDibRgbColors);
    return true;
}

// META_BITBLT / META_STRETCHBLT carry a device-dependent Bitmap16; it is kept when its
// colours are known without a device palette (monochrome, 16, 24 and 32 bits).
bool Converter::OldBitBlt(ByteReader& p, size_t paramBytes, bool stretch) {
    const size_t noBitmapBytes = stretch ? 22 : 18;
    const bool hasBitmap = paramBytes != noBitmapBytes;
    uint32_t rop = p.U32();
    int16_t srcHeight = 0, srcWidth = 0;
    if (stretch) {
        srcHeight = p.I16();
        srcWidth = p.I16();
    }
    int16_t ySrc = p.I16(), xSrc = p.I16();
    if (!hasBitmap) p.I16();
    int16_t height = p.I16(), width = p.I16(), yDest = p.I16(), xDest = p.I16();
    if (!p.Ok()) return false;
    if (!stretch) {
        srcWidth = width;
        srcHeight = height;
    }
    if (!hasBitmap) {
        EmitBlt(stretch, xDest, yDest, width, height, rop, xSrc, ySrc, srcWidth, srcHeight, nullptr, kDibRgbColors);
        return true;
    }
    const size_t at = p.Offset();
    ByteReader header = p.Sub(at, 10);
    ByteReader bits = p.Size() - at >= 10 ? p.Sub(at + 10, p.Size() - at - 10) : ByteReader(nullptr, 0);
    std::optional<Bitmap16> bmp = ReadBitmap16(header, bits);
    if (!bmp) return false;
    std::vector<uint8_t> dibBytes = Bitmap16ToDib(*bmp);
    std::optional<DibParts> dib = SplitDib(dibBytes, kDibRgbColors);
    if (!dib) return false;
    EmitBlt(stretch, xDest, yDest, width, height, rop, xSrc, ySrc, srcWidth, srcHeight, &*dib, kDibRgbColors);
    return true;
}

bool Converter::StretchDib(ByteReader& p) {
    uint32_t rop = p.U32();
    uint16_t usage = p.U16();
    int16_t srcHeight = p.I16(), srcWidth = p.I16(), ySrc = p.I16(), xSrc = p.I16();
    int16_t destHeight = p.I16(), destWidth = p.I16(), yDest = p.I16(), xDest = p.I16();
    if (!p.Ok()) return false;
    std::optional<DibParts> dib = SplitDib(p.View(p.Remaining()), usage);
    if (!dib) return false;
    ByteWriter b;
    PutRect(b, Normalized(xDest, yDest, xDest + destWidth, yDest + destHeight));
    b.I32(xDest);
    b.I32(yDest);
    b.I32(xSrc);
    b.I32(ySrc);
    b.I32(srcWidth);
    b.I32(srcHeight);
    PutDibFields(b, 80, &*dib);
    b.U32(usage);
    b.U32(rop);
    b.I32(destWidth);
    b.I32(destHeight);
    PutDibData(b, *dib);
    Emit(EMR_STRETCHDIBITS, b);
    return true;
}

bool Converter::SetDibToDev(ByteReader& p) {
    uint16_t usage = p.U16();
    uint16_t scanCount = p.U16();
    uint16_t startScan = p.U16();
    int16_t yDib = p.I16(), xDib = p.I16(), height = p.I16(), width = p.I16(), yDest = p.I16(), xDest = p.I16();
    if (!p.Ok()) return false;
    std::optional<DibParts> dib = SplitDib(p.View(p.Remaining()), usage);
    if (!dib) return false;
    ByteWriter b;
    PutRect(b, Normalized(xDest, yDest, xDest + width, yDest + height));
    b.I32(xDest);
    b.I32(yDest);
    b.I32(xDib);
    b.I32(yDib);
    b.I32(width);
    b.I32(height);
    PutDibFields(b, 76, &*dib);
    b.U32(usage);
    b.U32(startScan);
    b.U32(scanCount);
    PutDibData(b, *dib);
    Emit(EMR_SETDIBITSTODEVICE, b);
    return true;
}

bool Converter::PatBlt(ByteReader& p) {
    uint32_t rop = p.U32();
    int16_t height = p.I16(), width = p.I16(), y = p.I16(), x = p.I16();
    if (!p.Ok()) return false;
    EmitBlt(false, x, y, width, height, rop, 0, 0, 0, 0, nullptr, kDibRgbColors);
    return true;
}

}  // namespace

bool IsWmfHeader(std::span<const uint8_t> bytes) { return IsWmfHeaderImpl(ByteReader(bytes)); }

bool ConvertWmfToEmf(std::span<const uint8_t> wmf, const WmfConversionOptions& options, std::vector<uint8_t>& emf,
                     WmfConversionReport* report) {
    WmfConversionReport local;
    WmfConversionReport& rep = report ? *report : local;
    rep = WmfConversionReport{};
    emf.clear();
    Converter converter(wmf, options, rep);
    if (!converter.Run(emf)) {
        emf.clear();
        return false;
    }
    return true;
}

std::unique_ptr<EnhMetaFile> SetWinMetaFileBits(size_t size, const uint8_t* bits, const MetafilePict* picture,
                                                WmfConversionReport* report,
                                                const std::optional<EmfRectL>& placeableBounds) {
    if (!bits) return nullptr;
    WmfConversionOptions options;
    if (picture) options.picture = *picture;
    options.placeableBounds = placeableBounds;
    std::vector<uint8_t> emf;
    if (!ConvertWmfToEmf(std::span<const uint8_t>(bits, size), options, emf, report)) return nullptr;
    return EnhMetaFile::FromBytes(std::move(emf));
}

}  // namespace slidemill

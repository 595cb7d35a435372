// Graphics state: modes, colours, the current pen and brush built from the objects'
// descriptions, the current position and the save stack.
#include <algorithm>
#include <cmath>

#include "metafile/ByteReader.h"
#include "platform/gdi/PlaybackContext.h"
#include "render/EmfRenderer.h"
#include "render/PdfOrigin.h"

namespace slidemill {

namespace {

uint32_t Argb(COLORREF c, uint8_t alpha = 0xFF) {
    return (uint32_t(alpha) << 24) | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

DashStyle DashOf(uint32_t style, bool& inset, bool& known) {
    inset = false;
    known = true;
    switch (style) {
        case pen::kSolid: return DashStyle::Solid;
        case pen::kDash: return DashStyle::Dash;
        case pen::kDot: return DashStyle::Dot;
        case pen::kDashDot: return DashStyle::DashDot;
        case pen::kDashDotDot: return DashStyle::DashDotDot;
        case pen::kInsideFrame: inset = true; return DashStyle::Solid;
        default: known = false; return DashStyle::Solid;
    }
}

// Bits per pixel of a packed DIB's header (BITMAPCOREHEADER or BITMAPINFOHEADER).
uint16_t DibBitCount(const std::vector<uint8_t>& dib) {
    ByteReader r(dib.data(), dib.size());
    uint32_t headerSize = r.PeekU32(0);
    return headerSize == 12 ? r.PeekU16(10) : r.PeekU16(14);
}

}  // namespace

// ---- plain setters -------------------------------------------------------------------

void CEmfRenderer::OnSetPolyFillMode(int32_t mode) { polyFillMode_ = mode; }
void CEmfRenderer::OnSetStretchBltMode(int32_t mode) { stretchMode_ = mode; }
void CEmfRenderer::OnSetTextAlign(uint32_t flags) { textAlign_ = flags; }
void CEmfRenderer::OnSetROP2(int32_t rop) { rop2_ = rop; }
void CEmfRenderer::OnSetArcDirection(int32_t direction) { arcDirection_ = direction; }
void CEmfRenderer::OnSetMiterLimit(float limit) { miterLimit_ = limit; }
void CEmfRenderer::OnSetColorAdjustment(RecordBytes) {}
void CEmfRenderer::OnSelectPalette(uint32_t) {}

void CEmfRenderer::OnSetBkMode(int32_t mode) {
    bkMode_ = mode;
    RasterBrush* b = brush_.As<RasterBrush>();
    if (b && b->kind == RasterBrush::Kind::Hatch) {
        // A new holder with the same source record, so saved states keep the old brush.
        RasterBrush rebuilt = *b;
        rebuilt.background = Argb(bkColor_, mode == 1 ? 0 : 0xFF);
        CObjectRef* ref = CObjectRef::Create(std::move(rebuilt));
        ref->sourceHandle = brush_.get()->sourceHandle;
        ref->usesTextColors = brush_.get()->usesTextColors;
        brush_ = ObjectRefHandle::Adopt(ref);
    }
}

void CEmfRenderer::ReselectColorBrush() {
    if (brush_ && brush_.get()->usesTextColors) OnSelectBrush(brush_.get()->sourceHandle);
}

void CEmfRenderer::OnSetBkColor(COLORREF color) {
    bkColor_ = MapColor(color);
    ReselectColorBrush();
}

void CEmfRenderer::OnSetTextColor(COLORREF color) {
    textColor_ = MapColor(color);
    if (writer_) writer_->Geometry().textColor = textColor_;
    ReselectColorBrush();
}

void CEmfRenderer::OnMoveTo(const POINTL& point) {
    if (RasterPath* p = path_.As<RasterPath>()) {
        if (p->ended)
            path_.Reset();  // a closed bracket is discarded unused
        else
            p->StartFigure();
    }
    position_ = point;
}

// ---- pens ------------------------------------------------------------------------------

std::optional<RasterPen> CEmfRenderer::BuildPen(const LOGPEN& lp) const {
    if (lp.lopnStyle == pen::kNull) return std::nullopt;
    RasterPen p;
    p.color = Argb(lp.lopnColor);
    p.width = float(lp.lopnWidth.x);
    bool inset, known;
    DashStyle d = DashOf(lp.lopnStyle, inset, known);
    if (known) {
        p.dash = d;
        p.inset = inset;
    }
    return p;
}

std::optional<RasterPen> CEmfRenderer::BuildExtPen(const EXTLOGPEN& ep, GdiHandle handle) const {
    const uint32_t S = ep.elpPenStyle & pen::kStyleMask;
    if (S == pen::kNull) return std::nullopt;
    const bool geometric = (ep.elpPenStyle & pen::kTypeMask) == pen::kGeometric;
    RasterPen p;
    p.color = Argb(ep.elpColor);
    p.width = geometric ? float(ep.elpWidth) : 1.0f;
    bool inset, known;
    DashStyle d = DashOf(S, inset, known);
    if (known) {
        p.dash = d;
        p.inset = inset;
    } else if (S == pen::kUserStyle) {
        p.dash = DashStyle::Custom;
        float w = ep.elpWidth == 0 ? 1.0f : float(ep.elpWidth);
        for (uint32_t e : ep.elpStyleEntry) p.dashes.push_back(float(e) / w);
    } else {
        p.dash = DashStyle::Solid;
    }
    if (!geometric) return p;

    switch (ep.elpPenStyle & pen::kJoinMask) {
        case 0x0000: p.join = LineJoin::Round; break;
        case 0x1000: p.join = LineJoin::Bevel; break;
        case 0x2000: p.join = LineJoin::Miter; break;
        default: p.join = LineJoin::Round; break;
    }
    switch (ep.elpPenStyle & pen::kEndCapMask) {
        case 0x000: p.startCap = p.endCap = p.dashCap = LineCap::Round; break;
        case 0x100: p.startCap = p.endCap = LineCap::Square, p.dashCap = LineCap::Flat; break;
        case 0x200: p.startCap = p.endCap = p.dashCap = LineCap::Flat; break;
        default: p.startCap = p.endCap = p.dashCap = LineCap::Round; break;
    }
    if (ep.elpBrushStyle == brush::kNull || (ep.elpBrushStyle == brush::kSolid && S == pen::kSolid)) return p;
    bool unused = false;
    LOGBRUSH lb{ep.elpBrushStyle, ep.elpColor, ep.elpHatch};
    p.fill = BuildBrush(lb, handle, unused);
    return p;
}

void CEmfRenderer::OnSelectPen(GdiHandle handle) {
    pen_.Reset();
    LOGPEN lp;
    if (!playback_ || !playback_->GetObject(handle, lp)) return;
    COLORREF colour = MapColor(lp.lopnColor);
    penColor_ = colour;
    penWidth_ = lp.lopnWidth.x;
    if (ToWriter()) {
        writer_->SetPenColor(colour);
        writer_->SetPenWidth(double(penWidth_));
    }
    lp.lopnColor = colour;
    if (auto p = BuildPen(lp)) pen_ = ObjectRefHandle::Adopt(CObjectRef::Create(std::move(*p)));
}

void CEmfRenderer::OnSelectExtPen(GdiHandle handle) {
    pen_.Reset();
    EXTLOGPEN ep;
    if (!playback_ || !playback_->GetObject(handle, ep)) return;
    if (ep.elpBrushStyle == brush::kSolid || ep.elpBrushStyle == brush::kHatched) ep.elpColor = MapColor(ep.elpColor);
    if (auto p = BuildExtPen(ep, handle)) pen_ = ObjectRefHandle::Adopt(CObjectRef::Create(std::move(*p)));
}

// ---- brushes ---------------------------------------------------------------------------

std::optional<RasterBrush> CEmfRenderer::BuildBrush(const LOGBRUSH& lb, GdiHandle handle, bool& usesTextColors) const {
    usesTextColors = false;
    RasterBrush b;
    switch (lb.lbStyle) {
        case brush::kSolid:
            b.kind = RasterBrush::Kind::Solid;
            b.foreground = Argb(lb.lbColor);
            return b;
        case brush::kHatched:
            b.kind = RasterBrush::Kind::Hatch;
            b.hatch = lb.lbHatch <= 5 ? HatchStyle(lb.lbHatch) : HatchStyle::Horizontal;
            b.foreground = Argb(lb.lbColor);
            b.background = Argb(bkColor_, bkMode_ == 1 ? 0 : 0xFF);
            return b;
        case brush::kPattern:
        case brush::kPattern8x8:
        case brush::kDibPattern:
        case brush::kDibPattern8x8:
        case brush::kDibPatternPt: {
            const GdiObject* o = playback_ ? playback_->Object(handle) : nullptr;
            b.kind = RasterBrush::Kind::Texture;
            if (o) b.packedDib = o->packedDib;
            bool mono = DibBitCount(b.packedDib) == 1;
            if (lb.lbStyle == brush::kPattern || lb.lbStyle == brush::kPattern8x8) {
                if (mono) {
                    b.foreground = Argb(textColor_);
                    b.background = Argb(bkColor_);
                    usesTextColors = true;
                }
            } else if (lb.lbStyle != brush::kDibPatternPt) {
                if (mono && monochrome_) {
                    b.foreground = Argb(textColor_);
                    b.background = Argb(bkColor_);
                }
                b.transparentWhite = rop2_ == 9;
            }
            return b;
        }
        default: return std::nullopt;  // hollow and unknown styles: no brush
    }
}

void CEmfRenderer::OnSelectBrush(GdiHandle handle) {
    brush_.Reset();
    LOGBRUSH lb;
    if (!playback_ || !playback_->GetObject(handle, lb)) return;
    if (lb.lbStyle == brush::kSolid) {
        COLORREF colour = MapColor(lb.lbColor);
        lb.lbColor = colour;
        brushColor_ = colour;
        if (ToWriter()) writer_->SetBrushColor(colour);
    }
    bool usesTextColors = false;
    auto b = BuildBrush(lb, handle, usesTextColors);
    if (!b) return;
    if (b->kind == RasterBrush::Kind::Texture && surface_) {
        Matrix inv;
        if (surface_->Transform().Invert(inv)) b->transform = inv;
    }
    CObjectRef* ref = CObjectRef::Create(std::move(*b));
    ref->sourceHandle = handle;
    ref->usesTextColors = usesTextColors;
    brush_ = ObjectRefHandle::Adopt(ref);
}

void CEmfRenderer::OnSetBrushOrg(const POINTL& origin) {
    if (!surface_) return;
    std::vector<PointF> p = InverseTransform({{0, 0}, {float(origin.x), float(origin.y)}});
    surface_->SetRenderingOrigin(RoundToInt32(double(p[1].x) - p[0].x), RoundToInt32(double(p[1].y) - p[0].y));
}

// ---- save stack ------------------------------------------------------------------------

void CEmfRenderer::OnSaveDC() {
    if (ToWriter()) {
        writer_->SaveState();
        ++writerDepth_;
    }
    SavedDCState s;
    s.pen = pen_;
    s.brush = brush_;
    s.font = font_;
    s.path = path_;
    s.position = position_;
    s.surfaceToken = surface_ ? surface_->Save() : 0;
    s.mapMode = mapMode_;
    s.bkMode = bkMode_;
    s.polyFillMode = polyFillMode_;
    s.stretchMode = stretchMode_;
    s.textAlign = textAlign_;
    s.rop2 = rop2_;
    s.bkColor = bkColor_;
    s.textColor = textColor_;
    s.arcDirection = arcDirection_;
    s.miterLimit = miterLimit_;
    s.windowExt = windowExt_;
    s.viewportExt = viewportExt_;
    s.windowOrg = windowOrg_;
    s.viewportOrg = viewportOrg_;
    s.clipBounds = clipBounds_;
    s.penColor = penColor_;
    s.penWidth = penWidth_;
    s.brushColor = brushColor_;
    saveStack_.push_back(std::move(s));
}

// The writer fills and strokes with the colours it was last given, whatever the page
// state: a restored pen or brush gets its colours sent again, or the shapes after the
// restore take the colours of objects selected (and often deleted) after the save.
// LibreOffice's slide pictures fill most shapes with a brush that only a RestoreDC brings back.
void CEmfRenderer::RestoreWriterColours(const SavedDCState& s) {
    const bool pen = s.penColor != penColor_ || s.penWidth != penWidth_;
    const bool brush = s.brushColor != brushColor_;
    penColor_ = s.penColor;
    penWidth_ = s.penWidth;
    brushColor_ = s.brushColor;
    if (!ToWriter()) return;
    if (pen) {
        writer_->SetPenColor(penColor_);
        writer_->SetPenWidth(double(penWidth_));
    }
    if (brush) writer_->SetBrushColor(brushColor_);
}

void CEmfRenderer::OnRestoreDC(int32_t index) {
    if (ToWriter()) {
        writer_->RestoreState();
        --writerDepth_;
    }
    int64_t i = index;
    if (i < 0) i += int64_t(saveStack_.size());
    if (i < 0 || i >= int64_t(saveStack_.size())) return;
    SavedDCState& s = saveStack_[size_t(i)];
    if (surface_ && s.surfaceToken) surface_->Restore(s.surfaceToken);
    position_ = s.position;
    mapMode_ = s.mapMode;
    bkMode_ = s.bkMode;
    polyFillMode_ = s.polyFillMode;
    stretchMode_ = s.stretchMode;
    textAlign_ = s.textAlign;
    rop2_ = s.rop2;
    bkColor_ = s.bkColor;
    textColor_ = s.textColor;
    arcDirection_ = s.arcDirection;
    miterLimit_ = s.miterLimit;
    windowExt_ = s.windowExt;
    viewportExt_ = s.viewportExt;
    windowOrg_ = s.windowOrg;
    viewportOrg_ = s.viewportOrg;
    if (ToWriter()) AlignPlayOffsetToWindowOrigin(writer_->Geometry(), pdfScale_, windowOrg_);
    clipBounds_ = s.clipBounds;
    pen_ = s.pen;
    brush_ = s.brush;
    font_ = s.font;
    path_ = s.path;
    RestoreWriterColours(s);
    saveStack_.erase(saveStack_.begin() + i, saveStack_.end());
}

}  // namespace slidemill

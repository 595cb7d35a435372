// The renderer's frame: life cycle, record tracking with the clipped-polyline bracket,
// the start of playback, the bitmap records (handed to the bitmap-record code), font
// selection and the text operation (its drawing is in RendererText.cpp).
#include "render/EmfRenderer.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/PlaybackContext.h"
#include "render/SharedFontCollection.h"
#include "render/images/BitmapRecords.h"
#include "render/text/FontSelection.h"

namespace slidemill {

namespace {
constexpr int32_t kIntersectClipRectRecord = 30;
constexpr int32_t kPolyline16Record = 87;
}  // namespace

CEmfRenderer::CEmfRenderer() { fontCollection_ = AcquireSharedFontCollection(); }

CEmfRenderer::~CEmfRenderer() {
    surface_.reset();
    saveStack_.clear();
    pen_.Reset();
    brush_.Reset();
    font_.Reset();
    path_.Reset();
    ReleaseSharedFontCollection();
}

void CEmfRenderer::Link(IPageWriter* writer, bool pdfMode, double pdfScale) {
    writer_ = writer;
    pdfMode_ = pdfMode;
    pdfScale_ = pdfScale;
    textCursor_ = TextRunCursor{};
    linkRuns_ = LinkRunState{};
}

double CEmfRenderer::MapX(double x) const { return (writer_->Geometry().offX + x) * pdfScale_; }
double CEmfRenderer::MapY(double y) const { return (writer_->Geometry().offY + y) * pdfScale_; }

void CEmfRenderer::OnRecord(int32_t type) {
    if (type == curType_) return;
    prevType_ = curType_;
    curType_ = type;
    if (prevType_ == kIntersectClipRectRecord && curType_ == kPolyline16Record) {
        if (!ToWriter()) return;
        const double s = pdfScale_;
        const double H = writer_->Geometry().pageHeight;
        const RECTL& r = lastIntersect_;
        // Through the play offset, which carries the window origin, like the lines it clips.
        double x = MapX(r.left);
        double y = H - MapY(r.top) - (double(r.bottom) - r.top) * s;
        double w = (double(r.right) - r.left) * s;
        double h = (double(r.bottom) - r.top) * s;
        writer_->SaveState();
        ++writerDepth_;
        writer_->SetClipRect(x, y, w, h);
        clipBracket_ = true;
    } else if (clipBracket_) {
        clipBracket_ = false;
        if (ToWriter()) {
            writer_->RestoreState();
            --writerDepth_;
        }
    }
}

void CEmfRenderer::CloseOpenStates() {
    clipBracket_ = false;
    if (!ToWriter()) return;
    for (; writerDepth_ > 0; --writerDepth_) writer_->RestoreState();
}

int CEmfRenderer::OnBegin(PlaybackContext* target, PlaybackContext* playback) {
    playback_ = playback;
    if (!target) return 0;
    if (target != playback && playback) {
        // Another target: the playback context's world transform applies before the
        // target's own; the result becomes the extra transform of the raster mapping.
        XFORM t = target->Current().world, p = playback->Current().world;
        extra_ = Matrix::Then(Matrix::From(p), Matrix::From(t));
    }

    // Clip bounds: the meta region's box, or else the clip box, in logical units.
    RECTL box = target->GetClipBox();
    RECTL n{std::min(box.left, box.right), std::min(box.top, box.bottom), std::max(box.left, box.right),
            std::max(box.top, box.bottom)};
    if (n.left == n.right || n.top == n.bottom) n = {-32767, -32767, 32767, 32767};
    clipBounds_ = n;

    surface_.reset();
    if (!AttachSurface(target)) return 0;

    // The bounds' corners through the surface's current transform.
    PointF a = surface_->Transform().Apply({float(clipBounds_.left), float(clipBounds_.top)});
    PointF b = surface_->Transform().Apply({float(clipBounds_.right), float(clipBounds_.bottom)});
    clipBounds_ = {RoundToInt32(a.x), RoundToInt32(a.y), RoundToInt32(b.x),
                   RoundToInt32(b.y)};

    SnapshotState(playback ? playback : target);
    return surface_ && surface_->Status() == 0 ? 1 : 0;
}

bool CEmfRenderer::AttachSurface(PlaybackContext* context) {
    if (!context) return false;
    surface_ = std::make_unique<CRasterSurface>();
    return true;
}

void CEmfRenderer::OnEnd() {}

COLORREF CEmfRenderer::MapColor(COLORREF color) {
    const uint32_t R = options_.whiteReplacement;
    const bool invert = options_.invertColors != 0;
    uint32_t result;
    if ((options_.colorMode & 0xF) != 0 && (color & 0xFFFFFF) == 0xFFFFFF)
        result = invert ? ~R : R;
    else
        result = invert ? ~color : color;
    return result & 0xFFFFFF;
}

void CEmfRenderer::SnapshotState(PlaybackContext* dc) {
    const PlaybackContext::State& s = dc->Current();
    mapMode_ = s.mapMode;
    bkMode_ = s.bkMode;
    polyFillMode_ = s.polyFillMode;
    stretchMode_ = s.stretchMode;
    textAlign_ = s.textAlign;
    rop2_ = s.rop2;
    bkColor_ = s.bkColor & 0xFFFFFF;
    textColor_ = s.textColor & 0xFFFFFF;
    if (options_.invertColors) textColor_ = ~textColor_ & 0xFFFFFF;
    arcDirection_ = s.arcDirection;
    miterLimit_ = s.miterLimit;
    windowExt_ = s.windowExt;
    viewportExt_ = s.viewportExt;
    windowOrg_ = s.windowOrg;
    viewportOrg_ = s.viewportOrg;
    monochrome_ = dc->SelectedBitmapIsMonochrome();

    ResetClipToBounds(CombineMode::Replace);
    // The raster quality options have no effect on a surface that keeps no pixels.

    const uint32_t R = options_.whiteReplacement;
    if (options_.invertColors) {
        if ((options_.colorMode & 0xF0) != 0 && R != 0xFFFFFF) imageRemap_ = true;
        if (bkColor_ == 0xFFFFFF) bkColor_ = ~R & 0xFFFFFF;
    } else {
        if ((options_.colorMode & 0xF) == 2 && R != 0xFFFFFF) imageRemap_ = true;
        if (bkColor_ == 0xFFFFFF) bkColor_ = R & 0xFFFFFF;
    }

    if (GdiHandle h = dc->GetCurrentObject(GdiObjectKind::Pen)) {
        if (dc->GetObjectType(h) == GdiObjectKind::ExtPen)
            OnSelectExtPen(h);
        else
            OnSelectPen(h);
    }
    if (GdiHandle h = dc->GetCurrentObject(GdiObjectKind::Brush)) OnSelectBrush(h);
    if (GdiHandle h = dc->GetCurrentObject(GdiObjectKind::Font)) OnSelectFont(h);

    if (options_.eraseBackground && surface_) {
        std::vector<PointF> c = InverseTransform(
            {{float(clipBounds_.left), float(clipBounds_.top)}, {float(clipBounds_.right), float(clipBounds_.bottom)}});
        RasterBrush bg;
        bg.foreground = 0xFF000000 | ((bkColor_ & 0xFF) << 16) | (bkColor_ & 0xFF00) | ((bkColor_ >> 16) & 0xFF);
        surface_->FillRectangle(bg, {c[0].x - 1, c[0].y - 1, c[1].x - c[0].x + 2, c[1].y - c[0].y + 2});
    }
}

const LOGFONTW* CEmfRenderer::CurrentFont() const {
    const RasterFont* f = font_.As<RasterFont>();
    return f ? &f->font : nullptr;
}

// ---- text: the PDF text drawing lives in RendererText.cpp ------------------------------

void CEmfRenderer::OnSelectFont(GdiHandle handle) {
    font_.Reset();
    if (!playback_) return;
    LOGFONTW lf;
    if (!playback_->GetObject(handle, lf)) return;
    faceName_ = FaceNameUtf8(lf);
    fontHeight_ = lf.lfHeight;
    font_ = ObjectRefHandle::Adopt(CObjectRef::Create(RasterFont{lf}));
    if (ToWriter()) {
        SelectWriterFont(*writer_, FaceNameForWriter(lf.lfFaceName.data(), static_cast<int>(lf.lfFaceName.size())),
                         lf.lfWeight, lf.lfItalic);
    }
}

void CEmfRenderer::OnExtTextOut(int32_t x, int32_t y, uint32_t, const RECTL&, const char16_t* text, int32_t count,
                                const int32_t* advances, float, float) {
    if (!ToWriter()) return;
    writer_->SetDrawColor(textColor_);
    PdfTextOut(x, y, text, count, advances);
}

// Bitmap records go to the bitmap-record code, one per record, over this renderer's
// surface queries, its writer (none outside PDF mode), its scale and its colour key.
void CEmfRenderer::OnStretchBlt(const RECTL& dest, const RECTL&, RecordBytes bits, RecordBytes bmi, uint32_t usage,
                                uint32_t rop, const XFORM*) {
    CBitmapRecords(*this, ToWriter() ? writer_ : nullptr, pdfScale_, colorKey_).StretchBlt(dest, bits, bmi, usage, rop);
}

void CEmfRenderer::OnPlgBlt(const POINTL* dest3, const RECTL&, RecordBytes bits, RecordBytes bmi, uint32_t usage,
                            const XFORM*, COLORREF, int32_t xMask, int32_t yMask, RecordBytes maskBits,
                            RecordBytes maskBmi, uint32_t) {
    CBitmapRecords(*this, ToWriter() ? writer_ : nullptr, pdfScale_, colorKey_)
        .PlgBlt(dest3, bits, bmi, usage, xMask, yMask, maskBits, maskBmi);
}

void CEmfRenderer::OnMaskBlt(const RECTL& dest, const RECTL&, RecordBytes bits, RecordBytes bmi, uint32_t usage,
                             uint32_t rop, const XFORM*, COLORREF, int32_t xMask, int32_t yMask, RecordBytes maskBits,
                             RecordBytes maskBmi, uint32_t) {
    CBitmapRecords(*this, ToWriter() ? writer_ : nullptr, pdfScale_, colorKey_)
        .MaskBlt(dest, bits, bmi, usage, rop, xMask, yMask, maskBits, maskBmi);
}

void CEmfRenderer::OnTransparentBlt(const RECTL& dest, const RECTL&, RecordBytes bits, RecordBytes bmi,
                                    uint32_t usage, uint32_t transparent, const XFORM*, COLORREF) {
    CBitmapRecords(*this, ToWriter() ? writer_ : nullptr, pdfScale_, colorKey_)
        .TransparentBlt(dest, bits, bmi, usage, transparent);
}

void CEmfRenderer::OnAlphaBlend(const RECTL& dest, const RECTL&, RecordBytes bits, RecordBytes bmi, uint32_t usage,
                                uint32_t blend, const XFORM*, COLORREF) {
    CBitmapRecords(*this, ToWriter() ? writer_ : nullptr, pdfScale_, colorKey_).AlphaBlend(dest, bits, bmi, usage, blend);
}

void CEmfRenderer::DrawImage(const RasterBrush&, const RectF&) {}

}  // namespace slidemill

// Clipping and regions. The metafile's clip lives on the raster surface; the page sees
// only the clipped-polyline bracket (OnRecord) and the play-area clip (OnSetWindowExt).
#include <algorithm>
#include <cmath>

#include "metafile/ByteReader.h"
#include "platform/gdi/PlaybackContext.h"
#include "render/EmfRenderer.h"

namespace slidemill {

namespace {

constexpr uint32_t kDstInvert = 0x00550009;
constexpr uint32_t kPatPaint = 0x00FB0A09;
constexpr size_t kRegionHeaderSize = 32;

CombineMode ModeOf(int32_t mode) {
    switch (mode) {
        case 1: return CombineMode::Intersect;
        case 2: return CombineMode::Union;
        case 3: return CombineMode::Xor;
        case 4: return CombineMode::Exclude;
        default: return CombineMode::Replace;
    }
}

}  // namespace

std::vector<PointF> CEmfRenderer::InverseTransform(const std::vector<PointF>& pts) const {
    Matrix inv;
    if (!surface_ || !surface_->Transform().Invert(inv)) return pts;
    std::vector<PointF> out;
    out.reserve(pts.size());
    for (const PointF& p : pts) out.push_back(inv.Apply(p));
    return out;
}

void CEmfRenderer::ResetClipToBounds(CombineMode mode) {
    if (!surface_) return;
    std::vector<PointF> c = InverseTransform(
        {{float(clipBounds_.left), float(clipBounds_.top)}, {float(clipBounds_.right), float(clipBounds_.bottom)}});
    surface_->SetClipRect({c[0].x, c[0].y, c[1].x - c[0].x, c[1].y - c[0].y}, mode);
}

// Region data: a 32-byte header (size, type, count, size of the rectangles, bounds)
// and count rectangles in device units. The rectangles are taken through the inverse
// raster transform and limited to the clip bounds; the result is in device space of the
// surface.
bool CEmfRenderer::BuildRegion(RecordBytes data, uint32_t size, ClipRegion& out) const {
    if (!surface_) return false;
    size_t n = std::min<size_t>(size, data.size());
    ByteReader r(data.data(), n);
    if (n < kRegionHeaderSize) return false;
    uint32_t count = r.PeekU32(8);
    count = uint32_t(std::min<size_t>(count, (n - kRegionHeaderSize) / 16));
    std::vector<PointF> corners;
    corners.reserve(size_t(count) * 2);
    for (uint32_t i = 0; i < count; ++i) {
        size_t at = kRegionHeaderSize + size_t(i) * 16;
        corners.push_back({float(int32_t(r.PeekU32(at))), float(int32_t(r.PeekU32(at + 4)))});
        corners.push_back({float(int32_t(r.PeekU32(at + 8))), float(int32_t(r.PeekU32(at + 12)))});
    }
    corners = InverseTransform(corners);
    out = ClipRegion::Empty();
    // Regions of very many rectangles are kept as their bounding box: building them
    // exactly would cost time quadratic in the count.
    constexpr size_t kExactLimit = 256;
    if (count > kExactLimit) {
        float l = corners[0].x, t = corners[0].y, rr = l, bb = t;
        for (const PointF& p : corners) l = std::min(l, p.x), t = std::min(t, p.y), rr = std::max(rr, p.x), bb = std::max(bb, p.y);
        out = ClipRegion::FromRect(surface_->ToDevice({l, t, rr - l, bb - t}));
    } else {
        for (size_t i = 0; i + 1 < corners.size(); i += 2) {
            RectF logical{corners[i].x, corners[i].y, corners[i + 1].x - corners[i].x, corners[i + 1].y - corners[i].y};
            out.Combine(ClipRegion::FromRect(surface_->ToDevice(logical)), CombineMode::Union);
        }
    }
    std::vector<PointF> b = InverseTransform(
        {{float(clipBounds_.left), float(clipBounds_.top)}, {float(clipBounds_.right), float(clipBounds_.bottom)}});
    RectF bounds{b[0].x, b[0].y, b[1].x - b[0].x, b[1].y - b[0].y};
    out.Combine(ClipRegion::FromRect(surface_->ToDevice(bounds)), CombineMode::Intersect);
    return true;
}

void CEmfRenderer::OnIntersectClipRect(const RECTL& rect) {
    if (surface_)
        surface_->SetClipRect({float(rect.left), float(rect.top), float(double(rect.right) - rect.left),
                               float(double(rect.bottom) - rect.top)},
                              CombineMode::Intersect);
    lastIntersect_ = rect;
}

void CEmfRenderer::OnExcludeClipRect(const RECTL& rect) {
    if (!surface_) return;
    surface_->SetClipRect({float(rect.left), float(rect.top), float(double(rect.right) - rect.left),
                           float(double(rect.bottom) - rect.top)},
                          CombineMode::Exclude);
}

void CEmfRenderer::OnOffsetClipRgn(const POINTL& offset) {
    if (surface_) surface_->TranslateClip(float(offset.x), float(offset.y));
}

void CEmfRenderer::OnExtSelectClipRgn(RecordBytes data, uint32_t size, int32_t mode) {
    if (!surface_) return;
    ClipRegion region;
    if (!data.empty() && size != 0 && BuildRegion(data, size, region))
        surface_->SetClipRegion(region, ModeOf(mode));
    else
        ResetClipToBounds(CombineMode::Replace);
}

void CEmfRenderer::OnSetMetaRgn() { ResetClipToBounds(CombineMode::Replace); }

void CEmfRenderer::OnClipPathData(const PointF* points, const uint8_t* types, int32_t count, int32_t mode) {
    if (!surface_ || !points || count <= 0) return;
    (void)types;
    RasterPath path;
    path.winding = polyFillMode_ != 1;
    path.AddLines(std::vector<PointF>(points, points + count));
    surface_->SetClipPath(path, ModeOf(mode));
    if (mode == 5) ResetClipToBounds(CombineMode::Intersect);
}

void CEmfRenderer::OnFillRgn(GdiHandle handle, RecordBytes data, uint32_t size) {
    ClipRegion region;
    if (!BuildRegion(data, size, region)) return;
    LOGBRUSH lb;
    if (!playback_ || !playback_->GetObject(handle, lb)) return;
    bool unused = false;
    if (auto b = BuildBrush(lb, handle, unused)) surface_->FillRegion(*b, region);
}

void CEmfRenderer::OnFrameRgn(GdiHandle handle, int32_t w, int32_t h, RecordBytes data, uint32_t size) {
    ClipRegion region;
    if (!BuildRegion(data, size, region)) return;
    LOGBRUSH lb;
    if (!playback_ || !playback_->GetObject(handle, lb)) return;
    bool unused = false;
    auto b = BuildBrush(lb, handle, unused);
    if (!b || region.IsEmpty()) return;
    // The bounding box back in logical units, and four bands outside it.
    RectF d = region.Bounds();
    std::vector<PointF> c = InverseTransform({{d.x, d.y}, {d.x + d.w, d.y + d.h}});
    float x = c[0].x, y = c[0].y, W = c[1].x - c[0].x, H = c[1].y - c[0].y;
    float fw = float(w), fh = float(h);
    surface_->FillRectangle(*b, {x - fw, y, fw, H});
    surface_->FillRectangle(*b, {x + W, y, fw, H});
    surface_->FillRectangle(*b, {x - fw, y - fh, W + 2 * fw, fh});
    surface_->FillRectangle(*b, {x - fw, y + H, W + 2 * fw, fh});
}

void CEmfRenderer::OnInvertRgn(RecordBytes data, uint32_t size) {
    ClipRegion region;
    if (!BuildRegion(data, size, region)) return;
    ClipRegion kept = surface_->Clip();
    surface_->SetClipRegion(region, CombineMode::Intersect);
    RectF d = region.Bounds();
    std::vector<PointF> c = InverseTransform({{d.x, d.y}, {d.x + d.w, d.y + d.h}});
    RECTL box{RoundToInt32(c[0].x), RoundToInt32(c[0].y), RoundToInt32(c[1].x),
              RoundToInt32(c[1].y)};
    OnPatBlt(box, kDstInvert, nullptr);
    surface_->SetClipRegion(kept, CombineMode::Replace);
}

void CEmfRenderer::OnPaintRgn(RecordBytes data, uint32_t size) {
    ClipRegion region;
    if (!BuildRegion(data, size, region)) return;
    ClipRegion kept = surface_->Clip();
    surface_->SetClipRegion(region, CombineMode::Intersect);
    RectF d = region.Bounds();
    std::vector<PointF> c = InverseTransform({{d.x, d.y}, {d.x + d.w, d.y + d.h}});
    RECTL box{RoundToInt32(c[0].x), RoundToInt32(c[0].y), RoundToInt32(c[1].x),
              RoundToInt32(c[1].y)};
    OnPatBlt(box, kPatPaint, nullptr);
    surface_->SetClipRegion(kept, CombineMode::Replace);
}

}  // namespace slidemill

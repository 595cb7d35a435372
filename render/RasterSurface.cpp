#include "render/RasterSurface.h"

#include <algorithm>
#include <cmath>

namespace slidemill {

namespace {

constexpr float kHuge = 1e15f;
// Hostile clips could split into very many rectangles; past this the region is kept as
// its bounding box (the raster clip never reaches the PDF).
constexpr size_t kMaxRects = 256;
constexpr double kPi = 3.14159265358979323846;

RectF BoundsOf(const std::vector<RectF>& rects) {
    if (rects.empty()) return {};
    float l = rects[0].x, t = rects[0].y, r = l + rects[0].w, b = t + rects[0].h;
    for (const RectF& x : rects) {
        l = std::min(l, x.x), t = std::min(t, x.y);
        r = std::max(r, x.x + x.w), b = std::max(b, x.y + x.h);
    }
    return {l, t, r - l, b - t};
}

// Keeps a working set of rectangles small: past the limit it becomes its bounding box,
// so no sequence of clip operations can take unbounded time or memory.
void Cap(std::vector<RectF>& rects) {
    if (rects.size() > kMaxRects) rects.assign(1, BoundsOf(rects));
}

bool Overlap(const RectF& a, const RectF& b, RectF& out) {
    float l = std::max(a.x, b.x), t = std::max(a.y, b.y);
    float r = std::min(a.x + a.w, b.x + b.w), bo = std::min(a.y + a.h, b.y + b.h);
    if (!(l < r && t < bo)) return false;
    out = {l, t, r - l, bo - t};
    return true;
}

RectF Normalised(RectF r) {
    if (r.w < 0) r.x += r.w, r.w = -r.w;
    if (r.h < 0) r.y += r.h, r.h = -r.h;
    return r;
}

}  // namespace

// --- matrix --------------------------------------------------------------------------

bool Matrix::Invertible() const {
    Matrix m;
    return Invert(m);
}

bool Matrix::Invert(Matrix& out) const {
    double det = double(m11) * m22 - double(m12) * m21;
    if (det == 0 || !std::isfinite(det)) return false;
    Matrix r;
    r.m11 = float(m22 / det);
    r.m12 = float(-m12 / det);
    r.m21 = float(-m21 / det);
    r.m22 = float(m11 / det);
    r.dx = float((double(m21) * dy - double(m22) * dx) / det);
    r.dy = float((double(m12) * dx - double(m11) * dy) / det);
    out = r;
    return true;
}

// --- paths ---------------------------------------------------------------------------

void RasterPath::AddLines(const std::vector<PointF>& pts) {
    if (pts.empty()) return;
    if (newFigure || figures.empty() || figures.back().closed) {
        figures.push_back({});
        newFigure = false;
    }
    auto& f = figures.back().points;
    f.insert(f.end(), pts.begin(), pts.end());
}

void RasterPath::AddPolygon(const std::vector<PointF>& pts) {
    if (pts.empty()) return;
    figures.push_back({pts, true});
    newFigure = true;
}

void RasterPath::AddRectangle(const RectF& r) {
    AddPolygon({{r.x, r.y}, {r.x + r.w, r.y}, {r.x + r.w, r.y + r.h}, {r.x, r.y + r.h}});
}

void RasterPath::AddEllipse(const RectF& box) {
    std::vector<PointF> pts;
    const int n = 64;  // smooth enough for a slide-sized ellipse on the page
    float cx = box.x + box.w / 2, cy = box.y + box.h / 2;
    for (int i = 0; i < n; ++i) {
        double a = 2 * kPi * i / n;
        pts.push_back({float(cx + box.w / 2 * std::cos(a)), float(cy + box.h / 2 * std::sin(a))});
    }
    AddPolygon(pts);
}

void RasterPath::AddArc(const RectF& box, float startDeg, float sweepDeg) {
    if (!std::isfinite(startDeg) || !std::isfinite(sweepDeg)) return;
    sweepDeg = std::clamp(sweepDeg, -3600.0f, 3600.0f);
    int n = std::max(2, int(std::ceil(std::fabs(sweepDeg) / 5.625f)) + 1);
    std::vector<PointF> pts;
    pts.reserve(size_t(n));
    float cx = box.x + box.w / 2, cy = box.y + box.h / 2;
    for (int i = 0; i < n; ++i) {
        double a = (startDeg + sweepDeg * i / (n - 1)) * kPi / 180.0;
        pts.push_back({float(cx + box.w / 2 * std::cos(a)), float(cy + box.h / 2 * std::sin(a))});
    }
    AddLines(pts);
}

void RasterPath::CloseFigure() {
    if (!figures.empty() && !figures.back().points.empty()) figures.back().closed = true;
    newFigure = true;
}

bool RasterPath::Empty() const { return PointCount() == 0; }

size_t RasterPath::PointCount() const {
    size_t n = 0;
    for (const auto& f : figures) n += f.points.size();
    return n;
}

bool RasterPath::Bounds(RectF& out) const {
    bool any = false;
    float l = 0, t = 0, r = 0, b = 0;
    for (const auto& f : figures)
        for (const PointF& p : f.points) {
            if (!any) {
                l = r = p.x, t = b = p.y, any = true;
            } else {
                l = std::min(l, p.x), r = std::max(r, p.x), t = std::min(t, p.y), b = std::max(b, p.y);
            }
        }
    if (any) out = {l, t, r - l, b - t};
    return any;
}

// --- regions -------------------------------------------------------------------------

ClipRegion ClipRegion::Infinite() {
    ClipRegion r;
    r.rects_.push_back({-kHuge, -kHuge, 2 * kHuge, 2 * kHuge});
    r.infinite_ = true;
    return r;
}

ClipRegion ClipRegion::FromRect(const RectF& rect) {
    ClipRegion r;
    RectF n = Normalised(rect);
    if (n.w > 0 && n.h > 0) r.rects_.push_back(n);
    return r;
}

void ClipRegion::Subtract(std::vector<RectF>& from, const RectF& cut) {
    std::vector<RectF> out;
    out.reserve(from.size() + 4);
    for (const RectF& a : from) {
        RectF o;
        if (!Overlap(a, cut, o)) {
            out.push_back(a);
            continue;
        }
        float ar = a.x + a.w, ab = a.y + a.h, orr = o.x + o.w, ob = o.y + o.h;
        if (o.y > a.y) out.push_back({a.x, a.y, a.w, o.y - a.y});        // above
        if (ob < ab) out.push_back({a.x, ob, a.w, ab - ob});              // below
        if (o.x > a.x) out.push_back({a.x, o.y, o.x - a.x, o.h});         // left
        if (orr < ar) out.push_back({orr, o.y, ar - orr, o.h});           // right
    }
    from.swap(out);
}

void ClipRegion::Limit() { Cap(rects_); }

RectF ClipRegion::Bounds() const { return BoundsOf(rects_); }

void ClipRegion::Combine(const ClipRegion& other, CombineMode mode) {
    switch (mode) {
        case CombineMode::Replace: *this = other; return;
        case CombineMode::Intersect: {
            std::vector<RectF> out;
            for (const RectF& a : rects_)
                for (const RectF& b : other.rects_) {
                    RectF o;
                    if (Overlap(a, b, o)) out.push_back(o);
                    Cap(out);
                }
            rects_.swap(out);
            infinite_ = infinite_ && other.infinite_;
            break;
        }
        case CombineMode::Union: {
            std::vector<RectF> add = other.rects_;
            for (const RectF& a : rects_) {
                Subtract(add, a);
                Cap(add);
            }
            rects_.insert(rects_.end(), add.begin(), add.end());
            infinite_ = infinite_ || other.infinite_;
            break;
        }
        case CombineMode::Exclude: {
            for (const RectF& b : other.rects_) {
                Subtract(rects_, b);
                Cap(rects_);
            }
            infinite_ = false;
            break;
        }
        case CombineMode::Complement: {
            std::vector<RectF> out = other.rects_;
            for (const RectF& a : rects_) {
                Subtract(out, a);
                Cap(out);
            }
            rects_.swap(out);
            infinite_ = false;
            break;
        }
        case CombineMode::Xor: {
            std::vector<RectF> a = rects_, b = other.rects_;
            for (const RectF& r : other.rects_) {
                Subtract(a, r);
                Cap(a);
            }
            for (const RectF& r : rects_) {
                Subtract(b, r);
                Cap(b);
            }
            a.insert(a.end(), b.begin(), b.end());
            rects_.swap(a);
            infinite_ = false;
            break;
        }
    }
    Limit();
}

void ClipRegion::Translate(float dx, float dy) {
    if (infinite_) return;
    for (RectF& r : rects_) r.x += dx, r.y += dy;
}

// --- surface -------------------------------------------------------------------------

CRasterSurface::CRasterSurface() : clip_(ClipRegion::Infinite()) {}

void CRasterSurface::MultiplyTransform(const Matrix& m, bool prepend) {
    transform_ = prepend ? Matrix::Then(m, transform_) : Matrix::Then(transform_, m);
}

RectF CRasterSurface::ToDevice(const RectF& logical) const {
    PointF c[4] = {{logical.x, logical.y},
                   {logical.x + logical.w, logical.y},
                   {logical.x, logical.y + logical.h},
                   {logical.x + logical.w, logical.y + logical.h}};
    float l = 0, t = 0, r = 0, b = 0;
    for (int i = 0; i < 4; ++i) {
        PointF p = transform_.Apply(c[i]);
        if (i == 0) {
            l = r = p.x, t = b = p.y;
        } else {
            l = std::min(l, p.x), r = std::max(r, p.x), t = std::min(t, p.y), b = std::max(b, p.y);
        }
    }
    return {l, t, r - l, b - t};
}

void CRasterSurface::SetClipRect(const RectF& logical, CombineMode mode) {
    clip_.Combine(ClipRegion::FromRect(ToDevice(Normalised(logical))), mode);
}

void CRasterSurface::SetClipRegion(const ClipRegion& device, CombineMode mode) { clip_.Combine(device, mode); }

void CRasterSurface::SetClipPath(const RasterPath& logical, CombineMode mode) {
    // A path clip is kept as the path's bounding box.
    RectF b;
    ClipRegion region = logical.Bounds(b) ? ClipRegion::FromRect(ToDevice(b)) : ClipRegion::Empty();
    clip_.Combine(region, mode);
}

void CRasterSurface::TranslateClip(float dx, float dy) {
    PointF o = transform_.Apply({0, 0}), d = transform_.Apply({dx, dy});
    clip_.Translate(d.x - o.x, d.y - o.y);
}

uint32_t CRasterSurface::Save() {
    saved_.push_back({transform_, clip_});
    return uint32_t(saved_.size());
}

void CRasterSurface::Restore(uint32_t token) {
    if (token == 0 || token > saved_.size()) return;
    transform_ = saved_[token - 1].transform;
    clip_ = saved_[token - 1].clip;
    saved_.resize(token - 1);
}

}  // namespace slidemill

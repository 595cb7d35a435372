// Lines, polygons and shapes: what reaches the page writer, with the precision each
// operation hands over, the alternate-mode fill groups, the path bracket, and the
// raster-only shapes with their current-position rules.
#include <algorithm>
#include <cmath>

#include "platform/gdi/PlaybackContext.h"
#include "render/EmfRenderer.h"

namespace slidemill {

namespace {

constexpr double kPi = 3.1415927;
constexpr uint32_t kPatCopy = 0x00F00021;
constexpr uint32_t kBlackness = 0x00000042;
constexpr uint32_t kWhiteness = 0x00FF0062;

// Truncation toward zero into 32 bits (saturating, so hostile coordinates stay defined).
double TruncI(double v) {
    if (!(v == v)) return 0;
    v = std::clamp(v, -2147483648.0, 2147483647.0);
    return double(int32_t(std::trunc(v)));
}

double AsFloat(double v) { return double(float(v)); }

RectF NormalisedBox(const RECTL& b) {
    float l = float(std::min(b.left, b.right)), t = float(std::min(b.top, b.bottom));
    return {l, t, float(std::abs(double(b.right) - b.left)), float(std::abs(double(b.bottom) - b.top))};
}

template <typename Points>
int32_t Clamp(const Points& points, int32_t count) {
    if (count <= 0) return 0;
    return int32_t(std::min<size_t>(size_t(count), points.Capacity()));
}

struct Box {
    double minX, minY, maxX, maxY;
};

bool Overlaps(const Box& a, const Box& b) {
    return a.minX < b.maxX && b.minX < a.maxX && a.minY < b.maxY && b.minY < a.maxY;
}

}  // namespace

// ---- polylines -------------------------------------------------------------------------

template <typename Points>
void CEmfRenderer::Polyline(const Points& points, int32_t count) {
    count = Clamp(points, count);
    if (count == 0) return;
    if (ToWriter()) {
        auto X = [&](int32_t x) { return AsFloat(MapX(x)); };
        auto Y = [&](int32_t y) { return AsFloat(MapY(y)); };
        if (count == 1) {
            POINTL p = points[0];
            writer_->DrawLine(X(position_.x), Y(position_.y), X(p.x), Y(p.y));
        } else {
            POINTL a = points[0];
            for (int32_t i = 0; i + 1 < count; ++i) {
                POINTL b = points[size_t(i) + 1];
                writer_->DrawLine(X(a.x), Y(a.y), X(b.x), Y(b.y));
                a = b;
            }
        }
    }
    position_ = points[size_t(count) - 1];
}

template <typename Points>
void CEmfRenderer::PolylineTo(const Points& points, int32_t count) {
    count = Clamp(points, count);
    if (count == 0) return;
    if (RasterPath* path = path_.As<RasterPath>()) {
        std::vector<PointF> list;
        list.reserve(size_t(count) + 1);
        list.push_back({float(position_.x), float(position_.y)});
        for (int32_t i = 0; i < count; ++i) {
            POINTL p = points[size_t(i)];
            list.push_back({float(p.x), float(p.y)});
        }
        path->AddLines(list);
    } else if (ToWriter()) {
        POINTL a = position_;
        for (int32_t i = 0; i < count; ++i) {
            POINTL b = points[size_t(i)];
            writer_->DrawLine(AsFloat(MapX(a.x)), AsFloat(MapY(a.y)), AsFloat(MapX(b.x)), AsFloat(MapY(b.y)));
            a = b;
        }
    }
    position_ = points[size_t(count) - 1];
    if (playback_) playback_->MoveTo(position_);
}

void CEmfRenderer::OnPolyline(PointsL p, int32_t n) { Polyline(p, n); }
void CEmfRenderer::OnPolyline16(PointsS p, int32_t n) { Polyline(p, n); }
void CEmfRenderer::OnPolylineTo(PointsL p, int32_t n) { PolylineTo(p, n); }
void CEmfRenderer::OnPolylineTo16(PointsS p, int32_t n) { PolylineTo(p, n); }

// ---- curves ----------------------------------------------------------------------------

namespace {

// Cubic Bezier segments from `start` through the control points (three per segment;
// a short tail is ignored), flattened into line points (the start itself included).
template <typename Points>
std::vector<PointF> FlattenBeziers(POINTL start, const Points& points, size_t count) {
    constexpr int kSteps = 16;
    std::vector<PointF> out;
    const size_t segments = count / 3;
    out.reserve(segments * kSteps + 1);
    out.push_back({float(start.x), float(start.y)});
    double x0 = start.x, y0 = start.y;
    for (size_t s = 0; s < segments; ++s) {
        const POINTL c1 = points[s * 3], c2 = points[s * 3 + 1], e = points[s * 3 + 2];
        for (int i = 1; i <= kSteps; ++i) {
            const double t = double(i) / kSteps, u = 1 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            out.push_back({float(a * x0 + b * c1.x + c * c2.x + d * e.x), float(a * y0 + b * c1.y + c * c2.y + d * e.y)});
        }
        x0 = e.x;
        y0 = e.y;
    }
    return out;
}

}  // namespace

// Curves are flattened: into the open path, or onto the page as a pen polyline. The "To"
// forms start at the current position and move it to their last point, as on a device.
#define SLIDEMILL_BEZIER(NAME, POINTS, FROM_POSITION)                                                  \
    void CEmfRenderer::NAME(POINTS points, int32_t count) {                                           \
        count = Clamp(points, count);                                                                 \
        const bool fromPosition = FROM_POSITION;                                                      \
        if (count < (fromPosition ? 3 : 4)) return;                                                   \
        const POINTL start = fromPosition ? position_ : points[0];                                     \
        const size_t skip = fromPosition ? 0 : 1;                                                     \
        struct Tail {                                                                                 \
            const POINTS& p;                                                                          \
            size_t skip;                                                                              \
            POINTL operator[](size_t i) const { return p[i + skip]; }                                 \
        } controls{points, skip};                                                                     \
        const size_t used = (size_t(count) - skip) / 3 * 3;                                           \
        const std::vector<PointF> line = FlattenBeziers(start, controls, used);                       \
        if (RasterPath* path = OpenPath()) {                                                          \
            if (!fromPosition) path->StartFigure();                                                   \
            path->AddLines(line);                                                                     \
        } else if (ToWriter() && HasPen()) {                                                          \
            std::vector<double> xs, ys;                                                               \
            for (const PointF& q : line) {                                                            \
                xs.push_back(MapX(q.x));                                                              \
                ys.push_back(MapY(q.y));                                                              \
            }                                                                                         \
            writer_->DrawPolyline(xs.data(), ys.data(), int(xs.size()));                             \
        }                                                                                             \
        if (fromPosition) {                                                                           \
            position_ = controls[used - 1];                                                           \
            if (playback_) playback_->MoveTo(position_);                                              \
        }                                                                                             \
    }

SLIDEMILL_BEZIER(OnPolyBezier, PointsL, false)
SLIDEMILL_BEZIER(OnPolyBezierTo, PointsL, true)
SLIDEMILL_BEZIER(OnPolyBezier16, PointsS, false)
SLIDEMILL_BEZIER(OnPolyBezierTo16, PointsS, true)
#undef SLIDEMILL_BEZIER

// ---- polygons --------------------------------------------------------------------------

template <typename Points>
void CEmfRenderer::Polygon(const Points& points, int32_t count) {
    count = Clamp(points, count);
    if (count == 0) return;
    if (ToWriter()) {
        std::vector<double> xs, ys;
        xs.reserve(size_t(count) + 1);
        ys.reserve(size_t(count) + 1);
        for (int32_t i = 0; i < count; ++i) {
            POINTL p = points[size_t(i)];
            xs.push_back(MapX(p.x));
            ys.push_back(MapY(p.y));
        }
        POINTL first = points[0], last = points[size_t(count) - 1];
        if (!(first == last)) {
            xs.push_back(xs[0]);
            ys.push_back(ys[0]);
        }
        const int n = int(xs.size());
        if (HasPen()) writer_->DrawPolyline(xs.data(), ys.data(), n);
        if (HasBrush()) writer_->FillPolygon(xs.data(), ys.data(), n);
    }
    position_ = points[size_t(count) - 1];
}

void CEmfRenderer::OnPolygon(PointsL p, int32_t n) { Polygon(p, n); }
void CEmfRenderer::OnPolygon16(PointsS p, int32_t n) { Polygon(p, n); }

template <typename Points>
void CEmfRenderer::PolyPoly(const Points& points, int32_t total, U32Array counts, int32_t polys, bool polygons) {
    if (polys <= 0 || total <= 0) return;
    // Only the polygons whose points all lie inside the record are used.
    const size_t available = std::min<size_t>(size_t(total), points.Capacity());
    size_t n = 0, used = 0;
    for (; n < size_t(polys) && n < counts.Capacity(); ++n) {
        uint32_t c = counts[n];
        if (c > available - used) break;
        used += c;
    }
    if (n == 0) return;

    if (RasterPath* path = path_.As<RasterPath>()) {
        size_t at = 0;
        for (size_t i = 0; i < n; ++i) {
            std::vector<PointF> pts;
            for (uint32_t j = 0; j < counts[i]; ++j) {
                POINTL p = points[at + j];
                pts.push_back({float(p.x), float(p.y)});
            }
            at += counts[i];
            if (polygons)
                path->AddPolygon(pts);
            else {
                path->StartFigure();
                path->AddLines(pts);
            }
        }
    } else if (ToWriter()) {
        auto X = [&](int32_t x) { return TruncI(MapX(x)); };
        auto Y = [&](int32_t y) { return TruncI(MapY(y)); };
        if (polygons && HasBrush()) {
            if (polyFillMode_ == 2) {
                size_t at = 0;
                for (size_t i = 0; i < n; ++i) {
                    std::vector<double> xs, ys;
                    for (uint32_t j = 0; j < counts[i]; ++j) {
                        POINTL p = points[at + j];
                        xs.push_back(X(p.x));
                        ys.push_back(Y(p.y));
                    }
                    at += counts[i];
                    writer_->FillPolygon(xs.data(), ys.data(), int(xs.size()));
                }
            } else {
                // Alternate mode: overlapping polygons are joined into one polygon per
                // group, bridged back to the group's first point after each member.
                std::vector<double> xs, ys;
                xs.reserve(used + 2 * n);
                ys.reserve(used + 2 * n);
                std::vector<size_t> start(n), closed(n);
                std::vector<Box> box(n);
                size_t at = 0;
                for (size_t i = 0; i < n; ++i) {
                    start[i] = xs.size();
                    uint32_t c = counts[i];
                    Box b{0, 0, 0, 0};
                    for (uint32_t j = 0; j < c; ++j) {
                        POINTL p = points[at + j];
                        double x = X(p.x), y = Y(p.y);
                        if (j == 0)
                            b = {x, y, x, y};
                        else
                            b = {std::min(b.minX, x), std::min(b.minY, y), std::max(b.maxX, x), std::max(b.maxY, y)};
                        xs.push_back(x);
                        ys.push_back(y);
                    }
                    if (c > 0) {
                        POINTL f = points[at], l = points[at + c - 1];
                        if (!(f == l)) {
                            xs.push_back(xs[start[i]]);
                            ys.push_back(ys[start[i]]);
                        }
                    }
                    closed[i] = xs.size() - start[i];
                    box[i] = b;
                    xs.push_back(0);  // the slot after the polygon
                    ys.push_back(0);
                    at += c;
                }
                size_t i = 0;
                while (i < n) {
                    const size_t h = i;
                    const size_t first = start[h];
                    const double fx = closed[h] ? xs[first] : 0, fy = closed[h] ? ys[first] : 0;
                    size_t groupCount = closed[h];
                    xs[first + closed[h]] = fx;
                    ys[first + closed[h]] = fy;
                    i = h + 1;
                    while (i < n) {
                        size_t k = i;
                        while (k < n && !Overlaps(box[i], box[k])) ++k;
                        if (k == n) break;
                        for (size_t j = i; j <= k; ++j) {
                            groupCount += 1 + closed[j];
                            xs[start[j] + closed[j]] = fx;
                            ys[start[j] + closed[j]] = fy;
                        }
                        i = k + 1;
                    }
                    writer_->FillPolygon(xs.data() + first, ys.data() + first, int(groupCount));
                }
            }
        }
        if (HasPen()) {
            size_t at = 0;
            for (size_t i = 0; i < n; ++i) {
                std::vector<double> xs, ys;
                for (uint32_t j = 0; j < counts[i]; ++j) {
                    POINTL p = points[at + j];
                    xs.push_back(X(p.x));
                    ys.push_back(Y(p.y));
                }
                at += counts[i];
                writer_->DrawPolyline(xs.data(), ys.data(), int(xs.size()));
            }
        }
    }
    if (used > 0) {
        position_ = points[used - 1];
        if (playback_) playback_->MoveTo(position_);
    }
}

void CEmfRenderer::OnPolyPolygon(PointsL p, int32_t t, U32Array c, int32_t n) { PolyPoly(p, t, c, n, true); }
void CEmfRenderer::OnPolyPolygon16(PointsS p, int32_t t, U32Array c, int32_t n) { PolyPoly(p, t, c, n, true); }
void CEmfRenderer::OnPolyPolyline(PointsL p, int32_t t, U32Array c, int32_t n) { PolyPoly(p, t, c, n, false); }
void CEmfRenderer::OnPolyPolyline16(PointsS p, int32_t t, U32Array c, int32_t n) { PolyPoly(p, t, c, n, false); }

void CEmfRenderer::OnRectangle(const RECTL& box) {
    const double x = std::min(box.left, box.right), y = std::min(box.top, box.bottom);
    const double w = std::abs(double(box.right) - box.left), h = std::abs(double(box.bottom) - box.top);
    if (RasterPath* path = path_.As<RasterPath>()) {
        path->AddRectangle({float(x), float(y), float(w), float(h)});
        return;
    }
    if (!ToWriter()) return;
    if (HasBrush()) {
        double xs[4] = {MapX(x), MapX(x + w), MapX(x + w), MapX(x)};
        double ys[4] = {MapY(y), MapY(y), MapY(y + h), MapY(y + h)};
        writer_->FillPolygon(xs, ys, 4);
    }
    if (HasPen()) {
        double xs[5] = {MapX(x), MapX(x + w), MapX(x + w), MapX(x), MapX(x)};
        double ys[5] = {MapY(y), MapY(y), MapY(y + h), MapY(y + h), MapY(y)};
        writer_->DrawPolyline(xs, ys, 5);
    }
}

void CEmfRenderer::OnPatBlt(const RECTL& dest, uint32_t rop, const XFORM*) {
    const double x = dest.left, y = dest.top;
    const double w = double(dest.right) - dest.left, h = double(dest.bottom) - dest.top;
    if (rop == kPatCopy) {
        if (ToWriter() && HasBrush()) {
            double xs[4] = {MapX(x), MapX(x + w), MapX(x + w), MapX(x)};
            double ys[4] = {MapY(y), MapY(y), MapY(y + h), MapY(y + h)};
            writer_->FillPolygon(xs, ys, 4);
        }
    } else if (rop == kBlackness || rop == kWhiteness) {
        if (surface_) {
            RasterBrush b;
            COLORREF c = MapColor(rop == kBlackness ? 0x000000 : 0xFFFFFF);
            b.foreground = 0xFF000000 | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
            surface_->FillRectangle(b, {float(x), float(y), float(w), float(h)});
        }
    }
}

void CEmfRenderer::OnSetPixel(int32_t x, int32_t y, COLORREF color) {
    if (!surface_) return;
    RasterBrush b;
    COLORREF c = color & 0xFFFFFF;
    b.foreground = 0xFF000000 | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    surface_->FillRectangle(b, {float(x), float(y), 1, 1});
}

// ---- shapes built from arcs -------------------------------------------------------------

RasterPath* CEmfRenderer::OpenPath() { return path_.As<RasterPath>(); }

namespace {

// The figures of a flattened shape as writer polygons and polylines, in page points.
// Each closed figure is filled (when `fill`) and outlined along its closing edge too.
template <typename MapXFn, typename MapYFn>
void FiguresToWriter(IPageWriter& writer, const RasterPath& shape, bool fill, bool outline, MapXFn mapX, MapYFn mapY) {
    for (const RasterPath::Figure& figure : shape.figures) {
        if (figure.points.size() < 2) continue;
        std::vector<double> xs, ys;
        xs.reserve(figure.points.size() + 1);
        ys.reserve(figure.points.size() + 1);
        for (const PointF& p : figure.points) {
            xs.push_back(mapX(double(p.x)));
            ys.push_back(mapY(double(p.y)));
        }
        if (figure.closed) {
            xs.push_back(xs[0]);
            ys.push_back(ys[0]);
        }
        if (fill && figure.closed && xs.size() >= 4) {
            std::vector<double> flipped = ys;  // the writer flips the ys it is given in place
            writer.FillPolygon(xs.data(), flipped.data(), int(xs.size()));
        }
        if (outline) writer.DrawPolyline(xs.data(), ys.data(), int(xs.size()));
    }
}

// A filled and/or stroked path. The fill closes every figure and joins them into one
// polygon, each figure bridged back to the first point, so that figures drawn the other
// way round (the holes of a ring or a letter) stay open; the stroke follows each figure.
template <typename MapXFn, typename MapYFn>
void PathToWriter(IPageWriter& writer, const RasterPath& path, bool fill, bool stroke, MapXFn mapX, MapYFn mapY) {
    if (fill) {
        std::vector<double> xs, ys;
        double fx = 0, fy = 0;
        for (const RasterPath::Figure& figure : path.figures) {
            if (figure.points.size() < 2) continue;
            const bool first = xs.empty();
            const size_t begin = xs.size();
            for (const PointF& p : figure.points) {
                xs.push_back(mapX(double(p.x)));
                ys.push_back(mapY(double(p.y)));
            }
            xs.push_back(xs[begin]);
            ys.push_back(ys[begin]);
            if (first) {
                fx = xs[begin];
                fy = ys[begin];
            } else {
                xs.push_back(fx);
                ys.push_back(fy);
            }
        }
        if (xs.size() >= 4) writer.FillPolygon(xs.data(), ys.data(), int(xs.size()));
    }
    if (stroke) FiguresToWriter(writer, path, false, true, mapX, mapY);
}

}  // namespace

// Ellipses, rounded rectangles, chords and pies reach the page as their flattened
// outlines: a picture drawn with them (common in metafiles not written by LibreOffice)
// would otherwise lose those shapes altogether.
void CEmfRenderer::FillAndOutline(RasterPath& figure) {
    figure.winding = polyFillMode_ == 2;
    if (ToWriter()) {
        FiguresToWriter(*writer_, figure, HasBrush(), HasPen(), [this](double x) { return MapX(x); },
                        [this](double y) { return MapY(y); });
    }
    if (!surface_) return;
    if (const RasterBrush* b = CurrentBrush()) surface_->FillPath(*b, figure);
    if (const RasterPen* p = CurrentPen()) surface_->DrawPath(*p, figure);
}

void CEmfRenderer::OnRoundRect(const RECTL& box, int32_t cw, int32_t ch) {
    RectF r = NormalisedBox(box);
    float w = std::min(std::fabs(float(cw)), r.w), h = std::min(std::fabs(float(ch)), r.h);
    RasterPath figure;
    figure.AddArc({r.x + r.w - w, r.y, w, h}, 270, 90);
    figure.AddArc({r.x + r.w - w, r.y + r.h - h, w, h}, 0, 90);
    figure.AddArc({r.x, r.y + r.h - h, w, h}, 90, 90);
    figure.AddArc({r.x, r.y, w, h}, 180, 90);
    figure.CloseFigure();
    if (RasterPath* path = OpenPath()) {
        path->figures.insert(path->figures.end(), figure.figures.begin(), figure.figures.end());
        path->StartFigure();
        return;
    }
    FillAndOutline(figure);
}

void CEmfRenderer::OnEllipse(const RECTL& box) {
    RasterPath figure;
    figure.AddEllipse(NormalisedBox(box));
    if (RasterPath* path = OpenPath()) {
        path->AddEllipse(NormalisedBox(box));
        return;
    }
    FillAndOutline(figure);
}

void CEmfRenderer::ArcAngles(const RECTL& box, const POINTL& start, const POINTL& end, RectF& rbox, float& a1,
                             float& sweep) const {
    const double cx = double((int64_t(box.left) + box.right) / 2), cy = double((int64_t(box.top) + box.bottom) / 2);
    double start1 = std::atan2(start.y - cy, start.x - cx) * 180 / kPi;
    double s = std::atan2(end.y - cy, end.x - cx) * 180 / kPi - start1;
    if (arcDirection_ == 2 && s <= 0)
        s = -(s + 360);
    else if (s >= 0)
        s = -(360 - s);
    rbox = NormalisedBox(box);
    a1 = float(start1);
    sweep = float(s);
}

void CEmfRenderer::OnArc(const RECTL& box, const POINTL& start, const POINTL& end) {
    RectF r;
    float a1, sweep;
    ArcAngles(box, start, end, r, a1, sweep);
    if (RasterPath* path = OpenPath()) {
        path->AddArc(r, a1, sweep);
        return;
    }
    RasterPath figure;
    figure.AddArc(r, a1, sweep);
    if (ToWriter() && HasPen())
        FiguresToWriter(*writer_, figure, false, true, [this](double x) { return MapX(x); },
                        [this](double y) { return MapY(y); });
    if (surface_)
        if (const RasterPen* p = CurrentPen()) surface_->DrawPath(*p, figure);
}

void CEmfRenderer::OnArcTo(const RECTL& box, const POINTL& start, const POINTL& end) {
    RectF r;
    float a1, sweep;
    ArcAngles(box, start, end, r, a1, sweep);
    if (RasterPath* path = OpenPath()) {
        path->AddEllipse(r);
        return;
    }
    RasterPath figure;
    figure.AddArc(r, a1, sweep);
    if (surface_)
        if (const RasterPen* p = CurrentPen()) surface_->DrawPath(*p, figure);
}

void CEmfRenderer::OnChord(const RECTL& box, const POINTL& start, const POINTL& end) {
    RectF r;
    float a1, sweep;
    ArcAngles(box, start, end, r, a1, sweep);
    RasterPath figure;
    figure.AddArc(r, a1, sweep);
    // The chord is the straight edge that closes the arc, from its end back to its start.
    figure.CloseFigure();
    if (RasterPath* path = OpenPath()) {
        path->figures.insert(path->figures.end(), figure.figures.begin(), figure.figures.end());
        path->StartFigure();
        return;
    }
    FillAndOutline(figure);
}

void CEmfRenderer::OnPie(const RECTL& box, const POINTL& start, const POINTL& end) {
    RectF r;
    float a1, sweep;
    ArcAngles(box, start, end, r, a1, sweep);
    RasterPath figure;
    figure.AddLines({{r.x + r.w / 2, r.y + r.h / 2}});
    figure.AddArc(r, a1, sweep);
    figure.CloseFigure();
    if (RasterPath* path = OpenPath()) {
        path->figures.insert(path->figures.end(), figure.figures.begin(), figure.figures.end());
        path->StartFigure();
        return;
    }
    FillAndOutline(figure);
}

void CEmfRenderer::OnAngleArc(const POINTL& center, uint32_t radius, float startAngle, float sweepAngle) {
    const double r = double(radius);
    auto pointAt = [&](double deg) {
        double a = -deg * kPi / 180;
        double x = TruncI(center.x + r * std::cos(a)), y = TruncI(center.y + r * std::sin(a));
        return POINTL{int32_t(x), int32_t(y)};
    };
    POINTL begin = pointAt(startAngle);
    RectF box{float(center.x - r), float(center.y - r), float(2 * r), float(2 * r)};
    RasterPath figure;
    figure.AddLines({{float(position_.x), float(position_.y)}, {float(begin.x), float(begin.y)}});
    figure.AddArc(box, -startAngle, -sweepAngle);  // y downward: counter-clockwise is negative
    if (RasterPath* path = OpenPath()) {
        path->AddLines(figure.figures.empty() ? std::vector<PointF>{} : figure.figures.back().points);
    } else if (surface_) {
        if (const RasterPen* p = CurrentPen()) surface_->DrawPath(*p, figure);
    }
    if (std::isfinite(startAngle) && std::isfinite(sweepAngle)) position_ = pointAt(double(startAngle) + sweepAngle);
}

template <typename Points>
void CEmfRenderer::PolyDraw(const Points& points, int32_t count, RecordBytes types) {
    count = Clamp(points, count);
    count = int32_t(std::min<size_t>(size_t(count), types.size()));
    if (count == 0) return;
    RasterPath figure;
    std::vector<PointF> run{{float(position_.x), float(position_.y)}};
    for (int32_t i = 0; i < count; ++i) {
        POINTL p = points[size_t(i)];
        uint8_t t = types[size_t(i)];
        PointF q{float(p.x), float(p.y)};
        if ((t & ~1u) == 6) {  // move-to: a new figure
            if (run.size() > 1) figure.AddLines(run);
            figure.StartFigure();
            run.assign(1, q);
            continue;
        }
        run.push_back(q);  // line-to and curve points alike (curves are flattened to their points)
        if (t & 1) {
            figure.AddLines(run);
            figure.CloseFigure();
            run.assign(1, q);
        }
    }
    if (run.size() > 1) figure.AddLines(run);
    if (RasterPath* path = OpenPath()) {
        path->figures.insert(path->figures.end(), figure.figures.begin(), figure.figures.end());
    } else if (surface_) {
        if (const RasterPen* p = CurrentPen()) surface_->DrawPath(*p, figure);
    }
    position_ = points[size_t(count) - 1];
}

void CEmfRenderer::OnPolyDraw(PointsL p, int32_t n, RecordBytes t) { PolyDraw(p, n, t); }
void CEmfRenderer::OnPolyDraw16(PointsS p, int32_t n, RecordBytes t) { PolyDraw(p, n, t); }

void CEmfRenderer::OnDrawPathData(const PointF* points, const uint8_t* types, int32_t count, uint32_t flags) {
    if (!points || !types || count <= 0 || !surface_) return;
    RasterPath figure;
    std::vector<PointF> run;
    for (int32_t i = 0; i < count; ++i) {
        if ((types[i] & 7) == 0 && !run.empty()) {
            figure.AddLines(run);
            figure.StartFigure();
            run.clear();
        }
        run.push_back(points[i]);
        if (types[i] & 0x80) {
            figure.AddLines(run);
            figure.CloseFigure();
            run.clear();
        }
    }
    if (!run.empty()) figure.AddLines(run);
    if ((flags & 2) && CurrentBrush()) surface_->FillPath(*CurrentBrush(), figure);
    if ((flags & 1) && CurrentPen()) surface_->DrawPath(*CurrentPen(), figure);
}

void CEmfRenderer::OnGradientFill(RecordBytes vertices, uint32_t vertexCount, RecordBytes mesh, uint32_t meshCount,
                                  uint32_t mode) {
    if (OpenPath() || !surface_ || mode > 2) return;
    ByteReader v(vertices), m(mesh);
    const uint64_t vcount = std::min<uint64_t>(vertexCount, vertices.size() / 16);
    const uint32_t per = mode == 2 ? 3 : 2;
    const uint64_t mcount = std::min<uint64_t>(meshCount, mesh.size() / (4 * per));
    auto vx = [&](uint32_t i) { return float(int32_t(v.PeekU32(size_t(i) * 16))); };
    auto vy = [&](uint32_t i) { return float(int32_t(v.PeekU32(size_t(i) * 16 + 4))); };
    for (uint64_t e = 0; e < mcount; ++e) {
        uint32_t idx[3] = {};
        bool ok = true;
        for (uint32_t k = 0; k < per; ++k) {
            idx[k] = m.PeekU32(size_t(e * per + k) * 4);
            ok = ok && idx[k] < vcount;
        }
        if (!ok) continue;
        float l = vx(idx[0]), t = vy(idx[0]), r = l, b = t;
        for (uint32_t k = 1; k < per; ++k) {
            l = std::min(l, vx(idx[k])), r = std::max(r, vx(idx[k]));
            t = std::min(t, vy(idx[k])), b = std::max(b, vy(idx[k]));
        }
        RasterBrush gradient;
        uint32_t red = v.PeekU16(size_t(idx[0]) * 16 + 8) >> 8, green = v.PeekU16(size_t(idx[0]) * 16 + 10) >> 8,
                 blue = v.PeekU16(size_t(idx[0]) * 16 + 12) >> 8;
        gradient.foreground = 0xFF000000 | (red << 16) | (green << 8) | blue;
        surface_->FillRectangle(gradient, {l - 1, t - 1, r - l + 2, b - t + 2});
    }
}

void CEmfRenderer::OnExtFloodFill(const POINTL&, COLORREF, uint32_t) {
    // A flood fill reads pixels back; the surface keeps none, so there is nothing to do.
}

// ---- path bracket ----------------------------------------------------------------------

void CEmfRenderer::OnBeginPath() {
    RasterPath p;
    p.winding = polyFillMode_ != 1;
    path_ = ObjectRefHandle::Adopt(CObjectRef::Create(std::move(p)));
}

void CEmfRenderer::OnCloseFigure() {
    if (RasterPath* p = OpenPath()) p->CloseFigure();
}

void CEmfRenderer::OnEndPath() {
    if (RasterPath* p = OpenPath()) p->ended = true;
}

void CEmfRenderer::OnUsePath(uint32_t flags, int32_t mode) {
    RasterPath* p = OpenPath();
    if (!p) return;
    if (flags == 16) {
        if (surface_) {
            static const CombineMode kModes[] = {CombineMode::Replace, CombineMode::Intersect, CombineMode::Union,
                                                 CombineMode::Xor, CombineMode::Exclude};
            CombineMode m = mode >= 1 && mode <= 4 ? kModes[mode] : CombineMode::Replace;
            surface_->SetClipPath(*p, m);
            if (mode == 5) ResetClipToBounds(CombineMode::Intersect);
        }
    } else {
        if (ToWriter()) PathToWriter(*writer_, *p, (flags & 2) && HasBrush(), (flags & 1) && HasPen(),
                                     [this](double x) { return MapX(x); }, [this](double y) { return MapY(y); });
        if (surface_) {
            if ((flags & 2) && CurrentBrush()) surface_->FillPath(*CurrentBrush(), *p);
            if ((flags & 1) && CurrentPen()) surface_->DrawPath(*CurrentPen(), *p);
        }
    }
    path_.Reset();
}

void CEmfRenderer::OnFlattenPath() {
    // Paths hold straight segments only: already flat.
}

void CEmfRenderer::OnWidenPath() {
    RasterPath* p = OpenPath();
    const RasterPen* pen = CurrentPen();
    if (!p || !pen) return;
    // Widening keeps the outline's extent: grow the figures' box by half the pen width.
    RectF b;
    if (!p->Bounds(b)) return;
    float h = pen->width / 2;
    RasterPath wide;
    wide.winding = true;
    wide.ended = p->ended;
    wide.AddRectangle({b.x - h, b.y - h, b.w + 2 * h, b.h + 2 * h});
    *p = std::move(wide);
}

void CEmfRenderer::OnAbortPath() { path_.Reset(); }

}  // namespace slidemill

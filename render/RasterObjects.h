#pragma once
// The raster side of the renderer: pens, brushes, fonts and paths as the raster surface
// knows them, and CObjectRef, the counted holder through which the renderer and its save
// stack share them. Nothing on the raster side reaches the PDF; for the PDF only whether
// a pen or brush exists matters.

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "platform/gdi/GdiTypes.h"

namespace slidemill {

// Nearest 32-bit integer of a raster coordinate, saturating (NaN gives 0): hostile
// coordinates and singular transforms stay defined.
inline int32_t RoundToInt32(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return int32_t(v < 0 ? v - 0.5 : v + 0.5);
}

struct PointF {
    float x = 0;
    float y = 0;
};

struct RectF {
    float x = 0;
    float y = 0;
    float w = 0;
    float h = 0;
};

// 3x2 affine matrix, row vectors: x' = x*m11 + y*m21 + dx, y' = x*m12 + y*m22 + dy.
struct Matrix {
    float m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

    static Matrix Scale(float sx, float sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Matrix Translate(float tx, float ty) { return {1, 0, 0, 1, tx, ty}; }
    static Matrix From(const XFORM& x) { return {x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}; }
    // first, then second.
    static Matrix Then(const Matrix& first, const Matrix& second) {
        Matrix r;
        r.m11 = first.m11 * second.m11 + first.m12 * second.m21;
        r.m12 = first.m11 * second.m12 + first.m12 * second.m22;
        r.m21 = first.m21 * second.m11 + first.m22 * second.m21;
        r.m22 = first.m21 * second.m12 + first.m22 * second.m22;
        r.dx = first.dx * second.m11 + first.dy * second.m21 + second.dx;
        r.dy = first.dx * second.m12 + first.dy * second.m22 + second.dy;
        return r;
    }
    PointF Apply(PointF p) const { return {p.x * m11 + p.y * m21 + dx, p.x * m12 + p.y * m22 + dy}; }
    bool Invertible() const;
    bool Invert(Matrix& out) const;
    bool IsIdentity() const { return m11 == 1 && m12 == 0 && m21 == 0 && m22 == 1 && dx == 0 && dy == 0; }
};

enum class DashStyle { Solid, Dash, Dot, DashDot, DashDotDot, Custom };
enum class LineJoin { Miter, Bevel, Round };
enum class LineCap { Flat, Square, Round };
enum class HatchStyle { Horizontal, Vertical, ForwardDiagonal, BackwardDiagonal, Cross, DiagonalCross };

struct RasterBrush {
    enum class Kind { Solid, Hatch, Texture };
    Kind kind = Kind::Solid;
    uint32_t foreground = 0xFF000000;  // ARGB
    uint32_t background = 0xFFFFFFFF;  // ARGB, hatch and two-colour textures
    HatchStyle hatch = HatchStyle::Horizontal;
    std::vector<uint8_t> packedDib;  // texture brushes: the pattern bitmap
    bool transparentWhite = false;   // texture entries equal to white are transparent
    Matrix transform;
};

struct RasterPen {
    uint32_t color = 0xFF000000;  // ARGB
    float width = 1;
    DashStyle dash = DashStyle::Solid;
    std::vector<float> dashes;  // Custom: lengths in pen widths
    bool inset = false;
    LineJoin join = LineJoin::Round;
    LineCap startCap = LineCap::Flat, endCap = LineCap::Flat, dashCap = LineCap::Flat;
    std::optional<RasterBrush> fill;
};

struct RasterFont {
    LOGFONTW font;
};

// A path as figures of straight segments (curves are flattened when added).
struct RasterPath {
    struct Figure {
        std::vector<PointF> points;
        bool closed = false;
    };
    std::vector<Figure> figures;
    bool winding = false;  // fill mode; alternate when false
    bool ended = false;    // the bracket was closed
    bool newFigure = true; // the next point starts a figure

    void StartFigure() { newFigure = true; }
    void AddLines(const std::vector<PointF>& pts);
    void AddPolygon(const std::vector<PointF>& pts);
    void AddRectangle(const RectF& r);
    void AddEllipse(const RectF& box);
    // Arc of the ellipse in the box, angles in degrees (y downward), joined to the figure.
    void AddArc(const RectF& box, float startDeg, float sweepDeg);
    void CloseFigure();
    bool Empty() const;
    bool Bounds(RectF& out) const;
    size_t PointCount() const;
};

using RasterObject = std::variant<std::monostate, RasterPen, RasterBrush, RasterFont, RasterPath>;

// A counted holder of one raster object. Created with a count of 1; AddRef takes one
// more reference, Release gives one up and destroys the holder at 0. The brush holder
// also carries its source: the brush handle it was made from and whether it was built
// with the text and background colours as its two colours.
class CObjectRef {
public:
    static CObjectRef* Create(RasterObject object) { return new CObjectRef(std::move(object)); }
    void AddRef() { ++count_; }
    void Release() {
        if (--count_ == 0) delete this;
    }
    int Count() const { return count_; }
    RasterObject& Object() { return object_; }
    const RasterObject& Object() const { return object_; }

    GdiHandle sourceHandle = 0;
    bool usesTextColors = false;

private:
    explicit CObjectRef(RasterObject object) : object_(std::move(object)) {}
    ~CObjectRef() = default;
    int count_ = 1;
    RasterObject object_;
};

// One reference to a CObjectRef, given up when the holder goes away or is replaced.
class ObjectRefHandle {
public:
    ObjectRefHandle() = default;
    // Adopts a fresh holder's first reference.
    static ObjectRefHandle Adopt(CObjectRef* ref) {
        ObjectRefHandle h;
        h.ref_ = ref;
        return h;
    }
    ObjectRefHandle(const ObjectRefHandle& o) : ref_(o.ref_) {
        if (ref_) ref_->AddRef();
    }
    ObjectRefHandle(ObjectRefHandle&& o) noexcept : ref_(o.ref_) { o.ref_ = nullptr; }
    ObjectRefHandle& operator=(const ObjectRefHandle& o) {
        if (this != &o) {
            if (o.ref_) o.ref_->AddRef();
            Reset();
            ref_ = o.ref_;
        }
        return *this;
    }
    ObjectRefHandle& operator=(ObjectRefHandle&& o) noexcept {
        if (this != &o) {
            Reset();
            ref_ = o.ref_;
            o.ref_ = nullptr;
        }
        return *this;
    }
    ~ObjectRefHandle() { Reset(); }
    void Reset() {
        if (ref_) ref_->Release();
        ref_ = nullptr;
    }
    CObjectRef* get() const { return ref_; }
    explicit operator bool() const { return ref_ != nullptr; }

    template <typename T>
    T* As() const {
        return ref_ ? std::get_if<T>(&ref_->Object()) : nullptr;
    }

private:
    CObjectRef* ref_ = nullptr;
};

}  // namespace slidemill

#pragma once
// The renderer's raster surface. It receives the drawing the PDF has no output for
// (arcs, ellipses, paths, regions, gradients) and is never read back, so this surface
// keeps only what later decisions could depend on: the transform and the clip (as a set
// of device-space rectangles), with save/restore tokens. The draw and fill operations
// do nothing here; a subclass may observe them.

#include <cstdint>
#include <vector>

#include "render/RasterObjects.h"

namespace slidemill {

enum class CombineMode { Replace, Intersect, Union, Xor, Exclude, Complement };

// A clip region: a union of axis-aligned rectangles in device space.
class ClipRegion {
public:
    static ClipRegion Infinite();
    static ClipRegion FromRect(const RectF& r);
    static ClipRegion Empty() { return ClipRegion(); }

    void Combine(const ClipRegion& other, CombineMode mode);
    void Translate(float dx, float dy);
    bool IsEmpty() const { return rects_.empty(); }
    bool IsInfinite() const { return infinite_; }
    RectF Bounds() const;
    const std::vector<RectF>& Rects() const { return rects_; }

private:
    static void Subtract(std::vector<RectF>& from, const RectF& cut);
    void Limit();
    std::vector<RectF> rects_;
    bool infinite_ = false;
};

class CRasterSurface {
public:
    CRasterSurface();
    virtual ~CRasterSurface() = default;

    const Matrix& Transform() const { return transform_; }
    void SetTransform(const Matrix& m) { transform_ = m; }
    void ResetTransform() { transform_ = Matrix(); }
    // Prepend: m applies before the current transform; append: after it.
    void MultiplyTransform(const Matrix& m, bool prepend);

    const ClipRegion& Clip() const { return clip_; }
    // Shapes in the surface's logical coordinates, taken through the transform.
    void SetClipRect(const RectF& logical, CombineMode mode);
    void SetClipRegion(const ClipRegion& device, CombineMode mode);
    void SetClipPath(const RasterPath& logical, CombineMode mode);
    void TranslateClip(float dx, float dy);  // logical units
    void ResetClip() { clip_ = ClipRegion::Infinite(); }

    uint32_t Save();
    void Restore(uint32_t token);

    void SetRenderingOrigin(int32_t x, int32_t y) { originX_ = x, originY_ = y; }
    int32_t Status() const { return status_; }

    // Drawing: nothing is kept.
    virtual void FillRectangle(const RasterBrush&, const RectF&) {}
    virtual void FillPath(const RasterBrush&, const RasterPath&) {}
    virtual void DrawPath(const RasterPen&, const RasterPath&) {}
    virtual void FillRegion(const RasterBrush&, const ClipRegion&) {}

    // Transform a logical rectangle to its device bounding box.
    RectF ToDevice(const RectF& logical) const;

protected:
    int32_t status_ = 0;

private:
    struct Saved {
        Matrix transform;
        ClipRegion clip;
    };
    Matrix transform_;
    ClipRegion clip_;
    std::vector<Saved> saved_;
    int32_t originX_ = 0, originY_ = 0;
};

}  // namespace slidemill

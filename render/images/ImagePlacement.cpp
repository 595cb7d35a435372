#include "render/images/ImagePlacement.h"

namespace slidemill {

PlacementRect PlaceDestination(const RECTL& dest, const PageGeometry& geometry, double scale) {
    // In doubles: record values near the 32-bit limits must not overflow on the way.
    const double left = dest.left, top = dest.top, right = dest.right, bottom = dest.bottom;
    PlacementRect r;
    r.x = (left + geometry.offX) * scale;
    r.y = (top + geometry.offY) * scale;
    r.w = (right - left) * scale;
    r.h = (bottom - top) * scale;
    return r;
}

RECTL ParallelogramBounds(const POINTL& p0, const POINTL& p1, const POINTL& p2) {
    RECTL r;
    r.left = p0.x;
    r.top = p0.y;
    r.right = p1.x;
    r.bottom = p2.y;
    return r;
}

}  // namespace slidemill

#pragma once
// Where a bitmap record's picture goes on the page: its destination rectangle mapped like
// every other coordinate, in page points from the top-left corner (the writer flips).

#include "pdf/PageWriter.h"
#include "platform/gdi/GdiTypes.h"

namespace slidemill {

struct PlacementRect {
    double x = 0.0;
    double y = 0.0;
    double w = 0.0;
    double h = 0.0;
};

// x = (left + offX) x s, y = (top + offY) x s, w = (right - left) x s,
// h = (bottom - top) x s, with offX and offY from the writer's geometry and s the
// renderer's PDF scale.
PlacementRect PlaceDestination(const RECTL& dest, const PageGeometry& geometry, double scale);

// The rectangle a parallelogram's points span, rotation and shear dropped: left = P0.x,
// top = P0.y, right = P1.x, bottom = P2.y (P0 upper-left, P1 upper-right, P2 lower-left).
RECTL ParallelogramBounds(const POINTL& p0, const POINTL& p1, const POINTL& p2);

}  // namespace slidemill

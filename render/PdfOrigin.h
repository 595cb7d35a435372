#pragma once
// The window origin in the PDF mapping. A device context maps a logical point through
// (x - window origin); pictures whose window does not start at 0, 0 (a placeable
// metafile's bounding box with negative corners, for one) would otherwise land off the
// page. The origin is folded into the writer's play offset, which every PDF coordinate
// (lines, fills, images, text) already passes through.
#include <cmath>
#include <cstdint>

#include "pdf/PageWriter.h"
#include "platform/gdi/GdiTypes.h"

namespace slidemill {

// offX := trunc(x0 / s) - window origin x, and the same for y, saturated to 32 bits.
inline void AlignPlayOffsetToWindowOrigin(PageGeometry& g, double scale, const POINTL& windowOrg) {
    auto offset = [scale](double start, int32_t origin) {
        const double base = scale != 0.0 ? std::trunc(start / scale) : 0.0;
        const double v = base - double(origin);
        if (!(v >= double(INT32_MIN))) return INT32_MIN;
        if (v > double(INT32_MAX)) return INT32_MAX;
        return int32_t(v);
    };
    g.offX = offset(g.x0, windowOrg.x);
    g.offY = offset(g.y0, windowOrg.y);
}

}  // namespace slidemill

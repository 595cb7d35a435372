#pragma once
// The eleven queries the image helpers receive instead of the whole renderer.

#include <cstdint>

#include "platform/gdi/GdiTypes.h"
#include "render/RasterObjects.h"

namespace slidemill {

class CRasterSurface;
class PlaybackContext;

class IRenderSurface {
public:
    virtual CRasterSurface* QueryGraphics() = 0;
    virtual PlaybackContext* QuerySurfaceDC() = 0;
    virtual void ReleaseSurfaceDC(PlaybackContext* context) = 0;
    virtual bool QueryMonochrome() = 0;
    virtual int32_t QueryROP2() = 0;
    virtual COLORREF QueryTextColor() = 0;
    virtual COLORREF QueryBkColor() = 0;
    virtual int32_t QueryBkMode() = 0;
    virtual const RasterBrush* QueryBrush() = 0;
    virtual COLORREF MapColor(COLORREF color) = 0;
    virtual void DrawImage(const RasterBrush& image, const RectF& rect) = 0;

protected:
    ~IRenderSurface() = default;
};

}  // namespace slidemill

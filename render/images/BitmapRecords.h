#pragma once
// The bitmap records of a played metafile onto the page: the renderer hands each block
// transfer that carries a source bitmap to one of these operations, which decode the
// bitmap and call the writer's DrawImage over the mapped destination rectangle.
//
// What reaches the page: the whole bitmap scaled into the destination rectangle. The
// source rectangle, the source transform, the stretch mode and the raster operation's
// arithmetic do not; the raster operation only chooses between placing the bitmap,
// placing it keyed on its corner colour, and placing nothing. A bitmap that does not
// decode leaves no trace. Operations do nothing without a writer.
//
// The renderer builds one of these per record, from itself (IRenderSurface: the playback
// context for the selected palette), its writer, its PDF scale and its key-colour field,
// which DetectCornerKey updates.

#include <cstdint>
#include <span>

#include "pdf/PageWriter.h"
#include "platform/dib/DibDecoder.h"
#include "platform/dib/DibTypes.h"
#include "platform/gdi/GdiTypes.h"
#include "render/RenderSurface.h"
#include "render/images/ImagePlacement.h"

namespace slidemill {

using BitmapBytes = std::span<const uint8_t>;

// The blend function of an alpha-blend record applied to its decoded bitmap: afterwards the
// alpha channel is what the page shows of each pixel and the colours are not premultiplied.
void ApplyBlendFunction(DecodedImage& image, uint32_t blend);

class CBitmapRecords {
public:
    CBitmapRecords(IRenderSurface& surface, IPageWriter* writer, double pdfScale, uint32_t& keyColor);

    // Bitmaps of more pixels than this are refused before anything is allocated (the
    // decoder's own cap by default). Memory that runs out while a bitmap is decoded or
    // placed also leaves the record out: the page goes on.
    void SetMaxPixels(uint64_t maxPixels) { maxPixels_ = maxPixels; }

    // EMR_BITBLT, EMR_STRETCHBLT, EMR_SETDIBITSTODEVICE, EMR_STRETCHDIBITS.
    void StretchBlt(const RECTL& dest, BitmapBytes bits, BitmapBytes bmi, uint32_t usage, uint32_t rop);
    // EMR_MASKBLT: without a mask (either span empty) as StretchBlt with the foreground
    // operation of `quaternaryRop`; with one, the bitmap with the mask as its alpha.
    void MaskBlt(const RECTL& dest, BitmapBytes bits, BitmapBytes bmi, uint32_t usage, uint32_t quaternaryRop,
                 int32_t xMask, int32_t yMask, BitmapBytes maskBits, BitmapBytes maskBmi);
    // EMR_PLGBLT: placed unrotated in ParallelogramBounds(points); masked as MaskBlt.
    // `points` holds P0, P1, P2; null places nothing.
    void PlgBlt(const POINTL* points, BitmapBytes bits, BitmapBytes bmi, uint32_t usage, int32_t xMask,
                int32_t yMask, BitmapBytes maskBits, BitmapBytes maskBmi);
    // EMR_TRANSPARENTBLT: keyed on the record's transparent colour (a COLORREF).
    void TransparentBlt(const RECTL& dest, BitmapBytes bits, BitmapBytes bmi, uint32_t usage, uint32_t transparent);
    // EMR_ALPHABLEND: the bitmap blended as the record's BLENDFUNCTION says
    // ([MS-EMF] 2.3.1.1; SourceConstantAlpha in bits 16-23, AlphaFormat in bits 24-31):
    // with AC_SRC_ALPHA the bitmap's own (premultiplied) alpha, times the constant alpha,
    // becomes the image's soft mask and the colours are divided back by it; without it only
    // the constant alpha does. Fully opaque results are placed without a mask.
    void AlphaBlend(const RECTL& dest, BitmapBytes bits, BitmapBytes bmi, uint32_t usage, uint32_t blend);

    // The bitmap of a record as pixels, with the palette selected in the playback context
    // for palette-relative colours. False when it does not decode.
    bool Decode(BitmapBytes bits, BitmapBytes bmi, uint32_t usage, DecodedImage& out);

    // Placement of decoded pixels (the shared last step of every operation).
    void Place(const RECTL& dest, const DecodedImage& image, const ImageMask& mask);

private:
    bool DecodeMasked(BitmapBytes bits, BitmapBytes bmi, uint32_t usage, int32_t xMask, int32_t yMask,
                      BitmapBytes maskBits, BitmapBytes maskBmi, DecodedImage& out);

    IRenderSurface& surface_;
    IPageWriter* writer_;
    double scale_;
    uint32_t& keyColor_;
    uint64_t maxPixels_ = kDefaultMaxDibPixels;
};

}  // namespace slidemill

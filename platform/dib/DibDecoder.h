#pragma once
// Decodes a device-independent bitmap, as the block-transfer records of a metafile carry
// it, into plain RGB (and alpha) pixels, top row first.
//
// All sizes are checked before use: the header's fields, the pixel count against a cap,
// the colour table against the bytes that hold it, and the bits against what the rows
// need. A bad bitmap gives a DibResult error and an empty image, never a read outside
// the given bytes.
//
// Rules where the data is short or odd:
//  - uncompressed bits shorter than the rows need: TruncatedBits (the padding of the very
//    last row may be missing);
//  - a colour table with fewer entries than the header declares (or than the pixel depth
//    can index): the missing entries are black; so is a palette index past the palette;
//  - run-length pixels that a delta or an early end of line skips are black;
//  - run-length data that ends early or is cut inside a code: what was decoded is kept,
//    the rest is black, and DecodedImage::incomplete is set (the result is Ok);
//  - run-length data with a negative height (which GDI refuses) is read top-down;
//  - embedded JPEG and PNG images keep their own size and orientation, whatever the
//    header says;
//  - 32-bit BI_RGB: the fourth byte is alpha only when some pixel has a non-zero value
//    there; the same holds for an alpha bit-field mask.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/dib/DibHeader.h"
#include "platform/dib/DibTypes.h"

namespace slidemill {

// 256 megapixels: larger bitmaps are refused before anything is allocated.
constexpr uint64_t kDefaultMaxDibPixels = uint64_t(256) << 20;

// The header (with its masks and colour table) and the bits as two spans, the way an EMF
// record points at them with offBmi/cbBmi and offBits/cbBits. `palette` is the logical
// palette selected in the playback context, used with PalColors and PalIndices; null
// means the default palette.
DibResult DecodeDib(std::span<const uint8_t> bmi, std::span<const uint8_t> bits, DibColorUsage usage,
                    const DibPalette* palette, DecodedImage& out, uint64_t maxPixels = kDefaultMaxDibPixels);

// The bitmap of an EMR_SETDIBITSTODEVICE record, whose bits hold only `scanCount` scan
// lines starting at `startScan` (counted in stored order, from the bottom of a bottom-up
// bitmap): decodes those lines as an image of the header's width and at most scanCount
// rows. Run-length and embedded bitmaps are decoded whole. A band outside the bitmap
// gives BadDimensions.
DibResult DecodeDibBand(std::span<const uint8_t> bmi, std::span<const uint8_t> bits, uint32_t startScan,
                        uint32_t scanCount, DibColorUsage usage, const DibPalette* palette, DecodedImage& out,
                        uint64_t maxPixels = kDefaultMaxDibPixels);

// A packed DIB ([MS-WMF] 2.2.2.9 DeviceIndependentBitmap): header, masks and colour table,
// then the bits, as a WMF record or a clipboard picture holds it. When the declared colour
// table runs past the data, an uncompressed bitmap is read with its rows taken from the
// end of the data and the table from what lies between; otherwise TruncatedColorTable.
DibResult DecodePackedDib(std::span<const uint8_t> dib, DibColorUsage usage, const DibPalette* palette,
                          DecodedImage& out, uint64_t maxPixels = kDefaultMaxDibPixels);

// The bitmap of an EMF record, given the record's bytes and its offset and size fields
// (offsets from the start of the record). Ranges outside the record give BadRecordBounds.
DibResult DecodeDibInRecord(std::span<const uint8_t> record, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits,
                            uint32_t cbBits, DibColorUsage usage, const DibPalette* palette, DecodedImage& out,
                            uint64_t maxPixels = kDefaultMaxDibPixels);

// The pixel values of an indexed bitmap (1, 2, 4 or 8 bits, uncompressed or run-length),
// top row first, without looking them up: what a 1-bit mask bitmap needs. Pixels a
// run-length stream leaves unset are 0. Deeper bitmaps give BadBitCount.
struct DibIndexImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> indices;  // width * height
    bool incomplete = false;
};
DibResult DecodeDibIndices(std::span<const uint8_t> bmi, std::span<const uint8_t> bits, DibIndexImage& out,
                           uint64_t maxPixels = kDefaultMaxDibPixels);

}  // namespace slidemill

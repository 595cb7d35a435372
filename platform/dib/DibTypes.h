#pragma once
// Plain data shared by the device-independent bitmap decoder and its callers: how the
// colour table of a DIB is to be read, the logical palette it may refer to, the decoded
// pixels, and the reasons a DIB is refused.

#include <cstdint>
#include <vector>

namespace slidemill {

// The colour-usage value a block-transfer record carries next to its bitmap
// ([MS-WMF] 2.1.1.6 ColorUsage).
enum class DibColorUsage : uint32_t {
    RgbColors = 0,   // the colour table holds RGBQUAD (or RGBTRIPLE) values
    PalColors = 1,   // the colour table holds 16-bit indexes into the logical palette
    PalIndices = 2,  // no colour table: pixel values index the logical palette directly
};

// [MS-WMF] 2.1.1.7 Compression.
enum class DibCompression : uint32_t {
    Rgb = 0,
    Rle8 = 1,
    Rle4 = 2,
    Bitfields = 3,
    Jpeg = 4,
    Png = 5,
    AlphaBitfields = 6,
};

struct DibRgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const DibRgb&) const = default;
};

// The logical palette selected in the playback context, as far as a DIB needs it.
struct DibPalette {
    std::vector<DibRgb> entries;
};

// The twenty colours of the default logical palette (stock object DEFAULT_PALETTE); used
// for palette-relative bitmaps when no palette is selected.
const DibPalette& DefaultDibPalette();

// A decoded bitmap: rows top first, three bytes (R, G, B) per pixel.
struct DecodedImage {
    uint32_t width = 0;
    uint32_t height = 0;
    bool hasAlpha = false;
    std::vector<uint8_t> rgb;    // width * height * 3
    std::vector<uint8_t> alpha;  // width * height when hasAlpha, else empty
    // Run-length data that stopped before its end-of-bitmap mark: what was there is
    // decoded and the rest of the picture is black.
    bool incomplete = false;
};

enum class DibResult {
    Ok,
    TruncatedHeader,         // fewer bytes than the header (or its masks) needs
    BadHeaderSize,           // a header size no DIB header has
    BadDimensions,           // zero or negative width, zero height
    BadPlanes,               // planes other than 1
    BadBitCount,             // a bit count no DIB has, or one the compression does not allow
    UnsupportedCompression,  // a compression value this decoder does not know (CMYK, ...)
    BadMasks,                // bit-field masks that select no colour bits
    TooLarge,                // more pixels than the decoder accepts
    TruncatedColorTable,     // a packed DIB whose colour table runs past its data
    TruncatedBits,           // fewer bits than the rows need
    BadRecordBounds,         // header or bits offsets outside the record
    BadEmbeddedImage,        // embedded JPEG or PNG that does not decode
};

// A short English description of a result, for logs and error messages.
const char* DibResultText(DibResult result);

}  // namespace slidemill

#pragma once
// Plain data of the drawing world the metafile records describe: points, rectangles,
// transforms, and the descriptions of pens, brushes and fonts, with the field layouts
// and values of the public [MS-EMF] / [MS-WMF] documents (LogPen, LogPenEx, LogBrush,
// LogFont, StockObject, MapMode). They are our own structures: records are decoded into
// them field by field, never cast from the buffer.

#include <array>
#include <cstdint>
#include <vector>

#include "metafile/ByteReader.h"

namespace slidemill {

using COLORREF = uint32_t;  // 0x00BBGGRR
using GdiHandle = uint32_t; // 0 is "no object"

struct POINTL {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const POINTL&, const POINTL&) = default;
};

struct SIZEL {
    int32_t cx = 0;
    int32_t cy = 0;
};

struct RECTL {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const RECTL&, const RECTL&) = default;
};

// World transform: x' = x*eM11 + y*eM21 + eDx, y' = x*eM12 + y*eM22 + eDy.
struct XFORM {
    float eM11 = 1.0f;
    float eM12 = 0.0f;
    float eM21 = 0.0f;
    float eM22 = 1.0f;
    float eDx = 0.0f;
    float eDy = 0.0f;
};

// Field-by-field readers of the three shapes every record uses ([MS-EMF] 2.2.x).
inline POINTL ReadPointL(ByteReader& r) {
    POINTL p;
    p.x = r.I32();
    p.y = r.I32();
    return p;
}

inline RECTL ReadRectL(ByteReader& r) {
    RECTL x;
    x.left = r.I32();
    x.top = r.I32();
    x.right = r.I32();
    x.bottom = r.I32();
    return x;
}

inline XFORM ReadXform(ByteReader& r) {
    XFORM x;
    x.eM11 = r.F32();
    x.eM12 = r.F32();
    x.eM21 = r.F32();
    x.eM22 = r.F32();
    x.eDx = r.F32();
    x.eDy = r.F32();
    return x;
}

struct LOGPEN {
    uint32_t lopnStyle = 0;
    POINTL lopnWidth;  // only x is used
    COLORREF lopnColor = 0;
};

struct EXTLOGPEN {
    uint32_t elpPenStyle = 0;
    uint32_t elpWidth = 0;
    uint32_t elpBrushStyle = 0;
    COLORREF elpColor = 0;
    uint32_t elpHatch = 0;
    std::vector<uint32_t> elpStyleEntry;  // elpNumEntries of them
};

struct LOGBRUSH {
    uint32_t lbStyle = 0;
    COLORREF lbColor = 0;
    uint64_t lbHatch = 0;  // hatch style, or the handle of the pattern bitmap / DIB
};

struct LOGFONTW {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    std::array<char16_t, 32> lfFaceName{};  // zero-terminated
};

// Pen styles ([MS-WMF] PenStyle).
namespace pen {
constexpr uint32_t kSolid = 0, kDash = 1, kDot = 2, kDashDot = 3, kDashDotDot = 4, kNull = 5,
                   kInsideFrame = 6, kUserStyle = 7, kAlternate = 8;
constexpr uint32_t kStyleMask = 0xF, kEndCapMask = 0xF00, kJoinMask = 0xF000, kTypeMask = 0xF0000;
constexpr uint32_t kGeometric = 0x10000;
}  // namespace pen

// Brush styles ([MS-WMF] BrushStyle).
namespace brush {
constexpr uint32_t kSolid = 0, kNull = 1, kHatched = 2, kPattern = 3, kDibPattern = 5, kDibPatternPt = 6,
                   kPattern8x8 = 7, kDibPattern8x8 = 8;
}

// Stock objects: the number after the 0x80000000 bit of an object index.
namespace stock {
constexpr uint32_t kWhiteBrush = 0, kLtGrayBrush = 1, kGrayBrush = 2, kDkGrayBrush = 3, kBlackBrush = 4,
                   kNullBrush = 5, kWhitePen = 6, kBlackPen = 7, kNullPen = 8, kOemFixedFont = 10,
                   kAnsiFixedFont = 11, kAnsiVarFont = 12, kSystemFont = 13, kDeviceDefaultFont = 14,
                   kDefaultPalette = 15, kSystemFixedFont = 16, kDefaultGuiFont = 17, kDcBrush = 18,
                   kDcPen = 19;
constexpr uint32_t kCount = 20;
constexpr uint32_t kIndexBit = 0x80000000u;
}  // namespace stock

// Device capability indexes (GetDeviceCaps) and screen metrics.
namespace caps {
constexpr int kHorzSize = 4, kVertSize = 6, kHorzRes = 8, kVertRes = 10, kBitsPixel = 12, kPlanes = 14,
              kAspectX = 40, kAspectY = 42, kAspectXY = 44, kLogPixelsX = 88, kLogPixelsY = 90;
constexpr int kCxScreen = 0, kCyScreen = 1;
}  // namespace caps

enum class GdiObjectKind { None, Pen, ExtPen, Brush, Font, Palette, ColorSpace, Other };

}  // namespace slidemill

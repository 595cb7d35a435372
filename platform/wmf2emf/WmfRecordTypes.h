#pragma once
// Record function numbers of Windows metafiles ([MS-WMF] 2.1.1.1 RecordType enumeration).
// The high byte of most numbers is the count of 16-bit parameter words of the record's
// smallest form.

#include <cstdint>

namespace slidemill::wmf {

constexpr uint16_t META_EOF = 0x0000;
constexpr uint16_t META_REALIZEPALETTE = 0x0035;
constexpr uint16_t META_SETPALENTRIES = 0x0037;
constexpr uint16_t META_SETBKMODE = 0x0102;
constexpr uint16_t META_SETMAPMODE = 0x0103;
constexpr uint16_t META_SETROP2 = 0x0104;
constexpr uint16_t META_SETRELABS = 0x0105;
constexpr uint16_t META_SETPOLYFILLMODE = 0x0106;
constexpr uint16_t META_SETSTRETCHBLTMODE = 0x0107;
constexpr uint16_t META_SETTEXTCHAREXTRA = 0x0108;
constexpr uint16_t META_RESTOREDC = 0x0127;
constexpr uint16_t META_RESIZEPALETTE = 0x0139;
constexpr uint16_t META_DIBCREATEPATTERNBRUSH = 0x0142;
constexpr uint16_t META_SETLAYOUT = 0x0149;
constexpr uint16_t META_SETBKCOLOR = 0x0201;
constexpr uint16_t META_SETTEXTCOLOR = 0x0209;
constexpr uint16_t META_OFFSETVIEWPORTORG = 0x0211;
constexpr uint16_t META_LINETO = 0x0213;
constexpr uint16_t META_MOVETO = 0x0214;
constexpr uint16_t META_OFFSETCLIPRGN = 0x0220;
constexpr uint16_t META_FILLREGION = 0x0228;
constexpr uint16_t META_SETMAPPERFLAGS = 0x0231;
constexpr uint16_t META_SELECTPALETTE = 0x0234;
constexpr uint16_t META_POLYGON = 0x0324;
constexpr uint16_t META_POLYLINE = 0x0325;
constexpr uint16_t META_SETTEXTJUSTIFICATION = 0x020A;
constexpr uint16_t META_SETWINDOWORG = 0x020B;
constexpr uint16_t META_SETWINDOWEXT = 0x020C;
constexpr uint16_t META_SETVIEWPORTORG = 0x020D;
constexpr uint16_t META_SETVIEWPORTEXT = 0x020E;
constexpr uint16_t META_OFFSETWINDOWORG = 0x020F;
constexpr uint16_t META_SCALEWINDOWEXT = 0x0410;
constexpr uint16_t META_SCALEVIEWPORTEXT = 0x0412;
constexpr uint16_t META_EXCLUDECLIPRECT = 0x0415;
constexpr uint16_t META_INTERSECTCLIPRECT = 0x0416;
constexpr uint16_t META_ELLIPSE = 0x0418;
constexpr uint16_t META_FLOODFILL = 0x0419;
constexpr uint16_t META_FRAMEREGION = 0x0429;
constexpr uint16_t META_ANIMATEPALETTE = 0x0436;
constexpr uint16_t META_TEXTOUT = 0x0521;
constexpr uint16_t META_POLYPOLYGON = 0x0538;
constexpr uint16_t META_EXTFLOODFILL = 0x0548;
constexpr uint16_t META_RECTANGLE = 0x041B;
constexpr uint16_t META_SETPIXEL = 0x041F;
constexpr uint16_t META_ROUNDRECT = 0x061C;
constexpr uint16_t META_PATBLT = 0x061D;
constexpr uint16_t META_SAVEDC = 0x001E;
constexpr uint16_t META_PIE = 0x081A;
constexpr uint16_t META_STRETCHBLT = 0x0B23;
constexpr uint16_t META_ESCAPE = 0x0626;
constexpr uint16_t META_INVERTREGION = 0x012A;
constexpr uint16_t META_PAINTREGION = 0x012B;
constexpr uint16_t META_SELECTCLIPREGION = 0x012C;
constexpr uint16_t META_SELECTOBJECT = 0x012D;
constexpr uint16_t META_SETTEXTALIGN = 0x012E;
constexpr uint16_t META_ARC = 0x0817;
constexpr uint16_t META_CHORD = 0x0830;
constexpr uint16_t META_BITBLT = 0x0922;
constexpr uint16_t META_EXTTEXTOUT = 0x0A32;
constexpr uint16_t META_SETDIBTODEV = 0x0D33;
constexpr uint16_t META_DIBBITBLT = 0x0940;
constexpr uint16_t META_DIBSTRETCHBLT = 0x0B41;
constexpr uint16_t META_STRETCHDIB = 0x0F43;
constexpr uint16_t META_DELETEOBJECT = 0x01F0;
constexpr uint16_t META_CREATEPALETTE = 0x00F7;
constexpr uint16_t META_CREATEPATTERNBRUSH = 0x01F9;
constexpr uint16_t META_CREATEPENINDIRECT = 0x02FA;
constexpr uint16_t META_CREATEFONTINDIRECT = 0x02FB;
constexpr uint16_t META_CREATEBRUSHINDIRECT = 0x02FC;
constexpr uint16_t META_CREATEREGION = 0x06FF;

// Escape function of a comment escape ([MS-WMF] 2.3.6.23 META_ESCAPE MFCOMMENT).
constexpr uint16_t MFCOMMENT = 0x000F;

// "META_SETPIXEL" and so on, "META_UNKNOWN" for other numbers.
const char* WmfRecordName(uint16_t function);

}  // namespace slidemill::wmf

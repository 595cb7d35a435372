#pragma once
// EMF record type numbers as [MS-EMF] 2.1.1 (RecordType enumeration) numbers them, their
// names for diagnostics, and how the record player treats each type.
//
// Types 69, 107 and 117 are not defined by [MS-EMF]; 0 and everything above 122 are
// unknown as well.

#include <cstdint>

namespace slidemill {

constexpr uint32_t EMR_HEADER = 1;
constexpr uint32_t EMR_POLYBEZIER = 2;
constexpr uint32_t EMR_POLYGON = 3;
constexpr uint32_t EMR_POLYLINE = 4;
constexpr uint32_t EMR_POLYBEZIERTO = 5;
constexpr uint32_t EMR_POLYLINETO = 6;
constexpr uint32_t EMR_POLYPOLYLINE = 7;
constexpr uint32_t EMR_POLYPOLYGON = 8;
constexpr uint32_t EMR_SETWINDOWEXTEX = 9;
constexpr uint32_t EMR_SETWINDOWORGEX = 10;
constexpr uint32_t EMR_SETVIEWPORTEXTEX = 11;
constexpr uint32_t EMR_SETVIEWPORTORGEX = 12;
constexpr uint32_t EMR_SETBRUSHORGEX = 13;
constexpr uint32_t EMR_EOF = 14;
constexpr uint32_t EMR_SETPIXELV = 15;
constexpr uint32_t EMR_SETMAPPERFLAGS = 16;
constexpr uint32_t EMR_SETMAPMODE = 17;
constexpr uint32_t EMR_SETBKMODE = 18;
constexpr uint32_t EMR_SETPOLYFILLMODE = 19;
constexpr uint32_t EMR_SETROP2 = 20;
constexpr uint32_t EMR_SETSTRETCHBLTMODE = 21;
constexpr uint32_t EMR_SETTEXTALIGN = 22;
constexpr uint32_t EMR_SETCOLORADJUSTMENT = 23;
constexpr uint32_t EMR_SETTEXTCOLOR = 24;
constexpr uint32_t EMR_SETBKCOLOR = 25;
constexpr uint32_t EMR_OFFSETCLIPRGN = 26;
constexpr uint32_t EMR_MOVETOEX = 27;
constexpr uint32_t EMR_SETMETARGN = 28;
constexpr uint32_t EMR_EXCLUDECLIPRECT = 29;
constexpr uint32_t EMR_INTERSECTCLIPRECT = 30;
constexpr uint32_t EMR_SCALEVIEWPORTEXTEX = 31;
constexpr uint32_t EMR_SCALEWINDOWEXTEX = 32;
constexpr uint32_t EMR_SAVEDC = 33;
constexpr uint32_t EMR_RESTOREDC = 34;
constexpr uint32_t EMR_SETWORLDTRANSFORM = 35;
constexpr uint32_t EMR_MODIFYWORLDTRANSFORM = 36;
constexpr uint32_t EMR_SELECTOBJECT = 37;
constexpr uint32_t EMR_CREATEPEN = 38;
constexpr uint32_t EMR_CREATEBRUSHINDIRECT = 39;
constexpr uint32_t EMR_DELETEOBJECT = 40;
constexpr uint32_t EMR_ANGLEARC = 41;
constexpr uint32_t EMR_ELLIPSE = 42;
constexpr uint32_t EMR_RECTANGLE = 43;
constexpr uint32_t EMR_ROUNDRECT = 44;
constexpr uint32_t EMR_ARC = 45;
constexpr uint32_t EMR_CHORD = 46;
constexpr uint32_t EMR_PIE = 47;
constexpr uint32_t EMR_SELECTPALETTE = 48;
constexpr uint32_t EMR_CREATEPALETTE = 49;
constexpr uint32_t EMR_SETPALETTEENTRIES = 50;
constexpr uint32_t EMR_RESIZEPALETTE = 51;
constexpr uint32_t EMR_REALIZEPALETTE = 52;
constexpr uint32_t EMR_EXTFLOODFILL = 53;
constexpr uint32_t EMR_LINETO = 54;
constexpr uint32_t EMR_ARCTO = 55;
constexpr uint32_t EMR_POLYDRAW = 56;
constexpr uint32_t EMR_SETARCDIRECTION = 57;
constexpr uint32_t EMR_SETMITERLIMIT = 58;
constexpr uint32_t EMR_BEGINPATH = 59;
constexpr uint32_t EMR_ENDPATH = 60;
constexpr uint32_t EMR_CLOSEFIGURE = 61;
constexpr uint32_t EMR_FILLPATH = 62;
constexpr uint32_t EMR_STROKEANDFILLPATH = 63;
constexpr uint32_t EMR_STROKEPATH = 64;
constexpr uint32_t EMR_FLATTENPATH = 65;
constexpr uint32_t EMR_WIDENPATH = 66;
constexpr uint32_t EMR_SELECTCLIPPATH = 67;
constexpr uint32_t EMR_ABORTPATH = 68;
constexpr uint32_t EMR_COMMENT = 70;
constexpr uint32_t EMR_FILLRGN = 71;
constexpr uint32_t EMR_FRAMERGN = 72;
constexpr uint32_t EMR_INVERTRGN = 73;
constexpr uint32_t EMR_PAINTRGN = 74;
constexpr uint32_t EMR_EXTSELECTCLIPRGN = 75;
constexpr uint32_t EMR_BITBLT = 76;
constexpr uint32_t EMR_STRETCHBLT = 77;
constexpr uint32_t EMR_MASKBLT = 78;
constexpr uint32_t EMR_PLGBLT = 79;
constexpr uint32_t EMR_SETDIBITSTODEVICE = 80;
constexpr uint32_t EMR_STRETCHDIBITS = 81;
constexpr uint32_t EMR_EXTCREATEFONTINDIRECTW = 82;
constexpr uint32_t EMR_EXTTEXTOUTA = 83;
constexpr uint32_t EMR_EXTTEXTOUTW = 84;
constexpr uint32_t EMR_POLYBEZIER16 = 85;
constexpr uint32_t EMR_POLYGON16 = 86;
constexpr uint32_t EMR_POLYLINE16 = 87;
constexpr uint32_t EMR_POLYBEZIERTO16 = 88;
constexpr uint32_t EMR_POLYLINETO16 = 89;
constexpr uint32_t EMR_POLYPOLYLINE16 = 90;
constexpr uint32_t EMR_POLYPOLYGON16 = 91;
constexpr uint32_t EMR_POLYDRAW16 = 92;
constexpr uint32_t EMR_CREATEMONOBRUSH = 93;
constexpr uint32_t EMR_CREATEDIBPATTERNBRUSHPT = 94;
constexpr uint32_t EMR_EXTCREATEPEN = 95;
constexpr uint32_t EMR_POLYTEXTOUTA = 96;
constexpr uint32_t EMR_POLYTEXTOUTW = 97;
constexpr uint32_t EMR_SETICMMODE = 98;
constexpr uint32_t EMR_CREATECOLORSPACE = 99;
constexpr uint32_t EMR_SETCOLORSPACE = 100;
constexpr uint32_t EMR_DELETECOLORSPACE = 101;
constexpr uint32_t EMR_GLSRECORD = 102;
constexpr uint32_t EMR_GLSBOUNDEDRECORD = 103;
constexpr uint32_t EMR_PIXELFORMAT = 104;
constexpr uint32_t EMR_DRAWESCAPE = 105;
constexpr uint32_t EMR_EXTESCAPE = 106;
constexpr uint32_t EMR_SMALLTEXTOUT = 108;
constexpr uint32_t EMR_FORCEUFIMAPPING = 109;
constexpr uint32_t EMR_NAMEDESCAPE = 110;
constexpr uint32_t EMR_COLORCORRECTPALETTE = 111;
constexpr uint32_t EMR_SETICMPROFILEA = 112;
constexpr uint32_t EMR_SETICMPROFILEW = 113;
constexpr uint32_t EMR_ALPHABLEND = 114;
constexpr uint32_t EMR_SETLAYOUT = 115;
constexpr uint32_t EMR_TRANSPARENTBLT = 116;
constexpr uint32_t EMR_GRADIENTFILL = 118;
constexpr uint32_t EMR_SETLINKEDUFIS = 119;
constexpr uint32_t EMR_SETTEXTJUSTIFICATION = 120;
constexpr uint32_t EMR_COLORMATCHTOTARGETW = 121;
constexpr uint32_t EMR_CREATECOLORSPACEW = 122;

// Highest record type this system knows.
constexpr uint32_t kEmfLastRecordType = 122;

// "EMR_POLYLINE16" and so on; unknown types
// (0, 69, 107, 117 and above 122) give "EMR_UNKNOWN".
const char* EmfRecordName(uint32_t type);

// How playback treats a record type (see the record player):
//  Drawn          decoded and handed to the renderer only
//  PlayedAndDrawn applied to the playback device context, then handed to the renderer
//  Played         applied to the playback device context only (also every unknown type)
//  Built          the player itself puts a brush into the object table
//  Ignored        announced to the renderer and otherwise left alone
enum class EmfRecordTreatment { Drawn, PlayedAndDrawn, Played, Built, Ignored };

EmfRecordTreatment EmfRecordTreatmentOf(uint32_t type);

// True for the types 1..122 except 69: the ones with their own handler and announced
// to the renderer.
bool IsKnownEmfRecordType(uint32_t type);

// An object index with this bit set names a stock object; the low 31 bits are its number.
constexpr uint32_t kStockObjectFlag = 0x80000000u;
constexpr bool IsStockObjectIndex(uint32_t index) { return (index & kStockObjectFlag) != 0; }
constexpr uint32_t StockObjectNumber(uint32_t index) { return index & ~kStockObjectFlag; }

}  // namespace slidemill

#include "metafile/EmfRecordTypes.h"

namespace slidemill {

namespace {

const char* const kNames[kEmfLastRecordType + 1] = {
    nullptr,
    "EMR_HEADER",
    "EMR_POLYBEZIER",
    "EMR_POLYGON",
    "EMR_POLYLINE",
    "EMR_POLYBEZIERTO",
    "EMR_POLYLINETO",
    "EMR_POLYPOLYLINE",
    "EMR_POLYPOLYGON",
    "EMR_SETWINDOWEXTEX",
    "EMR_SETWINDOWORGEX",
    "EMR_SETVIEWPORTEXTEX",
    "EMR_SETVIEWPORTORGEX",
    "EMR_SETBRUSHORGEX",
    "EMR_EOF",
    "EMR_SETPIXELV",
    "EMR_SETMAPPERFLAGS",
    "EMR_SETMAPMODE",
    "EMR_SETBKMODE",
    "EMR_SETPOLYFILLMODE",
    "EMR_SETROP2",
    "EMR_SETSTRETCHBLTMODE",
    "EMR_SETTEXTALIGN",
    "EMR_SETCOLORADJUSTMENT",
    "EMR_SETTEXTCOLOR",
    "EMR_SETBKCOLOR",
    "EMR_OFFSETCLIPRGN",
    "EMR_MOVETOEX",
    "EMR_SETMETARGN",
    "EMR_EXCLUDECLIPRECT",
    "EMR_INTERSECTCLIPRECT",
    "EMR_SCALEVIEWPORTEXTEX",
    "EMR_SCALEWINDOWEXTEX",
    "EMR_SAVEDC",
    "EMR_RESTOREDC",
    "EMR_SETWORLDTRANSFORM",
    "EMR_MODIFYWORLDTRANSFORM",
    "EMR_SELECTOBJECT",
    "EMR_CREATEPEN",
    "EMR_CREATEBRUSHINDIRECT",
    "EMR_DELETEOBJECT",
    "EMR_ANGLEARC",
    "EMR_ELLIPSE",
    "EMR_RECTANGLE",
    "EMR_ROUNDRECT",
    "EMR_ARC",
    "EMR_CHORD",
    "EMR_PIE",
    "EMR_SELECTPALETTE",
    "EMR_CREATEPALETTE",
    "EMR_SETPALETTEENTRIES",
    "EMR_RESIZEPALETTE",
    "EMR_REALIZEPALETTE",
    "EMR_EXTFLOODFILL",
    "EMR_LINETO",
    "EMR_ARCTO",
    "EMR_POLYDRAW",
    "EMR_SETARCDIRECTION",
    "EMR_SETMITERLIMIT",
    "EMR_BEGINPATH",
    "EMR_ENDPATH",
    "EMR_CLOSEFIGURE",
    "EMR_FILLPATH",
    "EMR_STROKEANDFILLPATH",
    "EMR_STROKEPATH",
    "EMR_FLATTENPATH",
    "EMR_WIDENPATH",
    "EMR_SELECTCLIPPATH",
    "EMR_ABORTPATH",
    nullptr,
    "EMR_COMMENT",
    "EMR_FILLRGN",
    "EMR_FRAMERGN",
    "EMR_INVERTRGN",
    "EMR_PAINTRGN",
    "EMR_EXTSELECTCLIPRGN",
    "EMR_BITBLT",
    "EMR_STRETCHBLT",
    "EMR_MASKBLT",
    "EMR_PLGBLT",
    "EMR_SETDIBITSTODEVICE",
    "EMR_STRETCHDIBITS",
    "EMR_EXTCREATEFONTINDIRECTW",
    "EMR_EXTTEXTOUTA",
    "EMR_EXTTEXTOUTW",
    "EMR_POLYBEZIER16",
    "EMR_POLYGON16",
    "EMR_POLYLINE16",
    "EMR_POLYBEZIERTO16",
    "EMR_POLYLINETO16",
    "EMR_POLYPOLYLINE16",
    "EMR_POLYPOLYGON16",
    "EMR_POLYDRAW16",
    "EMR_CREATEMONOBRUSH",
    "EMR_CREATEDIBPATTERNBRUSHPT",
    "EMR_EXTCREATEPEN",
    "EMR_POLYTEXTOUTA",
    "EMR_POLYTEXTOUTW",
    "EMR_SETICMMODE",
    "EMR_CREATECOLORSPACE",
    "EMR_SETCOLORSPACE",
    "EMR_DELETECOLORSPACE",
    "EMR_GLSRECORD",
    "EMR_GLSBOUNDEDRECORD",
    "EMR_PIXELFORMAT",
    "EMR_DRAWESCAPE",
    "EMR_EXTESCAPE",
    nullptr,
    "EMR_SMALLTEXTOUT",
    "EMR_FORCEUFIMAPPING",
    "EMR_NAMEDESCAPE",
    "EMR_COLORCORRECTPALETTE",
    "EMR_SETICMPROFILEA",
    "EMR_SETICMPROFILEW",
    "EMR_ALPHABLEND",
    "EMR_SETLAYOUT",
    "EMR_TRANSPARENTBLT",
    nullptr,
    "EMR_GRADIENTFILL",
    "EMR_SETLINKEDUFIS",
    "EMR_SETTEXTJUSTIFICATION",
    "EMR_COLORMATCHTOTARGETW",
    "EMR_CREATECOLORSPACEW",
};

}  // namespace

const char* EmfRecordName(uint32_t type) {
    if (type <= kEmfLastRecordType && kNames[type]) return kNames[type];
    return "EMR_UNKNOWN";
}

bool IsKnownEmfRecordType(uint32_t type) { return type >= 1 && type <= kEmfLastRecordType && type != 69; }

EmfRecordTreatment EmfRecordTreatmentOf(uint32_t type) {
    switch (type) {
        case 1: case 9: case 10: case 11: case 12: case 13: case 14: case 17: case 21: case 23:
        case 31: case 32: case 33: case 34: case 35: case 36: case 37: case 48:
            return EmfRecordTreatment::PlayedAndDrawn;
        case 16: case 38: case 39: case 40: case 49: case 50: case 51: case 52: case 70:
        case 82: case 95: case 98: case 99: case 100: case 101: case 102: case 103: case 104:
        case 111: case 112: case 113: case 119: case 120: case 121: case 122:
            return EmfRecordTreatment::Played;
        case 93: case 94:
            return EmfRecordTreatment::Built;
        case 105: case 106: case 107: case 109: case 110: case 115: case 117:
            return EmfRecordTreatment::Ignored;
        default:
            break;
    }
    // Everything else that is known is drawn; unknown types are played only.
    return IsKnownEmfRecordType(type) ? EmfRecordTreatment::Drawn : EmfRecordTreatment::Played;
}

}  // namespace slidemill

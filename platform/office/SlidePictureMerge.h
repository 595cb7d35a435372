#pragma once
// Builds the one picture of a slide from the pieces the office suite exports for it.
//
// Impress exports a slide page without its master's objects, so a slide is exported in
// up to three pieces (background; the master's objects; the slide's own shapes), each a
// Windows metafile with a placeable header. Played one after another into a recorder,
// each inside SaveDC/RestoreDC and with its window set so that it lands on the page,
// they make the picture the clipboard receives.
//
// Shape-collection exports are not placed like the page export: their logical origin is
// the top-left corner of the shapes' bounds, moved a fixed margin further in, so a
// shape is drawn `margin` units up and left of where the page export draws it.
// ExportPiece carries where those bounds start on the page, so the window origin can
// be corrected.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Clipboard.h"

namespace slidemill {

// How far (in 0.01 mm) inside the shapes' bounds a shape-collection export puts its
// logical origin (measured on LibreOffice 7.4).
constexpr int32_t kCollectionExportMargin = 13;

struct ExportPiece {
    std::vector<uint8_t> file;  // the exported .wmf, placeable header included
    bool collection = false;    // a shape collection (true) or the page itself (false)
    int32_t originX = 0;        // collection: top-left of the shapes' bounds on the page, 0.01 mm
    int32_t originY = 0;
};

// A piece reduced to what can be played into the merged picture: the standard-header
// metafile with its window records rewritten to map the page, and without the embedded
// EMF copy ("WMFC" comments), which would describe the piece alone.
struct PreparedPiece {
    std::vector<uint8_t> wmf;  // standard header, no placeable header
    int16_t windowOrgX = 0;
    int16_t windowOrgY = 0;
    int16_t windowExtX = 0;
    int16_t windowExtY = 0;
};

// Logical units per inch of a piece: its placeable header's value, or 2540 (0.01 mm).
uint16_t PieceUnitsPerInch(std::span<const uint8_t> file);

// Nullopt with *error set when the piece is not a well-formed metafile.
std::optional<PreparedPiece> PreparePiece(const ExportPiece& piece, int32_t pageWidth, int32_t pageHeight,
                                          uint16_t unitsPerInch, std::string* error);

// The merged picture: map mode 8, extent = the page in 0.01 mm. Throws AutomationError
// when no piece can be used.
MetafilePicture MergeSlidePieces(const std::vector<ExportPiece>& pieces, int32_t pageWidth, int32_t pageHeight);

}  // namespace slidemill

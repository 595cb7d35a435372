#pragma once
// Turns the colour table of an indexed DIB into the 256 colours its pixel values select.

#include <array>
#include <span>

#include "platform/dib/DibHeader.h"
#include "platform/dib/DibTypes.h"

namespace slidemill {

using DibColorLut = std::array<DibRgb, 256>;

// Entries the table does not provide (a short table, an index past the palette) are black.
// `bmi` is the whole header span; with palette-relative usages a null palette means the
// default palette.
DibColorLut BuildColorLut(const DibInfo& info, std::span<const uint8_t> bmi, DibColorUsage usage,
                          const DibPalette* palette);

}  // namespace slidemill

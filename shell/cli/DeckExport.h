#pragma once
// `slidemill export-deck INPUT DIR`: writes a prepared deck folder (deck.json plus one
// placeable Windows metafile per slide) from any presentation, through the automation
// interface, so that the deck backend can later convert it without the application.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Clipboard.h"
#include "platform/automation/PresentationApp.h"

namespace slidemill {

// The placeable header's bounding box and units per inch for a clipboard picture.
struct PlaceableBox {
    int16_t left = 0, top = 0, right = 0, bottom = 0;
    uint16_t unitsPerInch = 2540;
};

// The window the picture's records set up (SETWINDOWORG / SETWINDOWEXT) gives the box
// in logical units; the picture's suggested extent (0.01 mm) gives how many of them
// make an inch. Without a window the logical units are taken to be 0.01 mm. Nothing
// when the box cannot be written in a placeable header (16-bit fields, zero extents).
std::optional<PlaceableBox> PlaceableBoxFor(const MetafilePicture& picture);

// Opens `input` in the application, copies every slide and writes the deck into
// `folder` (made when missing). Throws AutomationError on the application's failures
// and std::runtime_error when a file cannot be written or a picture is unusable.
void ExportDeck(PresentationApp& app, Clipboard& clipboard, const std::string& input, const std::string& folder);

}  // namespace slidemill

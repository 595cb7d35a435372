#pragma once
// The process-wide raster font collection: fonts that the text code adds from memory,
// shared by every renderer through a counted holder. Construction of a renderer takes a
// reference (creating the collection with a first, "creation" reference when there is
// none); its destruction gives one back. The conversion job drops the creation reference
// before each slide is loaded, so each slide's playback starts with a new collection.

#include <cstdint>
#include <vector>

namespace slidemill {

struct RasterFontCollection {
    std::vector<std::vector<uint8_t>> fonts;  // font files added from memory
};

// Takes one reference, creating the collection (count 1, then this reference) if needed.
RasterFontCollection* AcquireSharedFontCollection();
// Gives up one reference; at 0 the collection is destroyed and both globals cleared.
void ReleaseSharedFontCollection();
// The current collection and its count (null and 0 when there is none).
RasterFontCollection* SharedFontCollection();
int SharedFontCollectionCount();

}  // namespace slidemill

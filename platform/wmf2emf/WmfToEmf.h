#pragma once
// Conversion of a Windows metafile into an enhanced metafile, record by record
// ([MS-WMF] records to their [MS-EMF] counterparts): the stand-in for the platform's
// SetWinMetaFileBits.
//
// - WMF object index i becomes EMF object slot i + 1 (slot 0 is the metafile itself);
//   new WMF objects take the lowest free index, as the WMF object table does.
// - 16-bit coordinates become 32-bit fields, except polylines and polygons, which keep
//   their 16-bit EMF forms.
// - 8-bit text is widened by the code page of the selected font's character set.
// - The picture description (mapping mode 8 with an extent in 0.01 mm) sizes the frame;
//   without one the picture fills the whole reference display.
// - Records without an EMF counterpart are skipped and counted, never fatal. A record
//   whose size is impossible (below 3 words or past the data) ends the conversion with
//   an error: the data cannot be framed beyond it.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "metafile/EmfHeader.h"
#include "platform/emf/EnhMetaFile.h"

namespace slidemill {

// METAFILEPICT: mapping mode and picture extent in 0.01 mm.
struct MetafilePict {
    int32_t mm = 8;  // MM_ANISOTROPIC
    int32_t xExt = 0;
    int32_t yExt = 0;
};

struct WmfConversionOptions {
    std::optional<MetafilePict> picture;
    // The placeable header's bounding box (logical units): used as the window when the
    // metafile itself never sets a window extent.
    std::optional<EmfRectL> placeableBounds;
};

struct WmfConversionReport {
    std::string error;            // empty on success
    size_t errorOffset = 0;       // byte offset of the record that stopped the conversion
    uint32_t recordsRead = 0;     // WMF records framed (META_EOF included)
    uint32_t recordsWritten = 0;  // EMF records written (header and EOF included)
    uint32_t recordsSkipped = 0;  // WMF records without translation
    std::map<uint16_t, uint32_t> skippedByFunction;
    bool sawEof = false;
};

// Validates the 18-byte WMF header ([MS-WMF] 2.3.2.2 META_HEADER): type 1 or 2, header
// size 9 words, version 0x0100 or 0x0300.
bool IsWmfHeader(std::span<const uint8_t> bytes);

// Converts WMF bytes (without a placeable header) into EMF bytes. False with the
// report's error set when the data is not a WMF or cannot be framed.
bool ConvertWmfToEmf(std::span<const uint8_t> wmf, const WmfConversionOptions& options, std::vector<uint8_t>& emf,
                     WmfConversionReport* report = nullptr);

// SetWinMetaFileBits (size, bits, reference device = the reference display, picture).
std::unique_ptr<EnhMetaFile> SetWinMetaFileBits(size_t size, const uint8_t* bits, const MetafilePict* picture,
                                                WmfConversionReport* report = nullptr,
                                                const std::optional<EmfRectL>& placeableBounds = std::nullopt);

}  // namespace slidemill

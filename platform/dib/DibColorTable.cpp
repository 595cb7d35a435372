#include "platform/dib/DibColorTable.h"

#include <algorithm>

#include "metafile/ByteReader.h"

namespace slidemill {

DibColorLut BuildColorLut(const DibInfo& info, std::span<const uint8_t> bmi, DibColorUsage usage,
                          const DibPalette* palette) {
    DibColorLut lut{};
    if (!info.Indexed()) return lut;
    const DibPalette& pal = palette ? *palette : DefaultDibPalette();
    const size_t usable = size_t(1) << info.bitCount;

    if (usage == DibColorUsage::PalIndices) {
        for (size_t i = 0; i < usable && i < pal.entries.size(); ++i) lut[i] = pal.entries[i];
        return lut;
    }

    // Only the entries that lie inside the header span are read: a colour count larger
    // than the space the record gives the table is clamped to that space.
    ByteReader r(bmi);
    if (!r.Seek(info.colorTableOffset) || info.colorEntrySize == 0) return lut;
    const size_t inSpan = r.Remaining() / info.colorEntrySize;
    const size_t count = std::min({size_t(info.colorTableEntries), inSpan, usable});
    for (size_t i = 0; i < count; ++i) {
        if (usage == DibColorUsage::PalColors) {
            const uint16_t index = r.U16();
            if (index < pal.entries.size()) lut[i] = pal.entries[index];
        } else {
            DibRgb c;
            c.b = r.U8();
            c.g = r.U8();
            c.r = r.U8();
            if (info.colorEntrySize == 4) r.U8();  // reserved
            lut[i] = c;
        }
    }
    return lut;
}

const DibPalette& DefaultDibPalette() {
    static const DibPalette palette{{
        {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00}, {0x00, 0x00, 0x80},
        {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0}, {0xC0, 0xDC, 0xC0}, {0xA6, 0xCA, 0xF0},
        {0xFF, 0xFB, 0xF0}, {0xA0, 0xA0, 0xA4}, {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00},
        {0xFF, 0xFF, 0x00}, {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
    }};
    return palette;
}

}  // namespace slidemill

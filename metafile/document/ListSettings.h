#pragma once
// The display settings a list file may carry in its section "Settings". The document
// only holds them; nothing in the conversion reads them.

#include <cstdint>

namespace slidemill {

class IniFile;

struct ListSettings {
    uint16_t ctlBorder = 0;
    uint16_t ctlColorStyle = 1;
    uint32_t ctlColor = 15;  // a system-colour index
    uint32_t pageBorderVisible = 1;
    uint32_t pageShadowVisible = 1;
    uint16_t paperColorStyle = 2;
    uint32_t paperColor = 0xFFFFFF;
    uint16_t fitMode = 1;
    uint32_t scale = 10000;  // hundredths of a percent
    uint32_t leftMargin = 32;
    uint32_t topMargin = 32;
    uint32_t rightMargin = 32;
    uint32_t bottomMargin = 32;
    uint16_t pageOrientation = 0;
    uint16_t transparencyMode = 1;
    uint16_t reverseVideoMode = 32;
    uint32_t gdiplusEnabled = 1;
    uint16_t textRenderingQuality = 4;
    uint16_t textContrast = 2;
    uint16_t smoothingMode = 2;
    uint16_t interpolationMode = 7;
    uint16_t pixelOffsetMode = 2;
};

// Reads the 22 keys of section "Settings", in order; a missing key gives its default
// and 16-bit fields keep the low 16 bits of the value.
ListSettings ReadListSettings(const IniFile& ini);

}  // namespace slidemill

#include "metafile/document/ListSettings.h"

#include "platform/ini/IniFile.h"

namespace slidemill {

ListSettings ReadListSettings(const IniFile& ini) {
    ListSettings s;
    const char* section = "Settings";
    auto u16 = [&](const char* key, uint16_t& field) { field = uint16_t(ini.GetInt(section, key, field)); };
    auto u32 = [&](const char* key, uint32_t& field) { field = ini.GetInt(section, key, field); };
    u16("CtlBorder", s.ctlBorder);
    u16("CtlColorStyle", s.ctlColorStyle);
    u32("CtlColor", s.ctlColor);
    u32("PageBorderVisible", s.pageBorderVisible);
    u32("PageShadowVisible", s.pageShadowVisible);
    u16("PaperColorStyle", s.paperColorStyle);
    u32("PaperColor", s.paperColor);
    u16("FitMode", s.fitMode);
    u32("Scale", s.scale);
    u32("LeftMargin", s.leftMargin);
    u32("TopMargin", s.topMargin);
    u32("RightMargin", s.rightMargin);
    u32("BottomMargin", s.bottomMargin);
    u16("PageOrientation", s.pageOrientation);
    u16("TransparencyMode", s.transparencyMode);
    u16("ReverseVideoMode", s.reverseVideoMode);
    u32("GDIplusEnabled", s.gdiplusEnabled);
    u16("TextRenderingQuality", s.textRenderingQuality);
    u16("TextContrast", s.textContrast);
    u16("SmoothingMode", s.smoothingMode);
    u16("InterpolationMode", s.interpolationMode);
    u16("PixelOffsetMode", s.pixelOffsetMode);
    return s;
}

}  // namespace slidemill

#include "render/text/FontSelection.h"

#include "platform/text/WinAnsi.h"

namespace slidemill {

std::string FaceNameForWriter(const char16_t* faceName, int maxLength) {
    if (faceName == nullptr || maxLength <= 0) return {};
    int length = 0;
    while (length < maxLength && faceName[length] != 0) ++length;
    if (length == 2 && faceName[0] == 0x5B8B && faceName[1] == 0x4F53) return "\xCB\xCE\xCC\xE5";
    return Utf16ToWinAnsiText(faceName, length);
}

void SelectWriterFont(IPageWriter& writer, const std::string& faceName, int32_t lfWeight, uint8_t lfItalic) {
    const bool bold = lfWeight > 500;
    const bool italic = lfItalic != 0;
    if (writer.SetFont(faceName, bold, italic) == 0) writer.SetFont("Arial", bold, italic);
}

}  // namespace slidemill

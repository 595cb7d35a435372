#pragma once
// What the renderer does when the metafile selects a font: choose the writer's PDF font
// for the face, weight and slant of the LOGFONT, falling back to "Arial".

#include <cstdint>
#include <string>

#include "pdf/PageWriter.h"

namespace slidemill {

// The LOGFONT's face name (UTF-16, up to its terminating zero) as the ANSI bytes the
// writer matches. The Song face 宋体 becomes its GB2312 bytes, which the writer knows.
std::string FaceNameForWriter(const char16_t* faceName, int maxLength);

// bold := lfWeight > 500, italic := lfItalic != 0; SetFont(face), else SetFont("Arial").
void SelectWriterFont(IPageWriter& writer, const std::string& faceName, int32_t lfWeight, uint8_t lfItalic);

}  // namespace slidemill

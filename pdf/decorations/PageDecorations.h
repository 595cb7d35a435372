#pragma once
// Header, footer and text watermark: one line of text in "Arial" on every page, drawn
// after the slide and never clipped by it. Texts are ANSI (Windows-1252) byte strings
// and go to the page in WinAnsiEncoding, so the euro sign, dashes and quotes show as
// themselves.

#include <string>

#include "pdf/decorations/MacroExpansion.h"

namespace PoDoFo {
class PdfDocument;
class PdfPainter;
}  // namespace PoDoFo

namespace slidemill {

class CPdfFontSet;

// The page being decorated: its document, painter (attached to the page), size in
// points, the writer's font set and the values the macros expand to.
struct DecorationTarget {
    PoDoFo::PdfDocument& document;
    PoDoFo::PdfPainter& painter;
    double pageWidth;
    double pageHeight;
    CPdfFontSet& fonts;
    MacroContext macros;
};

enum class LineAlignment { Left = 0, Center = 1, Right = 2 };

// alignment 0 left, 1 centre, 2 right. The size is H / 80, at least 10 points; the
// header's baseline is 5 + size below the top edge, the footer's 5 above the bottom.
void DrawHeader(DecorationTarget& target, const std::string& text, int alignment);
void DrawFooter(DecorationTarget& target, const std::string& text, int alignment);

// Half-transparent text, sizeMm millimetres high (at least 10 points), at one of the
// positions 0 Left-Top, 1 Top, 2 Right-Top, 3 Left, 4 Center, 5 Right; 6, 7, 8 are the
// bottom row. Anything drawn afterwards on the page is opaque again.
void DrawWatermark(DecorationTarget& target, const std::string& text, int position, double sizeMm);

// Where the watermark goes: its baseline y (PDF coordinates) and alignment.
struct WatermarkPlacement {
    double baseline;
    LineAlignment alignment;
};
WatermarkPlacement PlaceWatermark(int position, double pageHeight, double size);
double WatermarkSize(double sizeMm);
double HeaderFooterSize(double pageHeight);

}  // namespace slidemill

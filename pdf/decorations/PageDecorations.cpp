#include "pdf/decorations/PageDecorations.h"

#include <podofo/podofo.h>

#include "pdf/fonts/PdfFontSet.h"
#include "platform/text/WinAnsi.h"

namespace slidemill {

namespace {

constexpr double kMargin = 5.0;
constexpr double kMinimumSize = 10.0;

LineAlignment AlignmentOf(int alignment) {
    if (alignment == 1) return LineAlignment::Center;
    if (alignment == 2) return LineAlignment::Right;
    return LineAlignment::Left;
}

// Width of the ANSI text in the font at its current size. PoDoFo's own measuring reads
// each byte as a code point, which is wrong for 0x80 ... 0x9F; the characters are
// measured here as what they are.
double TextWidth(const PoDoFo::PdfFont& font, const std::string& text) {
    const PoDoFo::PdfFontMetrics* metrics = font.GetFontMetrics();
    if (metrics == nullptr) return 0.0;
    double width = 0.0;
    for (char c : text) width += metrics->UnicodeCharWidth(WinAnsiToUnicode(static_cast<uint8_t>(c)));
    return width;
}

// Selects the decoration font at the size in black. False when there is no font.
bool SelectFont(DecorationTarget& target, double size) {
    PoDoFo::PdfFont* font = target.fonts.DecorationFont(target.document);
    if (font == nullptr) return false;
    font->SetFontSize(static_cast<float>(size));
    target.painter.SetFont(font);
    target.fonts.ForgetPainterFont();
    target.painter.SetColor(0.0, 0.0, 0.0);
    return true;
}

// One line of the expanded text within the band x = 5 ... W - 5.
void DrawLine(DecorationTarget& target, const std::string& text, double baseline, LineAlignment alignment) {
    std::string expanded = text;
    ExpandMacros(expanded, target.macros);
    PoDoFo::PdfFont* font = target.painter.GetFont();
    if (font == nullptr || expanded.empty()) return;
    const double band = target.pageWidth - 2 * kMargin;
    const double free = band - TextWidth(*font, expanded);
    double x = kMargin;
    if (alignment == LineAlignment::Center) x += free / 2;
    if (alignment == LineAlignment::Right) x += free;
    target.painter.DrawText(x, baseline,
                            PoDoFo::PdfString(expanded.data(), static_cast<PoDoFo::pdf_long>(expanded.size()), false,
                                              PoDoFo::PdfEncodingFactory::GlobalWinAnsiEncodingInstance()));
}

void SetOpacity(DecorationTarget& target, float opacity) {
    PoDoFo::PdfExtGState state(&target.document);
    state.SetFillOpacity(opacity);
    state.SetStrokeOpacity(opacity);
    target.painter.SetExtGState(&state);
}

}  // namespace

double HeaderFooterSize(double pageHeight) {
    const double size = pageHeight / 80;
    return size < kMinimumSize ? kMinimumSize : size;
}

double WatermarkSize(double sizeMm) {
    const double size = sizeMm * 72 / 25.4;
    return size < kMinimumSize ? kMinimumSize : size;
}

WatermarkPlacement PlaceWatermark(int position, double pageHeight, double size) {
    switch (position) {
        case 0: return {pageHeight - kMargin - size, LineAlignment::Left};
        case 1: return {pageHeight - kMargin - size, LineAlignment::Center};
        case 2: return {pageHeight - kMargin - size, LineAlignment::Right};
        case 3: return {pageHeight / 2 - kMargin - size, LineAlignment::Left};
        case 4: return {pageHeight / 2 - kMargin - size, LineAlignment::Center};
        case 5: return {pageHeight / 2 - kMargin - size, LineAlignment::Right};
        case 7: return {kMargin, LineAlignment::Center};
        case 8: return {kMargin, LineAlignment::Right};
        default: return {kMargin, LineAlignment::Left};  // 6 and anything the dialog never offers
    }
}

void DrawHeader(DecorationTarget& target, const std::string& text, int alignment) {
    if (text.empty()) return;
    const double size = HeaderFooterSize(target.pageHeight);
    if (!SelectFont(target, size)) return;
    DrawLine(target, text, target.pageHeight - kMargin - size, AlignmentOf(alignment));
}

void DrawFooter(DecorationTarget& target, const std::string& text, int alignment) {
    if (text.empty()) return;
    const double size = HeaderFooterSize(target.pageHeight);
    if (!SelectFont(target, size)) return;
    DrawLine(target, text, kMargin, AlignmentOf(alignment));
}

void DrawWatermark(DecorationTarget& target, const std::string& text, int position, double sizeMm) {
    if (text.empty()) return;
    const double size = WatermarkSize(sizeMm);
    if (!SelectFont(target, size)) return;
    SetOpacity(target, 0.5f);
    const WatermarkPlacement placement = PlaceWatermark(position, target.pageHeight, size);
    DrawLine(target, text, placement.baseline, placement.alignment);
    SetOpacity(target, 1.0f);
}

}  // namespace slidemill

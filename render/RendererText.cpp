// The renderer's PDF text: each string of a text record is placed character by character
// through the writer, measured on the playback context in the font the metafile selected,
// and then classified for the hyperlink bookkeeping.
#include <vector>

#include "platform/gdi/PlaybackContext.h"
#include "platform/text/WinAnsi.h"
#include "render/EmfRenderer.h"
#include "render/text/FontSelection.h"

namespace slidemill {

namespace {

// Text extents from the playback context (GetTextExtentPoint32W), in logical units.
class PlaybackTextMeasure : public ITextRunMeasure {
public:
    explicit PlaybackTextMeasure(PlaybackContext* context) : context_(context) {}

    bool MeasureText(const char16_t* text, int count, int32_t& cx, int32_t& cy) override {
        cx = cy = 0;
        if (context_ == nullptr || text == nullptr || count < 0) return false;
        SIZEL size{};
        if (!context_->GetTextExtentPoint(text, count, size)) return false;
        cx = size.cx;
        cy = size.cy;
        return true;
    }

private:
    PlaybackContext* context_;
};

}  // namespace

void CEmfRenderer::PdfTextOut(int32_t x, int32_t y, const char16_t* text, int32_t count, const int32_t* advances) {
    if (!ToWriter()) return;
    if (text == nullptr || count <= 0) return;
    PlaybackTextMeasure measure(playback_);
    const LOGFONTW* font = CurrentFont();
    const int32_t escapement = font ? font->lfEscapement : 0;
    const PlacedTextRun run =
        PlaceTextRun(*writer_, measure, textCursor_, x, y, text, count, advances, pdfScale_, textAlign_, escapement);
    ClassifyTextRun(*writer_, linkRuns_, writer_->LinkContinues(), Utf16ToWinAnsiText(text, count),
                    TextRunGeometry{run.x, run.y, run.cx, run.cy}, pdfScale_, writer_->Geometry().pageHeight);
}

}  // namespace slidemill

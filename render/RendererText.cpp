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

    bool MeasureAscent(int32_t& ascent) override {
        ascent = 0;
        return context_ != nullptr && context_->GetTextAscent(ascent);
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
    // TA_UPDATECP: the run starts at the current position, not at the record's point,
    // and moves the position to its far end (for centred text it stays).
    const bool fromPosition = (textAlign_ & kTextAlignUpdateCp) != 0;
    if (fromPosition) {
        x = position_.x;
        y = position_.y;
    }
    const PlacedTextRun run =
        PlaceTextRun(*writer_, measure, textCursor_, x, y, text, count, advances, pdfScale_, textAlign_, escapement);
    if (fromPosition) {
        int64_t width = 0;
        if (advances != nullptr) {
            for (int32_t i = 0; i < count; ++i) width += advances[i];
        } else {
            width = run.cx;
        }
        const uint32_t horizontal = textAlign_ & 6u;
        const int64_t moved = horizontal == 6u ? 0 : horizontal == 2u ? -width : width;
        position_.x = int32_t(uint32_t(uint64_t(int64_t(position_.x) + moved)));
        if (playback_) playback_->MoveTo(position_);
    }
    ClassifyTextRun(*writer_, linkRuns_, writer_->LinkContinues(), Utf16ToWinAnsiText(text, count),
                    TextRunGeometry{run.x, run.y, run.cx, run.cy}, pdfScale_, writer_->Geometry().pageHeight);
}

}  // namespace slidemill

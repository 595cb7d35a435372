#pragma once
// Placing one text run of a played metafile on the page, character by character,
// through the writer's DrawChar. The renderer calls it for every string of a text
// record; what it returns is what the link bookkeeping matches the run with.
//
// Coordinates are the metafile's logical units; the writer's geometry supplies the
// play offset and the text scale, the caller the PDF scale s (points per logical unit).

#include <cstdint>

#include "pdf/PageWriter.h"

namespace slidemill {

// Text measuring on the playback context (GetTextExtentPoint32W): the extent of a
// string in the selected font, in logical units.
class ITextRunMeasure {
public:
    virtual ~ITextRunMeasure() = default;
    virtual bool MeasureText(const char16_t* text, int count, int32_t& cx, int32_t& cy) = 0;
    // The selected font's ascent (tmAscent); false when the measure has none, and then
    // a share of the cell stands in for it.
    virtual bool MeasureAscent(int32_t& ascent) {
        ascent = 0;
        return false;
    }
};

// Where the previous run ended; both 0 at the start of every playback.
struct TextRunCursor {
    int32_t lastX = 0;
    int32_t lastY = 0;
};

// The run's start (play offset added, before the overlap rule) and its whole extent.
struct PlacedTextRun {
    int32_t x = 0;
    int32_t y = 0;
    int32_t cx = 0;
    int32_t cy = 0;
};

// Draws text[0 .. count) starting at (x, y): a run that starts inside the previous run
// of the same line continues where that one ended; each character is sized by its own
// cell height and advanced by its advance times the text scale. advances may be null,
// then each character advances by its measured width. A character whose advance is 0
// (the tail of a ligature) is drawn right after the character before it.
//
// textAlign is the text alignment of the playback context and decides which point of
// the run (x, y) is: its left end, centre or right end (TA_LEFT 0, TA_CENTER 6,
// TA_RIGHT 2), on its top, baseline or bottom (TA_TOP 0, TA_BASELINE 24, TA_BOTTOM 8).
// The returned x is the run's left end.
//
// escapement is the font's, in tenths of a degree counterclockwise: the run is turned
// by it around (x, y), and its characters with it (SetTextRotation, back to 0 after).
constexpr uint32_t kTextAlignBaselineLeft = 24;
constexpr uint32_t kTextAlignUpdateCp = 1;
PlacedTextRun PlaceTextRun(IPageWriter& writer, ITextRunMeasure& measure, TextRunCursor& cursor, int32_t x, int32_t y,
                           const char16_t* text, int count, const int32_t* advances, double pdfScale,
                           uint32_t textAlign = kTextAlignBaselineLeft, int32_t escapement = 0);

// The share of the character cell above the baseline, for top- and bottom-aligned text
// when the font's own ascent is not known: the cell is the font's ascent plus descent,
// and the faces presentations use put about four fifths of it above the baseline.
constexpr double kAscentShareOfCell = 0.8;

}  // namespace slidemill

#include "render/text/TextRunPlacement.h"

#include <cmath>
#include <limits>

namespace slidemill {

namespace {

// 32-bit logical coordinates as the metafile has them; sums wrap instead of overflowing.
int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value))); }

int32_t TruncToInt(double value) {
    if (!std::isfinite(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// Combining marks (U+0300 ... U+036F) have no advance of their own and belong over the
// character before them.
bool IsCombiningMark(char16_t c) { return c >= 0x0300 && c <= 0x036F; }

}  // namespace

PlacedTextRun PlaceTextRun(IPageWriter& writer, ITextRunMeasure& measure, TextRunCursor& cursor, int32_t x, int32_t y,
                           const char16_t* text, int count, const int32_t* advances, double pdfScale,
                           uint32_t textAlign, int32_t escapement) {
    const PageGeometry& geometry = writer.Geometry();
    const double textScale = geometry.textScale;
    PlacedTextRun run;
    run.x = Wrap(static_cast<int64_t>(x) + geometry.offX);
    run.y = Wrap(static_cast<int64_t>(y) + geometry.offY);
    const double referenceX = run.x;
    const double referenceY = run.y;
    if (text == nullptr || count < 0) count = 0;
    if (!measure.MeasureText(text, count, run.cx, run.cy)) run.cx = run.cy = 0;

    // The reference point moves to the left end of the baseline, where the characters go.
    double width = run.cx;
    if (advances != nullptr) {
        width = 0;
        for (int i = 0; i < count; ++i) width += advances[i];
    }
    width *= textScale;
    const uint32_t horizontal = textAlign & 6u;
    if (horizontal == 6u) {
        run.x = TruncToInt(run.x - width / 2);
    } else if (horizontal == 2u) {
        run.x = TruncToInt(run.x - width);
    }
    int32_t baseline = run.y;
    const uint32_t vertical = textAlign & 24u;
    if (vertical == 0u || vertical == 8u) {
        int32_t measured = 0;
        const double ascent = measure.MeasureAscent(measured) && measured >= 0 && measured <= run.cy
                                  ? double(measured)
                                  : run.cy * kAscentShareOfCell;
        baseline = vertical == 0u ? TruncToInt(run.y + ascent * textScale)
                                  : TruncToInt(run.y - (run.cy - ascent) * textScale);
    }

    int32_t penX = run.x;
    const int32_t penY = baseline;
    if (cursor.lastY == penY && penX < cursor.lastX && static_cast<int64_t>(cursor.lastX) < static_cast<int64_t>(penX) + run.cx) {
        penX = cursor.lastX;
    }

    // A turned run: every position is turned around the reference point, counterclockwise
    // on the page (whose y grows downwards). A full turn is upright.
    const int32_t tenths = escapement % 3600;
    const double radians = tenths * 3.14159265358979323846 / 1800.0;
    const double cosine = tenths == 0 ? 1.0 : std::cos(radians);
    const double sine = tenths == 0 ? 0.0 : std::sin(radians);
    if (tenths != 0 && count > 0) writer.SetTextRotation(tenths / 10.0);

    double previousX = penX;  // where the previous character was drawn, and its width
    double previousWidth = 0.0;
    for (int i = 0; i < count; ++i) {
        int32_t charWidth = 0;
        int32_t cellHeight = 0;
        if (!measure.MeasureText(text + i, 1, charWidth, cellHeight)) charWidth = cellHeight = 0;
        // A shaping application gives a ligature's whole advance to its first character
        // and none to the rest ("fi" as f 978, i 0). Drawn at the pen, the rest would sit
        // after the ligature, on top of the next character: each goes right after the
        // character before it instead, and the pen still moves by the record's advances.
        double drawX = penX;
        if (advances != nullptr && advances[i] == 0 && i > 0 && !IsCombiningMark(text[i]) && text[i] != 0x20) {
            drawX = previousX + previousWidth * textScale;
        }
        const double dx = drawX - referenceX;
        const double dy = penY - referenceY;
        const double turnedX = referenceX + dx * cosine + dy * sine;
        const double turnedY = referenceY - dx * sine + dy * cosine;
        writer.DrawChar(static_cast<uint16_t>(text[i]), turnedX * pdfScale, turnedY * pdfScale,
                        cellHeight * textScale * pdfScale);
        previousX = drawX;
        previousWidth = charWidth;
        const double advance = advances ? advances[i] : charWidth;
        penX = TruncToInt(penX + advance * textScale);
        cursor.lastX = penX;
        cursor.lastY = penY;
    }
    if (tenths != 0 && count > 0) writer.SetTextRotation(0);
    return run;
}

}  // namespace slidemill

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

}  // namespace

PlacedTextRun PlaceTextRun(IPageWriter& writer, ITextRunMeasure& measure, TextRunCursor& cursor, int32_t x, int32_t y,
                           const char16_t* text, int count, const int32_t* advances, double pdfScale) {
    const PageGeometry& geometry = writer.Geometry();
    PlacedTextRun run;
    run.x = Wrap(static_cast<int64_t>(x) + geometry.offX);
    run.y = Wrap(static_cast<int64_t>(y) + geometry.offY);
    if (text == nullptr || count < 0) count = 0;
    if (!measure.MeasureText(text, count, run.cx, run.cy)) run.cx = run.cy = 0;

    int32_t penX = run.x;
    const int32_t penY = run.y;
    if (cursor.lastY == penY && penX < cursor.lastX && static_cast<int64_t>(cursor.lastX) < static_cast<int64_t>(penX) + run.cx) {
        penX = cursor.lastX;
    }

    const double textScale = geometry.textScale;
    for (int i = 0; i < count; ++i) {
        int32_t charWidth = 0;
        int32_t cellHeight = 0;
        if (!measure.MeasureText(text + i, 1, charWidth, cellHeight)) charWidth = cellHeight = 0;
        writer.DrawChar(static_cast<uint16_t>(text[i]), penX * pdfScale, penY * pdfScale, cellHeight * textScale * pdfScale);
        const double advance = advances ? advances[i] : charWidth;
        penX = TruncToInt(penX + advance * textScale);
        cursor.lastX = penX;
        cursor.lastY = penY;
    }
    return run;
}

}  // namespace slidemill

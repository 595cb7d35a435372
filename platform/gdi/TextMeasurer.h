#pragma once
// Text measurement for the playback context: how wide a run of characters is in the
// font a LOGFONT describes, in the logical units of that LOGFONT's height.
//
// The face is the one fontconfig matches for the face name, weight and slant (so that
// "Arial" finds its metric-compatible stand-in). A negative lfHeight is the em size; a
// positive one is the cell height (usWinAscent + usWinDescent). Advances are whole
// logical units, like the platform's integer glyph advances, and no kerning is applied.
//
// Faces and their advances are cached for the life of the measurer, so one measurer is
// meant to serve a whole run of pages.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/GdiTypes.h"

namespace slidemill {

class ITextMeasurer {
public:
    virtual ~ITextMeasurer() = default;
    // Cumulative extents: out[i] is the width of the first i + 1 characters. False when
    // no face can be found; out is then left empty.
    virtual bool MeasureExtents(const LOGFONTW& font, const char16_t* text, int count, std::vector<int32_t>& out) = 0;
    // The character cell height (ascent plus descent, the height of a text extent) in
    // logical units. Measurers without face metrics answer the LOGFONT's height.
    virtual bool MeasureCellHeight(const LOGFONTW& font, int32_t& height) {
        height = int32_t(std::min<int64_t>(font.lfHeight < 0 ? -int64_t(font.lfHeight) : int64_t(font.lfHeight),
                                           INT32_MAX));
        return true;
    }
    // The part of the cell above the baseline (tmAscent), in logical units. Measurers
    // without face metrics answer four fifths of the cell, about what the faces of
    // presentations have.
    virtual bool MeasureAscent(const LOGFONTW& font, int32_t& ascent) {
        int32_t cell = 0;
        if (!MeasureCellHeight(font, cell)) return false;
        ascent = int32_t(double(cell) * 0.8 + 0.5);
        return true;
    }
};

class CFreeTypeTextMeasurer : public ITextMeasurer {
public:
    CFreeTypeTextMeasurer();
    ~CFreeTypeTextMeasurer() override;
    CFreeTypeTextMeasurer(const CFreeTypeTextMeasurer&) = delete;
    CFreeTypeTextMeasurer& operator=(const CFreeTypeTextMeasurer&) = delete;

    bool MeasureExtents(const LOGFONTW& font, const char16_t* text, int count, std::vector<int32_t>& out) override;
    // A negative lfHeight is the em size: the cell is em x (usWinAscent + usWinDescent) /
    // unitsPerEm, rounded, as the platform's text metrics give it.
    bool MeasureCellHeight(const LOGFONTW& font, int32_t& height) override;
    // usWinAscent of the cell, scaled as the cell is.
    bool MeasureAscent(const LOGFONTW& font, int32_t& ascent) override;

    // The font file fontconfig picks for a face name, weight and slant ("" when none).
    std::string MatchFile(const std::string& family, int weight, bool italic);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Face name of a LOGFONT as UTF-8.
std::string FaceNameUtf8(const LOGFONTW& font);

}  // namespace slidemill

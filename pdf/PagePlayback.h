#pragma once
// What the page writer needs to play one picture onto its current page, without knowing
// how pictures are stored or parsed: the picture's reference resolution and a call that
// plays it. The metafile side implements it (document page + record player); the writer
// sizes the play area and then hands over.

#include <cstdint>

#include "pdf/PageWriter.h"

namespace slidemill {

// Play rectangle in integers (left, top, right, bottom).
struct PlayRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The eleven rendering option values the writer holds and copies into the renderer
// before each playback.
struct RenderOptions {
    int32_t textRenderingHint = 4;
    int32_t textContrast = 2;
    int32_t smoothingMode = 2;
    int32_t interpolationMode = 7;
    int32_t pixelOffsetMode = 2;
    uint32_t whiteReplacement = 0xFFFFFF;
    int32_t colorMode = 2;
    int32_t invertColors = 0;
    int32_t pageUnitFlag = 0;
    float pageScale = 1.0f;
    int32_t eraseBackground = 0;
};

class IPagePlayback {
public:
    virtual ~IPagePlayback() = default;
    // The picture's reference-device resolution in pixels per inch, from its header.
    // False when there is no picture to play.
    virtual bool PictureResolution(int32_t& dpiX, int32_t& dpiY) = 0;
    // Plays the whole picture onto the writer's current page into the rectangle, with
    // the renderer linked to the writer in PDF mode. Returns the player's result code.
    virtual int Play(IPageWriter& writer, const PlayRect& rect, const RenderOptions& options, double pdfScale) = 0;
};

}  // namespace slidemill

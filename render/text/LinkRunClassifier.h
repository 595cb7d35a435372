#pragma once
// The last step of placing a text run: deciding whether the run shows a hyperlink,
// giving it a URI link annotation if so, and handing it to the text-run bookkeeping of
// links between slides. Runs on the renderer's side, through the writer's operations.

#include <cstdint>
#include <string>

#include "pdf/PageWriter.h"

namespace slidemill {

// Renderer state of the link runs of one page; starts afresh with every playback.
struct LinkRunState {
    std::string lastLinkTarget;
    bool hasLastLinkHeight = false;  // no run matches the height until a link run sets it
    float lastLinkHeight = 0.0f;
};

// The run as placed: text in the ANSI code page, start (x, y) before the overlap rule
// and whole-string extent (cx, cy), all in logical units.
struct TextRunGeometry {
    int32_t x = 0;
    int32_t y = 0;
    int32_t cx = 0;
    int32_t cy = 0;
};

// linkContinues is the writer's flag (it lives for the whole run, across pages); s the
// PDF scale, pageHeight the page height H in points.
void ClassifyTextRun(IPageWriter& writer, LinkRunState& state, bool& linkContinues, const std::string& text,
                     const TextRunGeometry& run, double s, double pageHeight);

}  // namespace slidemill

#pragma once
// Writes the clipboard's metafile picture as a Windows metafile file: a saved state, the
// picture's map mode and a viewport fitted to a third of the capture box, the picture's
// own records, the restore. The picture's extent goes back to the caller, who hands it on
// to the page writer.

#include <cstdint>
#include <string>

#include "platform/Clipboard.h"

namespace slidemill {

// The viewport extent that fits a picture of extent xExt x yExt into a box of w x h
// (already divided), keeping the picture's proportions. Pictures without a usable extent
// (zero or negative) and empty boxes get the box itself.
struct ViewportExtent {
    int32_t cx = 0;
    int32_t cy = 0;
};
ViewportExtent FitPictureToBox(int32_t w, int32_t h, int32_t xExt, int32_t yExt);

// Returns 1 when a picture was captured (the extent is then stored), 0 otherwise. A file
// is left at the path in every case it can be created; it is an empty metafile when the
// clipboard holds no picture. The clipboard is emptied whenever it was opened.
int CaptureClipboardPicture(Clipboard& clipboard, const std::string& path, int32_t boxWidth, int32_t boxHeight,
                            float& extentWidth, float& extentHeight);

}  // namespace slidemill

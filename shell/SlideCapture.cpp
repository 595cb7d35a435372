#include "shell/SlideCapture.h"

#include <algorithm>
#include <cmath>

#include "platform/files/Files.h"
#include "platform/wmf/WmfRecorder.h"

namespace slidemill {

namespace {
int16_t ToInt16(int64_t v) { return int16_t(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX)); }

// trunc(v + 0.5) kept inside 32 bits.
int32_t RoundHalfUp(float v) {
    const float r = std::trunc(v + 0.5f);
    if (!(r > -2147483648.0f)) return INT32_MIN;  // also NaN
    if (r >= 2147483648.0f) return INT32_MAX;
    return int32_t(r);
}
}  // namespace

ViewportExtent FitPictureToBox(int32_t w, int32_t h, int32_t xExt, int32_t yExt) {
    if (xExt <= 0 || yExt <= 0 || w <= 0 || h <= 0) return {w, h};
    const float boxRatio = float(w) / float(h);
    const float pictureRatio = float(xExt) / float(yExt);
    if (boxRatio > pictureRatio) return {RoundHalfUp(float(h) * pictureRatio), h};
    return {w, RoundHalfUp(float(w) / pictureRatio)};
}

int CaptureClipboardPicture(Clipboard& clipboard, const std::string& path, int32_t boxWidth, int32_t boxHeight,
                            float& extentWidth, float& extentHeight) {
    const int32_t w = boxWidth / 3;
    const int32_t h = boxHeight / 3;

    WmfRecorder recording;
    auto close = [&](int result) { return WriteFileBytes(path, recording.Finish()) ? result : 0; };
    // The file is created (or truncated) before the clipboard is looked at.
    if (!WriteFileBytes(path, {})) return 0;

    if (!clipboard.IsFormatAvailable(kClipboardFormatMetafilePict)) return close(0);
    if (!clipboard.Open()) return close(0);
    const MetafilePicture* picture = clipboard.GetMetafilePicture();
    if (!picture) {
        recording.RestoreDC(-1);
        clipboard.Empty();
        clipboard.Close();
        return close(0);
    }

    recording.SaveDC();
    recording.SetMapMode(ToInt16(picture->mm));
    const ViewportExtent fit = FitPictureToBox(w, h, picture->xExt, picture->yExt);
    recording.SetViewportExt(ToInt16(fit.cx), ToInt16(fit.cy));
    recording.SetViewportOrg(0, 0);
    // A damaged picture keeps what played before its bad record, as the platform does.
    recording.PlayMetafile(picture->wmf);
    const float width = float(picture->xExt);
    const float height = float(picture->yExt);
    recording.RestoreDC(-1);

    clipboard.Empty();
    clipboard.Close();
    if (!close(1)) return 0;
    extentWidth = width;
    extentHeight = height;
    return 1;
}

}  // namespace slidemill

#include "metafile/player/EmfPagePlayback.h"

#include "metafile/EmfHeader.h"
#include "metafile/player/EmfParser.h"
#include "platform/gdi/PlaybackContext.h"

namespace slidemill {

CEmfPagePlayback::CEmfPagePlayback(std::vector<uint8_t> emf, std::shared_ptr<ITextMeasurer> measurer)
    : emf_(std::move(emf)), measurer_(std::move(measurer)) {}

CEmfPagePlayback::CEmfPagePlayback(std::span<const uint8_t> emf, std::shared_ptr<ITextMeasurer> measurer)
    : emf_(emf.begin(), emf.end()), measurer_(std::move(measurer)) {}

bool CEmfPagePlayback::PictureResolution(int32_t& dpiX, int32_t& dpiY) {
    int32_t w = 0, h = 0;
    return ReadPictureResolution(emf_, dpiX, dpiY, w, h);
}

int CEmfPagePlayback::Play(IPageWriter& writer, const PlayRect& rect, const RenderOptions& options, double pdfScale) {
    if (!measurer_) measurer_ = std::make_shared<CFreeTypeTextMeasurer>();
    PlaybackContext dc(measurer_);
    CEmfPlayer player;
    CEmfRenderer& renderer = player.GetRenderer();
    renderer.Link(&writer, true, pdfScale);
    renderer.SetRenderOptions(options);
    PlaybackRect target{rect.left, rect.top, rect.right, rect.bottom};
    int result = player.Play(&dc, emf_, 0, target);
    renderer.CloseOpenStates();
    lastRecords_ = player.RecordCount();
    return result;
}

}  // namespace slidemill

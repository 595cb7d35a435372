#pragma once
// Plays one in-memory EMF onto the page writer's current page: the metafile side of the
// writer's playback seam. Each Play builds the record player on its stack, links the
// renderer to the writer (PDF mode on, the writer's scale), copies the render options
// and walks the picture into the play rectangle over a fresh playback context.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "pdf/PagePlayback.h"
#include "platform/gdi/TextMeasurer.h"

namespace slidemill {

class CEmfPagePlayback : public IPagePlayback {
public:
    // Keeps a copy of the bytes. The measurer, when given, is shared (its face and
    // advance caches then serve every page of a run).
    explicit CEmfPagePlayback(std::vector<uint8_t> emf, std::shared_ptr<ITextMeasurer> measurer = nullptr);
    CEmfPagePlayback(std::span<const uint8_t> emf, std::shared_ptr<ITextMeasurer> measurer = nullptr);

    bool PictureResolution(int32_t& dpiX, int32_t& dpiY) override;
    int Play(IPageWriter& writer, const PlayRect& rect, const RenderOptions& options, double pdfScale) override;

    // Records handled by the last Play.
    uint64_t LastRecordCount() const { return lastRecords_; }

private:
    std::vector<uint8_t> emf_;
    std::shared_ptr<ITextMeasurer> measurer_;
    uint64_t lastRecords_ = 0;
};

}  // namespace slidemill

#pragma once
// A picture source that checks the capture file and plays nothing: it accepts a file that
// is a Windows metafile whose records are framed from the header to the end-of-file
// record, and reports the reference display's 96 dpi. It lets the conversion road run
// end to end (pages of the slide size, links, decorations) where no metafile document
// is linked in.

#include <span>

#include "shell/SlidePictureSource.h"

namespace slidemill {

class FramedWmfPictureSource : public ISlidePictureSource, private IPagePlayback {
public:
    static constexpr uint32_t kTypeWmf = 0x0002;

    uint32_t OpenFile(const std::string& path) override;
    IPagePlayback& FirstPage() override { return *this; }

private:
    bool PictureResolution(int32_t& dpiX, int32_t& dpiY) override;
    int Play(IPageWriter& writer, const PlayRect& rect, const RenderOptions& options, double pdfScale) override;

    bool open_ = false;
};

// True when the bytes hold a standard metafile header and records that chain, inside the
// bytes, up to the end-of-file record.
bool IsFramedWmf(std::span<const uint8_t> bytes);

}  // namespace slidemill

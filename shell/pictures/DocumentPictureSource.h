#pragma once
// The picture source of a real run: the metafile document opens each capture file (a
// Windows metafile, converted to an in-memory EMF) and its first page is played by the
// record player onto the writer's page. One text measurer serves every slide of the run.

#include <memory>
#include <optional>

#include "metafile/document/MetafileDocument.h"
#include "metafile/player/EmfPagePlayback.h"
#include "shell/SlidePictureSource.h"

namespace slidemill {

class DocumentPictureSource : public ISlidePictureSource {
public:
    // `document` is the caller's (the window's) when given, else one of its own.
    explicit DocumentPictureSource(CMetafileDocument* document = nullptr);
    ~DocumentPictureSource() override;

    uint32_t OpenFile(const std::string& path) override;
    IPagePlayback& FirstPage() override;

private:
    // What FirstPage hands over when the document has no picture: plays nothing.
    class EmptyPlayback : public IPagePlayback {
    public:
        bool PictureResolution(int32_t&, int32_t&) override { return false; }
        int Play(IPageWriter&, const PlayRect&, const RenderOptions&, double) override { return 0; }
    };

    std::unique_ptr<CMetafileDocument> ownDocument_;
    CMetafileDocument* document_;
    std::shared_ptr<ITextMeasurer> measurer_;
    std::unique_ptr<CEmfPagePlayback> playback_;
    EmptyPlayback empty_;
};

}  // namespace slidemill

#include "shell/pictures/DocumentPictureSource.h"

#include "platform/gdi/TextMeasurer.h"

namespace slidemill {

DocumentPictureSource::DocumentPictureSource(CMetafileDocument* document)
    : ownDocument_(document ? nullptr : std::make_unique<CMetafileDocument>()),
      document_(document ? document : ownDocument_.get()),
      measurer_(std::make_shared<CFreeTypeTextMeasurer>()) {}

DocumentPictureSource::~DocumentPictureSource() = default;

uint32_t DocumentPictureSource::OpenFile(const std::string& path) {
    playback_.reset();
    const uint32_t code = document_->OpenFile(path);
    if ((code & 0xF) == 0) return code;
    if (const EnhMetaFile* emf = document_->GetPageMetafile(0))
        playback_ = std::make_unique<CEmfPagePlayback>(emf->Bytes(), measurer_);
    return code;
}

IPagePlayback& DocumentPictureSource::FirstPage() {
    if (playback_) return *playback_;
    return empty_;
}

}  // namespace slidemill

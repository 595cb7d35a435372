#pragma once
// The conversion job's view of the metafile document: open the slide's capture file and
// hand its first page to the writer for playback.

#include <cstdint>
#include <string>

#include "pdf/PagePlayback.h"

namespace slidemill {

class ISlidePictureSource {
public:
    virtual ~ISlidePictureSource() = default;
    // Classifies and loads the file. Returns the type code; its low four bits are 0
    // when nothing could be opened.
    virtual uint32_t OpenFile(const std::string& path) = 0;
    // Page 0 of the file opened last, ready to be played by the writer.
    virtual IPagePlayback& FirstPage() = 0;
};

}  // namespace slidemill

#include "shell/FramedWmfPictureSource.h"

#include "metafile/ByteReader.h"
#include "platform/files/Files.h"

namespace slidemill {

bool IsFramedWmf(std::span<const uint8_t> bytes) {
    ByteReader r(bytes);
    if (!r.Has(18)) return false;
    const uint16_t type = r.U16();
    const uint16_t headerWords = r.U16();
    if ((type != 1 && type != 2) || headerWords != 9) return false;
    r.Seek(18);
    while (r.Has(6)) {
        const size_t start = r.Offset();
        const uint32_t words = r.U32();
        const uint16_t function = r.U16();
        if (words < 3 || uint64_t(words) * 2 > r.Size() - start) return false;
        if (function == 0) return true;
        r.Seek(start + size_t(words) * 2);
    }
    return false;
}

uint32_t FramedWmfPictureSource::OpenFile(const std::string& path) {
    open_ = false;
    auto bytes = ReadFileBytes(path);
    if (!bytes || !IsFramedWmf(*bytes)) return 0;
    open_ = true;
    return kTypeWmf;
}

bool FramedWmfPictureSource::PictureResolution(int32_t& dpiX, int32_t& dpiY) {
    if (!open_) return false;
    dpiX = dpiY = 96;
    return true;
}

int FramedWmfPictureSource::Play(IPageWriter&, const PlayRect&, const RenderOptions&, double) { return open_ ? 1 : 0; }

}  // namespace slidemill

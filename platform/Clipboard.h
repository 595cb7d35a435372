#pragma once
// An in-process clipboard that holds at most one metafile picture, the way the platform
// clipboard's metafile-picture format does: map mode, suggested extents and the picture's
// Windows metafile bytes (standard header, no placeable header).

#include <cstdint>
#include <optional>
#include <vector>

namespace slidemill {

constexpr uint32_t kClipboardFormatMetafilePict = 3;

struct MetafilePicture {
    int32_t mm = 8;      // map mode; 8 is anisotropic
    int32_t xExt = 0;    // suggested width in 0.01 mm for the isotropic and anisotropic modes
    int32_t yExt = 0;    // suggested height in 0.01 mm
    std::vector<uint8_t> wmf;  // the metafile, starting with its 18-byte standard header
};

class Clipboard {
public:
    bool IsFormatAvailable(uint32_t format) const {
        return format == kClipboardFormatMetafilePict && picture_.has_value();
    }
    bool Open() {
        if (open_) return false;
        open_ = true;
        return true;
    }
    void Close() { open_ = false; }
    void Empty() { picture_.reset(); }
    // Null when the clipboard holds no picture.
    const MetafilePicture* GetMetafilePicture() const { return picture_ ? &*picture_ : nullptr; }
    void SetMetafilePicture(MetafilePicture picture) { picture_ = std::move(picture); }
    bool IsOpen() const { return open_; }

private:
    std::optional<MetafilePicture> picture_;
    bool open_ = false;
};

}  // namespace slidemill

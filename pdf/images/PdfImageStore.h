#pragma once
// The images of one PDF document.
//
// Each distinct image (same size, pixels and mask) becomes one image object, placed by
// reference wherever it appears again, on the same page or a later one.
//
// Memory: the document is a streamed one, and an object whose data is created while a
// page's content stream is open is held in memory until the document is closed. So an
// image first seen on a page is only announced there (its dictionary, which the page's
// resources and content refer to); its compressed samples wait in a pending list and go
// to the file by WritePending, which the writer calls right after the page's content
// stream is finished. Nothing of an image stays in memory after its page but its name,
// reference and digest.

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "pdf/PageWriter.h"
#include "pdf/images/ImageDigest.h"

namespace PoDoFo {
class PdfDocument;
class PdfPainter;
class PdfImage;
}  // namespace PoDoFo

namespace slidemill {

struct DecodedImage;

// The mask that is actually written for these pixels: a soft mask only when the image has
// an alpha channel with some pixel not fully opaque, the key without its top byte.
ImageMask EffectiveMask(const DecodedImage& image, const ImageMask& mask);

// Whether the pixel buffers hold what the size says (width x height x 3 colour bytes and,
// with alpha, width x height alpha bytes) and the size is not empty.
bool ImageIsConsistent(const DecodedImage& image);

class CPdfImageStore {
public:
    CPdfImageStore();
    ~CPdfImageStore();
    CPdfImageStore(const CPdfImageStore&) = delete;
    CPdfImageStore& operator=(const CPdfImageStore&) = delete;

    // Places the image so that it fills (x, yBottom) .. (x + w, yBottom + h) in PDF page
    // coordinates: "q w 0 0 h x yBottom cm /Name Do Q". Pixels that are not consistent
    // place nothing and return false. PDF library errors travel to the caller.
    bool Place(PoDoFo::PdfDocument& document, PoDoFo::PdfPainter& painter, double x, double yBottom, double w,
               double h, const DecodedImage& image, const ImageMask& mask);

    // Writes the samples of the images announced since the last call. Call it only while
    // no content stream is open (between pages, or before Close).
    void WritePending();

    // Forgets every image (a new document).
    void Clear();

    size_t DistinctImages() const { return entries_.size(); }
    size_t PendingImages() const { return pending_.size(); }

private:
    struct Entry {
        std::unique_ptr<PoDoFo::PdfImage> image;
        std::unique_ptr<PoDoFo::PdfImage> softMask;  // null without one
    };
    struct Pending {
        Entry* entry = nullptr;
        uint32_t width = 0;
        uint32_t height = 0;
        std::vector<uint8_t> colorData;  // Flate stream of the predicted RGB rows
        std::vector<uint8_t> alphaData;  // Flate stream of the predicted alpha rows (soft mask)
    };

    Entry& Announce(PoDoFo::PdfDocument& document, const ImageDigest& digest, const DecodedImage& image,
                    const ImageMask& mask);

    // Entries are never erased while the document lives, so Pending::entry stays valid.
    std::map<ImageDigest, Entry> entries_;
    std::vector<Pending> pending_;
};

}  // namespace slidemill

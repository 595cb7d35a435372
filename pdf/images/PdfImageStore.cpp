#include "pdf/images/PdfImageStore.h"

#include <podofo/podofo.h>

#include "pdf/images/ImageDeflate.h"
#include "platform/dib/DibTypes.h"

namespace slidemill {
namespace {

// Writes already compressed samples (DeflateRowsUp) into the image's stream. The dictionary
// gets every key before the data: once the stream is started the object goes to the file
// and is locked.
void WriteSamples(PoDoFo::PdfImage& image, uint32_t width, uint32_t height, int colors,
                  const std::vector<uint8_t>& data) {
    PoDoFo::PdfDictionary& dictionary = image.GetObject()->GetDictionary();
    dictionary.AddKey(PoDoFo::PdfName::KeyFilter, PoDoFo::PdfName("FlateDecode"));
    PoDoFo::PdfDictionary parms;
    parms.AddKey("Predictor", static_cast<PoDoFo::pdf_int64>(kPngPredictor));
    parms.AddKey("Colors", static_cast<PoDoFo::pdf_int64>(colors));
    parms.AddKey("BitsPerComponent", static_cast<PoDoFo::pdf_int64>(8));
    parms.AddKey("Columns", static_cast<PoDoFo::pdf_int64>(width));
    dictionary.AddKey("DecodeParms", parms);
    PoDoFo::PdfMemoryInputStream input(reinterpret_cast<const char*>(data.data()),
                                       static_cast<PoDoFo::pdf_long>(data.size()));
    image.SetImageDataRaw(width, height, 8, &input);
}

}  // namespace

bool ImageIsConsistent(const DecodedImage& image) {
    if (image.width == 0 || image.height == 0) return false;
    const uint64_t pixels = uint64_t(image.width) * image.height;
    if (pixels > (uint64_t(1) << 40)) return false;
    if (image.rgb.size() != pixels * 3) return false;
    if (image.hasAlpha && image.alpha.size() != pixels) return false;
    return true;
}

ImageMask EffectiveMask(const DecodedImage& image, const ImageMask& mask) {
    switch (mask.kind) {
        case ImageMask::Kind::ColorKey:
            return ImageMask::Keyed(mask.key & 0xFFFFFF);
        case ImageMask::Kind::SoftMask:
            if (!image.hasAlpha) return {};
            for (uint8_t a : image.alpha)
                if (a != 0xFF) return ImageMask::Alpha();
            return {};  // all opaque: the mask would change nothing
        case ImageMask::Kind::None:
            break;
    }
    return {};
}

CPdfImageStore::CPdfImageStore() = default;
CPdfImageStore::~CPdfImageStore() = default;

void CPdfImageStore::Clear() {
    pending_.clear();
    entries_.clear();
}

CPdfImageStore::Entry& CPdfImageStore::Announce(PoDoFo::PdfDocument& document, const ImageDigest& digest,
                                                const DecodedImage& image, const ImageMask& mask) {
    // Compress first: if that fails, nothing has been added to the document.
    Pending pending;
    pending.width = image.width;
    pending.height = image.height;
    pending.colorData = DeflateRowsUp(image.rgb, size_t(image.width) * 3, image.height);
    if (mask.kind == ImageMask::Kind::SoftMask) pending.alphaData = DeflateRowsUp(image.alpha, image.width, image.height);

    Entry entry;
    entry.image = std::make_unique<PoDoFo::PdfImage>(&document);
    entry.image->SetImageColorSpace(PoDoFo::ePdfColorSpace_DeviceRGB);
    if (mask.kind == ImageMask::Kind::ColorKey) {
        // Exactly the key colour: each component once as lower and once as upper bound.
        entry.image->SetImageChromaKeyMask(mask.key & 0xFF, (mask.key >> 8) & 0xFF, (mask.key >> 16) & 0xFF, 0);
    }
    if (mask.kind == ImageMask::Kind::SoftMask) {
        entry.softMask = std::make_unique<PoDoFo::PdfImage>(&document);
        entry.softMask->SetImageColorSpace(PoDoFo::ePdfColorSpace_DeviceGray);
        entry.image->SetImageSoftmask(entry.softMask.get());
    }
    Entry& stored = entries_[digest] = std::move(entry);
    pending.entry = &stored;
    pending_.push_back(std::move(pending));
    return stored;
}

bool CPdfImageStore::Place(PoDoFo::PdfDocument& document, PoDoFo::PdfPainter& painter, double x, double yBottom,
                           double w, double h, const DecodedImage& image, const ImageMask& mask) {
    if (!ImageIsConsistent(image)) return false;
    const ImageMask written = EffectiveMask(image, mask);
    const ImageDigest digest = DigestImage(image, written);
    auto it = entries_.find(digest);
    Entry& entry = it != entries_.end() ? it->second : Announce(document, digest, image, written);
    // The image's own size is not needed: an image fills the unit square, so the scale is
    // the placed size. Only the name and reference are used, which stay valid after the
    // image's object has gone to the file.
    painter.DrawXObject(x, yBottom, entry.image.get(), w, h);
    return true;
}

void CPdfImageStore::WritePending() {
    // Taken out first: an error half-way leaves no entry to be written twice.
    std::vector<Pending> work;
    work.swap(pending_);
    for (Pending& p : work) {
        if (p.entry->softMask) WriteSamples(*p.entry->softMask, p.width, p.height, 1, p.alphaData);
        WriteSamples(*p.entry->image, p.width, p.height, 3, p.colorData);
        p.colorData = {};
        p.alphaData = {};
    }
}

}  // namespace slidemill

#include "pdf/fonts/FontFactory.h"

#include <podofo/podofo.h>

#include <fstream>
#include <memory>

namespace slidemill {

namespace {

// OpenType files with CFF outlines start with "OTTO"; PoDoFo embeds those as if they
// were TrueType outlines, which readers cannot use.
bool HasCffOutlines(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    char tag[4] = {};
    return in.read(tag, 4) && tag[0] == 'O' && tag[1] == 'T' && tag[2] == 'T' && tag[3] == 'O';
}

}  // namespace

PoDoFo::PdfFont* CreatePdfFont(PoDoFo::PdfDocument& document, const FontRequest& request) {
    using namespace PoDoFo;
    if (request.file.empty()) return nullptr;
    const char* file = request.file.c_str();
    try {
        if (request.encoding == FontEncodingKind::IdentityH) {
            // A new font takes ownership of its auto-deleting encoding; when PoDoFo hands
            // back a font it made earlier for the same file, that font keeps its own.
            auto encoding = std::make_unique<PdfIdentityEncoding>(0, 0xffff, true);
            PdfFont* font = document.CreateFontSubset(file, false, false, false, encoding.get(), file);
            if (font && font->GetEncoding() == encoding.get()) encoding.release();
            return font;
        }
        const PdfEncoding* winAnsi = PdfEncodingFactory::GlobalWinAnsiEncodingInstance();
        // PoDoFo's subsetter drops glyphs of some one-byte fonts (Carlito loses "a" to
        // "d"), so one-byte fonts are embedded whole; CFF fonts are named, not embedded.
        const bool embed = request.embed && !HasCffOutlines(request.file);
        return document.CreateFont(file, false, false, false, winAnsi, PdfFontCache::eFontCreationFlags_None, embed,
                                   file);
    } catch (const PdfError&) {
        return nullptr;
    }
}

}  // namespace slidemill

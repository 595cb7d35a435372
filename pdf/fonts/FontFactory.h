#pragma once
// PDF fonts made from font files. PoDoFo's own lookup by face name ignores fontconfig's
// aliases, so the file is always chosen here and handed over; the file path also serves
// as the name PoDoFo caches the font under.

#include <string>

namespace PoDoFo {
class PdfDocument;
class PdfFont;
}  // namespace PoDoFo

namespace slidemill {

enum class FontEncodingKind {
    WinAnsi,    // one byte per character, Windows-1252
    IdentityH,  // two bytes per character, glyph ids through the font's Unicode map
};

struct FontRequest {
    std::string file;  // a TrueType file (or the first face of a collection)
    FontEncodingKind encoding = FontEncodingKind::WinAnsi;
    // Embed the font file. Identity-H fonts are always embedded (as a subset of the
    // glyphs used, written when the document closes) whatever this says: readers refuse
    // a two-byte font whose glyph ids they cannot look up in an embedded file.
    bool embed = false;
};

// Creates the font in the document, or null when the file cannot be made into a font.
// Never throws.
PoDoFo::PdfFont* CreatePdfFont(PoDoFo::PdfDocument& document, const FontRequest& request);

}  // namespace slidemill

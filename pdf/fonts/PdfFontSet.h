#pragma once
// The writer's text state: the installed-font table, the PDF fonts made so far, the
// font the metafile selected last and the font the painter holds. The writer owns one
// for the whole run and delegates SetFont and DrawChar to it; the header, footer and
// watermark take their font from here too.

#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "pdf/fonts/FontTable.h"

namespace PoDoFo {
class PdfDocument;
class PdfFont;
class PdfPainter;
class PdfString;
}  // namespace PoDoFo

namespace slidemill {

struct FontCacheEntry {
    PoDoFo::PdfFont* font = nullptr;  // owned by the document
    std::string name;                 // the current font name it was created for
};

class CPdfFontSet {
public:
    // A size no character can have, so the first DrawChar always selects its font.
    static constexpr double kNoFontSize = -1.1172990798951767;

    CPdfFontSet() = default;
    virtual ~CPdfFontSet() = default;

    // Reads the installed fonts (fontconfig); false when they cannot be read.
    bool LoadFontTable();
    void SetFontTable(FontTable table) {
        table_ = std::move(table);
        systemTable_ = false;
    }
    const FontTable& Table() const { return table_; }

    void SetEmbedFonts(bool embed) { embedFonts_ = embed; }
    bool EmbedFonts() const { return embedFonts_; }

    // Called after each new font, so the writer can resume its open page stream.
    void SetResumePageStream(std::function<void()> resume) { resumePageStream_ = std::move(resume); }

    // The file of the best table entry for the name and style, or empty. Remembers the
    // name as the face the symbol rules of DrawChar test.
    std::string FindFontFile(const std::string& name, bool bold, bool italic);

    // Chooses the current font name for a face the metafile selects: 1 when a font file
    // exists for it, else 0 (and no font is current).
    int SetFont(const std::string& face, bool bold, bool italic);

    // The cached PDF font whose name equals the current font name, ignoring case.
    PoDoFo::PdfFont* FindCachedFont() const;

    // Draws one character with its baseline at (x, pageHeight - y): x, y in points from
    // the top-left corner, the font sized at 0.85 of the character cell height.
    // Characters Windows-1252 lacks are drawn with a two-byte (Identity-H) subset of the
    // current face, or of the installed face fontconfig offers for the character when
    // the current one has no glyph for it, so they show and extract as themselves.
    void DrawChar(PoDoFo::PdfDocument& document, PoDoFo::PdfPainter& painter, double pageHeight, uint16_t code,
                  double x, double y, double cellHeight);

    // The angle, in degrees counterclockwise, DrawChar turns each character by around
    // its own position; 0 (the start) draws upright.
    void SetRotation(double degrees) { rotation_ = std::isfinite(degrees) ? degrees : 0.0; }
    double Rotation() const { return rotation_; }

    // Forgets the painter's font, after someone else (header, footer, watermark) set it.
    void ForgetPainterFont();

    // "Arial" in WinAnsiEncoding, embedded as the option says; made once per run.
    // Null when no such font can be made.
    PoDoFo::PdfFont* DecorationFont(PoDoFo::PdfDocument& document);

    const std::string& CurrentFontName() const { return currentFontName_; }
    const std::string& CurrentFontFile() const { return currentFontFile_; }
    const std::string& SymbolTestFace() const { return symbolTestFace_; }
    const std::string& LastFontName() const { return lastFontName_; }
    double LastFontSize() const { return lastFontSize_; }
    const std::vector<FontCacheEntry>& Cache() const { return cache_; }

    // The bytes of one character as the font's encoding takes them: the Windows-1252
    // byte for WinAnsi fonts (the low byte when the character has none), the UTF-16
    // code for two-byte fonts. Exposed for tests.
    static uint8_t WinAnsiByte(uint16_t code);

    // True when Windows-1252 has the character, so the one-byte path can draw it.
    static bool InWinAnsi(uint16_t code);

private:
    void DrawString(PoDoFo::PdfPainter& painter, double x, double y, const PoDoFo::PdfString& text) const;
    bool UsesIdentityEncoding() const;
    // The two-byte font of a file, made once per file; null when it cannot be made.
    PoDoFo::PdfFont* WideFontOfFile(PoDoFo::PdfDocument& document, const std::string& file);
    // The two-byte font that shows the character: the current face's own when it has
    // the glyph, else the fontconfig fallback's; the current face's when none has it.
    PoDoFo::PdfFont* WideFontForChar(PoDoFo::PdfDocument& document, uint16_t code);
    PoDoFo::PdfFont* CreateCurrentFont(PoDoFo::PdfDocument& document);
    std::string ArialFile() const;

    FontTable table_;
    bool systemTable_ = false;            // the table is fontconfig's, which may grow
    std::set<std::string> matchedFaces_;  // faces fontconfig was asked for, lower-cased
    std::vector<FontCacheEntry> cache_;
    std::string currentFontName_;
    std::string currentFontFile_;  // the file the current name was chosen with
    std::string symbolTestFace_;
    std::string requestedFace_;  // the face name of the last SetFont, for fallbacks
    bool requestedBold_ = false;
    bool requestedItalic_ = false;
    PoDoFo::PdfFont* baseFont_ = nullptr;  // the cached font of lastFontName_
    std::vector<std::pair<std::string, PoDoFo::PdfFont*>> wideFonts_;  // file -> font (null: failed)
    std::map<uint16_t, std::string> fallbackFiles_;                     // character -> file
    double rotation_ = 0.0;
    std::string lastFontName_;
    double lastFontSize_ = kNoFontSize;
    bool embedFonts_ = false;
    PoDoFo::PdfFont* decorationFont_ = nullptr;
    bool decorationFontTried_ = false;
    std::function<void()> resumePageStream_;
};

}  // namespace slidemill

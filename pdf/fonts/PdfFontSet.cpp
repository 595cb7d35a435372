#include "pdf/fonts/PdfFontSet.h"

#include <podofo/podofo.h>

#include <cmath>

#include "pdf/fonts/FontFactory.h"
#include "pdf/fonts/SymbolEncoding.h"
#include "platform/text/WinAnsi.h"

namespace slidemill {

namespace {

// The face name 宋体 in GB2312; documents that name it get the "simhei" face.
const char kGb2312SongTi[] = "\xCB\xCE\xCC\xE5";

}  // namespace

bool CPdfFontSet::LoadFontTable() {
    matchedFaces_.clear();
    systemTable_ = slidemill::LoadFontTable(table_);
    return systemTable_;
}

std::string CPdfFontSet::FindFontFile(const std::string& name, bool bold, bool italic) {
    symbolTestFace_ = name;
    return MatchFontFile(table_, name, bold, italic);
}

int CPdfFontSet::SetFont(const std::string& face, bool bold, bool italic) {
    const std::string name = face == kGb2312SongTi ? std::string("simhei") : face.empty() ? std::string("Arial") : face;
    requestedFace_ = name;
    requestedBold_ = bold;
    requestedItalic_ = italic;
    std::string plainFile = FindFontFile(name, bold, italic);
    // A face neither installed nor a known Windows face is drawn with the face fontconfig
    // substitutes for it, as its text was measured, rather than with the Arial fallback,
    // whose narrower or wider glyphs would not fit the run's advances. Asked once a face.
    if (plainFile.empty() && systemTable_ && matchedFaces_.insert(AsciiLower(name)).second &&
        AddMatchedFace(table_, name))
        plainFile = FindFontFile(name, bold, italic);
    if (plainFile.empty()) {
        currentFontName_.clear();
        currentFontFile_.clear();
        return 0;
    }
    std::string styled = name;
    if (bold) styled += " Bold";
    if (italic) styled += " Italic";
    const std::string styledFile = FindFontFile(styled, bold, italic);
    if (styledFile.empty()) {
        currentFontName_ = name;
        currentFontFile_ = plainFile;
    } else {
        currentFontName_ = styled;
        currentFontFile_ = styledFile;
    }
    return 1;
}

PoDoFo::PdfFont* CPdfFontSet::FindCachedFont() const {
    for (const FontCacheEntry& entry : cache_) {
        if (EqualsIgnoreCase(entry.name, currentFontName_)) return entry.font;
    }
    return nullptr;
}

bool CPdfFontSet::UsesIdentityEncoding() const {
    return EqualsIgnoreCase(symbolTestFace_, "Symbol") || EqualsIgnoreCase(symbolTestFace_, "simhei");
}

std::string CPdfFontSet::ArialFile() const {
    std::string file = MatchFontFile(table_, "Arial", false, false);
    if (file.empty()) file = MatchSystemFontFile("Arial", false, false);
    return file;
}

PoDoFo::PdfFont* CPdfFontSet::CreateCurrentFont(PoDoFo::PdfDocument& document) {
    FontRequest request;
    request.file = currentFontFile_;
    request.encoding = UsesIdentityEncoding() ? FontEncodingKind::IdentityH : FontEncodingKind::WinAnsi;
    request.embed = embedFonts_;
    PoDoFo::PdfFont* font = CreatePdfFont(document, request);
    if (!font) {
        FontRequest arial;
        arial.file = ArialFile();
        arial.embed = embedFonts_;
        font = CreatePdfFont(document, arial);
    }
    if (font) cache_.push_back(FontCacheEntry{font, currentFontName_});
    return font;
}

uint8_t CPdfFontSet::WinAnsiByte(uint16_t code) { return UnicodeToWinAnsi(code); }

bool CPdfFontSet::InWinAnsi(uint16_t code) { return WinAnsiToUnicode(UnicodeToWinAnsi(code)) == code; }

PoDoFo::PdfFont* CPdfFontSet::WideFontOfFile(PoDoFo::PdfDocument& document, const std::string& file) {
    for (const auto& [known, font] : wideFonts_) {
        if (known == file) return font;
    }
    FontRequest request;
    request.file = file;
    request.encoding = FontEncodingKind::IdentityH;
    request.embed = true;
    PoDoFo::PdfFont* font = CreatePdfFont(document, request);
    wideFonts_.emplace_back(file, font);
    if (font && resumePageStream_) resumePageStream_();
    return font;
}

namespace {

bool HasGlyph(PoDoFo::PdfFont* font, uint16_t code) {
    const PoDoFo::PdfFontMetrics* metrics = font ? font->GetFontMetrics() : nullptr;
    return metrics && metrics->GetGlyphId(code) > 0;
}

}  // namespace

PoDoFo::PdfFont* CPdfFontSet::WideFontForChar(PoDoFo::PdfDocument& document, uint16_t code) {
    PoDoFo::PdfFont* own = WideFontOfFile(document, currentFontFile_);
    if (HasGlyph(own, code)) return own;
    auto known = fallbackFiles_.find(code);
    if (known == fallbackFiles_.end()) {
        known = fallbackFiles_
                    .emplace(code, MatchSystemFontFileForChar(requestedFace_, requestedBold_, requestedItalic_, code))
                    .first;
    }
    if (!known->second.empty()) {
        PoDoFo::PdfFont* fallback = WideFontOfFile(document, known->second);
        if (HasGlyph(fallback, code)) return fallback;
    }
    return own;
}

void CPdfFontSet::DrawChar(PoDoFo::PdfDocument& document, PoDoFo::PdfPainter& painter, double pageHeight,
                           uint16_t code, double x, double y, double cellHeight) {
    if ((EqualsIgnoreCase(symbolTestFace_, "Wingdings") || EqualsIgnoreCase(symbolTestFace_, "Symbol")) &&
        code > 0xF000) {
        code = static_cast<uint16_t>(code - 0xF000);
    }
    // Without the Wingdings face itself, its bullets are drawn as the characters they
    // are, from a face that has them.
    if (code < 0x100 && EqualsIgnoreCase(symbolTestFace_, "Wingdings") &&
        AsciiLower(currentFontFile_).find("wingding") == std::string::npos) {
        if (const uint16_t unicode = WingdingsCodeToUnicode(code)) code = unicode;
    }
    if (code == 0x20) return;
    const double size = 0.85 * cellHeight;
    // A damaged picture can drive the mapping to infinities; "nan" in a content stream
    // breaks the whole page for readers, so such a character is left out.
    if (!std::isfinite(size) || !std::isfinite(x) || !std::isfinite(pageHeight - y)) return;

    painter.Save();
    if (currentFontName_.empty()) {
        painter.Restore();
        return;
    }
    if (!baseFont_ || size != lastFontSize_ || !EqualsIgnoreCase(currentFontName_, lastFontName_)) {
        PoDoFo::PdfFont* font = FindCachedFont();
        if (!font) {
            font = CreateCurrentFont(document);
            if (resumePageStream_) resumePageStream_();
        }
        if (!font) {  // not even the fallback could be made: nothing to draw with
            painter.Restore();
            return;
        }
        baseFont_ = font;
        lastFontName_ = currentFontName_;
        lastFontSize_ = size;
    }

    PoDoFo::PdfFont* font = baseFont_;
    const PoDoFo::PdfEncoding* encoding = font->GetEncoding();
    const bool symbolFace = EqualsIgnoreCase(symbolTestFace_, "Symbol");
    const bool oneByte = !encoding || encoding->IsSingleByteEncoding();
    if ((oneByte && !InWinAnsi(code)) || (!oneByte && !symbolFace && !HasGlyph(font, code))) {
        // The low byte of such a character is another letter: draw it two-byte instead.
        if (PoDoFo::PdfFont* wide = WideFontForChar(document, code)) font = wide;
    }
    font->SetFontSize(static_cast<float>(size));
    painter.SetFont(font);

    encoding = font->GetEncoding();
    if (encoding && !encoding->IsSingleByteEncoding()) {
        // Two-byte fonts take the whole UTF-16 code, so no character is cut down;
        // the Symbol face's own codes are looked up as the characters they show.
        if (symbolFace && font == baseFont_) code = SymbolCodeToUnicode(code);
        const PoDoFo::pdf_utf16be text[2] = {
            static_cast<PoDoFo::pdf_utf16be>(((code & 0xFF) << 8) | (code >> 8)), 0};
        DrawString(painter, x, pageHeight - y, PoDoFo::PdfString(text, 1));
    } else {
        // Only reached for a character Windows-1252 lacks when no two-byte font could be
        // made; it shows as "?" rather than as the letter of its low byte.
        const char byte = InWinAnsi(code) ? static_cast<char>(WinAnsiByte(code)) : '?';
        DrawString(painter, x, pageHeight - y,
                   PoDoFo::PdfString(&byte, 1, false, PoDoFo::PdfEncodingFactory::GlobalWinAnsiEncodingInstance()));
    }
    painter.Restore();
}

void CPdfFontSet::DrawString(PoDoFo::PdfPainter& painter, double x, double y, const PoDoFo::PdfString& text) const {
    if (rotation_ == 0.0) {
        painter.DrawText(x, y, text);
        return;
    }
    // A turned character: the painter's coordinates are rotated around its position
    // (the caller's q ... Q brackets the transformation).
    const double radians = rotation_ * 3.14159265358979323846 / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    painter.SetTransformationMatrix(c, s, -s, c, x, y);
    painter.DrawText(0, 0, text);
}

void CPdfFontSet::ForgetPainterFont() {
    lastFontName_.clear();
    lastFontSize_ = kNoFontSize;
    baseFont_ = nullptr;
}

PoDoFo::PdfFont* CPdfFontSet::DecorationFont(PoDoFo::PdfDocument& document) {
    if (!decorationFontTried_) {
        decorationFontTried_ = true;
        FontRequest request;
        request.file = ArialFile();
        request.embed = embedFonts_;
        decorationFont_ = CreatePdfFont(document, request);
        if (decorationFont_ && resumePageStream_) resumePageStream_();
    }
    return decorationFont_;
}

}  // namespace slidemill

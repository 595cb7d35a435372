#include "pdf/fonts/PdfFontSet.h"

#include <podofo/podofo.h>

#include "pdf/fonts/FontFactory.h"
#include "pdf/fonts/SymbolEncoding.h"

namespace slidemill {

namespace {

// The face name 宋体 in GB2312; documents that name it get the "simhei" face.
const char kGb2312SongTi[] = "\xCB\xCE\xCC\xE5";

struct AnsiPair {
    uint16_t unicode;
    uint8_t ansi;
};

// The characters Windows-1252 places at 0x80 ... 0x9F.
const AnsiPair kWindows1252High[] = {
    {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
    {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
    {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
    {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
    {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F},
};

}  // namespace

bool CPdfFontSet::LoadFontTable() { return slidemill::LoadFontTable(table_); }

std::string CPdfFontSet::FindFontFile(const std::string& name, bool bold, bool italic) {
    symbolTestFace_ = name;
    return MatchFontFile(table_, name, bold, italic);
}

int CPdfFontSet::SetFont(const std::string& face, bool bold, bool italic) {
    const std::string name = face == kGb2312SongTi ? std::string("simhei") : face.empty() ? std::string("Arial") : face;
    const std::string plainFile = FindFontFile(name, bold, italic);
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

uint8_t CPdfFontSet::WinAnsiByte(uint16_t code) {
    if (code >= 0x100) {
        for (const AnsiPair& pair : kWindows1252High) {
            if (pair.unicode == code) return pair.ansi;
        }
    }
    return static_cast<uint8_t>(code & 0xFF);
}

void CPdfFontSet::DrawChar(PoDoFo::PdfDocument& document, PoDoFo::PdfPainter& painter, double pageHeight,
                           uint16_t code, double x, double y, double cellHeight) {
    if ((EqualsIgnoreCase(symbolTestFace_, "Wingdings") || EqualsIgnoreCase(symbolTestFace_, "Symbol")) &&
        code > 0xF000) {
        code = static_cast<uint16_t>(code - 0xF000);
    }
    if (code == 0x20) return;
    const double size = 0.85 * cellHeight;

    painter.Save();
    if (currentFontName_.empty()) {
        painter.Restore();
        return;
    }
    if (size != lastFontSize_ || !EqualsIgnoreCase(currentFontName_, lastFontName_)) {
        PoDoFo::PdfFont* font = FindCachedFont();
        if (!font) {
            font = CreateCurrentFont(document);
            if (resumePageStream_) resumePageStream_();
        }
        if (!font) {  // not even the fallback could be made: nothing to draw with
            painter.Restore();
            return;
        }
        font->SetFontSize(static_cast<float>(size));
        painter.SetFont(font);
        lastFontName_ = currentFontName_;
        lastFontSize_ = size;
    }

    PoDoFo::PdfFont* font = painter.GetFont();
    if (font) {
        const PoDoFo::PdfEncoding* encoding = font->GetEncoding();
        if (encoding && !encoding->IsSingleByteEncoding()) {
            // Two-byte fonts take the whole UTF-16 code, so no character is cut down;
            // the Symbol face's own codes are looked up as the characters they show.
            if (EqualsIgnoreCase(symbolTestFace_, "Symbol")) code = SymbolCodeToUnicode(code);
            const PoDoFo::pdf_utf16be text[2] = {
                static_cast<PoDoFo::pdf_utf16be>(((code & 0xFF) << 8) | (code >> 8)), 0};
            painter.DrawText(x, pageHeight - y, PoDoFo::PdfString(text, 1));
        } else {
            const char byte = static_cast<char>(WinAnsiByte(code));
            painter.DrawText(x, pageHeight - y,
                             PoDoFo::PdfString(&byte, 1, false, PoDoFo::PdfEncodingFactory::GlobalWinAnsiEncodingInstance()));
        }
    }
    painter.Restore();
}

void CPdfFontSet::ForgetPainterFont() {
    lastFontName_.clear();
    lastFontSize_ = kNoFontSize;
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

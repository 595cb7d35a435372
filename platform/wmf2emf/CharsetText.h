#pragma once
// Widening of 8-bit text by the code page that a font's character set implies, as the
// platform does when 8-bit metafile text becomes UTF-16. ANSI and DEFAULT mean the ANSI
// code page, which is Windows-1252 here; SYMBOL maps byte b (from 0x20) to U+F000 + b.
// A double-byte pair in one of the code page's end-user ranges becomes its private-use
// character (EudcText.h). Bytes that the code page cannot decode fall back to
// Windows-1252, then to U+00xx.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace slidemill {

// The Windows code page number of a LOGFONT character set (1252 for unknown ones).
int CodePageOfCharset(uint8_t charset);

struct WidenedText {
    std::u16string text;
    // Per UTF-16 code unit: how many source bytes it came from (a character of a
    // double-byte code page takes 2; the second unit of a surrogate pair takes 0).
    std::vector<uint32_t> sourceBytes;
};

class CharsetWidener {
public:
    CharsetWidener() = default;
    ~CharsetWidener();
    CharsetWidener(const CharsetWidener&) = delete;
    CharsetWidener& operator=(const CharsetWidener&) = delete;

    WidenedText Widen(std::span<const uint8_t> bytes, uint8_t charset);

    // The character set to widen a font's face name and text with. Some writers declare
    // ANSI for fonts whose face names are stored in GBK (宋体 as CB CE CC E5); read as
    // Windows-1252 such names and their text turn into accented Latin letters. An ANSI or
    // DEFAULT font whose face name is a whole GBK sequence with a CJK ideograph in it
    // is taken as GB2312; every other font keeps its declared set.
    uint8_t EffectiveCharset(std::span<const uint8_t> face, uint8_t charset);

private:
    void* Converter(int codePage);  // iconv descriptor, or null when unavailable
    struct Entry {
        int codePage;
        void* cd;
    };
    std::vector<Entry> converters_;
};

}  // namespace slidemill

#include "platform/text/WinAnsi.h"

namespace slidemill {

namespace {

// The characters of 0x80 ... 0x9F; 0 where the code page leaves the byte undefined.
const uint16_t kHighHalf[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

}  // namespace

uint8_t UnicodeToWinAnsi(uint16_t code) {
    if (code >= 0x100) {
        for (int i = 0; i < 32; ++i) {
            if (kHighHalf[i] == code) return static_cast<uint8_t>(0x80 + i);
        }
    }
    return static_cast<uint8_t>(code & 0xFF);
}

std::string Utf16ToWinAnsiText(const char16_t* text, int count) {
    std::string out;
    if (text == nullptr || count <= 0) return out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const uint16_t code = text[i];
        const uint8_t byte = UnicodeToWinAnsi(code);
        out += WinAnsiToUnicode(byte) == code ? static_cast<char>(byte) : '?';
    }
    return out;
}

uint16_t WinAnsiToUnicode(uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0 && kHighHalf[byte - 0x80] != 0) return kHighHalf[byte - 0x80];
    return byte;
}

}  // namespace slidemill

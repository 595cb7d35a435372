#include "pdf/AnsiText.h"

#include <cstdint>

#include "platform/text/WinAnsi.h"

namespace slidemill {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

bool IsValidUtf8(const std::string& bytes) {
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const uint8_t b = static_cast<uint8_t>(bytes[i]);
        size_t length = 0;
        char32_t c = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            c = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            c = b & 0x07;
        } else {
            return false;
        }
        if (n - i < length) return false;
        for (size_t k = 1; k < length; ++k) {
            const uint8_t t = static_cast<uint8_t>(bytes[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            c = (c << 6) | (t & 0x3F);
        }
        if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF))) return false;
        if (c >= 0xD800 && c <= 0xDFFF) return false;
        i += length;
    }
    return true;
}

std::string Windows1252ToUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const uint8_t b = static_cast<uint8_t>(ch);
        AppendUtf8(out, WinAnsiToUnicode(b));  // the five unassigned bytes stand for themselves
    }
    return out;
}

std::string InformationTextToUtf8(const std::string& bytes) {
    return IsValidUtf8(bytes) ? bytes : Windows1252ToUtf8(bytes);
}

}  // namespace slidemill

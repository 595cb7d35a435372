#include "platform/wmf2emf/CharsetText.h"

#include "platform/wmf2emf/EudcText.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

namespace slidemill {

namespace {

constexpr uint8_t kSymbolCharset = 2;

const char* IconvName(int codePage) {
    switch (codePage) {
        case 437: return "CP437";
        case 874: return "CP874";
        case 932: return "CP932";
        case 936: return "CP936";
        case 949: return "CP949";
        case 950: return "CP950";
        case 1361: return "JOHAB";
        case 1250: return "WINDOWS-1250";
        case 1251: return "WINDOWS-1251";
        case 1252: return "WINDOWS-1252";
        case 1253: return "WINDOWS-1253";
        case 1254: return "WINDOWS-1254";
        case 1255: return "WINDOWS-1255";
        case 1256: return "WINDOWS-1256";
        case 1257: return "WINDOWS-1257";
        case 1258: return "WINDOWS-1258";
        case 10000: return "MACINTOSH";
        default: return nullptr;
    }
}

bool IsDoubleByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361;
}

// Decodes exactly `n` bytes into UTF-16LE units; false when they are not one whole
// sequence of the code page.
bool DecodeOne(void* cd, const uint8_t* p, size_t n, std::u16string& out, bool& incomplete) {
    incomplete = false;
    if (!cd || cd == reinterpret_cast<void*>(-1)) return false;
    iconv_t conv = static_cast<iconv_t>(cd);
    iconv(conv, nullptr, nullptr, nullptr, nullptr);
    char in[4];
    for (size_t i = 0; i < n; ++i) in[i] = static_cast<char>(p[i]);
    char outBuf[16];
    char* inPtr = in;
    size_t inLeft = n;
    char* outPtr = outBuf;
    size_t outLeft = sizeof outBuf;
    size_t rc = iconv(conv, &inPtr, &inLeft, &outPtr, &outLeft);
    if (rc == size_t(-1)) {
        incomplete = errno == EINVAL;
        return false;
    }
    if (inLeft != 0) return false;
    size_t produced = sizeof outBuf - outLeft;
    if (produced == 0 || produced % 2) return false;
    for (size_t i = 0; i + 1 < produced; i += 2)
        out.push_back(char16_t(uint8_t(outBuf[i]) | (uint16_t(uint8_t(outBuf[i + 1])) << 8)));
    return true;
}

}  // namespace

int CodePageOfCharset(uint8_t charset) {
    switch (charset) {
        case 0: return 1252;     // ANSI
        case 1: return 1252;     // DEFAULT: the ANSI code page
        case 2: return 42;       // SYMBOL
        case 77: return 10000;   // MAC
        case 128: return 932;    // SHIFTJIS
        case 129: return 949;    // HANGUL
        case 130: return 1361;   // JOHAB
        case 134: return 936;    // GB2312
        case 136: return 950;    // CHINESEBIG5
        case 161: return 1253;   // GREEK
        case 162: return 1254;   // TURKISH
        case 163: return 1258;   // VIETNAMESE
        case 177: return 1255;   // HEBREW
        case 178: return 1256;   // ARABIC
        case 186: return 1257;   // BALTIC
        case 204: return 1251;   // RUSSIAN
        case 222: return 874;    // THAI
        case 238: return 1250;   // EASTEUROPE
        case 255: return 437;    // OEM
        default: return 1252;
    }
}

CharsetWidener::~CharsetWidener() {
    for (Entry& e : converters_)
        if (e.cd) iconv_close(static_cast<iconv_t>(e.cd));
}

void* CharsetWidener::Converter(int codePage) {
    for (const Entry& e : converters_)
        if (e.codePage == codePage) return e.cd;
    void* cd = nullptr;
    if (const char* name = IconvName(codePage)) {
        iconv_t c = iconv_open("UTF-16LE", name);
        if (c != reinterpret_cast<iconv_t>(-1)) cd = c;
    }
    converters_.push_back({codePage, cd});
    return cd;
}

WidenedText CharsetWidener::Widen(std::span<const uint8_t> bytes, uint8_t charset) {
    WidenedText result;
    result.text.reserve(bytes.size());
    result.sourceBytes.reserve(bytes.size());
    const int codePage = CodePageOfCharset(charset);
    auto push = [&](char16_t unit, uint32_t consumed) {
        result.text.push_back(unit);
        result.sourceBytes.push_back(consumed);
    };
    if (charset == kSymbolCharset) {
        for (uint8_t b : bytes) push(b >= 0x20 ? char16_t(0xF000 + b) : char16_t(b), 1);
        return result;
    }
    void* cd = Converter(codePage);
    void* fallback = Converter(1252);
    const size_t maxLen = IsDoubleByte(codePage) ? 2 : 1;
    size_t i = 0;
    while (i < bytes.size()) {
        std::u16string units;
        size_t used = 0;
        for (size_t n = 1; n <= maxLen && i + n <= bytes.size(); ++n) {
            bool incomplete = false;
            units.clear();
            if (DecodeOne(cd, bytes.data() + i, n, units, incomplete)) {
                used = n;
                break;
            }
            if (!incomplete) break;
        }
        // A pair in an end-user range, which iconv does not decode, is a private-use character.
        char16_t endUser = 0;
        if (!used && maxLen == 2 && i + 1 < bytes.size() &&
            EndUserCharacter(codePage, bytes[i], bytes[i + 1], endUser)) {
            units.assign(1, endUser);
            used = 2;
        }
        if (!used) {
            bool incomplete = false;
            units.clear();
            if (!DecodeOne(fallback, bytes.data() + i, 1, units, incomplete)) {
                units.clear();
                units.push_back(char16_t(bytes[i]));
            }
            used = 1;
        }
        for (size_t u = 0; u < units.size(); ++u) push(units[u], u == 0 ? uint32_t(used) : 0);
        i += used;
    }
    return result;
}

uint8_t CharsetWidener::EffectiveCharset(std::span<const uint8_t> face, uint8_t charset) {
    constexpr uint8_t kGb2312Charset = 134;
    if (charset != 0 && charset != 1) return charset;
    bool ideograph = false;
    size_t i = 0;
    while (i < face.size()) {
        const uint8_t lead = face[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead < 0x81 || lead > 0xFE || i + 1 >= face.size()) return charset;
        const uint8_t trail = face[i + 1];
        if (trail < 0x40 || trail > 0xFE || trail == 0x7F) return charset;
        std::u16string units;
        bool incomplete = false;
        if (!DecodeOne(Converter(936), face.data() + i, 2, units, incomplete) || units.size() != 1) return charset;
        if ((units[0] >= 0x4E00 && units[0] <= 0x9FFF) || (units[0] >= 0x3400 && units[0] <= 0x4DBF)) ideograph = true;
        i += 2;
    }
    return ideograph ? kGb2312Charset : charset;
}

}  // namespace slidemill

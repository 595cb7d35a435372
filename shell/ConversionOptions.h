#pragma once
// Everything the user can set about the PDF besides the file names and the page range.
// The record starts from these defaults at every program start and is never stored.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace slidemill {

struct ConversionOptions {
    // Document information.
    std::string Title;
    std::string Subject;
    std::string Author;
    std::string Keywords;
    std::string Creator;

    // Security: the two-pass encrypted save and its permissions.
    bool Encrypt = false;
    bool AllowPrint = false;
    bool AllowCopy = false;
    bool AllowModify = false;
    bool KeyLength128 = true;  // RC4 128-bit; false: RC4 40-bit
    std::string UserPassword;
    std::string OwnerPassword;

    // Page decorations; a part is on exactly when its text is not empty.
    std::string HeaderText;
    int32_t HeaderPosition = 0;  // index into kHeaderFooterPositionNames
    std::string FooterText;
    int32_t FooterPosition = 0;  // index into kHeaderFooterPositionNames
    std::string WatermarkText;
    int32_t WatermarkPosition = 0;  // index into kWatermarkPositionNames
    double WatermarkSize = 4.0;     // millimetres

    bool EmbedFonts = false;

    bool operator==(const ConversionOptions&) const = default;
};

// The position lists, in index order.
inline constexpr std::array<std::string_view, 3> kHeaderFooterPositionNames = {"Left", "Center", "Right"};
inline constexpr std::array<std::string_view, 6> kWatermarkPositionNames = {"Left-Top", "Top",    "Right-Top",
                                                                             "Left",     "Center", "Right"};

// The entries of the two Insert lists of the header and footer.
inline constexpr std::array<std::string_view, 6> kInsertMacroNames = {
    "Time:~hour : mintute~",     "Date:~month, date year~", "Date:~year-month-date~",
    "Date:~month / date / year~", "File name:~filename~",    "Page number: ~page NO~"};

// PDF permission bits of the encrypted re-save: print 0x4, modify 0x8, copy 0x10, annotate
// 0x20, forms 0x100, extraction 0x200, assemble 0x400, high-quality print 0x800; the three
// options clear their bit, the others always stay set (0xF20 with every option off).
constexpr uint32_t kAllPermissionBits = 0xF3C;
inline uint32_t PermissionBits(const ConversionOptions& o) {
    uint32_t p = kAllPermissionBits;
    if (!o.AllowPrint) p -= 0x4;
    if (!o.AllowCopy) p -= 0x10;
    if (!o.AllowModify) p -= 0x8;
    return p;
}

// Position index for a list name (exact match), or -1.
template <size_t N>
int32_t PositionIndex(const std::array<std::string_view, N>& names, std::string_view name) {
    for (size_t i = 0; i < N; ++i)
        if (names[i] == name) return int32_t(i);
    return -1;
}

}  // namespace slidemill

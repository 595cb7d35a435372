#pragma once
// The end-user-defined character ranges of the East Asian double-byte code pages, as the
// platform decodes them: each range maps row by row onto a block of the Unicode private
// use area. iconv's tables leave most of them out, yet writers use them: a symbol-font
// bullet (Wingdings U+F06E) that has no place in the font's declared character set is
// stored as the Big5 code 83 DE, the end-user code of U+F06E.

#include <cstdint>

namespace slidemill {

// The private-use character of lead byte `lead` and trail byte `trail` in `codePage`
// (932, 936, 949 or 950); false when the pair lies in none of its end-user ranges.
bool EndUserCharacter(int codePage, uint8_t lead, uint8_t trail, char16_t& character);

}  // namespace slidemill

#pragma once
// The Symbol font's own character codes (Adobe Symbol encoding, as the Windows Symbol
// face has them at 0x20 ... 0xFE) to Unicode. The stand-ins of the Symbol face carry
// Unicode maps only, so its Greek letters and signs are looked up through this table.

#include <cstdint>

namespace slidemill {

// The Unicode character for a Symbol code, or the code itself when it has none.
uint16_t SymbolCodeToUnicode(uint16_t code);

// The Unicode character a Wingdings code shows, for the codes presentations use as
// bullets, checks, arrows and faces; 0 for the others. No Wingdings face is installed
// here, and its stand-in would show the letter of the code instead.
uint16_t WingdingsCodeToUnicode(uint16_t code);

}  // namespace slidemill

#pragma once
// Windows-1252, the ANSI code page of the PDF text path: one byte per character.

#include <cstdint>
#include <string>

namespace slidemill {

// The Windows-1252 byte of a UTF-16 code: its own byte below 0x100, the byte of
// 0x80 ... 0x9F for the characters that code page places there (euro, dashes, quotes),
// else the low byte.
uint8_t UnicodeToWinAnsi(uint16_t code);

// The character a Windows-1252 byte stands for (undefined bytes stand for themselves).
uint16_t WinAnsiToUnicode(uint8_t byte);

// A UTF-16 string as Windows-1252 text, the way the system converts to its ANSI code
// page: characters the code page lacks become "?".
std::string Utf16ToWinAnsiText(const char16_t* text, int count);

}  // namespace slidemill

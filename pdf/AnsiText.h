#pragma once
// Text strings of the document information dictionary. The job hands over byte strings
// that are Windows-1252 text (or UTF-8, which Qt and the presentation application give).
// PDF readers take a plain byte string as PDFDocEncoding, which differs from Windows-1252
// in 0x80..0x9F (euro sign, dashes, quotes) and garbles UTF-8, so non-ASCII text is
// decoded and written as a Unicode string; ASCII text stays as it is.

#include <string>

namespace slidemill {

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(const std::string& bytes);

// Windows-1252 bytes as UTF-8. The five unassigned bytes map to the C1 controls of the
// same value, as the platform's conversion does.
std::string Windows1252ToUtf8(const std::string& bytes);

// Text as UTF-8: valid UTF-8 stays, anything else is read as Windows-1252.
std::string InformationTextToUtf8(const std::string& bytes);

}  // namespace slidemill

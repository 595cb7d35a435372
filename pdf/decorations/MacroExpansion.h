#pragma once
// The macros of header, footer and watermark texts: tokens between tildes such as
// "~page NO~" or "~month / date / year~" are expanded per page; "#$%#" is a line break.

#include <ctime>
#include <functional>
#include <string>

namespace slidemill {

struct MacroContext {
    int pageOrdinal = 0;     // pages written before the current one; "page NO" is this + 1
    std::string sourcePath;  // what "filename" expands to (left alone when empty)
    // The local time the date and time words expand to; the system's when not set.
    std::function<std::tm()> localTime;
};

// Expands the text in place. Only words inside a pair of tildes are replaced, in the
// order hour, year, month, date, mintute, page NO, filename; an unpaired tilde and
// everything after it stay as they are.
void ExpandMacros(std::string& text, const MacroContext& context);

}  // namespace slidemill

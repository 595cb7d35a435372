#pragma once
// The output path proposed for an input: the input with everything from the last "." of
// the whole path replaced by ".pdf" (talks/Deck.ppt gives talks/Deck.pdf; a.b/deck gives
// a.pdf). A path whose last "." only names the current or parent folder ("./deck",
// "../deck") or that has no "." at all gets ".pdf" appended; trailing separators of a
// folder are dropped first.

#include <string>

namespace slidemill {

std::string DefaultOutputPath(const std::string& inputPath);

}  // namespace slidemill

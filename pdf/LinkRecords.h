#pragma once
// One hyperlink of the presentation that points to another slide. The job's pre-pass
// fills the texts; the writer records where each text was last seen on the pages and,
// after the last page, joins source and target with a link annotation.

#include <cstdint>
#include <string>

namespace slidemill {

struct InternalLinkRecord {
    std::string linkText;    // the hyperlink's display text: its line becomes clickable
    std::string targetText;  // the sub-address, "_" as blanks, trimmed: its line is the destination
    int sourcePage = -1;     // zero-based page index where linkText was last found
    int32_t sourceRect[4] = {0, 0, 0, 0};  // left, bottom, right, top (PDF points)
    int targetPage = -1;     // zero-based page index where targetText was last found
    int32_t targetRect[4] = {0, 0, 0, 0};  // left, bottom, right, top (PDF points)
};

}  // namespace slidemill

#pragma once
// Link annotations in the PDF: URI links over the runs that show a hyperlink, and links
// between slides, made after the last page from the records the run bookkeeping filled.

#include <string>
#include <vector>

#include "pdf/LinkRecords.h"

namespace PoDoFo {
class PdfDocument;
class PdfPage;
}  // namespace PoDoFo

namespace slidemill {

// A link annotation over (x, y, w, h) (PDF coordinates, bottom-left origin) whose URI
// action opens the target's bytes; colour entry C [0], no border entry. A rectangle
// with a non-finite number is left out (it would make the file unreadable).
void AddUriLinkAnnotation(PoDoFo::PdfDocument& document, PoDoFo::PdfPage& page, float x, float y, float w, float h,
                          const std::string& target);

// For every record found on both sides: a link annotation over the source line whose
// destination shows the full-width band of the target text (FitR). Pages are looked up
// by index; records pointing at pages that do not exist are skipped. Returns the number
// of links made.
int AddInternalLinkAnnotations(PoDoFo::PdfDocument& document, const std::vector<InternalLinkRecord>& records);

}  // namespace slidemill

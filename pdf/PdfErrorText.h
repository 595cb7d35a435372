#pragma once
// Readable texts for PDF library errors. PoDoFo::PdfError is not a std::exception and its
// own what() is only the error code's name, so the writer adds what it was doing to the
// error's call stack and callers turn the whole error into one line for the user.

#include <string>

namespace PoDoFo {
class PdfError;
}

namespace slidemill {

// Adds one line of context ("cannot create the PDF file ...") on top of the error.
void AddPdfErrorContext(PoDoFo::PdfError& error, const std::string& context);

// "cannot create the PDF file "x.pdf": No such file or directory (file not found)": the
// informations of the call stack, outermost first, then the library's message for the code.
std::string DescribePdfError(const PoDoFo::PdfError& error);

}  // namespace slidemill

#include "pdf/PdfErrorText.h"

#include <podofo/podofo.h>

namespace slidemill {

void AddPdfErrorContext(PoDoFo::PdfError& error, const std::string& context) {
    error.AddToCallstack(nullptr, 0, context);
}

std::string DescribePdfError(const PoDoFo::PdfError& error) {
    std::string text;
    for (const PoDoFo::PdfErrorInfo& info : error.GetCallstack()) {
        const std::string& line = info.GetInformation();
        if (line.empty() || text.find(line) != std::string::npos) continue;
        if (!text.empty()) text += ": ";
        text += line;
    }
    const char* message = PoDoFo::PdfError::ErrorMessage(error.GetError());
    const char* name = PoDoFo::PdfError::ErrorName(error.GetError());
    std::string code = message != nullptr && *message != '\0' ? message : (name != nullptr ? name : "PDF library error");
    if (text.empty()) return code;
    // Errors raised with their own text carry the unknown code: nothing to add.
    if (error.GetError() == PoDoFo::ePdfError_Unknown) return text;
    return text + " (" + code + ")";
}

}  // namespace slidemill

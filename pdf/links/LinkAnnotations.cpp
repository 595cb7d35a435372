#include "pdf/links/LinkAnnotations.h"

#include <podofo/podofo.h>

#include <cmath>

namespace slidemill {

void AddUriLinkAnnotation(PoDoFo::PdfDocument& document, PoDoFo::PdfPage& page, float x, float y, float w, float h,
                          const std::string& target) {
    using namespace PoDoFo;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) return;
    PdfAnnotation* annotation = page.CreateAnnotation(ePdfAnnotation_Link, PdfRect(x, y, w, h));
    annotation->SetColor(0.0);
    PdfAction action(ePdfAction_URI, &document);
    action.SetURI(PdfString(target.data(), static_cast<pdf_long>(target.size())));
    annotation->SetAction(action);
}

int AddInternalLinkAnnotations(PoDoFo::PdfDocument& document, const std::vector<InternalLinkRecord>& records) {
    using namespace PoDoFo;
    const int pageCount = document.GetPageCount();
    int made = 0;
    for (const InternalLinkRecord& record : records) {
        if (record.sourcePage < 0 || record.targetPage < 0) continue;
        if (record.sourcePage >= pageCount || record.targetPage >= pageCount) continue;
        // Pages are fetched afresh: page objects do not outlive the creation of the next.
        PdfPage* source = document.GetPage(record.sourcePage);
        PdfPage* target = document.GetPage(record.targetPage);
        if (source == nullptr || target == nullptr) continue;
        const int32_t* s = record.sourceRect;
        const int32_t* t = record.targetRect;
        PdfAnnotation* annotation = source->CreateAnnotation(
            ePdfAnnotation_Link, PdfRect(s[0], s[1], static_cast<double>(s[2]) - s[0], static_cast<double>(s[3]) - s[1]));
        const double sourceWidth = source->GetPageSize().GetWidth();
        annotation->SetDestination(
            PdfDestination(target, PdfRect(0, t[1], sourceWidth, static_cast<double>(t[3]) - t[1])));
        annotation->SetColor(0.0);
        ++made;
    }
    return made;
}

}  // namespace slidemill

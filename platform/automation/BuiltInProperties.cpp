#include "platform/automation/BuiltInProperties.h"

namespace slidemill {

BuiltInProperties ReadBuiltInProperties(Presentation& presentation) {
    auto items = presentation.BuiltInDocumentProperties();
    BuiltInProperties p;
    p.title = items->Item(1)->Value();
    p.subject = items->Item(2)->Value();
    p.author = items->Item(3)->Value();
    p.keywords = items->Item(4)->Value();
    p.lastAuthor = items->Item(7)->Value();
    return p;
}

}  // namespace slidemill

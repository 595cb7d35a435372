#pragma once
// The five built-in document properties a conversion uses, read through the automation
// interface by index: 1 title, 2 subject, 3 author, 4 keywords, 7 last author.

#include <string>

#include "platform/automation/PresentationApp.h"

namespace slidemill {

struct BuiltInProperties {
    std::string title;
    std::string subject;
    std::string author;
    std::string keywords;
    std::string lastAuthor;
};

// Throws AutomationError when the application cannot read one of them.
BuiltInProperties ReadBuiltInProperties(Presentation& presentation);

}  // namespace slidemill

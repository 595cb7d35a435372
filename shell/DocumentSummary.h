#pragma once
// What the presentation application tells about a presentation before it is converted:
// its slide count and the built-in document properties 1 (title), 2 (subject),
// 3 (author), 4 (keywords) and 7 (last author). Starts its own application instance,
// opens the presentation, reads, and tells the application to quit.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/automation/PresentationApp.h"
#include "shell/ConversionOptions.h"
#include "shell/PageRange.h"

namespace slidemill {

struct DocumentSummary {
    int32_t slideCount = 0;
    std::string title;
    std::string subject;
    std::string author;
    std::string keywords;
    std::string lastAuthor;
};

// nullopt when the application cannot be started; AutomationError when it fails on the
// way (it is still asked to quit then, so that no instance is left running).
std::optional<DocumentSummary> ReadDocumentSummary(PresentationAppFactory& factory, const std::string& path);

// What picking the input does with a summary: the five information fields are replaced
// (last author into Creator), the slide count becomes the page selection's bound and
// the range text is filled in from it.
void ApplyDocumentSummary(const DocumentSummary& summary, ConversionOptions& options, PageRange& pages);

}  // namespace slidemill

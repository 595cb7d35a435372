#pragma once
// What `slidemill info INPUT` shows about a presentation: slide count, the five built-in
// document properties the conversion uses, and every slide's size and hyperlinks, read
// through the automation interface (so any backend serves).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/automation/PresentationApp.h"

namespace slidemill {

struct HyperlinkSummary {
    std::string address;
    std::string subAddress;
    std::string textToDisplay;  // empty when it cannot be read
    bool textReadable = true;   // false for a shape's link, which shows no text
};

struct SlideSummary {
    int32_t number = 0;  // 1-based
    float widthPt = 0;
    float heightPt = 0;
    std::vector<HyperlinkSummary> hyperlinks;
};

struct PresentationSummary {
    int32_t slideCount = 0;
    std::string title;       // property 1
    std::string subject;     // 2
    std::string author;      // 3
    std::string keywords;    // 4
    std::string lastAuthor;  // 7
    std::vector<SlideSummary> slides;
};

// Opens `path` in the application and reads everything above. Throws AutomationError
// with the application's description; the caller quits the application.
PresentationSummary CollectPresentationSummary(PresentationApp& app, const std::string& path);

// The summary as a JSON document (UTF-8, indented) and as lines for a terminal.
std::string PresentationSummaryJson(const PresentationSummary& summary);
std::string PresentationSummaryText(const PresentationSummary& summary);

}  // namespace slidemill

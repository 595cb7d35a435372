#pragma once
// The `deck` presentation application: a prepared folder that stands in for a running
// presentation program. The folder holds deck.json and one Windows metafile per slide:
//
//   {
//     "slideWidth": 720, "slideHeight": 540,                      // points
//     "properties": { "title": "", "subject": "", "author": "",
//                     "keywords": "", "lastAuthor": "" },         // all optional
//     "slides": [
//       { "picture": "slide1.wmf",                                 // relative to the folder
//         "hyperlinks": [ { "address": "https://example.org", "subAddress": "",
//                           "text": "Example", "textUnreadable": false } ] }
//     ]
//   }
//
// Pictures may carry the placeable header or start with the standard header. Copy puts
// the picture on the given clipboard as the platform's metafile picture: map mode 8,
// extents in 0.01 mm (from the placeable header's box, or else from the slide size) and
// the metafile bytes without the placeable header. Every failure is an AutomationError
// whose text says what is wrong and where.

#include <memory>
#include <string>

#include "platform/Clipboard.h"
#include "platform/automation/PresentationApp.h"

namespace slidemill {

inline constexpr const char* kDeckManifestName = "deck.json";

// True when the path is a folder holding a deck.json (or is a deck.json file).
bool IsDeckPath(const std::string& path);

class DeckAppFactory : public PresentationAppFactory {
public:
    explicit DeckAppFactory(Clipboard& clipboard) : clipboard_(clipboard) {}
    std::unique_ptr<PresentationApp> Create() override;

private:
    Clipboard& clipboard_;
};

}  // namespace slidemill

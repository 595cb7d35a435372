#pragma once
// A presentation application double for the window's tests: a number of slides of a
// fixed size, the five information properties, and a Copy that leaves a tiny framed
// metafile on the clipboard. Counts what the window asks of it.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/automation/PresentationApp.h"

namespace slidemill::testing {

struct FakeDeck {
    int32_t slides = 3;
    std::string title = "Deck title", subject = "Deck subject", author = "Deck author", keywords = "k",
                lastAuthor = "Last author";
    std::string failOpenWith;  // non-empty: Open throws this
    // Called at the start of every Copy with the slide number.
    std::function<void(int16_t)> onCopy;

    std::atomic<int> creates{0};
    std::atomic<int> quits{0};
    std::atomic<int> copies{0};
    std::string openedPath;
};

// An 18-byte standard metafile header followed by the end-of-file record.
std::vector<uint8_t> TinyWmf();

class FakeAppFactory : public PresentationAppFactory {
public:
    FakeAppFactory(FakeDeck& deck, Clipboard& clipboard, bool installed = true)
        : deck_(deck), clipboard_(clipboard), installed_(installed) {}
    std::unique_ptr<PresentationApp> Create() override;

private:
    FakeDeck& deck_;
    Clipboard& clipboard_;
    bool installed_;
};

}  // namespace slidemill::testing

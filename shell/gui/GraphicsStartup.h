#pragma once
// The counted start-up of the graphics layer: the first Startup starts it, the Shutdown
// that brings the count back to 0 shuts it down, under one lock. The application object
// holds one start for the life of the main window.

#include <functional>
#include <mutex>

namespace slidemill {

class CountedStartup {
public:
    // `start` answers whether the layer came up; `shutdown` undoes it.
    CountedStartup(std::function<bool()> start, std::function<void()> shutdown)
        : start_(std::move(start)), shutdown_(std::move(shutdown)) {}

    // True when the layer is up (started now or before).
    bool Startup();
    void Shutdown();
    int Count() const;
    bool Started() const;

private:
    mutable std::mutex mutex_;
    std::function<bool()> start_;
    std::function<void()> shutdown_;
    int count_ = 0;
    bool started_ = false;
};

// The graphics layer of this program: the font configuration that text measuring and the
// PDF fonts rely on.
CountedStartup& GraphicsLayer();

}  // namespace slidemill

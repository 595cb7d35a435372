#include "shell/gui/GraphicsStartup.h"

#include <fontconfig/fontconfig.h>

namespace slidemill {

bool CountedStartup::Startup() {
    std::lock_guard lock(mutex_);
    if (count_ == 0) {
        started_ = start_ ? start_() : true;
        if (!started_) return false;
    }
    ++count_;
    return true;
}

void CountedStartup::Shutdown() {
    std::lock_guard lock(mutex_);
    if (count_ == 0) return;
    if (--count_ == 0 && started_) {
        if (shutdown_) shutdown_();
        started_ = false;
    }
}

int CountedStartup::Count() const {
    std::lock_guard lock(mutex_);
    return count_;
}

bool CountedStartup::Started() const {
    std::lock_guard lock(mutex_);
    return started_;
}

CountedStartup& GraphicsLayer() {
    // FcInit loads the font configuration once; its memory belongs to the process, which
    // other users (the window system's fonts) share, so shutting down leaves it alone.
    static CountedStartup layer([] { return FcInit() == FcTrue; }, [] {});
    return layer;
}

}  // namespace slidemill

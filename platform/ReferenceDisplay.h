#pragma once
// The fixed reference display every measurement and conversion assumes, so results do
// not depend on the machine: what a screen device context reports.

#include <cstdint>

namespace slidemill::refdisplay {

constexpr int32_t kHorzRes = 1920;  // pixels
constexpr int32_t kVertRes = 1080;
constexpr int32_t kHorzSizeMm = 508;
constexpr int32_t kVertSizeMm = 286;
constexpr int32_t kLogPixelsX = 96;
constexpr int32_t kLogPixelsY = 96;
constexpr int32_t kAspectX = 36;
constexpr int32_t kAspectY = 36;

}  // namespace slidemill::refdisplay

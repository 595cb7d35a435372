#include "render/text/LinkRunClassifier.h"

#include <cmath>
#include <limits>

namespace slidemill {

namespace {

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// A target that already names the mail scheme, in any letter case ("mailto:" is how the
// presentation application stores mail links): prefixing it again would break the link.
bool HasMailScheme(const std::string& text) {
    static constexpr char kScheme[] = "mailto:";
    const size_t n = sizeof kScheme - 1;
    for (size_t i = 0; i + n <= text.size(); ++i) {
        size_t k = 0;
        while (k < n && (text[i + k] | 0x20) == kScheme[k]) ++k;
        if (k == n) return true;
    }
    return false;
}

int32_t Trunc(double value) {
    if (!std::isfinite(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace

void ClassifyTextRun(IPageWriter& writer, LinkRunState& state, bool& linkContinues, const std::string& text,
                     const TextRunGeometry& run, double s, double pageHeight) {
    const bool looksLikeAddress = Contains(text, "www.") || Contains(text, "@");
    bool isLink = looksLikeAddress;
    if (!isLink) isLink = writer.IsLinkText(text);
    if (!isLink) {
        isLink = linkContinues && state.hasLastLinkHeight && static_cast<float>(run.cy) == state.lastLinkHeight &&
                 !Contains(text, " ");
    }

    const int32_t px = Trunc(run.x * s);
    const int32_t py = Trunc(run.y * s);
    const int32_t w = Trunc(run.cx * s);
    const int32_t h = Trunc(run.cy * s);
    const double bottom = pageHeight - py;

    if (isLink) {
        std::string target;
        const bool found = writer.FindLinkTarget(text, target);
        if (found || looksLikeAddress) {
            state.lastLinkTarget = target;
        } else {
            target = state.lastLinkTarget;
        }
        state.lastLinkHeight = static_cast<float>(run.cy);
        state.hasLastLinkHeight = true;
        if (!target.empty()) {
            if (Contains(target, "@") && !HasMailScheme(target)) target = "Mailto:" + target;
            writer.AddUriLink(static_cast<float>(px), static_cast<float>(bottom), static_cast<float>(w),
                              static_cast<float>(h), target);
        }
        if (found) linkContinues = true;
    } else {
        linkContinues = false;
    }
    writer.AddTextRun(text, px, bottom, w, h, 0);
    writer.AddTextRun(text, px, bottom, w, h, 1);
}

}  // namespace slidemill

#include "shell/PageRange.h"

#include <algorithm>
#include <climits>

namespace slidemill {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

int32_t PageRange::ReadInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(INT_MAX) + 1) value = int64_t(INT_MAX) + 1;  // saturate, keep reading
    }
    if (negative) value = -value;
    return int32_t(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

void PageRange::Append(int64_t value) { pages_.push_back(uint16_t(value)); }

// The bound as the 16-bit list can hold it.
static int64_t EffectiveBound(int32_t bound) { return std::min<int64_t>(bound, 65535); }

void PageRange::HandlePiece(std::string_view piece) {
    const int64_t bound = EffectiveBound(slideCountBound_);
    const size_t dash = piece.find('-');
    if (dash == std::string_view::npos) {
        const int64_t value = ReadInteger(piece);
        if (value >= 1 && value <= bound) Append(value);
        return;
    }
    int64_t start = ReadInteger(piece.substr(0, dash));
    const int64_t end = ReadInteger(piece.substr(dash + 1));
    if (start < 1) start = 1;
    for (int64_t v = start; v <= end && v <= bound; ++v) Append(v);
}

void PageRange::ParsePageRange() {
    pages_.clear();
    std::string_view text = Trim(rangeText_);
    for (size_t comma; (comma = text.find(',')) != std::string_view::npos;) {
        HandlePiece(text.substr(0, comma));
        text.remove_prefix(comma + 1);
    }
    if (!text.empty()) HandlePiece(text);
}

bool PageRange::IsPageSelected(int32_t n) const {
    if (rangeMode_ == kAllPages) return true;
    return std::any_of(pages_.begin(), pages_.end(), [n](uint16_t p) { return int32_t(p) == n; });
}

std::string PageRange::PrefillText(int32_t slideCount) {
    if (slideCount > 8) return "1-" + std::to_string(slideCount);
    std::string text;
    for (int32_t i = 1; i <= slideCount; ++i) text += std::to_string(i) + ",";
    return text;
}

}  // namespace slidemill

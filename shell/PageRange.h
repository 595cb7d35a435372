#pragma once
// The page selection: either every slide, or the slides listed in a range text such as
// "1,3,5-12". The text is turned into a list of slide numbers before each conversion and
// the job asks, slide by slide, whether a slide is selected. Nothing in the text is ever
// reported as wrong: whatever does not give a number in range is dropped.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace slidemill {

class PageRange {
public:
    static constexpr int kAllPages = 0;
    static constexpr int kListedPages = 1;
    // The bound before any presentation's slide count is known: every slide number a
    // 16-bit list entry can hold.
    static constexpr int32_t kDefaultSlideCountBound = 65535;

    void SetRangeMode(int mode) { rangeMode_ = mode == kListedPages ? kListedPages : kAllPages; }
    int RangeMode() const { return rangeMode_; }

    void SetRangeText(std::string text) { rangeText_ = std::move(text); }
    const std::string& RangeText() const { return rangeText_; }

    // The presentation's slide count, the upper bound for every listed number.
    void SetSlideCountBound(int32_t bound) { slideCountBound_ = bound; }
    int32_t SlideCountBound() const { return slideCountBound_; }

    // Rebuilds the page list from the range text.
    void ParsePageRange();
    // n is a 1-based slide number.
    bool IsPageSelected(int32_t n) const;

    // Slide numbers as typed, duplicates kept.
    const std::vector<uint16_t>& PageList() const { return pages_; }

    // The range text filled in when a presentation of slideCount slides is picked:
    // "1-N" above 8 slides, "1,2,...,N," for 1 to 8, empty for none.
    static std::string PrefillText(int32_t slideCount);

    // Integer reading in the manner of atoi (leading blanks, optional sign, digits up to
    // the first other character; 0 without digits), saturating instead of overflowing.
    static int32_t ReadInteger(std::string_view text);

private:
    void HandlePiece(std::string_view piece);
    void Append(int64_t value);

    int rangeMode_ = kAllPages;
    std::string rangeText_;
    std::vector<uint16_t> pages_;
    int32_t slideCountBound_ = kDefaultSlideCountBound;
};

}  // namespace slidemill

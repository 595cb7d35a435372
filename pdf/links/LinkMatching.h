#pragma once
// Matching the text runs of a slide against the slide's hyperlinks, and collecting the
// lines that hold the link texts and targets of links to other slides. Pure logic: the
// annotations are made from the results by LinkAnnotations.h.

#include <string>
#include <vector>

#include "pdf/LinkRecords.h"

namespace slidemill {

// The hyperlinks of the current slide, same index in both lists.
struct SlideLinks {
    const std::vector<std::string>& addresses;  // Address of each hyperlink
    const std::vector<std::string>& texts;      // TextToDisplay (empty when unreadable)
};

// True with the address of the hyperlink the text belongs to: a link whose display
// text equals the text, else the first address containing the text once trailing
// control bytes, bytes above 0x7E and question marks are stripped. False with target
// set to the stripped text when no address fits.
bool FindLinkTarget(const SlideLinks& links, const std::string& text, std::string& target);

// True when the text is a link's display text, or (its last 2 bytes dropped when it is
// longer than 6 bytes) contained in one of the addresses.
bool IsLinkText(const SlideLinks& links, const std::string& text);

// The text line being assembled from consecutive runs with the same baseline and height.
struct RunAccumulator {
    static constexpr size_t kMaxLineText = 1023;  // longer lines keep their first 1023 bytes

    double lineY = -1.0;
    double lineHeight = -1.0;
    std::string lineText;
    double lineX = 0.0;      // source side only
    double lineWidth = 0.0;  // source side only
    int page = -1;           // the page the line is on: a line never runs on across pages
};

// Text-run bookkeeping for links to other slides: every run the renderer places is
// added on both sides; a record's target (side 0) and source (side 1) end at the last
// line in document order that begins with its target or link text. A record whose text
// is empty (a link on a picture, a sub-address of blanks) would begin every line, so it
// is never matched: such a link has no place on the page to be clicked or to land.
class CLinkRunBook {
public:
    explicit CLinkRunBook(std::vector<InternalLinkRecord>& records) : records_(records) {}

    // x, y, w, h in PDF coordinates (y is the baseline, bottom-left origin); side 0 the
    // target side, 1 the source side; pageOrdinal the zero-based index of the page.
    void AddTextRun(const std::string& text, double x, double y, double w, double h, int side, int pageOrdinal);

    const RunAccumulator& TargetSide() const { return target_; }
    const RunAccumulator& SourceSide() const { return source_; }

    // The previous run was a link run whose address was found.
    bool& LinkContinues() { return linkContinues_; }

private:
    std::vector<InternalLinkRecord>& records_;
    RunAccumulator target_;
    RunAccumulator source_;
    bool linkContinues_ = false;
};

}  // namespace slidemill

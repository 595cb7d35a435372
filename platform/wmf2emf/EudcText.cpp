#include "platform/wmf2emf/EudcText.h"

namespace slidemill {

namespace {

// Trail bytes of a row: one or two runs of consecutive byte values, counted in order.
struct TrailRuns {
    uint8_t firstLow, lastLow;    // first run
    uint8_t firstHigh, lastHigh;  // second run (empty when firstHigh > lastHigh)
};

struct Range {
    int codePage;
    uint8_t firstLead, lastLead;
    TrailRuns trails;
    char16_t firstCharacter;
    // The first row starts at this trail byte instead of the first one of the runs.
    uint8_t firstTrail;
};

constexpr TrailRuns kBig5Trails{0x40, 0x7E, 0xA1, 0xFE};           // 157 a row
constexpr TrailRuns kGbkHighTrails{0xA1, 0xFE, 1, 0};              // 94 a row
constexpr TrailRuns kGbkLowTrails{0x40, 0x7E, 0x80, 0xA0};         // 96 a row
constexpr TrailRuns kShiftJisTrails{0x40, 0x7E, 0x80, 0xFC};       // 188 a row

constexpr Range kRanges[] = {
    {932, 0xF0, 0xF9, kShiftJisTrails, 0xE000, 0x40},
    {936, 0xAA, 0xAF, kGbkHighTrails, 0xE000, 0xA1},
    {936, 0xF8, 0xFE, kGbkHighTrails, 0xE234, 0xA1},
    {936, 0xA1, 0xA7, kGbkLowTrails, 0xE4C6, 0x40},
    {949, 0xC9, 0xC9, kGbkHighTrails, 0xE000, 0xA1},
    {949, 0xFE, 0xFE, kGbkHighTrails, 0xE05E, 0xA1},
    {950, 0xFA, 0xFE, kBig5Trails, 0xE000, 0x40},
    {950, 0x8E, 0xA0, kBig5Trails, 0xE311, 0x40},
    {950, 0x81, 0x8D, kBig5Trails, 0xEEB8, 0x40},
    {950, 0xC6, 0xC8, kBig5Trails, 0xF6B1, 0xA1},  // row C6 begins at A1
};

int RowLength(const TrailRuns& t) {
    int n = t.lastLow - t.firstLow + 1;
    if (t.firstHigh <= t.lastHigh) n += t.lastHigh - t.firstHigh + 1;
    return n;
}

// Position of `trail` within a row, or -1 when it is no trail byte of the row.
int TrailIndex(const TrailRuns& t, uint8_t trail) {
    if (trail >= t.firstLow && trail <= t.lastLow) return trail - t.firstLow;
    if (t.firstHigh <= t.lastHigh && trail >= t.firstHigh && trail <= t.lastHigh)
        return (t.lastLow - t.firstLow + 1) + (trail - t.firstHigh);
    return -1;
}

}  // namespace

bool EndUserCharacter(int codePage, uint8_t lead, uint8_t trail, char16_t& character) {
    for (const Range& r : kRanges) {
        if (r.codePage != codePage || lead < r.firstLead || lead > r.lastLead) continue;
        const int index = TrailIndex(r.trails, trail);
        if (index < 0) continue;
        const int skipped = TrailIndex(r.trails, r.firstTrail);  // unused head of the first row
        const int offset = (lead - r.firstLead) * RowLength(r.trails) + index - skipped;
        if (offset < 0) continue;
        character = char16_t(r.firstCharacter + offset);
        return true;
    }
    return false;
}

}  // namespace slidemill

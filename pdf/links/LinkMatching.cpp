#include "pdf/links/LinkMatching.h"

#include <cmath>
#include <limits>

namespace slidemill {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

void TrimInPlace(std::string& text) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && IsBlank(text[begin])) ++begin;
    text = text.substr(begin, end - begin);
}

bool StartsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }

int32_t Trunc(double value) {
    if (!std::isfinite(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

void Append(std::string& line, const std::string& text) {
    if (line.size() >= RunAccumulator::kMaxLineText) return;
    line.append(text, 0, RunAccumulator::kMaxLineText - line.size());
}

std::string Capped(const std::string& text) { return text.substr(0, RunAccumulator::kMaxLineText); }

void SetRect(int32_t (&rect)[4], double left, double bottom, double right, double top) {
    rect[0] = Trunc(left);
    rect[1] = Trunc(bottom);
    rect[2] = Trunc(right);
    rect[3] = Trunc(top);
}

}  // namespace

bool FindLinkTarget(const SlideLinks& links, const std::string& text, std::string& target) {
    const size_t count = links.texts.size() < links.addresses.size() ? links.texts.size() : links.addresses.size();
    for (size_t i = 0; i < count; ++i) {
        if (links.texts[i] == text) {
            target = links.addresses[i];
            return true;
        }
    }
    std::string stripped = text;
    while (!stripped.empty()) {
        const signed char last = static_cast<signed char>(stripped.back());
        if (last < 0x20 || last > 0x7E || last == '?') stripped.pop_back();
        else break;
    }
    for (const std::string& address : links.addresses) {
        if (address.find(stripped) != std::string::npos) {
            target = address;
            return true;
        }
    }
    target = stripped;
    return false;
}

bool IsLinkText(const SlideLinks& links, const std::string& text) {
    for (const std::string& display : links.texts) {
        if (display == text) return true;
    }
    const std::string probe = text.size() > 6 ? text.substr(0, text.size() - 2) : text;
    for (const std::string& address : links.addresses) {
        if (address.find(probe) != std::string::npos) return true;
    }
    return false;
}

void CLinkRunBook::AddTextRun(const std::string& rawText, double x, double y, double w, double h, int side,
                              int pageOrdinal) {
    const std::string text = rawText.substr(0, rawText.find('\x1F'));
    if (side == 0) {
        if (pageOrdinal == target_.page && y == target_.lineY && h == target_.lineHeight) {
            Append(target_.lineText, text);
        } else {
            target_.lineText = Capped(text);
            target_.lineY = y;
            target_.lineHeight = h;
            target_.page = pageOrdinal;
        }
        for (InternalLinkRecord& record : records_) {
            TrimInPlace(target_.lineText);
            if (!record.targetText.empty() && StartsWith(target_.lineText, record.targetText)) {
                record.targetPage = pageOrdinal;
                SetRect(record.targetRect, x, y, x + w, y + h);
            }
        }
        return;
    }
    if (side != 1) return;
    if (pageOrdinal == source_.page && y == source_.lineY && h == source_.lineHeight) {
        Append(source_.lineText, text);
        source_.lineWidth += w;
    } else {
        source_.lineText = Capped(text);
        source_.lineY = y;
        source_.lineHeight = h;
        source_.lineX = x;
        source_.lineWidth = w;
        source_.page = pageOrdinal;
    }
    // A link in the middle of a line ("Next: Go to slide 2") is a run of its own in the
    // picture: a run that begins with the link text is its source when the line is not.
    std::string runText = text;
    TrimInPlace(runText);
    for (InternalLinkRecord& record : records_) {
        TrimInPlace(source_.lineText);
        if (record.linkText.empty()) continue;
        if (StartsWith(source_.lineText, record.linkText)) {
            record.sourcePage = pageOrdinal;
            SetRect(record.sourceRect, source_.lineX, y, source_.lineX + source_.lineWidth, y + h);
        } else if (StartsWith(runText, record.linkText)) {
            record.sourcePage = pageOrdinal;
            SetRect(record.sourceRect, x, y, x + w, y + h);
        }
    }
}

}  // namespace slidemill

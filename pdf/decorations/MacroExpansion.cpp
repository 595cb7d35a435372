#include "pdf/decorations/MacroExpansion.h"

#include <cstdio>
#include <utility>

namespace slidemill {

namespace {

void ReplaceAll(std::string& text, const std::string& word, const std::string& value) {
    if (word.empty()) return;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + value.size())) {
        text.replace(at, word.size(), value);
    }
}

std::tm SystemLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::string TwoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

}  // namespace

void ExpandMacros(std::string& text, const MacroContext& context) {
    ReplaceAll(text, "#$%#", "\r\n");

    const std::tm now = context.localTime ? context.localTime() : SystemLocalTime();
    const std::string year = std::to_string(now.tm_year + 1900);
    const std::string month = TwoDigits(now.tm_mon + 1);
    const std::string date = TwoDigits(now.tm_mday);
    const std::string hour = std::to_string(now.tm_hour);
    const std::string minute = TwoDigits(now.tm_min);
    const std::string page = std::to_string(static_cast<long long>(context.pageOrdinal) + 1);

    // One pass over the text: tokens are cut out by position, so a text of many tildes
    // costs no more than a short one.
    std::string out;
    size_t pos = 0;
    while (true) {
        const size_t open = text.find('~', pos);
        if (open == std::string::npos) break;
        const size_t close = text.find('~', open + 1);
        if (close == std::string::npos) break;  // the unpaired tilde and its tail stay as they are
        out.append(text, pos, open - pos);
        std::string token = text.substr(open + 1, close - open - 1);
        ReplaceAll(token, "hour", hour);
        ReplaceAll(token, "year", year);
        ReplaceAll(token, "month", month);
        ReplaceAll(token, "date", date);
        ReplaceAll(token, "mintute", minute);
        ReplaceAll(token, "page NO", page);
        if (!context.sourcePath.empty()) ReplaceAll(token, "filename", context.sourcePath);
        out += token;
        pos = close + 1;
    }
    out.append(text, pos, std::string::npos);
    text = std::move(out);
}

}  // namespace slidemill

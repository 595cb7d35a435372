#include "pdf/fonts/FontTable.h"

namespace slidemill {

std::string AsciiLower(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && AsciiLower(a) == AsciiLower(b);
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool Contains(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

}  // namespace

std::string MatchFontFile(const FontTable& table, const std::string& name, bool bold, bool italic) {
    const std::string n = AsciiLower(name);
    long exact = -1;
    long plain = -1;
    const size_t count = table.Size();
    for (size_t i = 0; i < count; ++i) {
        std::string d = AsciiLower(table.displayNames[i]);
        if (d.find(n) == std::string::npos) continue;
        const size_t kind = d.find("(truetype)");
        if (kind != std::string::npos) d = Trim(d.substr(0, kind));
        const bool hasBold = Contains(d, "bold");
        const bool hasItalic = Contains(d, "italic");
        if (!hasBold && !hasItalic) plain = static_cast<long>(i);
        if (d == n) exact = static_cast<long>(i);
        if (bold && italic) {
            if (hasBold && hasItalic) return table.filePaths[i];
        } else if (bold) {
            if (hasBold) return table.filePaths[i];
        } else if (italic) {
            if (hasItalic) return table.filePaths[i];
        }
    }
    if (exact != -1) return table.filePaths[static_cast<size_t>(exact)];
    if (plain != -1) return table.filePaths[static_cast<size_t>(plain)];
    return {};
}

}  // namespace slidemill

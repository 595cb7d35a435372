#include "platform/ini/IniFile.h"

#include <cctype>
#include <cstdio>

namespace slidemill {

namespace {

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

std::string Unquote(const std::string& s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

}  // namespace

IniFile IniFile::Parse(const std::string& input) {
    IniFile ini;
    std::string text = input.substr(0, input.find('\0'));
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    Section* current = nullptr;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            std::string name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            ini.sections_.push_back({name, {}});
            current = &ini.sections_.back();
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos || !current) continue;
        current->entries.push_back({Trim(line.substr(0, eq)), Unquote(Trim(line.substr(eq + 1)))});
    }
    return ini;
}

std::optional<IniFile> IniFile::Load(const std::string& path, size_t maxBytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::string text;
    char chunk[8192];
    bool done = false;
    while (!done && text.size() < maxBytes) {
        size_t n = std::fread(chunk, 1, sizeof chunk, f);
        for (size_t i = 0; i < n; ++i) {
            if (chunk[i] == '\0') {
                n = i;
                done = true;
                break;
            }
        }
        text.append(chunk, n);
        if (n < sizeof chunk) done = true;
    }
    std::fclose(f);
    if (text.size() > maxBytes) text.resize(maxBytes);
    return Parse(text);
}

const IniFile::Section* IniFile::FindSection(const std::string& name) const {
    for (const Section& s : sections_)
        if (EqualsNoCase(s.name, name)) return &s;
    return nullptr;
}

const IniFile::Entry* IniFile::Find(const std::string& section, const std::string& key) const {
    // Like the platform, keys of a repeated section are searched in its first occurrence
    // first, then in the later ones.
    for (const Section& s : sections_) {
        if (!EqualsNoCase(s.name, section)) continue;
        for (const Entry& e : s.entries)
            if (EqualsNoCase(e.key, key)) return &e;
    }
    return nullptr;
}

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
    return Find(section, key) != nullptr;
}

bool IniFile::HasSection(const std::string& section) const { return FindSection(section) != nullptr; }

std::string IniFile::GetString(const std::string& section, const std::string& key, const std::string& fallback,
                               size_t bufferSize) const {
    const Entry* e = Find(section, key);
    std::string v = e ? e->value : fallback;
    if (bufferSize == 0) return {};
    if (v.size() > bufferSize - 1) v.resize(bufferSize - 1);
    return v;
}

uint32_t IniFile::GetInt(const std::string& section, const std::string& key, uint32_t fallback) const {
    const Entry* e = Find(section, key);
    if (!e) return fallback;
    const std::string& v = e->value;
    size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
    uint32_t n = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) n = n * 10 + uint32_t(v[i] - '0');  // wraps like the platform
    return negative ? uint32_t(0) - n : n;
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key, const std::string& fallback,
                                    size_t bufferSize, const std::string& path) {
    std::optional<IniFile> ini = IniFile::Load(path);
    if (!ini) ini = IniFile::Parse("");
    return ini->GetString(section, key, fallback, bufferSize);
}

uint32_t GetPrivateProfileInt(const std::string& section, const std::string& key, uint32_t fallback,
                              const std::string& path) {
    std::optional<IniFile> ini = IniFile::Load(path);
    if (!ini) return fallback;
    return ini->GetInt(section, key, fallback);
}

}  // namespace slidemill

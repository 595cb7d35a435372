#pragma once
// An INI file reader with the semantics of the platform's private-profile functions
// (GetPrivateProfileStringA / GetPrivateProfileIntA):
// - section and key names match case-insensitively; the first section and the first
//   key of a name win;
// - values are trimmed of surrounding blanks and one pair of matching quotes;
// - lines starting with ';' are comments; lines without '=' are not keys;
// - a string is cut to the caller's buffer size less one (the terminating zero);
// - an integer is the leading decimal number of the value (with a sign), 0 when the
//   value does not start with one, the default when the key is missing.
// Text ends at the first zero byte: a binary file reads as (nearly) empty rather than
// as megabytes of nonsense, which keeps probing arbitrary files for a section cheap.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace slidemill {

class IniFile {
public:
    // Reads and parses a file; nullopt when it cannot be opened.
    static std::optional<IniFile> Load(const std::string& path, size_t maxBytes = size_t(64) << 20);
    static IniFile Parse(const std::string& text);

    bool HasKey(const std::string& section, const std::string& key) const;
    bool HasSection(const std::string& section) const;
    // The value, or `fallback` when missing; cut to bufferSize - 1 characters
    // (bufferSize 0 gives an empty string).
    std::string GetString(const std::string& section, const std::string& key, const std::string& fallback,
                          size_t bufferSize) const;
    uint32_t GetInt(const std::string& section, const std::string& key, uint32_t fallback) const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const Section* FindSection(const std::string& name) const;
    const Entry* Find(const std::string& section, const std::string& key) const;
    std::vector<Section> sections_;
};

// The platform calls themselves; a file that cannot be read behaves as an empty one.
std::string GetPrivateProfileString(const std::string& section, const std::string& key, const std::string& fallback,
                                    size_t bufferSize, const std::string& path);
uint32_t GetPrivateProfileInt(const std::string& section, const std::string& key, uint32_t fallback,
                              const std::string& path);

}  // namespace slidemill

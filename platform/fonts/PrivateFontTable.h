#pragma once
// The process's table of private fonts: font files a document brings along, added so
// that face-name lookups (text measuring, PDF fonts) find them, and removed again when
// the document lets go. It stands in for AddFontResourceA / RemoveFontResourceA.

#include <string>
#include <vector>

namespace slidemill {

class IPrivateFontTable {
public:
    virtual ~IPrivateFontTable() = default;
    // Adds a font file; false when the file is not a usable font.
    virtual bool Add(const std::string& fontPath) = 0;
    // Removes a file added earlier; false when it was not in the table.
    virtual bool Remove(const std::string& fontPath) = 0;
};

// fontconfig's application fonts of the current configuration. fontconfig can only
// clear its application fonts as a whole, so a removal clears them and adds back the
// files still registered through this table.
class FontconfigFontTable : public IPrivateFontTable {
public:
    bool Add(const std::string& fontPath) override;
    bool Remove(const std::string& fontPath) override;
    const std::vector<std::string>& Files() const { return files_; }

private:
    std::vector<std::string> files_;
};

// True when the file's first 172 bytes can be read, bytes 0-3 are 00 01 00 00 (a
// TrueType sfnt) and its table count (big-endian u16 at bytes 4-5) is above 9.
bool IsTrueTypeFile(const std::string& path);

// True when the path lies on a local, fixed file system: false for network file
// systems, optical media and block devices the kernel marks removable.
bool IsFixedDrive(const std::string& path);

}  // namespace slidemill

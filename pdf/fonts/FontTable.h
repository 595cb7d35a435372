#pragma once
// The table of installed fonts the writer matches face names against: display names in
// the style "Arial Bold (TrueType)" and the font file of each, in table order.
//
// The table is filled from fontconfig (FontConfigTable.cpp); the matching below only
// reads it, so tests can build a table by hand.

#include <cstdint>
#include <string>
#include <vector>

namespace slidemill {

struct FontTable {
    std::vector<std::string> displayNames;  // "Family Style (TrueType)" / "(OpenType)"
    std::vector<std::string> filePaths;     // same index as displayNames

    void Add(std::string displayName, std::string filePath) {
        displayNames.push_back(std::move(displayName));
        filePaths.push_back(std::move(filePath));
    }
    size_t Size() const { return displayNames.size() < filePaths.size() ? displayNames.size() : filePaths.size(); }
};

// Fills the table with every installed scalable face fontconfig knows, followed by the
// Windows faces fontconfig's configuration maps to metric-compatible stand-ins (Arial to
// Liberation Sans, Calibri to Carlito, ...), each under its Windows name and with the
// stand-in's file. False when fontconfig cannot be initialised (the table stays empty).
bool LoadFontTable(FontTable& table);

// Adds entries for a face the table does not know, under the face's own name, with the
// files fontconfig substitutes for it: the same files the text measurements of that
// face come from, so drawn glyphs fit the advances measured or recorded with them.
// Styles fontconfig has no file for are left out. False when nothing usable matched.
bool AddMatchedFace(FontTable& table, const std::string& face);

// The file fontconfig matches for a family and style, with its fallbacks; only files
// the PDF font code can use (TrueType or CFF, first face). Empty when there is none.
std::string MatchSystemFontFile(const std::string& family, bool bold, bool italic);

// The first file in fontconfig's preference order for the family and style that holds
// a glyph for the character (its charset covers it), for characters the chosen face
// lacks. Only files the PDF font code can use. Empty when no installed font has it.
std::string MatchSystemFontFileForChar(const std::string& family, bool bold, bool italic, uint32_t code);

// The face-name matching rules. A styled request returns the first entry in table
// order whose lower-cased display name contains the name and the style words; an
// unstyled request prefers an entry equal to the name (after cutting "(truetype)") and
// otherwise the last entry that contains the name without style words. Empty when
// nothing matches.
std::string MatchFontFile(const FontTable& table, const std::string& name, bool bold, bool italic);

// ASCII-only case folding: bytes of the ANSI code page above 0x7F are kept as they are.
std::string AsciiLower(const std::string& text);
bool EqualsIgnoreCase(const std::string& a, const std::string& b);

}  // namespace slidemill

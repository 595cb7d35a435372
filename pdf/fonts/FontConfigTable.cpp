// The installed-font table from fontconfig, in place of the Windows font registry.
//
// Installed faces come first, sorted by display name so that the table (and with it
// every "last entry wins" decision of the matching) is the same on every run. The
// Windows faces fontconfig substitutes by metric-compatible families follow, so that
// a metafile asking for "Arial Bold" finds Liberation Sans Bold under that name.

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "pdf/fonts/FontTable.h"

namespace slidemill {

namespace {

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FontSetDeleter {
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
struct ObjectSetDeleter {
    void operator()(FcObjectSet* s) const { FcObjectSetDestroy(s); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

std::string GetString(FcPattern* pattern, const char* object, int index = 0) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, index, &value) != FcResultMatch || value == nullptr) return {};
    return reinterpret_cast<const char*>(value);
}

int GetInteger(FcPattern* pattern, const char* object, int fallback) {
    int value = 0;
    return FcPatternGetInteger(pattern, object, 0, &value) == FcResultMatch ? value : fallback;
}

bool GetBool(FcPattern* pattern, const char* object, bool fallback) {
    FcBool value = FcFalse;
    return FcPatternGetBool(pattern, object, 0, &value) == FcResultMatch ? value != FcFalse : fallback;
}

// "(TrueType)" for glyf fonts, "(OpenType)" for CFF ones; empty for formats the PDF
// font code cannot use (Type 1, bitmaps).
std::string KindLabel(FcPattern* font) {
    const std::string format = GetString(font, FC_FONTFORMAT);
    if (format == "TrueType") return "(TrueType)";
    if (format == "CFF") return "(OpenType)";
    return {};
}

bool IsRegularWord(const std::string& word) {
    static const char* const words[] = {"regular", "book", "normal", "roman", "plain", "standard"};
    const std::string lower = AsciiLower(word);
    return std::any_of(std::begin(words), std::end(words), [&](const char* w) { return lower == w; });
}

// Windows writes the regular face without a style and calls slanted faces "Italic";
// the matching looks for the words "bold" and "italic", so the style is spelled so.
std::string WindowsStyle(const std::string& style) {
    std::string out;
    size_t pos = 0;
    while (pos < style.size()) {
        while (pos < style.size() && style[pos] == ' ') ++pos;
        size_t end = style.find(' ', pos);
        if (end == std::string::npos) end = style.size();
        std::string word = style.substr(pos, end - pos);
        pos = end;
        if (word.empty() || IsRegularWord(word)) continue;
        if (AsciiLower(word) == "oblique") word = "Italic";
        if (!out.empty()) out += ' ';
        out += word;
    }
    return out;
}

std::string DisplayName(const std::string& family, const std::string& style, const std::string& kind) {
    std::string name = family;
    if (!style.empty()) name += " " + style;
    return name + " " + kind;
}

bool FontHasFamily(FcPattern* font, const std::string& family) {
    for (int i = 0;; ++i) {
        const std::string name = GetString(font, FC_FAMILY, i);
        if (name.empty()) return false;
        if (EqualsIgnoreCase(name, family)) return true;
    }
}

struct Match {
    std::string file;
    std::string family;
    bool bold = false;
    bool italic = false;
};

PatternPtr MatchPattern(const std::string& family, bool bold, bool italic, std::vector<std::string>* substituted) {
    PatternPtr pattern(FcPatternCreate());
    if (!pattern) return nullptr;
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    if (!FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern)) return nullptr;
    if (substituted) {
        for (int i = 0;; ++i) {
            std::string name = GetString(pattern.get(), FC_FAMILY, i);
            if (name.empty()) break;
            substituted->push_back(std::move(name));
        }
    }
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr font(FcFontMatch(nullptr, pattern.get(), &result));
    if (!font || result != FcResultMatch) return nullptr;
    return font;
}

bool Usable(FcPattern* font) {
    return !KindLabel(font).empty() && GetInteger(font, FC_INDEX, 0) == 0 && GetBool(font, FC_SCALABLE, true);
}

Match Describe(FcPattern* font) {
    Match match;
    match.file = GetString(font, FC_FILE);
    match.family = GetString(font, FC_FAMILY);
    match.bold = GetInteger(font, FC_WEIGHT, FC_WEIGHT_REGULAR) >= FC_WEIGHT_DEMIBOLD;
    match.italic = GetInteger(font, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
    return match;
}

std::vector<std::string> SubstitutedFamilies(const std::string& family) {
    std::vector<std::string> substituted;
    MatchPattern(family, false, false, &substituted);
    return substituted;
}

// fontconfig replaces a generic family by its preference list in place; the first two
// names of each list mark where a face's own aliases end and the defaults begin.
struct GenericHeads {
    std::vector<std::pair<std::string, std::string>> heads;

    GenericHeads() {
        for (const char* generic : {"sans-serif", "serif", "monospace"}) {
            const std::vector<std::string> list = SubstitutedFamilies(generic);
            if (list.size() >= 2) heads.emplace_back(list[0], list[1]);
        }
    }
    bool StartsAt(const std::vector<std::string>& families, size_t i) const {
        if (i + 1 >= families.size()) return false;
        for (const auto& [first, second] : heads) {
            if (EqualsIgnoreCase(families[i], first) && EqualsIgnoreCase(families[i + 1], second)) return true;
        }
        return false;
    }
};

// The stand-in fontconfig's configuration names for a face, or nothing when the face
// is installed itself or only falls through to the generic defaults. A stand-in is an
// alias of the face that comes before the generic preference list.
bool FindStandIn(const std::string& face, const GenericHeads& generics, std::string& family) {
    std::vector<std::string> substituted;
    PatternPtr font = MatchPattern(face, false, false, &substituted);
    if (!font || !Usable(font.get())) return false;
    if (FontHasFamily(font.get(), face)) return false;  // the face itself is installed
    for (size_t i = 1; i < substituted.size(); ++i) {
        if (generics.StartsAt(substituted, i)) return false;
        if (FontHasFamily(font.get(), substituted[i])) {
            family = substituted[i];
            return true;
        }
    }
    return false;
}

// Windows faces a presentation is likely to name. Only those fontconfig really maps to
// a stand-in become table entries.
const char* const kWindowsFaces[] = {
    "Arial",           "Arial Narrow",      "Times New Roman",    "Courier New",   "Calibri",
    "Cambria",         "Georgia",           "Palatino Linotype",  "Bookman Old Style",
    "Century Schoolbook", "Helvetica",      "Times",              "Courier",       "Symbol",
    "Wingdings",       "Tahoma",            "Verdana",            "Segoe UI",      "Trebuchet MS",
    "Comic Sans MS",   "Impact",            "Consolas",           "Lucida Console", "Garamond",
    "Book Antiqua",    "Century Gothic",    "Arial Black",        "Candara",       "Constantia",
    "Corbel",          "simhei",            "SimSun",             "Microsoft YaHei", "MS Gothic",
    "MS Mincho",       "MS PGothic",
};

// A font collection ("ttcf"): PoDoFo's subsetter cannot read one, and a subset that
// fails to build fails the whole document when it closes.
bool IsCollection(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    char tag[4] = {};
    return !in.read(tag, 4) || (tag[0] == 't' && tag[1] == 't' && tag[2] == 'c' && tag[3] == 'f');
}

}  // namespace

bool LoadFontTable(FontTable& table) {
    table = FontTable{};
    if (!FcInit()) return false;

    std::unique_ptr<FcPattern, PatternDeleter> all(FcPatternCreate());
    std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(FcObjectSetBuild(
        FC_FAMILY, FC_STYLE, FC_FILE, FC_FONTFORMAT, FC_INDEX, FC_SCALABLE, FC_WEIGHT, FC_SLANT, nullptr));
    if (!all || !objects) return false;
    std::unique_ptr<FcFontSet, FontSetDeleter> fonts(FcFontList(nullptr, all.get(), objects.get()));
    if (!fonts) return false;

    std::vector<std::pair<std::string, std::string>> installed;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcPattern* font = fonts->fonts[i];
        if (!Usable(font)) continue;
        const std::string family = GetString(font, FC_FAMILY);
        const std::string file = GetString(font, FC_FILE);
        if (family.empty() || file.empty()) continue;
        installed.emplace_back(DisplayName(family, WindowsStyle(GetString(font, FC_STYLE)), KindLabel(font)), file);
    }
    std::sort(installed.begin(), installed.end());
    installed.erase(std::unique(installed.begin(), installed.end()), installed.end());
    for (auto& [name, file] : installed) table.Add(std::move(name), std::move(file));

    const GenericHeads generics;
    for (const char* face : kWindowsFaces) {
        std::string family;
        if (!FindStandIn(face, generics, family)) continue;
        for (int style = 0; style < 4; ++style) {
            const bool bold = (style & 1) != 0;
            const bool italic = (style & 2) != 0;
            PatternPtr font = MatchPattern(family, bold, italic, nullptr);
            if (!font || !Usable(font.get()) || !FontHasFamily(font.get(), family)) continue;
            const Match match = Describe(font.get());
            if (match.bold != bold || match.italic != italic) continue;  // that style is not installed
            std::string styleWords = std::string(bold ? "Bold" : "") + (bold && italic ? " " : "") + (italic ? "Italic" : "");
            table.Add(DisplayName(face, styleWords, KindLabel(font.get())), match.file);
        }
    }
    return true;
}

bool AddMatchedFace(FontTable& table, const std::string& face) {
    if (face.empty() || !FcInit()) return false;
    bool added = false;
    for (int style = 0; style < 4; ++style) {
        const bool bold = (style & 1) != 0;
        const bool italic = (style & 2) != 0;
        PatternPtr font = MatchPattern(face, bold, italic, nullptr);
        if (!font || !Usable(font.get())) continue;
        const Match match = Describe(font.get());
        if (match.bold != bold || match.italic != italic) continue;  // that style is not installed
        std::string styleWords = std::string(bold ? "Bold" : "") + (bold && italic ? " " : "") + (italic ? "Italic" : "");
        table.Add(DisplayName(face, styleWords, KindLabel(font.get())), match.file);
        added = true;
    }
    return added;
}

std::string MatchSystemFontFile(const std::string& family, bool bold, bool italic) {
    if (!FcInit()) return {};
    PatternPtr font = MatchPattern(family, bold, italic, nullptr);
    if (!font || !Usable(font.get())) return {};
    return GetString(font.get(), FC_FILE);
}

std::string MatchSystemFontFileForChar(const std::string& family, bool bold, bool italic, uint32_t code) {
    if (!FcInit()) return {};
    PatternPtr pattern(FcPatternCreate());
    if (!pattern) return {};
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    std::unique_ptr<FcCharSet, void (*)(FcCharSet*)> wanted(FcCharSetCreate(), FcCharSetDestroy);
    if (!wanted || !FcCharSetAddChar(wanted.get(), code)) return {};
    FcPatternAddCharSet(pattern.get(), FC_CHARSET, wanted.get());
    if (!FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern)) return {};
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    std::unique_ptr<FcFontSet, FontSetDeleter> sorted(FcFontSort(nullptr, pattern.get(), FcFalse, nullptr, &result));
    if (!sorted) return {};
    for (int i = 0; i < sorted->nfont; ++i) {
        FcPattern* font = sorted->fonts[i];
        FcCharSet* charset = nullptr;
        if (FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch || charset == nullptr) continue;
        if (!FcCharSetHasChar(charset, code) || !Usable(font)) continue;
        if (GetString(font, FC_FONTFORMAT) != "TrueType") continue;  // subsets need glyf outlines
        std::string file = GetString(font, FC_FILE);
        if (!file.empty() && !IsCollection(file)) return file;
    }
    return {};
}

}  // namespace slidemill

#include "platform/gdi/TextMeasurer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <map>
#include <tuple>
#include <unordered_map>

namespace slidemill {

namespace {

// When no usable height is given, the platform's default font is about 12 points on a
// 96 dpi display: 16 pixels of em.
constexpr double kDefaultEm = 16.0;

void AppendUtf8(std::string& s, uint32_t cp) {
    if (cp < 0x80) {
        s += char(cp);
    } else if (cp < 0x800) {
        s += char(0xC0 | (cp >> 6));
        s += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += char(0xE0 | (cp >> 12));
        s += char(0x80 | ((cp >> 6) & 0x3F));
        s += char(0x80 | (cp & 0x3F));
    } else {
        s += char(0xF0 | (cp >> 18));
        s += char(0x80 | ((cp >> 12) & 0x3F));
        s += char(0x80 | ((cp >> 6) & 0x3F));
        s += char(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string FaceNameUtf8(const LOGFONTW& font) {
    std::string s;
    for (size_t i = 0; i < font.lfFaceName.size() && font.lfFaceName[i]; ++i) {
        uint32_t cu = font.lfFaceName[i];
        if (cu >= 0xD800 && cu < 0xE000) cu = 0xFFFD;  // no pairs in a 32-unit name field
        AppendUtf8(s, cu);
    }
    return s;
}

struct CFreeTypeTextMeasurer::Impl {
    struct Face {
        FT_Face face = nullptr;
        double unitsPerEm = 2048;
        double cellUnits = 2048;    // usWinAscent + usWinDescent
        double ascentUnits = 1638;  // usWinAscent
        double avgCharUnits = 0;    // xAvgCharWidth, 0 when unknown
        // Advances in font units by code point, filled on first use (-1: not yet known).
        std::unordered_map<uint32_t, int32_t> advances;
        std::vector<int32_t> latin;  // fast path for U+0000..U+00FF
    };

    FT_Library library = nullptr;
    FcConfig* config = nullptr;
    std::map<std::string, Face*> byFile;                                       // shared by file
    std::vector<std::unique_ptr<Face>> owned;

    ~Impl() {
        for (auto& f : owned)
            if (f->face) FT_Done_Face(f->face);
        if (library) FT_Done_FreeType(library);
        if (config) FcConfigDestroy(config);
    }

    std::string Match(const std::string& family, int weight, bool italic) {
        if (!config) return {};
        FcPattern* pat = FcPatternCreate();
        if (!pat) return {};
        if (!family.empty()) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        int w = weight <= 0 ? 400 : std::min(weight, 1000);
        FcPatternAddInteger(pat, FC_WEIGHT, FcWeightFromOpenType(w));
        FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(config, pat, FcMatchPattern);
        FcDefaultSubstitute(pat);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pat, &result);
        std::string file;
        if (match) {
            FcChar8* path = nullptr;
            if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
                file = reinterpret_cast<const char*>(path);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pat);
        return file;
    }

    Face* Lookup(const LOGFONTW& lf) {
        auto key = std::make_tuple(FaceNameUtf8(lf), lf.lfWeight >= 600 ? 700 : 400, lf.lfItalic != 0);
        auto it = aliases.find(key);
        if (it != aliases.end()) return it->second;
        Face* found = Open(Match(std::get<0>(key), std::get<1>(key), std::get<2>(key)));
        aliases.emplace(key, found);
        return found;
    }

    Face* Open(const std::string& file) {
        if (file.empty() || !library) return nullptr;
        auto it = byFile.find(file);
        if (it != byFile.end()) return it->second;
        FT_Face face = nullptr;
        if (FT_New_Face(library, file.c_str(), 0, &face) != 0 || !face) {
            byFile.emplace(file, nullptr);
            return nullptr;
        }
        auto f = std::make_unique<Face>();
        f->face = face;
        f->unitsPerEm = face->units_per_EM ? face->units_per_EM : 2048;
        f->cellUnits = double(face->ascender) - double(face->descender);
        f->ascentUnits = double(face->ascender);
        if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
            double cell = double(os2->usWinAscent) + double(os2->usWinDescent);
            if (cell > 0) {
                f->cellUnits = cell;
                f->ascentUnits = os2->usWinAscent;
            }
            f->avgCharUnits = os2->xAvgCharWidth;
        }
        if (f->cellUnits <= 0) f->cellUnits = f->unitsPerEm;
        if (f->ascentUnits <= 0 || f->ascentUnits > f->cellUnits) f->ascentUnits = f->cellUnits * 0.8;
        f->latin.assign(256, -1);
        Face* raw = f.get();
        owned.push_back(std::move(f));
        byFile.emplace(file, raw);
        return raw;
    }

    static int32_t Advance(Face& f, uint32_t cp) {
        int32_t* slot = nullptr;
        if (cp < 256) {
            slot = &f.latin[cp];
            if (*slot >= 0) return *slot;
        } else {
            auto it = f.advances.find(cp);
            if (it != f.advances.end()) return it->second;
        }
        FT_UInt gi = FT_Get_Char_Index(f.face, cp);
        FT_Fixed adv = 0;
        if (FT_Get_Advance(f.face, gi, FT_LOAD_NO_SCALE, &adv) != 0) adv = 0;
        int32_t v = adv < 0 ? 0 : int32_t(std::min<FT_Fixed>(adv, 1 << 20));
        if (slot)
            *slot = v;
        else
            f.advances.emplace(cp, v);
        return v;
    }

    // Requests (face name, weight, italic) to the shared face of their file.
    std::map<std::tuple<std::string, int, bool>, Face*> aliases;
};

CFreeTypeTextMeasurer::CFreeTypeTextMeasurer() : impl_(std::make_unique<Impl>()) {
    if (FT_Init_FreeType(&impl_->library) != 0) impl_->library = nullptr;
    impl_->config = FcInitLoadConfigAndFonts();
}

CFreeTypeTextMeasurer::~CFreeTypeTextMeasurer() = default;

std::string CFreeTypeTextMeasurer::MatchFile(const std::string& family, int weight, bool italic) {
    return impl_->Match(family, weight, italic);
}

bool CFreeTypeTextMeasurer::MeasureCellHeight(const LOGFONTW& font, int32_t& height) {
    height = 0;
    Impl::Face* face = impl_->Lookup(font);
    if (!face) return false;
    double cell;
    if (font.lfHeight > 0)
        cell = double(font.lfHeight);
    else {
        const double em = font.lfHeight < 0 ? -double(font.lfHeight) : kDefaultEm;
        cell = em * face->cellUnits / face->unitsPerEm;
    }
    cell = std::floor(cell + 0.5);
    height = int32_t(std::clamp(cell, 0.0, double(INT32_MAX)));
    return true;
}

bool CFreeTypeTextMeasurer::MeasureAscent(const LOGFONTW& font, int32_t& ascent) {
    ascent = 0;
    int32_t cell = 0;
    if (!MeasureCellHeight(font, cell)) return false;
    Impl::Face* face = impl_->Lookup(font);
    if (!face) return false;
    const double share = face->ascentUnits / face->cellUnits;
    ascent = int32_t(std::clamp(std::floor(cell * share + 0.5), 0.0, double(cell)));
    return true;
}

bool CFreeTypeTextMeasurer::MeasureExtents(const LOGFONTW& font, const char16_t* text, int count,
                                           std::vector<int32_t>& out) {
    out.clear();
    if (count <= 0 || !text) return count == 0;
    Impl::Face* face = impl_->Lookup(font);
    if (!face) return false;

    double em;
    if (font.lfHeight < 0)
        em = -double(font.lfHeight);
    else if (font.lfHeight > 0)
        em = double(font.lfHeight) * face->unitsPerEm / face->cellUnits;
    else
        em = kDefaultEm;
    double sx = em / face->unitsPerEm;
    // A non-zero lfWidth asks for that average character width: scale horizontally.
    if (font.lfWidth != 0 && face->avgCharUnits > 0) {
        double natural = face->avgCharUnits * sx;
        if (natural > 0) sx *= std::abs(double(font.lfWidth)) / natural;
    }

    out.resize(size_t(count));
    int64_t total = 0;
    for (int i = 0; i < count; ++i) {
        uint32_t cu = text[i];
        int32_t units = 0;
        if (cu >= 0xD800 && cu < 0xDC00 && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            uint32_t cp = 0x10000 + ((cu - 0xD800) << 10) + (uint32_t(text[i + 1]) - 0xDC00);
            units = Impl::Advance(*face, cp);
        } else if (cu >= 0xDC00 && cu < 0xE000 && i > 0 && text[i - 1] >= 0xD800 && text[i - 1] < 0xDC00) {
            units = 0;  // second half of a pair: its advance went to the first half
        } else {
            units = Impl::Advance(*face, cu);
        }
        total += int64_t(std::lround(units * sx));
        out[size_t(i)] = int32_t(std::min<int64_t>(total, INT32_MAX));
    }
    return true;
}

}  // namespace slidemill

#include "pagefile/font_metrics.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H

#include <algorithm>
#include <map>
#include <tuple>
#include <unordered_map>

namespace vm {

namespace {

// Arial's (and Liberation Sans') vertical metrics in its 2048 units per em.
constexpr int kArialUnitsPerEm = 2048;
constexpr int kArialAscent = 1854;
constexpr int kArialDescent = 434;

class ApproximateFace final : public FontFace {
public:
    int UnitsPerEm() const override { return kArialUnitsPerEm; }
    int Ascent() const override { return kArialAscent; }
    int Descent() const override { return kArialDescent; }
    int Advance(char32_t ch) const override { return ch == U' ' ? 569 : 1139; }
    std::string FamilyName() const override { return "approximate Arial"; }
};

class FreeTypeLibrary {
public:
    FreeTypeLibrary() { m_ok = FT_Init_FreeType(&m_library) == 0; }
    ~FreeTypeLibrary() {
        if (m_ok) {
            FT_Done_FreeType(m_library);
        }
    }
    FreeTypeLibrary(const FreeTypeLibrary&) = delete;
    FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;

    FT_Library Get() const { return m_ok ? m_library : nullptr; }

private:
    FT_Library m_library = nullptr;
    bool m_ok = false;
};

class FreeTypeFace final : public FontFace {
public:
    FreeTypeFace(FT_Face face, std::string family) : m_face(face), m_family(std::move(family)) {
        m_unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : kArialUnitsPerEm;
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            m_ascent = os2->usWinAscent;
            m_descent = os2->usWinDescent;
        } else {
            m_ascent = face->ascender;
            m_descent = -face->descender;
        }
        if (m_ascent + m_descent <= 0) {
            m_ascent = m_unitsPerEm * kArialAscent / kArialUnitsPerEm;
            m_descent = m_unitsPerEm * kArialDescent / kArialUnitsPerEm;
        }
    }
    ~FreeTypeFace() override { FT_Done_Face(m_face); }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    int UnitsPerEm() const override { return m_unitsPerEm; }
    int Ascent() const override { return m_ascent; }
    int Descent() const override { return m_descent; }
    std::string FamilyName() const override { return m_family; }

    int Advance(char32_t ch) const override {
        auto it = m_advances.find(ch);
        if (it != m_advances.end()) {
            return it->second;
        }
        const FT_UInt glyph = FT_Get_Char_Index(m_face, ch);
        FT_Fixed advance = 0;
        int value = 0;
        if (FT_Get_Advance(m_face, glyph, FT_LOAD_NO_SCALE, &advance) == 0) {
            value = static_cast<int>(advance);
        }
        m_advances.emplace(ch, value);
        return value;
    }

private:
    FT_Face m_face;
    std::string m_family;
    int m_unitsPerEm = kArialUnitsPerEm;
    int m_ascent = kArialAscent;
    int m_descent = kArialDescent;
    mutable std::unordered_map<char32_t, int> m_advances;
};

class SystemProvider final : public FontProvider {
public:
    ~SystemProvider() override {
        m_faces.clear();
        if (m_fontconfigStarted) {
            FcFini();  // returns fontconfig's caches at exit
        }
    }

    std::shared_ptr<const FontFace> Find(std::string_view family, bool bold, bool italic) override {
        auto key = std::make_tuple(std::string(family), bold, italic);
        auto it = m_faces.find(key);
        if (it != m_faces.end()) {
            return it->second;
        }
        std::shared_ptr<const FontFace> face = Load(std::get<0>(key), bold, italic);
        if (!face) {
            face = ApproximateArialFace();
        }
        m_faces.emplace(std::move(key), face);
        return face;
    }

private:
    std::shared_ptr<const FontFace> Load(const std::string& family, bool bold, bool italic) {
        if (m_library.Get() == nullptr) {
            return nullptr;
        }
        if (!m_fontconfigStarted) {
            if (FcInit() == FcFalse) {
                return nullptr;
            }
            m_fontconfigStarted = true;
        }
        FcPattern* pattern = FcPatternCreate();
        if (pattern == nullptr) {
            return nullptr;
        }
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        if (match == nullptr) {
            return nullptr;
        }
        std::shared_ptr<const FontFace> face;
        FcChar8* file = nullptr;
        FcChar8* matchedFamily = nullptr;
        int index = 0;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            std::string familyName = family;
            if (FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch) {
                familyName = reinterpret_cast<const char*>(matchedFamily);
            }
            FT_Face ftFace = nullptr;
            if (FT_New_Face(m_library.Get(), reinterpret_cast<const char*>(file), index, &ftFace) ==
                0) {
                face = std::make_shared<FreeTypeFace>(ftFace, familyName);
            }
        }
        FcPatternDestroy(match);
        return face;
    }

    FreeTypeLibrary m_library;
    bool m_fontconfigStarted = false;
    std::map<std::tuple<std::string, bool, bool>, std::shared_ptr<const FontFace>> m_faces;
};

int64_t ScaleRounded(int64_t fontUnits, int emHeight, int unitsPerEm) {
    // Round half away from zero; inputs are non-negative in practice.
    const int64_t num = fontUnits * emHeight;
    return (num + unitsPerEm / 2) / unitsPerEm;
}

}  // namespace

FontProvider& SystemFontProvider() {
    static SystemProvider provider;
    return provider;
}

std::shared_ptr<const FontFace> ApproximateArialFace() {
    static const auto face = std::make_shared<ApproximateFace>();
    return face;
}

ScaledFont::ScaledFont(std::shared_ptr<const FontFace> face, int emHeight)
    : m_face(face ? std::move(face) : ApproximateArialFace()),
      m_emHeight(emHeight < 0 ? -emHeight : emHeight) {
    const int upem = m_face->UnitsPerEm() > 0 ? m_face->UnitsPerEm() : kArialUnitsPerEm;
    m_ascent = static_cast<int>(ScaleRounded(m_face->Ascent(), m_emHeight, upem));
    m_descent = static_cast<int>(ScaleRounded(m_face->Descent(), m_emHeight, upem));
}

std::vector<int32_t> ScaledFont::Advances(std::u16string_view text) const {
    const int upem = m_face->UnitsPerEm() > 0 ? m_face->UnitsPerEm() : kArialUnitsPerEm;
    std::vector<int32_t> result(text.size(), 0);
    int64_t units = 0;
    int64_t previous = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t ch = text[i];
        size_t last = i;
        if (ch >= 0xD800 && ch <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ch = 0x10000 + ((ch - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            last = i + 1;
        }
        units += std::max(0, m_face->Advance(ch));
        const int64_t position = ScaleRounded(units, m_emHeight, upem);
        result[i] = static_cast<int32_t>(position - previous);
        previous = position;
        i = last;
    }
    return result;
}

int32_t ScaledFont::Width(std::u16string_view text) const {
    int64_t sum = 0;
    for (int32_t a : Advances(text)) {
        sum += a;
    }
    return static_cast<int32_t>(sum);
}

}  // namespace vm

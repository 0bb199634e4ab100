#pragma once
// Font metrics without a window system: what the page-file recorder needs to place, wrap and
// align text the way the printed page shows it. The system provider asks fontconfig for the face
// that a family name stands for ("Arial" is Liberation Sans, which has the same metrics) and reads
// its metrics with FreeType: the same face that the Qt side draws with.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

// Design metrics of one face, in font units.
class FontFace {
public:
    virtual ~FontFace() = default;
    virtual int UnitsPerEm() const = 0;
    // Above and below the baseline (both positive): the character cell is their sum.
    virtual int Ascent() const = 0;
    virtual int Descent() const = 0;
    // Advance width of a character; characters that the face lacks give the advance of its
    // missing-glyph box.
    virtual int Advance(char32_t ch) const = 0;
    // The family actually used, e.g. "Liberation Sans" for "Arial".
    virtual std::string FamilyName() const = 0;
};

class FontProvider {
public:
    virtual ~FontProvider() = default;
    // The face for a family and style. Never null: when nothing matches, an approximation with
    // Arial's proportions.
    virtual std::shared_ptr<const FontFace> Find(std::string_view family, bool bold,
                                                 bool italic) = 0;
};

// fontconfig + FreeType, faces cached for the life of the process. Single-threaded use only.
FontProvider& SystemFontProvider();

// A face fixed to Arial's vertical proportions with every character 0.556 em wide (a blank
// 0.278 em): the fallback of the system provider, and a predictable face for tests.
std::shared_ptr<const FontFace> ApproximateArialFace();

// A face at a given em height in pixels, with the metrics that GDI reports for such a font:
// ascent and descent rounded to pixels, the line height their sum, advances placed on whole
// pixels without accumulating rounding error.
class ScaledFont {
public:
    ScaledFont(std::shared_ptr<const FontFace> face, int emHeight);

    int EmHeight() const { return m_emHeight; }
    int Ascent() const { return m_ascent; }
    int Descent() const { return m_descent; }
    int LineHeight() const { return m_ascent + m_descent; }
    const FontFace& Face() const { return *m_face; }

    // The distance from each UTF-16 unit's origin to the next one's, in pixels (the second unit
    // of a surrogate pair gets 0).
    std::vector<int32_t> Advances(std::u16string_view text) const;
    // The sum of Advances(text).
    int32_t Width(std::u16string_view text) const;

private:
    std::shared_ptr<const FontFace> m_face;
    int m_emHeight;
    int m_ascent;
    int m_descent;
};

}  // namespace vm

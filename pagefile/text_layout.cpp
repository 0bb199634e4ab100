#include "pagefile/text_layout.h"

#include <algorithm>

namespace vm {

namespace {

std::u16string_view TrimRight(std::u16string_view s) {
    while (!s.empty() && s.back() == u' ') {
        s.remove_suffix(1);
    }
    return s;
}

// The line cut so that it and "..." fit `width` pixels, followed by "...".
std::u16string Ellipsize(std::u16string_view line, const ScaledFont& font, int width) {
    std::u16string_view kept = TrimRight(line);
    while (!kept.empty() && font.Width(std::u16string(kept) + u"...") > width) {
        kept.remove_suffix(1);
        if (!kept.empty() && kept.back() >= 0xD800 && kept.back() <= 0xDBFF) {
            kept.remove_suffix(1);  // never leave half a surrogate pair
        }
        kept = TrimRight(kept);
    }
    return std::u16string(kept) + u"...";
}

// Breaks one paragraph (no line ends in it) into lines of at most `width` pixels.
void WrapParagraph(std::u16string_view paragraph, const ScaledFont& font, int width,
                   std::vector<std::u16string>& lines) {
    if (paragraph.empty()) {
        lines.emplace_back();
        return;
    }
    size_t start = 0;
    while (start < paragraph.size()) {
        // Candidate ends: after each word; the line keeps the blanks before its first word only
        // at the start of the paragraph, as a typed indentation.
        size_t fits = 0;
        size_t at = start;
        while (at < paragraph.size()) {
            while (at < paragraph.size() && paragraph[at] == u' ') {
                ++at;
            }
            if (at >= paragraph.size()) {
                break;
            }
            while (at < paragraph.size() && paragraph[at] != u' ') {
                ++at;
            }
            const std::u16string_view candidate = paragraph.substr(start, at - start);
            if (fits != 0 && font.Width(candidate) > width) {
                break;
            }
            fits = at;
            if (font.Width(candidate) > width) {
                break;  // a first word wider than the box stands alone, to be clipped
            }
        }
        if (fits == 0) {  // nothing but blanks left
            break;
        }
        lines.emplace_back(TrimRight(paragraph.substr(start, fits - start)));
        start = fits;
        while (start < paragraph.size() && paragraph[start] == u' ') {
            ++start;
        }
    }
}

}  // namespace

std::vector<std::u16string> LayoutTextBox(std::u16string_view text, const ScaledFont& font,
                                          int boxWidth, int boxHeight) {
    std::vector<std::u16string> lines;
    if (text.empty() || boxWidth <= 0 || boxHeight <= 0) {
        return lines;
    }
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') {
            ++end;
        }
        WrapParagraph(text.substr(start, end - start), font, boxWidth, lines);
        if (end >= text.size()) {
            break;
        }
        start =
            end + ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
        if (start == text.size()) {
            break;  // a line end closing the text opens no further line
        }
    }
    const int lineHeight = std::max(1, font.LineHeight());
    const size_t shown = static_cast<size_t>(std::max(1, boxHeight / lineHeight));
    bool cut = false;
    if (lines.size() > shown) {
        lines.resize(shown);
        cut = true;
    }
    // Only the end of the text shown gets the ellipsis; a word wider than the box elsewhere is
    // left whole, and the box's clipping cuts it.
    if (cut) {
        lines.back() = Ellipsize(lines.back(), font, boxWidth);
    }
    return lines;
}

namespace {

// One line whose top is at `top`, placed against `anchorX` by the alignment.
PlacedLine PlaceLine(std::u16string text, const ScaledFont& font, int32_t anchorX, int32_t top,
                     Alignment alignment) {
    PlacedLine line;
    line.advances = font.Advances(text);
    line.text = std::move(text);
    int64_t width = 0;
    for (int32_t d : line.advances) {
        width += d;
    }
    int64_t left = anchorX;
    if (alignment == Alignment::Center) {
        left = anchorX - width / 2;
    } else if (alignment == Alignment::Right) {
        left = anchorX - width;
    }
    line.baseline = top + font.Ascent();
    line.bounds = {static_cast<int32_t>(left), top, static_cast<int32_t>(left + width),
                   top + font.LineHeight()};
    return line;
}

}  // namespace

PlacedText PlaceText(std::u16string_view text, const ScaledFont& font, int32_t x, int32_t top,
                     Alignment alignment) {
    PlacedText placed;
    placed.alignment = alignment;
    placed.anchorX = x;
    placed.lines.push_back(PlaceLine(std::u16string(text), font, x, top, alignment));
    return placed;
}

PlacedText PlaceTextBox(std::u16string_view text, const ScaledFont& font, const DeviceRect& box,
                        Alignment alignment) {
    PlacedText placed;
    placed.alignment = alignment;
    // A rectangle whose far corner lies left of or above its near one holds nothing: the text
    // is drawn into it and clipped away entirely.
    if (box.right <= box.left || box.bottom <= box.top) {
        return placed;
    }
    placed.clip = box;
    placed.anchorX = box.left;
    if (alignment == Alignment::Center) {
        placed.anchorX = box.left + (box.right - box.left) / 2;
    } else if (alignment == Alignment::Right) {
        placed.anchorX = box.right;
    }
    std::vector<std::u16string> lines =
        LayoutTextBox(text, font, box.right - box.left, box.bottom - box.top);
    for (size_t i = 0; i < lines.size(); ++i) {
        const int32_t top = box.top + static_cast<int32_t>(i) * font.LineHeight();
        placed.lines.push_back(
            PlaceLine(std::move(lines[i]), font, placed.anchorX, top, alignment));
    }
    return placed;
}

}  // namespace vm

#pragma once
// Text laid out on a page in device pixels, before any record is written: where a text or a text
// box's lines stand, how wide each character is, how lines break inside a box, where a text too
// long for its box ends with "...", and what clips it. The page-file recorder
// (pagefile/emf_writer.h) writes the records for what is laid out here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pagefile/canvas.h"
#include "pagefile/device_units.h"
#include "pagefile/font_metrics.h"

namespace vm {

// One line of text as it stands on the page.
struct PlacedLine {
    std::u16string text;            // empty for a blank line, which shows nothing
    std::vector<int32_t> advances;  // one per UTF-16 unit (Advances of the font)
    int32_t baseline = 0;
    DeviceRect bounds;  // the line's cell: its advances wide, a line height tall
};

// A text laid out in lines that share one font, alignment and clipping.
struct PlacedText {
    Alignment alignment = Alignment::Left;
    // Every line's reference point: its left end, centre or right end, by the alignment.
    int32_t anchorX = 0;
    // What clips the lines; none for a one-line text, which is not clipped.
    std::optional<DeviceRect> clip;
    std::vector<PlacedLine> lines;  // none when nothing is shown
};

// One line of text, not wrapped and not clipped, whose top is at `top` and whose left end, centre
// or right end is at `x`.
PlacedText PlaceText(std::u16string_view text, const ScaledFont& font, int32_t x, int32_t top,
                     Alignment alignment);

// A text word-wrapped inside `box` (LayoutTextBox), each line placed against the box's left edge,
// centre or right edge, the first at the top, all clipped to the box. A box without width or
// height shows nothing.
PlacedText PlaceTextBox(std::u16string_view text, const ScaledFont& font, const DeviceRect& box,
                        Alignment alignment);

// The lines in which a text box shows `text`: paragraphs split at line ends (CR LF, LF or CR),
// lines broken between words (only there) at `boxWidth` pixels, as many lines as the box's height
// holds (at least the first, which the clipping may cut). A word wider than the box stands whole
// on a line of its own, for the clipping to cut. When lines are left over, the last shown line is
// cut to make room for "..." and ends with it: the ellipsis marks the end of the text shown and
// nothing else. "&" is an ordinary character. An empty text or a box without width gives no
// lines.
std::vector<std::u16string> LayoutTextBox(std::u16string_view text, const ScaledFont& font,
                                          int boxWidth, int boxHeight);

}  // namespace vm

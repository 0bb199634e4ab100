#pragma once
// The templates of masked fields: how a numeric field lays a number out, how its text reads back,
// which template a date field gets, and how typing edits the text (each character replaces the
// one at the caret; literals never change). Plain C++; the widget in masked_line_edit.h applies it.

#include <string>
#include <string_view>

namespace vm {

// True for the digit positions of a numeric template: "9", "$" and "*".
bool isNumericDigitPosition(char c);

// True when the template holds only digit positions, at most one ".", "," and blanks, and at least
// one digit position.
bool isValidNumericTemplate(std::string_view tmpl);

// The number laid out in `format` (the template itself while editing, a blank and the template
// otherwise): rendered with Str in the width of the digit positions (plus one for the point when
// decimals follow it), then poured into the digit positions from left to right; the point shows
// "." and every other character of the format is copied. A number that does not fit shows "*" in
// every digit position.
std::string formatMaskedNumber(double value, std::string_view format);

// The value of a numeric field's text: its digits, "." and "-" read with Val (negative when the
// trimmed text starts with "(" or ends with "DB"), rounded to the template's decimals by laying it
// out in `editFormat` and reading that back. A number too large for the template reads as 0.
double parseMaskedNumber(std::string_view text, std::string_view editFormat);

// The template of a date field for a date format such as "dd/mm/yy": "9999" first when the format
// begins with "yyyy", last when it ends with "yyyy", else three pairs; the separator is the first
// of "/", "." and "-" that the format contains ("/" when none).
std::string dateTemplate(std::string_view dateFormat);

enum class MaskKind {
    Numeric,     // digit positions "9", "$", "*"; "." or "," re-formats; "-" first
    Date,        // digit positions "9"
    Characters,  // "9" digit, "A" letter, "X" any, "!" any (upper-cased); the rest literal
};

// The text, caret and selection of a masked field while it is edited. Positions count bytes from 0.
struct MaskEditState {
    std::string text;
    int caret = 0;
    int selectionStart = 0;
    int selectionLength = 0;
};

// The typing rules of one template. None of them fails: a refused key leaves the state unchanged.
class MaskEditor {
public:
    MaskEditor(MaskKind kind, std::string tmpl);

    const std::string& tmpl() const { return m_template; }
    MaskKind kind() const { return m_kind; }

    // True when position `pos` takes typed characters (not a literal and not the point).
    bool isInputPosition(int pos) const;
    int firstInputPosition() const;

    // Types one character. Over a selection, the selection's input positions become blank and
    // typing starts at its start (a refused character leaves everything as it was). The
    // character replaces the one at the caret (moved forward past literals first) when that
    // position accepts it; the caret then moves past the following literals. In a numeric field
    // "." (and "," alike) re-formats the number in the template and puts the caret after the
    // point, and "-" is accepted only where every character before it is blank. Returns false
    // when refused.
    bool type(MaskEditState& state, char c) const;

    // Backspace blanks the input position before the caret and moves the caret there; Delete
    // blanks the one at the caret. With a selection both blank its input positions.
    void backspace(MaskEditState& state) const;
    void deleteForward(MaskEditState& state) const;

private:
    bool accepts(const std::string& text, int pos, char c) const;
    void padToTemplate(std::string& text) const;
    bool blankSelection(MaskEditState& state) const;

    MaskKind m_kind;
    std::string m_template;
};

}  // namespace vm

#include "ui/mask_format.h"

#include <algorithm>

#include "core/ascii.h"
#include "core/text.h"
#include "core/win1252.h"

namespace vm {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool isNumericDigitPosition(char c) {
    return c == '9' || c == '$' || c == '*';
}

bool isValidNumericTemplate(std::string_view tmpl) {
    int digits = 0;
    int points = 0;
    for (char c : tmpl) {
        if (isNumericDigitPosition(c)) {
            ++digits;
        } else if (c == '.') {
            ++points;
        } else if (c != ',' && c != ' ') {
            return false;
        }
    }
    return digits > 0 && points <= 1;
}

std::string formatMaskedNumber(double value, std::string_view format) {
    int digits = 0;
    int decimals = 0;
    bool afterPoint = false;
    for (char c : format) {
        if (isNumericDigitPosition(c)) {
            ++digits;
            if (afterPoint) {
                ++decimals;
            }
        } else if (c == '.') {
            afterPoint = true;
        }
    }
    const int width = decimals > 0 ? digits + 1 : digits;
    const std::string rendered = Str(value, width, decimals);

    std::string out;
    out.reserve(format.size());
    size_t next = 0;
    for (char c : format) {
        if (isNumericDigitPosition(c)) {
            out += next < rendered.size() ? rendered[next++] : ' ';
        } else if (c == '.') {
            out += '.';
            if (next < rendered.size() && rendered[next] == '.') {
                ++next;
            }
        } else {
            out += c;
        }
    }
    return out;
}

double parseMaskedNumber(std::string_view text, std::string_view editFormat) {
    std::string kept;
    for (char c : text) {
        if (isDigit(c) || c == '.' || c == '-') {
            kept += c;
        }
    }
    const std::string trimmed = AllTrim(text);
    const bool negative =
        (!trimmed.empty() && trimmed.front() == '(') ||
        (trimmed.size() >= 2 && trimmed.compare(trimmed.size() - 2, 2, "DB") == 0);
    if (negative) {
        kept.insert(kept.begin(), '-');
    }
    // Read back only the number's own characters, so that a "," of the template cannot cut it.
    std::string laidOut;
    for (char c : formatMaskedNumber(Val(kept), editFormat)) {
        if (isDigit(c) || c == '.' || c == '-' || c == '*') {
            laidOut += c;
        }
    }
    return Val(laidOut);
}

std::string dateTemplate(std::string_view dateFormat) {
    const std::string lower = AsciiLower(dateFormat);
    char sep = '/';
    if (lower.find('/') != std::string::npos) {
        sep = '/';
    } else if (lower.find('.') != std::string::npos) {
        sep = '.';
    } else if (lower.find('-') != std::string::npos) {
        sep = '-';
    }
    const std::string s(1, sep);
    if (lower.rfind("yyyy", 0) == 0) {
        return "9999" + s + "99" + s + "99";
    }
    if (lower.size() >= 4 && lower.compare(lower.size() - 4, 4, "yyyy") == 0) {
        return "99" + s + "99" + s + "9999";
    }
    return "99" + s + "99" + s + "99";
}

MaskEditor::MaskEditor(MaskKind kind, std::string tmpl)
    : m_kind(kind), m_template(std::move(tmpl)) {}

bool MaskEditor::isInputPosition(int pos) const {
    if (pos < 0 || pos >= static_cast<int>(m_template.size())) {
        return false;
    }
    const char t = m_template[static_cast<size_t>(pos)];
    switch (m_kind) {
        case MaskKind::Numeric:
            return isNumericDigitPosition(t);
        case MaskKind::Date:
            return t == '9';
        case MaskKind::Characters:
            return t == '9' || t == 'A' || t == 'X' || t == '!';
    }
    return false;
}

int MaskEditor::firstInputPosition() const {
    for (int i = 0; i < static_cast<int>(m_template.size()); ++i) {
        if (isInputPosition(i)) {
            return i;
        }
    }
    return 0;
}

void MaskEditor::padToTemplate(std::string& text) const {
    if (text.size() > m_template.size()) {
        text.resize(m_template.size());
    }
    for (size_t i = text.size(); i < m_template.size(); ++i) {
        text += isInputPosition(static_cast<int>(i)) ? ' ' : m_template[i];
    }
}

bool MaskEditor::accepts(const std::string& text, int pos, char c) const {
    if (c == ' ') {
        return true;
    }
    const char t = m_template[static_cast<size_t>(pos)];
    switch (m_kind) {
        case MaskKind::Numeric:
            if (c == '-') {
                return std::all_of(text.begin(), text.begin() + pos,
                                   [](char x) { return x == ' '; });
            }
            return isDigit(c);
        case MaskKind::Date:
            return isDigit(c);
        case MaskKind::Characters:
            if (t == '9') {
                return isDigit(c);
            }
            if (t == 'A') {
                return isAsciiLetter(c);
            }
            return static_cast<unsigned char>(c) >= 32;
    }
    return false;
}

bool MaskEditor::type(MaskEditState& state, char c) const {
    std::string text = state.text;
    padToTemplate(text);
    const int length = static_cast<int>(text.size());

    // A "," is the decimal point too: it is the decimal mark of the users' keyboards and habits.
    if (m_kind == MaskKind::Numeric && (c == '.' || c == ',')) {
        const size_t point = m_template.find('.');
        if (point == std::string::npos) {
            return false;
        }
        state.text = formatMaskedNumber(parseMaskedNumber(text, m_template), m_template);
        state.caret = static_cast<int>(point) + 1;
        state.selectionStart = state.caret;
        state.selectionLength = 0;
        return true;
    }

    int pos = state.caret;
    if (state.selectionLength > 0) {
        // Typing over a selection replaces it: its digit positions become blank first.
        MaskEditState cleared = state;
        cleared.text = text;
        blankSelection(cleared);
        text = cleared.text;
        pos = cleared.caret;
    }
    while (pos < length && !isInputPosition(pos)) {
        ++pos;
    }
    if (pos >= length || !accepts(text, pos, c)) {
        return false;
    }
    const bool upper =
        m_kind == MaskKind::Characters && m_template[static_cast<size_t>(pos)] == '!';
    text[static_cast<size_t>(pos)] = upper ? upperWin1252(c) : c;
    int caret = pos + 1;
    while (caret < length && !isInputPosition(caret)) {
        ++caret;
    }
    state.text = std::move(text);
    state.caret = caret;
    state.selectionStart = caret;
    state.selectionLength = 0;
    return true;
}

bool MaskEditor::blankSelection(MaskEditState& state) const {
    if (state.selectionLength <= 0) {
        return false;
    }
    padToTemplate(state.text);
    const int end =
        std::min(state.selectionStart + state.selectionLength, static_cast<int>(state.text.size()));
    for (int i = std::max(0, state.selectionStart); i < end; ++i) {
        if (isInputPosition(i)) {
            state.text[static_cast<size_t>(i)] = ' ';
        }
    }
    state.caret = state.selectionStart;
    state.selectionLength = 0;
    return true;
}

void MaskEditor::backspace(MaskEditState& state) const {
    if (blankSelection(state)) {
        return;
    }
    padToTemplate(state.text);
    int pos = std::min(state.caret, static_cast<int>(state.text.size())) - 1;
    while (pos >= 0 && !isInputPosition(pos)) {
        --pos;
    }
    if (pos < 0) {
        return;
    }
    state.text[static_cast<size_t>(pos)] = ' ';
    state.caret = pos;
    state.selectionStart = pos;
}

void MaskEditor::deleteForward(MaskEditState& state) const {
    if (blankSelection(state)) {
        return;
    }
    padToTemplate(state.text);
    int pos = state.caret;
    while (pos < static_cast<int>(state.text.size()) && !isInputPosition(pos)) {
        ++pos;
    }
    if (pos < static_cast<int>(state.text.size())) {
        state.text[static_cast<size_t>(pos)] = ' ';
    }
}

}  // namespace vm

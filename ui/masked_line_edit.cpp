#include "ui/masked_line_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "core/date.h"
#include "core/text.h"
#include "ui/qt_text.h"
#include "ui/text_box.h"

namespace vm {

namespace {

std::string withoutTrailingBlanks(std::string text) {
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

bool isCaretMovement(const QKeyEvent* event) {
    if (event->modifiers() & Qt::AltModifier) {
        return false;
    }
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
            return true;
        default:
            return false;
    }
}

}  // namespace

MaskedLineEdit::MaskedLineEdit(QWidget* parent, MaskKind kind, std::string tmpl)
    : QLineEdit(parent), m_editor(kind, std::move(tmpl)) {
    setAlignment(kind == MaskKind::Numeric ? (Qt::AlignRight | Qt::AlignVCenter)
                                           : (Qt::AlignLeft | Qt::AlignVCenter));
    // Only the masked typing below may change the text: no drops, no context-menu edits, no
    // input-method composition.
    setAcceptDrops(false);
    setDragEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

FormValue MaskedLineEdit::value() const {
    const std::string shown = fromQt(text());
    switch (kind()) {
        case MaskKind::Numeric:
            return parseMaskedNumber(shown, tmpl());
        case MaskKind::Date:
            return CToD(AllTrim(shown));
        case MaskKind::Characters:
            return shown;
    }
    return {};
}

void MaskedLineEdit::setValue(const FormValue& value) {
    switch (kind()) {
        case MaskKind::Numeric: {
            const std::string format = m_editing ? tmpl() : " " + tmpl();
            setText(toQt(formatMaskedNumber(value.number(), format)));
            break;
        }
        case MaskKind::Date:
            setText(toQt(withoutTrailingBlanks(DToC(value.date()))));
            break;
        case MaskKind::Characters:
            setText(toQt(value.text()));
            break;
    }
}

void MaskedLineEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (isMenuFocusReason(event->reason())) {
        return;
    }
    if (kind() == MaskKind::Numeric) {
        const double number = parseMaskedNumber(fromQt(text()), tmpl());
        std::string shown = formatMaskedNumber(number, tmpl());
        if (number == 0 && tmpl().find('.') != std::string::npos) {
            const size_t zero = shown.find("0.");
            if (zero != std::string::npos) {
                shown[zero] = ' ';
            }
        }
        setText(toQt(shown));
    }
    selectForTyping();
    m_editing = true;
    // A click selects as Tab does: the press that follows would put the caret where it landed,
    // and typing "10" into "  7" would give 107.
    m_focusedByMouse = event->reason() == Qt::MouseFocusReason;
}

void MaskedLineEdit::selectForTyping() {
    if (kind() == MaskKind::Numeric) {
        selectAll();
    } else {
        const int first = m_editor.firstInputPosition();
        setSelection(first, static_cast<int>(text().size()) - first);
    }
}

void MaskedLineEdit::mousePressEvent(QMouseEvent* event) {
    if (m_focusedByMouse) {
        m_focusedByMouse = false;
        m_holdingFocusClick = true;
        selectForTyping();
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void MaskedLineEdit::mouseMoveEvent(QMouseEvent* event) {
    if (m_holdingFocusClick) {
        event->accept();
        return;
    }
    QLineEdit::mouseMoveEvent(event);
}

void MaskedLineEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (m_holdingFocusClick) {
        m_holdingFocusClick = false;
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void MaskedLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (isMenuFocusReason(event->reason())) {
        return;
    }
    m_editing = false;
    m_focusedByMouse = false;
    m_holdingFocusClick = false;
    const std::string shown = fromQt(text());
    switch (kind()) {
        case MaskKind::Numeric:
            setText(toQt(formatMaskedNumber(parseMaskedNumber(shown, tmpl()), " " + tmpl())));
            break;
        case MaskKind::Date:
            setText(toQt(DToC(CToD(AllTrim(shown)))));
            break;
        case MaskKind::Characters:
            break;
    }
    if (onLostFocus) {
        onLostFocus();
    }
}

MaskEditState MaskedLineEdit::currentState() const {
    MaskEditState state;
    state.text = fromQt(text());
    state.caret = cursorPosition();
    if (hasSelectedText()) {
        state.selectionStart = selectionStart();
        state.selectionLength = static_cast<int>(selectedText().size());
    } else {
        state.selectionStart = state.caret;
    }
    return state;
}

void MaskedLineEdit::applyState(const MaskEditState& state) {
    setText(toQt(state.text));
    setCursorPosition(state.caret);
}

void MaskedLineEdit::typeText(const QString& typed) {
    MaskEditState state = currentState();
    bool changed = false;
    for (char c : fromQt(typed)) {
        changed = m_editor.type(state, c) || changed;
    }
    if (changed) {
        applyState(state);
    }
}

void MaskedLineEdit::keyPressEvent(QKeyEvent* event) {
    if (isCaretMovement(event) || event->matches(QKeySequence::Copy) ||
        event->matches(QKeySequence::SelectAll)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        typeText(QApplication::clipboard()->text());
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        if (hasSelectedText()) {
            QApplication::clipboard()->setText(selectedText());
            MaskEditState state = currentState();
            m_editor.deleteForward(state);
            applyState(state);
        }
        return;
    }
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        MaskEditState state = currentState();
        if (event->key() == Qt::Key_Backspace) {
            m_editor.backspace(state);
        } else {
            m_editor.deleteForward(state);
        }
        applyState(state);
        return;
    }
    // The keypad's decimal key is the decimal point, whatever the keyboard layout makes it send.
    const bool keypadPoint = kind() == MaskKind::Numeric &&
                             (event->modifiers() & Qt::KeypadModifier) &&
                             (event->key() == Qt::Key_Period || event->key() == Qt::Key_Comma);
    const QString typed = keypadPoint ? QStringLiteral(".") : event->text();
    const bool command =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (command || typed.isEmpty() || !typed.front().isPrint()) {
        // Tab, Enter, Escape and shortcuts go on to the form.
        event->ignore();
        return;
    }
    typeText(typed);
}

}  // namespace vm

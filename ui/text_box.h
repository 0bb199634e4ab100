#pragma once
// The plain text box of the form layer: a line edit whose typing can be limited in length and
// converted to upper case, and whose lost-focus hook the layer attaches.

#include <QLineEdit>
#include <functional>
#include <string>

namespace vm {

class TypingRules;

// True for the focus changes that a menu causes: opening the menu bar or a drop-down does not
// move the keyboard focus as far as the form layer's callbacks are concerned.
bool isMenuFocusReason(Qt::FocusReason reason);

class TextBoxWidget final : public QLineEdit {
    Q_OBJECT
public:
    // maxLength 0 or less: no limit. The limit and the upper case apply to what the user types;
    // a value written by the program is shown whole.
    TextBoxWidget(QWidget* parent, int maxLength, bool upperCase);

    // The text as shown, blanks included.
    std::string value() const;
    // Shows the text without its trailing blanks.
    void setValue(const std::string& text);

    int maxTypedLength() const { return m_maxLength; }
    bool upperCase() const { return m_upperCase; }

    // Runs each time the keyboard focus leaves the field (not for a menu).
    std::function<void()> onLostFocus;

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    int m_maxLength;
    bool m_upperCase;
    TypingRules* m_rules = nullptr;
};

}  // namespace vm

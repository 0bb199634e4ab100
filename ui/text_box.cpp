#include "ui/text_box.h"

#include <QFocusEvent>
#include <QValidator>

#include "ui/qt_text.h"

namespace vm {

namespace {

// Upper-cases each letter that has a single-character capital in Windows-1252 ("ß" stays).
QString upperWin1252(const QString& text) {
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar upper = out[i].toUpper();
        if (upper != out[i] && fromQt(QString(upper)) != "?") {
            out[i] = upper;
        }
    }
    return out;
}

// Applies the typing rules: a typed text longer than the limit is refused (unless it got no
// longer than what the program had written), and letters become capitals.
class TypingRules final : public QValidator {
public:
    TypingRules(QLineEdit* edit, int maxLength, bool upperCase)
        : QValidator(edit), m_edit(edit), m_maxLength(maxLength), m_upperCase(upperCase) {}

    State validate(QString& input, int& /*pos*/) const override {
        if (m_upperCase) {
            input = upperWin1252(input);
        }
        if (m_maxLength > 0 && input.size() > m_maxLength && input.size() > m_edit->text().size()) {
            return Invalid;
        }
        return Acceptable;
    }

private:
    QLineEdit* m_edit;
    int m_maxLength;
    bool m_upperCase;
};

}  // namespace

bool isMenuFocusReason(Qt::FocusReason reason) {
    return reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason;
}

TextBoxWidget::TextBoxWidget(QWidget* parent, int maxLength, bool upperCase)
    : QLineEdit(parent), m_maxLength(maxLength), m_upperCase(upperCase) {
    if (maxLength > 0 || upperCase) {
        setValidator(new TypingRules(this, maxLength, upperCase));
    }
}

std::string TextBoxWidget::value() const {
    return fromQt(text());
}

void TextBoxWidget::setValue(const std::string& value) {
    std::string shown = value;
    while (!shown.empty() && shown.back() == ' ') {
        shown.pop_back();
    }
    setText(toQt(shown));
}

void TextBoxWidget::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!isMenuFocusReason(event->reason()) && onLostFocus) {
        onLostFocus();
    }
}

}  // namespace vm

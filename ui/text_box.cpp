#include "ui/text_box.h"

#include <QFocusEvent>
#include <QValidator>
#include <algorithm>

#include "core/win1252.h"
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

}  // namespace

// Applies the typing rules: a character that Windows-1252 cannot hold is refused (the field holds
// exactly what the record will), a typed text longer than the limit is refused (unless it got no
// longer than what the program had written), and letters become capitals.
class TypingRules final : public QValidator {
public:
    TypingRules(QObject* parent, int maxLength, bool upperCase)
        : QValidator(parent), m_maxLength(maxLength), m_upperCase(upperCase) {}

    // A text that the program wrote may be longer than the limit; typing may keep its length.
    void allowLength(qsizetype length) { m_written = length; }

    State validate(QString& input, int& /*pos*/) const override {
        if (!fitsWin1252(input.toStdString())) {
            return Invalid;
        }
        if (m_upperCase) {
            input = upperWin1252(input);
        }
        if (m_maxLength > 0 && input.size() > std::max<qsizetype>(m_maxLength, m_written)) {
            return Invalid;
        }
        return Acceptable;
    }

private:
    int m_maxLength;
    bool m_upperCase;
    qsizetype m_written = 0;
};

bool isMenuFocusReason(Qt::FocusReason reason) {
    return reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason;
}

TextBoxWidget::TextBoxWidget(QWidget* parent, int maxLength, bool upperCase)
    : QLineEdit(parent), m_maxLength(maxLength), m_upperCase(upperCase) {
    m_rules = new TypingRules(this, maxLength, upperCase);
    setValidator(m_rules);
}

std::string TextBoxWidget::value() const {
    return fromQt(text());
}

void TextBoxWidget::setValue(const std::string& value) {
    std::string shown = value;
    while (!shown.empty() && shown.back() == ' ') {
        shown.pop_back();
    }
    // The typing rules apply to typing only: a written text is shown as it is.
    setValidator(nullptr);
    setText(toQt(shown));
    if (m_rules != nullptr) {
        m_rules->allowLength(static_cast<qsizetype>(shown.size()));
        setValidator(m_rules);
    }
}

void TextBoxWidget::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!isMenuFocusReason(event->reason()) && onLostFocus) {
        onLostFocus();
    }
}

}  // namespace vm

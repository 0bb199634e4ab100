#pragma once
// The masked fields of the form layer: a numeric field driven by a template such as "999.99"
// (right-aligned) and a character-mask field, which with the date option holds a date
// (left-aligned). Typing overwrites; the template's literals never change (see mask_format.h).

#include <QLineEdit>
#include <functional>
#include <string>

#include "ui/form_value.h"
#include "ui/mask_format.h"

namespace vm {

class MaskedLineEdit final : public QLineEdit {
    Q_OBJECT
public:
    // kind Numeric: `tmpl` must pass isValidNumericTemplate. kind Date: `tmpl` is the date
    // template (dateTemplate). kind Characters: any template. The field starts empty.
    MaskedLineEdit(QWidget* parent, MaskKind kind, std::string tmpl);

    MaskKind kind() const { return m_editor.kind(); }
    const std::string& tmpl() const { return m_editor.tmpl(); }

    // Numeric: the number of the text, rounded to the template. Date: the date of the trimmed
    // text, the empty date when it is not valid. Characters: the text as shown.
    FormValue value() const;

    // Numeric: a number (anything else counts as 0), laid out in the template while the field is
    // edited and in the display format (a blank and the template) otherwise. Date: a date
    // (anything else counts as the empty date), shown as DToC without trailing blanks.
    // Characters: a text. Runs no callback.
    void setValue(const FormValue& value);

    // True while the field has the keyboard focus.
    bool isEditing() const { return m_editing; }

    // Runs each time the keyboard focus leaves the field, after the text was re-formatted.
    std::function<void()> onLostFocus;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // What the focus selects: a numeric field's whole text, the input part of the others.
    void selectForTyping();
    MaskEditState currentState() const;
    void applyState(const MaskEditState& state);
    void typeText(const QString& typed);

    MaskEditor m_editor;
    bool m_editing = false;
    // The focus came with a mouse press still to arrive: that press keeps the selection.
    bool m_focusedByMouse = false;
    // The button of that press is still down: moving it selects nothing else.
    bool m_holdingFocusClick = false;
};

}  // namespace vm

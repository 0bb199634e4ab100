#pragma once
// Inside the form layer: the top-level window of a form. Its close box asks the form as the
// user's closing does; it watches the keys of the form's controls for the arrow keys of a radio
// group and, with Enter navigation on, for Enter in a text field or on a check box.

#include <QMainWindow>
#include <memory>

namespace vm::forms {

struct Form;

class FormWindow final : public QMainWindow {
public:
    FormWindow(QWidget* parent, Qt::WindowFlags flags, std::weak_ptr<Form> form)
        : QMainWindow(parent, flags), m_form(std::move(form)) {}

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::weak_ptr<Form> m_form;
};

}  // namespace vm::forms

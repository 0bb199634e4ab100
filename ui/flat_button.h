#pragma once
// A flat push button (no frame of its own) that still shows where the keyboard focus is: the
// style's focus frame is drawn around it while it has the focus.

#include <QPushButton>

namespace vm {

class FlatButton final : public QPushButton {
public:
    FlatButton(const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vm

#pragma once
// Inside the form layer (ui/form_*.cpp only): the forms and controls it holds, found by name
// without regard to case; the one form whose definition is open; and how an operation reaches
// them from whichever thread calls it.

#include <QButtonGroup>
#include <QFont>
#include <QPointer>
#include <QRadioButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/form_layer.h"
#include "ui/form_window.h"
#include "ui/gui_thread.h"
#include "ui/window_frame_hints.h"

class QEventLoop;
class QMenu;

namespace vm::forms {

enum class ControlKind {
    Label,
    TextBox,
    MaskedTextBox,
    CharMaskTextBox,
    Frame,
    RadioGroup,
    CheckBox,
    Button,
    StatusBar,
    StatusItem,
    ProgressBar,
    Custom,
};

// The text fields, whose lost-focus procedure the layer runs.
bool isTextBoxKind(ControlKind kind);
// The controls whose caption is their value: labels and status-bar items.
bool isLabelKind(ControlKind kind);

struct Control {
    std::string name;
    ControlKind kind = ControlKind::Label;
    QPointer<QWidget> widget;                     // a radio group's first option
    std::vector<QPointer<QRadioButton>> options;  // radio group
    QPointer<QButtonGroup> group;
    int selected = 0;  // radio group: the option the layer last selected, 1-based
    Callback onChange;
    Callback onLostFocus;

    // The control's widgets that still exist: a radio group's options, else its one widget.
    std::vector<QWidget*> widgets() const;
    // The radio group's one Tab stop, 1-based: the selected option, or the first when none is.
    int tabStopOption() const { return selected > 0 ? selected : 1; }
    // The widgets that may take the focus for the control: a radio group's Tab stop where that
    // option still exists, else every widget of the control.
    std::vector<QWidget*> focusCandidates() const;
};

enum class FormState { Defining, Defined, Active, Released };

struct Form {
    std::string name;
    WindowKind kind = WindowKind::Child;
    FormState state = FormState::Defining;
    QPointer<FormWindow> window;
    QPointer<QWidget> content;
    int width = 0;
    int height = 0;
    std::string title;
    Callback onInit;
    Callback onRelease;
    std::function<bool()> onInteractiveClose;
    FrameFunctions frame;
    bool limitedFrame = false;  // some caption box or the resizing is not wanted
    QFont font;
    std::vector<std::shared_ptr<Control>> controls;
    QEventLoop* loop = nullptr;  // the activation's event loop while it runs
    // While the definition is open.
    std::vector<QMenu*> menus;
    bool menuOpen = false;
    bool messageBarOpen = false;
    int statusItems = 0;
};

// Every form that is defined and not yet released, in the order of definition. A misused name
// raises the fatal "MGERROR" error; the find functions return null instead.
class FormRegistry {
public:
    std::shared_ptr<Form> find(const std::string& name) const;
    std::shared_ptr<Form> require(const std::string& name) const;
    static std::shared_ptr<Control> findControl(const Form& form, const std::string& name);
    std::shared_ptr<Control> requireControl(const std::string& formName,
                                            const std::string& controlName) const;

    const std::vector<std::shared_ptr<Form>>& all() const { return m_forms; }
    std::shared_ptr<Form> main() const { return m_main; }

    // The form whose definition is open, or null.
    std::shared_ptr<Form> defining() const { return m_defining; }
    // The form whose definition is open; `what` names the definition in the error when none is.
    Form& requireDefining(const std::string& what) const;
    // Adds the form whose definition opens now (the main form, for a main one).
    void open(std::shared_ptr<Form> form);
    void closeDefinition() { m_defining.reset(); }
    // Adds a control of the given name to the form being defined; a name the form already has
    // is an error.
    std::shared_ptr<Control> addControl(const std::string& name, ControlKind kind);

    // Forgets the form: its name becomes free.
    void remove(const std::shared_ptr<Form>& form);
    void clear();

private:
    std::vector<std::shared_ptr<Form>> m_forms;
    std::shared_ptr<Form> m_main;
    std::shared_ptr<Form> m_defining;
};

FormRegistry& registry();

// Runs a callback from inside Qt's event handling. The fatal-error path only returns here when a
// test has replaced the end of the process; the exception it then throws must not cross Qt.
void invokeFromEvent(const std::function<void()>& callback);

// What a widget's signal runs: the callback, from inside Qt's event handling, unless the form is
// released or gone by then.
std::function<void()> whileFormOpen(const std::shared_ptr<Form>& form, Callback callback);

// Runs an access operation on the event-loop thread. From a worker it waits for the result, and
// a form or control that is gone by then makes the call do nothing.
template <class Task>
void fromAnyThread(const std::string& form, const std::string& control, Task task) {
    if (onGuiThread()) {
        InitFormLayer();
        task();
        return;
    }
    runOnGuiThread([&] {
        auto f = registry().find(form);
        if (!f || f->state == FormState::Released ||
            (!control.empty() && !FormRegistry::findControl(*f, control))) {
            return;
        }
        task();
    });
}

// Runs a definition operation on the event-loop thread.
template <class Task>
void defineOnGuiThread(Task task) {
    runOnGuiThread([&] {
        InitFormLayer();
        task();
    });
}

}  // namespace vm::forms

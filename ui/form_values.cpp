// The values and properties of forms and controls.
#include "ui/form_values.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

#include "core/ascii.h"
#include "core/date.h"
#include "core/text.h"
#include "ui/form_registry.h"
#include "ui/masked_line_edit.h"
#include "ui/qt_text.h"
#include "ui/text_box.h"

namespace vm {

namespace forms {

namespace {

FormValue readValue(const Control& control) {
    QWidget* w = control.widget;
    switch (control.kind) {
        case ControlKind::Label:
        case ControlKind::StatusItem:
            return fromQt(static_cast<QLabel*>(w)->text());
        case ControlKind::TextBox:
            return static_cast<TextBoxWidget*>(w)->value();
        case ControlKind::MaskedTextBox:
        case ControlKind::CharMaskTextBox:
            return static_cast<MaskedLineEdit*>(w)->value();
        case ControlKind::RadioGroup:
            for (size_t i = 0; i < control.options.size(); ++i) {
                if (control.options[i] && control.options[i]->isChecked()) {
                    return static_cast<int>(i + 1);
                }
            }
            return 0;
        case ControlKind::CheckBox:
            return static_cast<QCheckBox*>(w)->isChecked();
        case ControlKind::ProgressBar:
            return static_cast<QProgressBar*>(w)->value();
        case ControlKind::Frame:
        case ControlKind::Button:
        case ControlKind::StatusBar:
        case ControlKind::Custom:
            break;
    }
    return {};
}

// A change the program makes runs the control's onChange, except while a definition is open.
void runChange(const Control& control) {
    if (registry().defining()) {
        return;
    }
    const Callback callback = control.onChange;
    if (callback) {
        callback();
    }
}

void writeValue(Control& control, const FormValue& value) {
    QWidget* w = control.widget;
    if (isLabelKind(control.kind)) {
        auto* label = static_cast<QLabel*>(w);
        label->setText(toQt(displayText(value)));
        label->update();
        return;
    }
    if (readValue(control) == value) {
        return;
    }
    switch (control.kind) {
        case ControlKind::TextBox:
            if (value.isText() || value.isAbsent()) {
                static_cast<TextBoxWidget*>(w)->setValue(value.text());
            }
            break;
        case ControlKind::MaskedTextBox:
        case ControlKind::CharMaskTextBox:
            static_cast<MaskedLineEdit*>(w)->setValue(value);
            break;
        case ControlKind::CheckBox:
            if (value.isLogical()) {
                static_cast<QCheckBox*>(w)->setChecked(value.logical());
                runChange(control);
            }
            break;
        case ControlKind::RadioGroup: {
            if (!value.isNumber()) {
                break;
            }
            const double wanted = Int(value.number());
            if (wanted < 0 || wanted > static_cast<double>(control.options.size())) {
                break;
            }
            const int index = static_cast<int>(wanted);
            if (readValue(control) == FormValue(index)) {
                break;
            }
            selectOption(control, index);
            if (index > 0 && control.options[static_cast<size_t>(index - 1)]) {
                control.options[static_cast<size_t>(index - 1)]->setFocus(Qt::OtherFocusReason);
            }
            runChange(control);
            break;
        }
        case ControlKind::ProgressBar:
            static_cast<QProgressBar*>(w)->setValue(static_cast<int>(value.number()));
            break;
        default:
            break;
    }
}

void setControlProperty(const std::string& formName, const std::string& controlName,
                        const std::string& property, const FormValue& value) {
    auto control = registry().requireControl(formName, controlName);
    const std::string name = AsciiLower(property);
    if (name == "value" || (name == "caption" && isLabelKind(control->kind))) {
        writeValue(*control, value);
    } else if (name == "caption") {
        const QString text = toQt(displayText(value));
        if (auto* button = qobject_cast<QAbstractButton*>(control->widget)) {
            button->setText(text);
        } else if (auto* frame = qobject_cast<QGroupBox*>(control->widget)) {
            frame->setTitle(text);
        }
    } else if (name == "enabled" && value.isLogical()) {
        for (QWidget* widget : control->widgets()) {
            widget->setEnabled(value.logical());
        }
    } else if (name == "tooltip") {
        for (QWidget* widget : control->widgets()) {
            widget->setToolTip(toQt(displayText(value)));
        }
    }
}

FormValue controlProperty(const std::string& formName, const std::string& controlName,
                          const std::string& property) {
    auto control = registry().requireControl(formName, controlName);
    const std::string name = AsciiLower(property);
    const std::vector<QWidget*> widgets = control->widgets();
    if (name == "value" || (name == "caption" && isLabelKind(control->kind))) {
        return readValue(*control);
    }
    if (name == "caption") {
        if (auto* button = qobject_cast<QAbstractButton*>(control->widget)) {
            return fromQt(button->text());
        }
        if (auto* frame = qobject_cast<QGroupBox*>(control->widget)) {
            return fromQt(frame->title());
        }
        return {};
    }
    if (widgets.empty()) {
        return {};
    }
    if (name == "enabled") {
        return widgets.front()->isEnabled();
    }
    if (name == "visible") {
        return !widgets.front()->isHidden();
    }
    if (name == "tooltip") {
        return fromQt(widgets.front()->toolTip());
    }
    return {};
}

}  // namespace

std::string displayText(const FormValue& value) {
    if (value.isText()) {
        return value.text();
    }
    if (value.isNumber()) {
        return AllTrim(Str(value.number()));
    }
    if (value.isDate()) {
        return DToC(value.date());
    }
    if (value.isLogical()) {
        return LToC(value.logical());
    }
    return {};
}

void selectOption(Control& control, int index) {
    if (control.group) {
        control.group->setExclusive(false);
    }
    for (size_t i = 0; i < control.options.size(); ++i) {
        if (control.options[i]) {
            control.options[i]->setChecked(static_cast<int>(i + 1) == index);
        }
    }
    if (control.group) {
        control.group->setExclusive(true);
    }
    control.selected = index;
    // The group is one Tab stop.
    const int stop = control.tabStopOption();
    for (size_t i = 0; i < control.options.size(); ++i) {
        if (control.options[i]) {
            control.options[i]->setFocusPolicy(static_cast<int>(i + 1) == stop ? Qt::StrongFocus
                                                                               : Qt::ClickFocus);
        }
    }
}

void userSelectedOption(const std::shared_ptr<Form>& form, const std::shared_ptr<Control>& control,
                        int index) {
    if (form->state == FormState::Released) {
        return;
    }
    if (index == control->selected) {
        selectOption(*control, index);  // keeps the option checked
        return;
    }
    selectOption(*control, index);
    const Callback callback = control->onChange;
    invokeFromEvent(callback);
}

bool moveRadioSelection(const std::shared_ptr<Form>& form, QObject* option, int step) {
    for (const auto& control : form->controls) {
        if (control->kind != ControlKind::RadioGroup) {
            continue;
        }
        const auto& options = control->options;
        const auto it = std::find_if(options.begin(), options.end(),
                                     [option](const auto& o) { return o.data() == option; });
        if (it == options.end()) {
            continue;
        }
        const int count = static_cast<int>(options.size());
        const int current = static_cast<int>(it - options.begin());
        const int next = ((current + step) % count + count) % count;
        if (options[static_cast<size_t>(next)]) {
            options[static_cast<size_t>(next)]->setFocus(Qt::TabFocusReason);
        }
        userSelectedOption(form, control, next + 1);
        return true;
    }
    return false;
}

}  // namespace forms

using forms::fromAnyThread;
using forms::registry;

void SetProperty(const std::string& form, const std::string& control, const std::string& property,
                 const FormValue& value) {
    fromAnyThread(form, control,
                  [&] { forms::setControlProperty(form, control, property, value); });
}

FormValue GetProperty(const std::string& form, const std::string& control,
                      const std::string& property) {
    FormValue value;
    fromAnyThread(form, control, [&] { value = forms::controlProperty(form, control, property); });
    return value;
}

void SetFormProperty(const std::string& form, const std::string& property, const FormValue& value) {
    fromAnyThread(form, "", [&] {
        auto f = registry().require(form);
        const std::string name = AsciiLower(property);
        if (name == "title") {
            f->title = forms::displayText(value);
            f->window->setWindowTitle(toQt(f->title));
        } else if (name == "enabled" && value.isLogical()) {
            f->window->setEnabled(value.logical());
        }
    });
}

FormValue GetFormProperty(const std::string& form, const std::string& property) {
    FormValue value;
    fromAnyThread(form, "", [&] {
        auto f = registry().require(form);
        const std::string name = AsciiLower(property);
        if (name == "title") {
            value = fromQt(f->window->windowTitle());
        } else if (name == "enabled") {
            value = f->window->isEnabled();
        }
    });
    return value;
}

}  // namespace vm

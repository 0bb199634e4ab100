// The forms and controls by name, and the queries about them.
#include "ui/form_registry.h"

#include <algorithm>

#include "core/ascii.h"
#include "runtime/error_handler.h"
#include "runtime/process.h"

namespace vm {

namespace forms {

namespace {

template <class Item>
std::shared_ptr<Item> findNamed(const std::vector<std::shared_ptr<Item>>& items,
                                const std::string& name) {
    for (const auto& item : items) {
        if (EqualsIgnoringAsciiCase(item->name, name)) {
            return item;
        }
    }
    return nullptr;
}

}  // namespace

bool isTextBoxKind(ControlKind kind) {
    return kind == ControlKind::TextBox || kind == ControlKind::MaskedTextBox ||
           kind == ControlKind::CharMaskTextBox;
}

bool isLabelKind(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::StatusItem;
}

std::vector<QWidget*> Control::widgets() const {
    std::vector<QWidget*> out;
    if (kind == ControlKind::RadioGroup) {
        for (const auto& option : options) {
            if (option) {
                out.push_back(option);
            }
        }
    } else if (widget) {
        out.push_back(widget);
    }
    return out;
}

std::vector<QWidget*> Control::focusCandidates() const {
    std::vector<QWidget*> candidates = widgets();
    if (kind == ControlKind::RadioGroup) {
        const int stop = tabStopOption();
        if (stop <= static_cast<int>(candidates.size())) {
            return {candidates[static_cast<size_t>(stop - 1)]};
        }
    }
    return candidates;
}

std::shared_ptr<Form> FormRegistry::find(const std::string& name) const {
    return findNamed(m_forms, name);
}

std::shared_ptr<Form> FormRegistry::require(const std::string& name) const {
    auto form = find(name);
    if (!form) {
        RaiseMgError("Window: " + name + " is not defined.");
    }
    return form;
}

std::shared_ptr<Control> FormRegistry::findControl(const Form& form, const std::string& name) {
    return findNamed(form.controls, name);
}

std::shared_ptr<Control> FormRegistry::requireControl(const std::string& formName,
                                                      const std::string& controlName) const {
    auto form = require(formName);
    auto control = findControl(*form, controlName);
    if (!control) {
        RaiseMgError("Control: " + controlName + " Of " + formName + " Not defined.");
    }
    return control;
}

Form& FormRegistry::requireDefining(const std::string& what) const {
    if (!m_defining) {
        RaiseMgError("Control: " + what + " is defined outside a window definition.");
    }
    return *m_defining;
}

void FormRegistry::open(std::shared_ptr<Form> form) {
    m_forms.push_back(form);
    if (form->kind == WindowKind::Main) {
        m_main = form;
    }
    m_defining = std::move(form);
}

std::shared_ptr<Control> FormRegistry::addControl(const std::string& name, ControlKind kind) {
    Form& form = requireDefining(name);
    if (findControl(form, name)) {
        if (isTextBoxKind(kind)) {
            RaiseMgError("Control: " + name + " of " + form.name + " already defined.");
        }
        RaiseMgError("Control: " + name + " Of " + form.name + " Already defined.");
    }
    auto control = std::make_shared<Control>();
    control->name = name;
    control->kind = kind;
    form.controls.push_back(control);
    return control;
}

void FormRegistry::remove(const std::shared_ptr<Form>& form) {
    m_forms.erase(std::remove(m_forms.begin(), m_forms.end(), form), m_forms.end());
    if (m_main == form) {
        m_main.reset();
    }
    if (m_defining == form) {
        m_defining.reset();
    }
}

void FormRegistry::clear() {
    m_forms.clear();
    m_main.reset();
    m_defining.reset();
}

FormRegistry& registry() {
    static FormRegistry forms;
    return forms;
}

void invokeFromEvent(const std::function<void()>& callback) {
    try {
        if (callback) {
            callback();
        }
    } catch (const ProcessEnded&) {
    }
}

std::function<void()> whileFormOpen(const std::shared_ptr<Form>& form, Callback callback) {
    return [weakForm = std::weak_ptr<Form>(form), callback = std::move(callback)] {
        auto f = weakForm.lock();
        if (f && f->state != FormState::Released) {
            invokeFromEvent(callback);
        }
    };
}

}  // namespace forms

using forms::registry;

bool IsWindowDefined(const std::string& form) {
    return askOnGuiThread([&] { return registry().find(form) != nullptr; });
}

bool IsWindowActive(const std::string& form) {
    return askOnGuiThread([&] {
        auto f = registry().find(form);
        return f && f->state == forms::FormState::Active;
    });
}

bool IsControlDefined(const std::string& form, const std::string& control) {
    return askOnGuiThread([&] {
        auto f = registry().find(form);
        return f && forms::FormRegistry::findControl(*f, control) != nullptr;
    });
}

QWidget* FormWidget(const std::string& form) {
    return askOnGuiThread([&]() -> QWidget* {
        auto f = registry().find(form);
        return f ? f->window.data() : nullptr;
    });
}

QWidget* MainFormWidget() {
    return askOnGuiThread([]() -> QWidget* {
        auto f = registry().main();
        return f ? f->window.data() : nullptr;
    });
}

QWidget* ControlWidget(const std::string& form, const std::string& control, int option) {
    return askOnGuiThread([&]() -> QWidget* {
        auto f = registry().find(form);
        auto c = f ? forms::FormRegistry::findControl(*f, control) : nullptr;
        if (!c) {
            return nullptr;
        }
        if (c->kind == forms::ControlKind::RadioGroup && option > 0) {
            return option <= static_cast<int>(c->options.size())
                       ? c->options[static_cast<size_t>(option - 1)].data()
                       : nullptr;
        }
        return c->widget;
    });
}

}  // namespace vm

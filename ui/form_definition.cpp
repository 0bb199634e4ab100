// The definition of forms and of their controls.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "runtime/error_handler.h"
#include "ui/flat_button.h"
#include "ui/form_appearance.h"
#include "ui/form_registry.h"
#include "ui/form_settings.h"
#include "ui/form_values.h"
#include "ui/mask_format.h"
#include "ui/masked_line_edit.h"
#include "ui/qt_text.h"
#include "ui/text_box.h"

namespace vm {

namespace forms {

namespace {

void defineWindow(const WindowDef& def) {
    if (auto open = registry().defining()) {
        RaiseMgError("Window: " + def.name + " is defined inside the definition of " + open->name +
                     ".");
    }
    if (registry().find(def.name)) {
        RaiseMgError("Window: " + def.name + " is already defined.");
    }
    if (def.kind == WindowKind::Main && registry().main()) {
        RaiseMgError("Main Window is already defined.");
    }
    if (def.kind == WindowKind::Child && !registry().main()) {
        RaiseMgError("Main Window is not defined.");
    }

    auto form = std::make_shared<Form>();
    form->name = def.name;
    form->kind = def.kind;
    form->width = def.width;
    form->height = def.height;
    form->title = def.title;
    form->onInit = def.onInit;
    form->onRelease = def.onRelease;
    form->onInteractiveClose = def.onInteractiveClose;
    form->frame = {.minimize = def.canMinimize,
                   .maximize = def.canMaximize,
                   .close = def.systemMenu,
                   .resize = def.sizable};
    form->limitedFrame = !(def.canMinimize && def.canMaximize && def.systemMenu && def.sizable);
    form->font = QFont(toQt(def.fontName.empty() ? settings().fontName : def.fontName),
                       def.fontSize > 0 ? def.fontSize : settings().fontSize);

    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
    if (def.titleBar) {
        flags |= Qt::WindowTitleHint;
    }
    if (def.systemMenu) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if (def.canMinimize) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    if (def.canMaximize) {
        flags |= Qt::WindowMaximizeButtonHint;
    }
    QWidget* parent = def.kind == WindowKind::Child ? registry().main()->window.data() : nullptr;
    auto* window = new FormWindow(parent, flags, form);
    window->setObjectName(toQt(def.name));
    window->setWindowTitle(toQt(def.title));
    window->setFont(form->font);
    window->setWindowIcon(iconFromName(def.icon.empty() ? settings().icon : def.icon));
    setColours(window, std::nullopt, def.backColor);

    auto* content = new QWidget(window);
    content->setObjectName(toQt(def.name) + QStringLiteral("_client"));
    window->setCentralWidget(content);

    // The size given is the outer one, caption and frame included, as the platform's window
    // metrics estimate them; the controls are placed in the client area below the menu bar.
    QStyle* style = window->style();
    const int frame = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    const int caption =
        def.titleBar ? style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window) : 0;
    const QSize client(std::max(1, def.width - 2 * frame),
                       std::max(1, def.height - caption - 2 * frame));
    if (def.sizable) {
        window->resize(client);
    } else {
        window->setFixedSize(client);
    }
    window->move(def.col, def.row);

    form->window = window;
    form->content = content;
    registry().open(form);
}

void endWindow() {
    if (!registry().defining()) {
        RaiseMgError("END WINDOW: no window definition is open.");
    }
    Form& form = *registry().defining();
    QWidget* previous = nullptr;
    for (const auto& control : form.controls) {
        for (QWidget* widget : control->widgets()) {
            if (widget->focusPolicy() == Qt::NoFocus) {
                continue;
            }
            if (previous != nullptr) {
                QWidget::setTabOrder(previous, widget);
            }
            previous = widget;
        }
    }
    form.menus.clear();
    form.menuOpen = false;
    form.messageBarOpen = false;
    form.state = FormState::Defined;
    registry().closeDefinition();
}

void placeWidget(Form& form, Control& control, QWidget* widget, int col, int row, int width,
                 int height, const std::string& tooltip) {
    widget->setObjectName(toQt(control.name));
    widget->setGeometry(col, row, width, height);
    if (!tooltip.empty()) {
        widget->setToolTip(toQt(tooltip));
    }
    widget->installEventFilter(form.window);
    widget->show();  // visible with its window
    control.widget = widget;
}

// Places the text field and hooks its lost-focus procedure.
void placeTextField(const std::shared_ptr<Form>& form, Control& control, QWidget* field,
                    Callback onLostFocus, int col, int row, int width, int height,
                    const std::string& tooltip) {
    control.onLostFocus = std::move(onLostFocus);
    placeWidget(*form, control, field, col, row, width, height, tooltip);
    auto hook = whileFormOpen(form, control.onLostFocus);
    if (auto* box = qobject_cast<TextBoxWidget*>(field)) {
        box->onLostFocus = hook;
    } else if (auto* masked = qobject_cast<MaskedLineEdit*>(field)) {
        masked->onLostFocus = hook;
    }
}

}  // namespace

}  // namespace forms

using forms::ControlKind;
using forms::defineOnGuiThread;
using forms::Form;
using forms::registry;

void DefineWindow(const WindowDef& def) {
    defineOnGuiThread([&] { forms::defineWindow(def); });
}

void EndWindow() {
    defineOnGuiThread([&] { forms::endWindow(); });
}

void DefineLabel(const LabelDef& def) {
    defineOnGuiThread([&] {
        auto control = registry().addControl(def.name, ControlKind::Label);
        Form& form = *registry().defining();
        auto* label = new QLabel(toQt(def.text), form.content);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(def.centerAlign ? (Qt::AlignHCenter | Qt::AlignTop)
                                            : (Qt::AlignLeft | Qt::AlignTop));
        QFont font = forms::fontFrom(form.font, def.fontName, def.fontSize);
        font.setBold(def.bold);
        label->setFont(font);
        forms::setColours(label, def.fontColor, def.transparent ? std::nullopt : def.backColor);
        forms::placeWidget(form, *control, label, def.col, def.row, def.width, def.height, "");
    });
}

void DefineTextBox(const TextBoxDef& def) {
    defineOnGuiThread([&] {
        auto control = registry().addControl(def.name, ControlKind::TextBox);
        auto form = registry().defining();
        auto* box = new TextBoxWidget(form->content, def.maxLength, def.upperCase);
        box->setValue(def.value);
        forms::placeTextField(form, *control, box, def.onLostFocus, def.col, def.row, def.width,
                              def.height, def.tooltip);
    });
}

void DefineMaskedTextBox(const MaskedTextBoxDef& def) {
    defineOnGuiThread([&] {
        const std::string& formName = registry().requireDefining(def.name).name;
        if (!isValidNumericTemplate(def.mask)) {
            RaiseMgError("Control: " + def.name + " Of " + formName + " : invalid template \"" +
                         def.mask + "\".");
        }
        auto control = registry().addControl(def.name, ControlKind::MaskedTextBox);
        auto form = registry().defining();
        auto* field = new MaskedLineEdit(form->content, MaskKind::Numeric, def.mask);
        if (def.value) {
            field->setValue(*def.value);
        }
        forms::placeTextField(form, *control, field, def.onLostFocus, def.col, def.row, def.width,
                              def.height, def.tooltip);
    });
}

void DefineCharMaskTextBox(const CharMaskTextBoxDef& def) {
    defineOnGuiThread([&] {
        auto control = registry().addControl(def.name, ControlKind::CharMaskTextBox);
        auto form = registry().defining();
        auto* field = def.date ? new MaskedLineEdit(form->content, MaskKind::Date,
                                                    dateTemplate(dateSettings().format))
                               : new MaskedLineEdit(form->content, MaskKind::Characters, def.mask);
        forms::placeTextField(form, *control, field, def.onLostFocus, def.col, def.row, def.width,
                              def.height, def.tooltip);
    });
}

void BeginFrame(const FrameDef& def) {
    defineOnGuiThread([&] {
        auto control = registry().addControl(def.name, ControlKind::Frame);
        Form& form = *registry().defining();
        auto* frame = new QGroupBox(toQt(def.caption), form.content);
        frame->setFocusPolicy(Qt::NoFocus);
        forms::setColours(frame, def.fontColor, std::nullopt);
        forms::placeWidget(form, *control, frame, def.col, def.row, def.width, def.height, "");
    });
}

void DefineRadioGroup(const RadioGroupDef& def) {
    defineOnGuiThread([&] {
        auto control = registry().addControl(def.name, ControlKind::RadioGroup);
        auto form = registry().defining();
        auto* group = new QButtonGroup(form->content);
        group->setExclusive(true);
        control->group = group;
        control->onChange = def.onChange;
        std::weak_ptr<Form> weakForm = form;
        std::weak_ptr<forms::Control> weakControl = control;
        for (size_t i = 0; i < def.options.size(); ++i) {
            auto* option = new QRadioButton(toQt(def.options[i]), form->content);
            option->setAutoExclusive(false);
            option->setObjectName(toQt(def.name) + QStringLiteral("_%1").arg(i + 1));
            const int offset = static_cast<int>(i);
            if (def.horizontal) {
                option->setGeometry(def.col + offset * (def.width + def.spacing), def.row,
                                    def.width, 28);
            } else {
                option->setGeometry(def.col, def.row + offset * def.spacing, def.width, 28);
            }
            if (!def.tooltip.empty()) {
                option->setToolTip(toQt(def.tooltip));
            }
            forms::setColours(option, std::nullopt, def.backColor);
            option->installEventFilter(form->window);
            group->addButton(option);
            const int index = static_cast<int>(i + 1);
            QObject::connect(option, &QAbstractButton::clicked, option,
                             [weakForm, weakControl, index] {
                                 auto f = weakForm.lock();
                                 auto c = weakControl.lock();
                                 if (f && c) {
                                     forms::userSelectedOption(f, c, index);
                                 }
                             });
            control->options.emplace_back(option);
        }
        const int initial =
            def.value >= 0 && def.value <= static_cast<int>(def.options.size()) ? def.value : 0;
        forms::selectOption(*control, initial);
        control->widget = control->options.empty() ? nullptr : control->options.front().data();
    });
}

void DefineCheckBox(const CheckBoxDef& def) {
    defineOnGuiThread([&] {
        auto control = registry().addControl(def.name, ControlKind::CheckBox);
        auto form = registry().defining();
        auto* box = new QCheckBox(toQt(def.caption), form->content);
        box->setChecked(def.value);
        forms::setColours(box, def.fontColor, std::nullopt);
        control->onChange = def.onChange;
        QObject::connect(box, &QCheckBox::clicked, box,
                         forms::whileFormOpen(form, control->onChange));
        forms::placeWidget(*form, *control, box, def.col, def.row, def.width, def.height,
                           def.tooltip);
    });
}

void DefineButton(const ButtonDef& def) {
    defineOnGuiThread([&] {
        auto control = registry().addControl(def.name, ControlKind::Button);
        auto form = registry().defining();
        auto* button = def.flat ? new FlatButton(toQt(def.caption), form->content)
                                : new QPushButton(toQt(def.caption), form->content);
        button->setAutoDefault(true);  // Enter on the focused button presses it
        QObject::connect(button, &QPushButton::clicked, button,
                         forms::whileFormOpen(form, def.action));
        forms::placeWidget(*form, *control, button, def.col, def.row, def.width, def.height,
                           def.tooltip);
    });
}

void DefineProgressBar(const ProgressBarDef& def) {
    defineOnGuiThread([&] {
        auto control = registry().addControl(def.name, ControlKind::ProgressBar);
        Form& form = *registry().defining();
        auto* bar = new QProgressBar(form.content);
        bar->setOrientation(Qt::Horizontal);
        bar->setTextVisible(false);
        bar->setRange(def.min, def.max);
        bar->setValue(def.value);
        forms::placeWidget(form, *control, bar, def.col, def.row, def.width, def.height,
                           def.tooltip);
    });
}

void DefineCustomControl(const std::string& name, QWidget* widget) {
    defineOnGuiThread([&] {
        auto control = registry().addControl(name, ControlKind::Custom);
        Form& form = *registry().defining();
        const QRect geometry = widget->geometry();
        widget->setParent(form.content);
        forms::placeWidget(form, *control, widget, geometry.x(), geometry.y(), geometry.width(),
                           geometry.height(), "");
    });
}

}  // namespace vm

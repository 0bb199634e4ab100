#include "ui/form_layer.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <algorithm>
#include <cmath>
#include <memory>

#include "core/ascii.h"
#include "core/date.h"
#include "core/text.h"
#include "runtime/error_handler.h"
#include "runtime/html_log.h"
#include "runtime/process.h"
#include "ui/dialogs.h"
#include "ui/flat_button.h"
#include "ui/gui_thread.h"
#include "ui/mask_format.h"
#include "ui/masked_line_edit.h"
#include "ui/platform_texts.h"
#include "ui/qt_text.h"
#include "ui/text_box.h"
#include "ui/window_frame_hints.h"

namespace vm {

namespace {

// Runs a callback from inside Qt's event handling. The fatal-error path only returns here when a
// test has replaced the end of the process; the exception it then throws must not cross Qt.
void invokeFromEvent(const std::function<void()>& callback) {
    try {
        if (callback) {
            callback();
        }
    } catch (const ProcessEnded&) {
    }
}

QColor toColor(const Rgb& rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// Black or white, whichever stands out more against the colour (WCAG relative luminance: the
// two contrast ratios are equal at a luminance of about 0.18).
QColor readableOn(const QColor& background) {
    const auto channel = [](double c) {
        c /= 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double luminance = 0.2126 * channel(background.red()) +
                             0.7152 * channel(background.green()) +
                             0.0722 * channel(background.blue());
    return luminance > 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

// The text colour given, or none. Where a background colour is given, the text gets a colour too
// (the one given, else black or white to suit the background), so that a desktop's dark palette,
// whose text is light, does not put light text on the light background the window asks for.
void setColours(QWidget* widget, const std::optional<Rgb>& text,
                const std::optional<Rgb>& background) {
    if (!text && !background) {
        return;
    }
    QPalette palette = widget->palette();
    if (background) {
        palette.setColor(QPalette::Window, toColor(*background));
        // Buttons (radio options, check boxes) fill their background with the Button role.
        palette.setColor(widget->backgroundRole(), toColor(*background));
        widget->setAutoFillBackground(true);
    }
    const QColor ink = text ? toColor(*text) : readableOn(toColor(*background));
    palette.setColor(QPalette::WindowText, ink);
    palette.setColor(QPalette::ButtonText, ink);
    if (text) {
        palette.setColor(QPalette::Text, ink);
    }
    widget->setPalette(palette);
}

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

// The base font with another family and size where they are given. Family names are compared
// without regard to case, as the font system compares them: "Arial" on an "ARIAL" form keeps the
// form's font, so one font engine serves both.
QFont fontFrom(const QFont& base, const std::string& family, int size) {
    QFont font = base;
    const QString name = toQt(family);
    if (!name.isEmpty() && name.compare(base.family(), Qt::CaseInsensitive) != 0) {
        font.setFamily(name);
    }
    if (size > 0) {
        font.setPointSize(size);
    }
    return font;
}

QIcon iconFromName(const std::string& name) {
    if (name.empty()) {
        return {};
    }
    const QString n = toQt(name);
    for (const QString& path :
         {QStringLiteral(":/icons/%1.svg").arg(n), QStringLiteral(":/icons/%1.png").arg(n),
          QStringLiteral(":/%1").arg(n)}) {
        if (QFile::exists(path)) {
            return QIcon(path);
        }
    }
    return {};
}

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

bool isTextBoxKind(ControlKind kind) {
    return kind == ControlKind::TextBox || kind == ControlKind::MaskedTextBox ||
           kind == ControlKind::CharMaskTextBox;
}

struct Control {
    std::string name;
    ControlKind kind = ControlKind::Label;
    QPointer<QWidget> widget;
    std::vector<QPointer<QRadioButton>> options;  // radio group
    QPointer<QButtonGroup> group;
    int selected = 0;  // radio group: the option the layer last selected, 1-based
    Callback onChange;
    Callback onLostFocus;
    Callback action;

    std::vector<QWidget*> widgets() const {
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
};

enum class FormState { Defining, Defined, Active, Released };

class FormWindow;

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
    QEventLoop* loop = nullptr;
    // While the definition is open.
    std::vector<QMenu*> menus;
    bool menuOpen = false;
    bool messageBarOpen = false;
    int statusItems = 0;
};

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

struct Settings {
    std::string fontName = "ARIAL";
    int fontSize = 9;
    std::string icon = "qtv";
    bool enterNavigation = false;
};

Settings& settings() {
    static Settings s;
    return s;
}

class Layer {
public:
    static Layer& instance() {
        static Layer layer;
        return layer;
    }

    std::shared_ptr<Form> findForm(const std::string& name) const {
        const std::string key = AsciiLower(name);
        for (const auto& form : m_forms) {
            if (AsciiLower(form->name) == key) {
                return form;
            }
        }
        return nullptr;
    }

    static std::shared_ptr<Control> findControl(const Form& form, const std::string& name) {
        const std::string key = AsciiLower(name);
        for (const auto& control : form.controls) {
            if (AsciiLower(control->name) == key) {
                return control;
            }
        }
        return nullptr;
    }

    std::shared_ptr<Form> requireForm(const std::string& name) const {
        auto form = findForm(name);
        if (!form) {
            RaiseMgError("Window: " + name + " is not defined.");
        }
        return form;
    }

    std::shared_ptr<Control> requireControl(const std::string& formName,
                                            const std::string& controlName) const {
        auto form = requireForm(formName);
        auto control = findControl(*form, controlName);
        if (!control) {
            RaiseMgError("Control: " + controlName + " Of " + formName + " Not defined.");
        }
        return control;
    }

    std::shared_ptr<Form> mainForm() const { return m_main; }

    // --- Definition ---

    void defineWindow(const WindowDef& def);
    void endWindow();
    std::shared_ptr<Control> addControl(const std::string& name, ControlKind kind);
    Form& defining(const std::string& what) const {
        if (!m_defining) {
            RaiseMgError("Control: " + what + " is defined outside a window definition.");
        }
        return *m_defining;
    }
    void placeWidget(Form& form, Control& control, QWidget* widget, int col, int row, int width,
                     int height, const std::string& tooltip);
    void attachLostFocus(const std::shared_ptr<Form>& form,
                         const std::shared_ptr<Control>& control);
    std::shared_ptr<Form> definingForm() const { return m_defining; }

    // --- Values ---

    void setProperty(const std::string& formName, const std::string& controlName,
                     const std::string& property, const FormValue& value);
    FormValue getProperty(const std::string& formName, const std::string& controlName,
                          const std::string& property) const;
    static FormValue readValue(const Control& control);
    void writeValue(Control& control, const FormValue& value);
    void runChange(const Control& control) const {
        if (m_defining) {
            return;
        }
        const Callback callback = control.onChange;
        if (callback) {
            callback();
        }
    }
    static void selectOption(Control& control, int index);
    void userSelectedOption(const std::shared_ptr<Form>& form,
                            const std::shared_ptr<Control>& control, int index);
    bool moveRadioSelection(Form& form, QObject* option, int step);

    // --- Methods ---

    void doFormMethod(const std::string& formName, const std::string& method);
    void doControlMethod(const std::string& formName, const std::string& controlName,
                         const std::string& method);
    void center(Form& form);
    void activate(const std::string& formName);
    void release(const std::string& formName, bool fromWorker);
    void closeInteractively(const std::shared_ptr<Form>& form);
    void endProgram();
    void runOnRelease(const std::shared_ptr<Form>& form);
    void destroyForm(const std::shared_ptr<Form>& form);
    void releaseAll();
    static void focusFirstControl(Form& form);
    static void showForm(Form& form);

private:
    std::vector<std::shared_ptr<Form>> m_forms;
    std::shared_ptr<Form> m_main;
    std::shared_ptr<Form> m_defining;
    std::vector<const Form*> m_releaseRunning;
};

Layer& layer() {
    return Layer::instance();
}

// --- FormWindow ---

void FormWindow::closeEvent(QCloseEvent* event) {
    auto form = m_form.lock();
    if (!form || form->state != FormState::Active) {
        event->accept();
        return;
    }
    event->ignore();
    invokeFromEvent([&] { layer().closeInteractively(form); });
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QMainWindow::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    auto form = m_form.lock();
    if (form && qobject_cast<QRadioButton*>(watched) != nullptr) {
        int step = 0;
        if (key->key() == Qt::Key_Right || key->key() == Qt::Key_Down) {
            step = 1;
        } else if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Up) {
            step = -1;
        }
        if (step != 0 && layer().moveRadioSelection(*form, watched, step)) {
            return true;
        }
    }
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter && plain && settings().enterNavigation &&
        (qobject_cast<QLineEdit*>(watched) != nullptr ||
         qobject_cast<QCheckBox*>(watched) != nullptr)) {
        focusNextChild();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- Definition ---

void Layer::defineWindow(const WindowDef& def) {
    if (m_defining) {
        RaiseMgError("Window: " + def.name + " is defined inside the definition of " +
                     m_defining->name + ".");
    }
    if (findForm(def.name)) {
        RaiseMgError("Window: " + def.name + " is already defined.");
    }
    if (def.kind == WindowKind::Main && m_main) {
        RaiseMgError("Main Window is already defined.");
    }
    if (def.kind == WindowKind::Child && !m_main) {
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
    QWidget* parent = def.kind == WindowKind::Child ? m_main->window.data() : nullptr;
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
    m_forms.push_back(form);
    if (def.kind == WindowKind::Main) {
        m_main = form;
    }
    m_defining = form;
}

void Layer::endWindow() {
    if (!m_defining) {
        RaiseMgError("END WINDOW: no window definition is open.");
    }
    Form& form = *m_defining;
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
    m_defining.reset();
}

std::shared_ptr<Control> Layer::addControl(const std::string& name, ControlKind kind) {
    Form& form = defining(name);
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

void Layer::placeWidget(Form& form, Control& control, QWidget* widget, int col, int row, int width,
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

void Layer::attachLostFocus(const std::shared_ptr<Form>& form,
                            const std::shared_ptr<Control>& control) {
    std::weak_ptr<Form> weakForm = form;
    std::weak_ptr<Control> weakControl = control;
    auto hook = [weakForm, weakControl] {
        auto f = weakForm.lock();
        auto c = weakControl.lock();
        if (!f || !c || f->state == FormState::Released) {
            return;
        }
        const Callback callback = c->onLostFocus;
        invokeFromEvent(callback);
    };
    if (auto* box = qobject_cast<TextBoxWidget*>(control->widget)) {
        box->onLostFocus = hook;
    } else if (auto* masked = qobject_cast<MaskedLineEdit*>(control->widget)) {
        masked->onLostFocus = hook;
    }
}

// --- Values ---

FormValue Layer::readValue(const Control& control) {
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

void Layer::selectOption(Control& control, int index) {
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
    // The group is one Tab stop: the selected option, or the first when none is selected.
    const int stop = index > 0 ? index : 1;
    for (size_t i = 0; i < control.options.size(); ++i) {
        if (control.options[i]) {
            control.options[i]->setFocusPolicy(static_cast<int>(i + 1) == stop ? Qt::StrongFocus
                                                                               : Qt::ClickFocus);
        }
    }
}

void Layer::writeValue(Control& control, const FormValue& value) {
    QWidget* w = control.widget;
    if (control.kind == ControlKind::Label || control.kind == ControlKind::StatusItem) {
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

void Layer::setProperty(const std::string& formName, const std::string& controlName,
                        const std::string& property, const FormValue& value) {
    auto control = requireControl(formName, controlName);
    const std::string name = AsciiLower(property);
    if (name == "value" || (name == "caption" && (control->kind == ControlKind::Label ||
                                                  control->kind == ControlKind::StatusItem))) {
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

FormValue Layer::getProperty(const std::string& formName, const std::string& controlName,
                             const std::string& property) const {
    auto control = requireControl(formName, controlName);
    const std::string name = AsciiLower(property);
    const std::vector<QWidget*> widgets = control->widgets();
    if (name == "value") {
        return readValue(*control);
    }
    if (name == "caption") {
        if (control->kind == ControlKind::Label || control->kind == ControlKind::StatusItem) {
            return readValue(*control);
        }
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

void Layer::userSelectedOption(const std::shared_ptr<Form>& form,
                               const std::shared_ptr<Control>& control, int index) {
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

bool Layer::moveRadioSelection(Form& form, QObject* option, int step) {
    for (const auto& control : form.controls) {
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
        auto self = findForm(form.name);
        if (self) {
            userSelectedOption(self, control, next + 1);
        }
        return true;
    }
    return false;
}

// --- Methods ---

void Layer::center(Form& form) {
    FormWindow* window = form.window;
    QScreen* screen =
        window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect whole = screen->geometry();
    const QRect work = screen->availableGeometry();
    const QSize outer =
        window->isVisible() ? window->frameGeometry().size() : QSize(form.width, form.height);
    window->move(whole.x() + (whole.width() - outer.width()) / 2,
                 whole.y() + (work.height() - outer.height()) / 2);
}

// A window manager takes the frame's functions and the owner from the window when it maps it:
// they are set before the window is shown, and again after, should the toolkit have set its own
// meanwhile. A child form belongs to the main window.
void Layer::showForm(Form& form) {
    const auto tellWindowManager = [&form] {
        if (form.limitedFrame) {
            SetFrameFunctions(form.window, form.frame);
        }
        if (form.kind == WindowKind::Child) {
            SetTransientFor(form.window, form.window->parentWidget());
        }
    };
    tellWindowManager();
    form.window->show();
    tellWindowManager();
}

void Layer::focusFirstControl(Form& form) {
    QWidget* focused = form.window->focusWidget();
    if (focused != nullptr && focused != form.window && form.content->isAncestorOf(focused)) {
        return;
    }
    for (const auto& control : form.controls) {
        std::vector<QWidget*> candidates = control->widgets();
        if (control->kind == ControlKind::RadioGroup) {
            const int stop = control->selected > 0 ? control->selected : 1;
            if (stop <= static_cast<int>(candidates.size())) {
                candidates = {candidates[static_cast<size_t>(stop - 1)]};
            }
        }
        for (QWidget* widget : candidates) {
            if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() &&
                !widget->isHidden()) {
                widget->setFocus(Qt::OtherFocusReason);
                return;
            }
        }
    }
}

void Layer::activate(const std::string& formName) {
    auto form = findForm(formName);
    if (!form) {
        RaiseMgError("Window " + formName + " is not defined.");
    }
    if (form->state == FormState::Active) {
        RaiseMgError("Window " + formName + " already active.");
    }
    if (m_defining) {
        RaiseMgError("ACTIVATE WINDOW: DEFINE WINDOW Structure is not closed.");
    }
    if (form->kind != WindowKind::Main && (!m_main || m_main->state != FormState::Active)) {
        RaiseMgError(
            "ACTIVATE WINDOW: Main Window must be activated in the first ACTIVATE WINDOW "
            "command.");
    }

    form->state = FormState::Active;
    showForm(*form);
    form->window->raise();
    form->window->activateWindow();
    if (form->onInit) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (form->state != FormState::Active) {
            return;  // released by one of those events
        }
        const Callback callback = form->onInit;
        callback();
    }
    if (form->state != FormState::Active) {
        return;
    }
    focusFirstControl(*form);

    QEventLoop loop;
    form->loop = &loop;
    loop.exec();
    form->loop = nullptr;
}

void Layer::release(const std::string& formName, bool fromWorker) {
    auto form = findForm(formName);
    if (!form) {
        RaiseMgError("Window: " + formName + " is not defined.");
    }
    if (form->state != FormState::Active) {
        RaiseMgError("Window: " + formName + " is not active.");
    }
    const bool ownRelease = std::find(m_releaseRunning.begin(), m_releaseRunning.end(),
                                      form.get()) != m_releaseRunning.end();
    if (ownRelease || (form->kind == WindowKind::Main && !m_releaseRunning.empty())) {
        RaiseMgError(
            "Release a window in its own ON RELEASE procedure or release the Main Window in any "
            "ON RELEASE procedure is not allowed.");
    }
    if (form->kind == WindowKind::Main) {
        endProgram();
        return;
    }
    if (fromWorker) {
        closeInteractively(form);
        return;
    }
    std::weak_ptr<Form> weak = form;
    postToGuiThread([weak] {
        if (auto f = weak.lock()) {
            invokeFromEvent([&] { layer().closeInteractively(f); });
        }
    });
}

void Layer::closeInteractively(const std::shared_ptr<Form>& form) {
    if (form->state != FormState::Active) {
        return;
    }
    if (form->onInteractiveClose) {
        const std::function<bool()> callback = form->onInteractiveClose;
        if (!callback() || form->state != FormState::Active) {
            return;
        }
    }
    if (form->kind == WindowKind::Main) {
        endProgram();
        return;
    }
    runOnRelease(form);
    destroyForm(form);
}

void Layer::runOnRelease(const std::shared_ptr<Form>& form) {
    if (!form->onRelease) {
        return;
    }
    struct Running {
        std::vector<const Form*>& list;
        const Form* form;
        ~Running() {
            auto it = std::find(list.begin(), list.end(), form);
            if (it != list.end()) {
                list.erase(it);
            }
        }
    } running{m_releaseRunning, form.get()};
    m_releaseRunning.push_back(form.get());
    const Callback callback = form->onRelease;
    callback();
}

void Layer::endProgram() {
    const auto forms = m_forms;
    for (const auto& form : forms) {
        if (form->state == FormState::Active) {
            runOnRelease(form);
        }
    }
    EndProcess(0);
    // Only a test's end handler returns here: leave nothing behind, so that the activations
    // return as the process would have ended.
    releaseAll();
}

void Layer::destroyForm(const std::shared_ptr<Form>& form) {
    form->state = FormState::Released;
    m_forms.erase(std::remove(m_forms.begin(), m_forms.end(), form), m_forms.end());
    if (m_main == form) {
        m_main.reset();
    }
    if (m_defining == form) {
        m_defining.reset();
    }
    if (form->loop != nullptr) {
        form->loop->quit();
        form->loop = nullptr;
    }
    if (form->window) {
        form->window->hide();
        form->window->deleteLater();
    }
}

void Layer::releaseAll() {
    const auto forms = m_forms;
    // Children first, so that no child window outlives the main window it belongs to.
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        destroyForm(*it);
    }
    m_forms.clear();
    m_main.reset();
    m_defining.reset();
}

void Layer::doFormMethod(const std::string& formName, const std::string& method) {
    const std::string name = AsciiLower(method);
    if (name == "activate") {
        activate(formName);
        return;
    }
    if (name == "release") {
        release(formName, false);
        return;
    }
    auto form = requireForm(formName);
    if (name == "center") {
        center(*form);
    } else if (name == "show") {
        showForm(*form);
    } else if (name == "hide") {
        form->window->hide();
    } else if (name == "setfocus") {
        form->window->activateWindow();
        form->window->raise();
    }
}

void Layer::doControlMethod(const std::string& formName, const std::string& controlName,
                            const std::string& method) {
    auto control = requireControl(formName, controlName);
    const std::string name = AsciiLower(method);
    const std::vector<QWidget*> widgets = control->widgets();
    if (name == "show" || name == "hide") {
        for (QWidget* widget : widgets) {
            widget->setVisible(name == "show");
        }
    } else if (name == "setfocus" && !widgets.empty()) {
        QWidget* target = widgets.front();
        if (control->kind == ControlKind::RadioGroup && control->selected > 0 &&
            control->selected <= static_cast<int>(widgets.size())) {
            target = widgets[static_cast<size_t>(control->selected - 1)];
        }
        target->setFocus(Qt::OtherFocusReason);
    }
}

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
        auto f = layer().findForm(form);
        if (!f || f->state == FormState::Released ||
            (!control.empty() && !Layer::findControl(*f, control))) {
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

}  // namespace

// --- Public operations ---

void SetDefaultFont(const std::string& name, int size) {
    runOnGuiThread([&] {
        settings().fontName = name;
        settings().fontSize = size;
    });
}

void SetDefaultIcon(const std::string& name) {
    runOnGuiThread([&] { settings().icon = name; });
}

std::string DefaultIcon() {
    std::string icon;
    runOnGuiThread([&] { icon = settings().icon; });
    return icon;
}

void SetEnterNavigation(bool on) {
    runOnGuiThread([&] { settings().enterNavigation = on; });
}

std::string FormLayerVersion() {
    return "Vistametra Form Layer 1.0 (Qt " + std::string(qVersion()) + ")";
}

void InitFormLayer() {
    static bool initialised = false;
    if (initialised || QCoreApplication::instance() == nullptr || !onGuiThread()) {
        return;
    }
    initialised = true;
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // Qt's standard buttons and dialogs speak Portuguese like the rest of the program.
    LoadPlatformTranslations();
    SetErrorBoxHandler(
        [](const std::string& text, const std::string& title) { MsgStop(text, title, true); });
    SetFormLayerVersionText(FormLayerVersion());
}

void DefineWindow(const WindowDef& def) {
    defineOnGuiThread([&] { layer().defineWindow(def); });
}

void EndWindow() {
    defineOnGuiThread([&] { layer().endWindow(); });
}

void DefineLabel(const LabelDef& def) {
    defineOnGuiThread([&] {
        auto control = layer().addControl(def.name, ControlKind::Label);
        Form& form = *layer().definingForm();
        auto* label = new QLabel(toQt(def.text), form.content);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(def.centerAlign ? (Qt::AlignHCenter | Qt::AlignTop)
                                            : (Qt::AlignLeft | Qt::AlignTop));
        QFont font = fontFrom(form.font, def.fontName, def.fontSize);
        font.setBold(def.bold);
        label->setFont(font);
        setColours(label, def.fontColor, def.transparent ? std::nullopt : def.backColor);
        layer().placeWidget(form, *control, label, def.col, def.row, def.width, def.height, "");
    });
}

void DefineTextBox(const TextBoxDef& def) {
    defineOnGuiThread([&] {
        auto control = layer().addControl(def.name, ControlKind::TextBox);
        auto form = layer().definingForm();
        auto* box = new TextBoxWidget(form->content, def.maxLength, def.upperCase);
        box->setValue(def.value);
        control->onLostFocus = def.onLostFocus;
        layer().placeWidget(*form, *control, box, def.col, def.row, def.width, def.height,
                            def.tooltip);
        layer().attachLostFocus(form, control);
    });
}

void DefineMaskedTextBox(const MaskedTextBoxDef& def) {
    defineOnGuiThread([&] {
        const std::string& formName = layer().defining(def.name).name;
        if (!isValidNumericTemplate(def.mask)) {
            RaiseMgError("Control: " + def.name + " Of " + formName + " : invalid template \"" +
                         def.mask + "\".");
        }
        auto control = layer().addControl(def.name, ControlKind::MaskedTextBox);
        auto form = layer().definingForm();
        auto* field = new MaskedLineEdit(form->content, MaskKind::Numeric, def.mask);
        if (def.value) {
            field->setValue(*def.value);
        }
        control->onLostFocus = def.onLostFocus;
        layer().placeWidget(*form, *control, field, def.col, def.row, def.width, def.height,
                            def.tooltip);
        layer().attachLostFocus(form, control);
    });
}

void DefineCharMaskTextBox(const CharMaskTextBoxDef& def) {
    defineOnGuiThread([&] {
        auto control = layer().addControl(def.name, ControlKind::CharMaskTextBox);
        auto form = layer().definingForm();
        auto* field = def.date ? new MaskedLineEdit(form->content, MaskKind::Date,
                                                    dateTemplate(dateSettings().format))
                               : new MaskedLineEdit(form->content, MaskKind::Characters, def.mask);
        control->onLostFocus = def.onLostFocus;
        layer().placeWidget(*form, *control, field, def.col, def.row, def.width, def.height,
                            def.tooltip);
        layer().attachLostFocus(form, control);
    });
}

void BeginFrame(const FrameDef& def) {
    defineOnGuiThread([&] {
        auto control = layer().addControl(def.name, ControlKind::Frame);
        Form& form = *layer().definingForm();
        auto* frame = new QGroupBox(toQt(def.caption), form.content);
        frame->setFocusPolicy(Qt::NoFocus);
        setColours(frame, def.fontColor, std::nullopt);
        layer().placeWidget(form, *control, frame, def.col, def.row, def.width, def.height, "");
    });
}

void DefineRadioGroup(const RadioGroupDef& def) {
    defineOnGuiThread([&] {
        auto control = layer().addControl(def.name, ControlKind::RadioGroup);
        auto form = layer().definingForm();
        auto* group = new QButtonGroup(form->content);
        group->setExclusive(true);
        control->group = group;
        control->onChange = def.onChange;
        std::weak_ptr<Form> weakForm = form;
        std::weak_ptr<Control> weakControl = control;
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
            setColours(option, std::nullopt, def.backColor);
            option->installEventFilter(form->window);
            group->addButton(option);
            const int index = static_cast<int>(i + 1);
            QObject::connect(option, &QAbstractButton::clicked, option,
                             [weakForm, weakControl, index] {
                                 auto f = weakForm.lock();
                                 auto c = weakControl.lock();
                                 if (f && c) {
                                     layer().userSelectedOption(f, c, index);
                                 }
                             });
            control->options.emplace_back(option);
        }
        const int initial =
            def.value >= 0 && def.value <= static_cast<int>(def.options.size()) ? def.value : 0;
        Layer::selectOption(*control, initial);
        control->widget = control->options.empty() ? nullptr : control->options.front().data();
    });
}

void DefineCheckBox(const CheckBoxDef& def) {
    defineOnGuiThread([&] {
        auto control = layer().addControl(def.name, ControlKind::CheckBox);
        auto form = layer().definingForm();
        auto* box = new QCheckBox(toQt(def.caption), form->content);
        box->setChecked(def.value);
        setColours(box, def.fontColor, std::nullopt);
        control->onChange = def.onChange;
        std::weak_ptr<Form> weakForm = form;
        std::weak_ptr<Control> weakControl = control;
        QObject::connect(box, &QCheckBox::clicked, box, [weakForm, weakControl] {
            auto f = weakForm.lock();
            auto c = weakControl.lock();
            if (f && c && f->state != FormState::Released) {
                const Callback callback = c->onChange;
                invokeFromEvent(callback);
            }
        });
        layer().placeWidget(*form, *control, box, def.col, def.row, def.width, def.height,
                            def.tooltip);
    });
}

void DefineButton(const ButtonDef& def) {
    defineOnGuiThread([&] {
        auto control = layer().addControl(def.name, ControlKind::Button);
        auto form = layer().definingForm();
        auto* button = def.flat ? new FlatButton(toQt(def.caption), form->content)
                                : new QPushButton(toQt(def.caption), form->content);
        button->setAutoDefault(true);  // Enter on the focused button presses it
        control->action = def.action;
        std::weak_ptr<Form> weakForm = form;
        std::weak_ptr<Control> weakControl = control;
        QObject::connect(button, &QPushButton::clicked, button, [weakForm, weakControl] {
            auto f = weakForm.lock();
            auto c = weakControl.lock();
            if (f && c && f->state != FormState::Released) {
                const Callback callback = c->action;
                invokeFromEvent(callback);
            }
        });
        layer().placeWidget(*form, *control, button, def.col, def.row, def.width, def.height,
                            def.tooltip);
    });
}

void DefineProgressBar(const ProgressBarDef& def) {
    defineOnGuiThread([&] {
        auto control = layer().addControl(def.name, ControlKind::ProgressBar);
        Form& form = *layer().definingForm();
        auto* bar = new QProgressBar(form.content);
        bar->setOrientation(Qt::Horizontal);
        bar->setTextVisible(false);
        bar->setRange(def.min, def.max);
        bar->setValue(def.value);
        layer().placeWidget(form, *control, bar, def.col, def.row, def.width, def.height,
                            def.tooltip);
    });
}

void DefineMainMenu() {
    defineOnGuiThread([&] {
        Form& form = layer().defining("MAIN MENU");
        form.window->menuBar();
        form.menus.clear();
        form.menuOpen = true;
    });
}

void DefineMenuPopup(const std::string& caption) {
    defineOnGuiThread([&] {
        Form& form = layer().defining(caption);
        QMenu* menu = form.menus.empty() ? form.window->menuBar()->addMenu(toQt(caption))
                                         : form.menus.back()->addMenu(toQt(caption));
        form.menus.push_back(menu);
    });
}

void DefineMenuItem(const std::string& caption, Callback action, const std::string& shortcut) {
    defineOnGuiThread([&] {
        Form& form = layer().defining(caption);
        QAction* item = form.menus.empty() ? form.window->menuBar()->addAction(toQt(caption))
                                           : form.menus.back()->addAction(toQt(caption));
        if (!shortcut.empty()) {
            item->setShortcut(QKeySequence(toQt(shortcut), QKeySequence::PortableText));
            item->setShortcutContext(Qt::WindowShortcut);
        }
        std::weak_ptr<Form> weakForm = layer().definingForm();
        QObject::connect(item, &QAction::triggered, item, [weakForm, action] {
            auto f = weakForm.lock();
            if (f && f->state != FormState::Released) {
                invokeFromEvent(action);
            }
        });
    });
}

void DefineSeparator() {
    defineOnGuiThread([&] {
        Form& form = layer().defining("SEPARATOR");
        if (!form.menus.empty()) {
            form.menus.back()->addSeparator();
        }
    });
}

void EndMenuPopup() {
    defineOnGuiThread([&] {
        Form& form = layer().defining("END POPUP");
        if (!form.menus.empty()) {
            form.menus.pop_back();
        }
    });
}

void EndMenu() {
    defineOnGuiThread([&] {
        Form& form = layer().defining("END MENU");
        form.menus.clear();
        form.menuOpen = false;
    });
}

void BeginMessageBar(const std::string& name, const std::string& fontName, int fontSize) {
    defineOnGuiThread([&] {
        auto control = layer().addControl(name, ControlKind::StatusBar);
        Form& form = *layer().definingForm();
        QStatusBar* bar = form.window->statusBar();
        bar->setObjectName(toQt(name));
        bar->setSizeGripEnabled(form.window->minimumSize() != form.window->maximumSize());
        if (!fontName.empty() || fontSize > 0) {
            bar->setFont(fontFrom(form.font, fontName, fontSize));
        }
        control->widget = bar;
        form.messageBarOpen = true;
        form.statusItems = 0;
    });
}

void DefineItemMessage(const std::string& name, const std::string& text) {
    defineOnGuiThread([&] {
        auto control = layer().addControl(name, ControlKind::StatusItem);
        Form& form = *layer().definingForm();
        QStatusBar* bar = form.window->statusBar();
        auto* item = new QLabel(toQt(text), bar);
        item->setObjectName(toQt(name));
        item->setTextFormat(Qt::PlainText);
        bar->addWidget(item, form.statusItems == 0 ? 1 : 0);
        ++form.statusItems;
        control->widget = item;
    });
}

void EndMessageBar() {
    defineOnGuiThread([&] {
        Form& form = layer().defining("END STATUSBAR");
        if (form.messageBarOpen && form.statusItems == 0) {
            QStatusBar* bar = form.window->statusBar();
            auto* item = new QLabel(toQt(form.title), bar);
            item->setTextFormat(Qt::PlainText);
            bar->addWidget(item, 1);
            ++form.statusItems;
        }
        form.messageBarOpen = false;
    });
}

void DefineCustomControl(const std::string& name, QWidget* widget) {
    defineOnGuiThread([&] {
        auto control = layer().addControl(name, ControlKind::Custom);
        Form& form = *layer().definingForm();
        const QRect geometry = widget->geometry();
        widget->setParent(form.content);
        layer().placeWidget(form, *control, widget, geometry.x(), geometry.y(), geometry.width(),
                            geometry.height(), "");
    });
}

void SetProperty(const std::string& form, const std::string& control, const std::string& property,
                 const FormValue& value) {
    fromAnyThread(form, control, [&] { layer().setProperty(form, control, property, value); });
}

FormValue GetProperty(const std::string& form, const std::string& control,
                      const std::string& property) {
    FormValue value;
    fromAnyThread(form, control, [&] { value = layer().getProperty(form, control, property); });
    return value;
}

void SetFormProperty(const std::string& form, const std::string& property, const FormValue& value) {
    fromAnyThread(form, "", [&] {
        auto f = layer().requireForm(form);
        const std::string name = AsciiLower(property);
        if (name == "title") {
            f->title = displayText(value);
            f->window->setWindowTitle(toQt(f->title));
        } else if (name == "enabled" && value.isLogical()) {
            f->window->setEnabled(value.logical());
        }
    });
}

FormValue GetFormProperty(const std::string& form, const std::string& property) {
    FormValue value;
    fromAnyThread(form, "", [&] {
        auto f = layer().requireForm(form);
        const std::string name = AsciiLower(property);
        if (name == "title") {
            value = fromQt(f->window->windowTitle());
        } else if (name == "enabled") {
            value = f->window->isEnabled();
        }
    });
    return value;
}

void DoMethod(const std::string& form, const std::string& method) {
    if (!onGuiThread()) {
        if (AsciiLower(method) == "release") {
            // Queued: the worker goes on while the event-loop thread closes the form.
            postToGuiThread([form] {
                auto f = layer().findForm(form);
                if (f && f->state == FormState::Active) {
                    invokeFromEvent([&] { layer().release(form, true); });
                }
            });
            return;
        }
        fromAnyThread(form, "", [&] { layer().doFormMethod(form, method); });
        return;
    }
    InitFormLayer();
    layer().doFormMethod(form, method);
}

void DoMethod(const std::string& form, const std::string& control, const std::string& method) {
    fromAnyThread(form, control, [&] { layer().doControlMethod(form, control, method); });
}

void CommitFocusedField(const std::string& form) {
    Callback callback;
    runOnGuiThread([&] {
        auto f = layer().findForm(form);
        if (!f || f->state != FormState::Active || !f->window) {
            return;
        }
        QWidget* focus = f->window->focusWidget();
        for (const auto& control : f->controls) {
            if (focus != nullptr && isTextBoxKind(control->kind) && control->widget == focus) {
                callback = control->onLostFocus;
            }
        }
    });
    if (callback) {
        callback();
    }
}

void DoEvents() {
    if (!onGuiThread() || QCoreApplication::instance() == nullptr) {
        return;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool IsWindowDefined(const std::string& form) {
    bool defined = false;
    runOnGuiThread([&] { defined = layer().findForm(form) != nullptr; });
    return defined;
}

bool IsWindowActive(const std::string& form) {
    bool active = false;
    runOnGuiThread([&] {
        auto f = layer().findForm(form);
        active = f && f->state == FormState::Active;
    });
    return active;
}

bool IsControlDefined(const std::string& form, const std::string& control) {
    bool defined = false;
    runOnGuiThread([&] {
        auto f = layer().findForm(form);
        defined = f && Layer::findControl(*f, control) != nullptr;
    });
    return defined;
}

QWidget* FormWidget(const std::string& form) {
    QWidget* widget = nullptr;
    runOnGuiThread([&] {
        if (auto f = layer().findForm(form)) {
            widget = f->window;
        }
    });
    return widget;
}

QWidget* MainFormWidget() {
    QWidget* widget = nullptr;
    runOnGuiThread([&] {
        if (auto f = layer().mainForm()) {
            widget = f->window;
        }
    });
    return widget;
}

QWidget* ControlWidget(const std::string& form, const std::string& control, int option) {
    QWidget* widget = nullptr;
    runOnGuiThread([&] {
        auto f = layer().findForm(form);
        auto c = f ? Layer::findControl(*f, control) : nullptr;
        if (!c) {
            return;
        }
        if (c->kind == ControlKind::RadioGroup && option > 0) {
            if (option <= static_cast<int>(c->options.size())) {
                widget = c->options[static_cast<size_t>(option - 1)];
            }
            return;
        }
        widget = c->widget;
    });
    return widget;
}

void ReleaseAllWindows() {
    runOnGuiThread([] { layer().releaseAll(); });
}

}  // namespace vm

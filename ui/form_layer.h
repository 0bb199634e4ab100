#pragma once
// The form layer: windows ("forms") and their controls are created by definition operations and
// afterwards reached only by name, case-insensitively, through SetProperty, GetProperty and
// DoMethod; the application is called back through the procedures it attached at definition.
// Texts are Windows-1252 bytes.
//
// Example (a main form with one field, a check box and a menu):
//
//     vm::SetEnterNavigation(true);
//     vm::DefineWindow({.name = "wmenu", .title = "Vistametra", .width = 640, .height = 480,
//                       .onInit = [] { TelaRefresh(); },
//                       .backColor = vm::Rgb{255, 255, 255}, .kind = vm::WindowKind::Main,
//                       .onInteractiveClose = [] {
//                           return vm::MsgYesNo("Confirma a saida do sistema ??", "Sair", false);
//                       }});
//     vm::BeginMessageBar("StatusBar", "Arial", 9);
//     vm::DefineItemMessage("STATUSITEM", "    Medidas em metros");
//     vm::EndMessageBar();
//     vm::DefineMainMenu();
//     vm::DefineMenuPopup("&Arquivo");
//     vm::DefineMenuItem("&Sair", [] { vm::DoMethod("wmenu", "release"); });
//     vm::EndMenuPopup();
//     vm::EndMenu();
//     vm::DefineMaskedTextBox({.name = "nLargurat", .col = 140, .row = 100, .mask = "999.99",
//                              .width = 60, .height = 20, .onLostFocus = [] { DadosRefresh(); }});
//     vm::DefineCheckBox({.name = "TelaGt", .col = 40, .row = 265, .caption = "Detalhes",
//                         .value = true, .onChange = [] { DadosRefresh(); HideTela(); }});
//     vm::EndWindow();
//     vm::DoMethod("wmenu", "center");
//     vm::DoMethod("wmenu", "activate");  // runs the event loop; releasing "wmenu" ends the
//     process
//
//     double n = vm::GetProperty("wmenu", "nLargurat", "value").number();
//     vm::SetProperty("wmenu", "TelaGt", "value", false);  // runs the check box's onChange now
//
// Misuse (an unknown form or control, a duplicate name, activating or releasing at the wrong
// time) is a programming error: it raises the fatal "MGERROR" run-time error (RaiseMgError),
// which ends the process. The user's own input never raises an error.
//
// Threads: everything runs on the thread of the QApplication, except that a worker thread may
// call SetProperty (blocking until the change is applied), DoMethod "release" (queued, returns at
// once), DoEvents (returns at once) and the message boxes (blocking until answered). A worker's
// call that names a form or control that is gone by the time it runs does nothing: the worker
// cannot know that the user closed the window meanwhile.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/form_value.h"

class QWidget;

namespace vm {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

using Callback = std::function<void()>;

enum class WindowKind { Main, Child };

struct WindowDef {
    std::string name;
    std::string title;
    int col = 0;
    int row = 0;
    int width = 300;  // outer size of the window, frame and caption included
    int height = 300;
    bool canMinimize = true;
    bool canMaximize = true;
    bool sizable = true;
    bool systemMenu = true;  // false: no close box either
    bool titleBar = true;
    Callback onInit;
    Callback onRelease;
    std::optional<Rgb> backColor;  // none: the platform's standard face colour
    WindowKind kind = WindowKind::Child;
    std::string fontName;                      // "": the default font
    int fontSize = 0;                          // 0: the default size
    std::function<bool()> onInteractiveClose;  // false keeps the form open
    std::string icon;                          // "": the default icon
};

struct LabelDef {
    std::string name;
    int col = 0;
    int row = 0;
    std::string text;
    int width = 120;
    int height = 24;
    bool bold = false;
    std::optional<Rgb> fontColor;
    bool transparent = false;
    bool centerAlign = false;
    std::optional<Rgb> backColor;
    std::string fontName;
    int fontSize = 0;
};

struct TextBoxDef {
    std::string name;
    int col = 0;
    int row = 0;
    int width = 120;
    int height = 24;
    int maxLength = 0;  // characters the user can type; 0: no limit
    bool upperCase = false;
    Callback onLostFocus;
    std::string value;
    std::string tooltip;
};

// A numeric field: digit positions "9" ("$" and "*" alike), at most one ".", literals "," and
// blank. Right-aligned.
struct MaskedTextBoxDef {
    std::string name;
    int col = 0;
    int row = 0;
    std::string mask;
    int width = 120;
    int height = 24;
    Callback onLostFocus;
    std::optional<double> value;  // none: the field starts empty (its value reads 0)
    std::string tooltip;
};

// A character-mask field; with `date` the mask is replaced by the one of the date format
// ("99/99/99" for "dd/mm/yy") and the value is a date. Left-aligned.
struct CharMaskTextBoxDef {
    std::string name;
    int col = 0;
    int row = 0;
    std::string mask;
    int width = 120;
    int height = 24;
    Callback onLostFocus;
    bool date = false;
    std::string tooltip;
};

// A captioned group box drawn at the rectangle; the controls that appear inside it are defined
// separately, in form coordinates.
struct FrameDef {
    std::string name;
    int row = 0;
    int col = 0;
    int width = 140;
    int height = 140;
    std::string caption;
    std::optional<Rgb> fontColor;
};

// Options are radio buttons `width` wide and 28 high; the first at (col, row), each next one
// width + spacing to the right (horizontal) or spacing lower. The group is one Tab stop; the
// arrow keys select the next or previous option.
struct RadioGroupDef {
    std::string name;
    int col = 0;
    int row = 0;
    std::vector<std::string> options;
    int value = 0;  // 1-based; 0: none selected
    std::string tooltip;
    Callback onChange;
    int width = 120;
    int spacing = 25;
    std::optional<Rgb> backColor;
    bool horizontal = false;
};

struct CheckBoxDef {
    std::string name;
    int col = 0;
    int row = 0;
    std::string caption;
    bool value = false;
    std::string tooltip;
    Callback onChange;
    int width = 100;
    int height = 28;
    std::optional<Rgb> fontColor;
    bool transparent = false;
};

struct ButtonDef {
    std::string name;
    int col = 0;
    int row = 0;
    std::string caption;
    Callback action;
    int width = 100;
    int height = 28;
    std::string tooltip;
    bool flat = false;
};

struct ProgressBarDef {
    std::string name;
    int col = 0;
    int row = 0;
    int width = 120;
    int height = 25;
    int min = 0;
    int max = 100;
    std::string tooltip;
    int value = 0;
};

// --- Global settings, set before the first form is defined ---

// Font of every form and control that gives none (initially "ARIAL" 9).
void SetDefaultFont(const std::string& name, int size);
// Icon of every form that gives none (initially "qtv"). An icon name is looked up among the Qt
// resources as ":/icons/<name>.svg", ":/icons/<name>.png", then ":/<name>"; none found: no icon.
void SetDefaultIcon(const std::string& name);
std::string DefaultIcon();
// With navigation on, Enter in a text field or on a check box moves the focus on, as Tab does.
void SetEnterNavigation(bool on);

// Prepares the layer once a QApplication exists: the runtime's error box becomes MsgStop and the
// log heading gets the layer's version text. Every other operation calls it; calling it again
// changes nothing.
void InitFormLayer();

// The version text that the layer reports about itself.
std::string FormLayerVersion();

// --- Definition: DefineWindow, then menu, status bar and controls, then EndWindow ---

void DefineWindow(const WindowDef& def);
void EndWindow();

void DefineLabel(const LabelDef& def);
void DefineTextBox(const TextBoxDef& def);
void DefineMaskedTextBox(const MaskedTextBoxDef& def);
void DefineCharMaskTextBox(const CharMaskTextBoxDef& def);
void BeginFrame(const FrameDef& def);
void DefineRadioGroup(const RadioGroupDef& def);
void DefineCheckBox(const CheckBoxDef& def);
void DefineButton(const ButtonDef& def);
void DefineProgressBar(const ProgressBarDef& def);

// Menu bar; "&" in a caption marks the next letter as the mnemonic.
void DefineMainMenu();
void DefineMenuPopup(const std::string& caption);
// `shortcut` ("Ctrl+O"; "" for none) works beside the mnemonic while the form is active.
void DefineMenuItem(const std::string& caption, Callback action, const std::string& shortcut = "");
void DefineSeparator();
void EndMenuPopup();
void EndMenu();

// Status bar along the bottom edge; the first item stretches over the whole bar. Without items,
// EndMessageBar adds one that shows the form's title. The bar and its items are controls of the
// form (Show, Hide; an item's "value" is its text).
void BeginMessageBar(const std::string& name, const std::string& fontName = "", int fontSize = 0);
void DefineItemMessage(const std::string& name, const std::string& text);
void EndMessageBar();

// Places a widget of the caller's own inside the form being defined, at its current geometry in
// form coordinates, under the given control name (Show, Hide, "enabled", "SetFocus"; no value).
// The form takes ownership.
void DefineCustomControl(const std::string& name, QWidget* widget);

// --- Access ---

// Properties: "value" of every valued control; "Caption" of labels (as "value"), check boxes,
// buttons and frames; "Value" of a progress bar; "enabled" (logical) and "tooltip" (text) of
// every control. A write of the value a control holds does nothing; a different value for a check
// box or radio group runs its onChange before SetProperty returns (not while a definition is
// open). Unknown property names are ignored (GetProperty returns the absent value).
void SetProperty(const std::string& form, const std::string& control, const std::string& property,
                 const FormValue& value);
FormValue GetProperty(const std::string& form, const std::string& control,
                      const std::string& property);

// Form properties: "title" (text) and "enabled" (logical).
void SetFormProperty(const std::string& form, const std::string& property, const FormValue& value);
FormValue GetFormProperty(const std::string& form, const std::string& property);

// Form methods: "center", "activate" (shows the form, runs its onInit, and runs an event loop
// until the form is released), "release", "show", "hide", "setfocus". Control methods: "Show",
// "Hide", "SetFocus". Unknown method names are ignored.
void DoMethod(const std::string& form, const std::string& method);
void DoMethod(const std::string& form, const std::string& control, const std::string& method);

// Runs the lost-focus procedure of the form's text field that has the keyboard focus, as leaving
// the field would (its value is read as it stands), and leaves the focus where it is: choosing a
// menu item moves no focus, so the commands that read what the window holds call this first.
// Does nothing when the form is not active or no text field of it has the focus.
void CommitFocusedField(const std::string& form);

// Processes every pending event of the event-loop thread and returns; never waits. On a worker
// thread it returns at once.
void DoEvents();

// --- Queries (no errors: unknown names give false or nullptr) ---

bool IsWindowDefined(const std::string& form);
bool IsWindowActive(const std::string& form);
bool IsControlDefined(const std::string& form, const std::string& control);
// The form's top-level window (objectName = the form name).
QWidget* FormWidget(const std::string& form);
QWidget* MainFormWidget();
// The control's widget (objectName = the control name); for a radio group, option 1-based
// `option` (0 gives the first option).
QWidget* ControlWidget(const std::string& form, const std::string& control, int option = 0);

// Destroys every form at once without running any callback and ends every activation's event
// loop; all names become free. The run-time error handler's end of the program, and tests'
// clean-up.
void ReleaseAllWindows();

}  // namespace vm

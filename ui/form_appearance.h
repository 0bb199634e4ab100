#pragma once
// Inside the form layer: the colours, fonts and icons that definitions give forms and controls.

#include <QFont>
#include <QIcon>
#include <optional>
#include <string>

#include "ui/form_layer.h"

class QWidget;

namespace vm::forms {

// The text colour given, or none. Where a background colour is given, the text gets a colour too
// (the one given, else black or white to suit the background), so that a desktop's dark palette,
// whose text is light, does not put light text on the light background the window asks for.
void setColours(QWidget* widget, const std::optional<Rgb>& text,
                const std::optional<Rgb>& background);

// The base font with another family and size where they are given. Family names are compared
// without regard to case, as the font system compares them: "Arial" on an "ARIAL" form keeps the
// form's font, so one font engine serves both.
QFont fontFrom(const QFont& base, const std::string& family, int size);

// The icon of that name among the Qt resources (":/icons/<name>.svg", ":/icons/<name>.png", then
// ":/<name>"); none found or no name: the null icon.
QIcon iconFromName(const std::string& name);

}  // namespace vm::forms

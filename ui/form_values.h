#pragma once
// Inside the form layer: what the values and the radio selection of controls do beyond
// SetProperty and GetProperty.

#include <QObject>
#include <memory>
#include <string>

#include "ui/form_value.h"

namespace vm::forms {

struct Control;
struct Form;

// The value as a label shows it: a number as Str writes it without blanks, a date as DToC, a
// logical as LToC; the absent value as "".
std::string displayText(const FormValue& value);

// Checks the radio group's option `index` (1-based; 0 checks none) and makes it the group's Tab
// stop. Runs no procedure.
void selectOption(Control& control, int index);

// The user chose the option `index`: selects it and, when it was not the selected one already,
// runs the group's onChange. Nothing once the form is released.
void userSelectedOption(const std::shared_ptr<Form>& form, const std::shared_ptr<Control>& control,
                        int index);

// An arrow key on the radio option `option`: the focus and the selection move `step` options on,
// round the group. False when `option` belongs to no radio group of the form.
bool moveRadioSelection(const std::shared_ptr<Form>& form, QObject* option, int step);

}  // namespace vm::forms

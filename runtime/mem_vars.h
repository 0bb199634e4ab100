#pragma once
// The registry of the program's memory variables, which the error log lists in its detailed
// report: the program registers each global value with a getter, so the log shows the value at
// the moment of the error.

#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/date.h"

namespace vm {

// A value as the log shows it: text (C), number (N), date (D) or logical (L). std::monostate
// stands for a value of any other kind; such variables are left out of the list.
using MemVarValue = std::variant<std::monostate, std::string, double, Date, bool>;

// Public: globals declared process-wide (QTV_VERSAO...). Private: variables that the running
// procedures created (the project fields of the start-up procedure). The log lists the public
// group first.
enum class MemVarScope { Public, Private };

// Registers a variable; a variable of the same name (compared without regard to case) in the same
// scope is replaced. The getter is called while the error log is written, possibly inside the
// fatal-signal handler, so it should only read.
void RegisterMemVar(MemVarScope scope, std::string name, std::function<MemVarValue()> getter);

// Removes the variable of that name from both scopes; nothing happens when there is none.
void UnregisterMemVar(std::string_view name);

// Removes every variable.
void ClearMemVars();

// The type letter: 'C', 'N', 'D', 'L', or 'U' for std::monostate.
char MemVarType(const MemVarValue& value);

// The value as the variable list writes it: text unchanged, numbers as Str writes them without a
// width, dates "0d" + YYYYMMDD ("0d00000000" for the empty date), logicals ".T." / ".F.".
std::string MemVarText(const MemVarValue& value);

// The lines of one scope's list, in registration order: six blanks, the name in upper case,
// " TYPE ", the letter, " [", the value, "]". Names beginning with "_" and values of other kinds
// are left out.
std::vector<std::string> MemVarLines(MemVarScope scope);

}  // namespace vm

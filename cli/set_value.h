#pragma once
// The values of `--set FIELD=VALUE` on the command line, checked strictly: a mistyped value ends
// the run with a message instead of quietly becoming 0 or an empty date.

#include <string>
#include <string_view>

#include "core/project_fields.h"

namespace vm {

// Checks a UTF-8 value for the field. Numbers: an optional sign and digits with at most one "."
// (surrounding blanks allowed), the forms a project file holds; the date: a real date written
// dd/mm/yy; texts: characters that Windows-1252 holds; logicals as the project file reads them.
// A number outside its field's limit (core/field_limits.h: never negative, some never 0) is
// refused too.
// Returns "" and sets `win1252` to the value as the record holds it, or the reason for refusing.
std::string CheckSetValue(const ProjectField& field, std::string_view value, std::string& win1252);

}  // namespace vm

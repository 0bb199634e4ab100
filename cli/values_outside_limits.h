#pragma once
// A project file opens as written, and may hold values that describe no room (a negative row
// count, a room of no length): the tool names them, and draws no report of them.

#include <string>

#include "core/dados_projeto.h"

namespace vm {

// The fields of `p` outside their limits (core/field_limits.h) as the tool's messages name them,
// e.g. "nNumeroFilas is -5 (must be 0 or more), nComprimento is 0.00 (must be more than 0)";
// "" when every field lies within its limit.
std::string ValuesOutsideLimits(const DadosProjeto& p);

// When `p` holds such values, says so on standard error in one line: a warning, or, when a
// report is to be written (`report`), the refusal; `file`, when given, names the project in place
// of "the project". Returns false for a refusal, true otherwise.
bool TellValuesOutsideLimits(const DadosProjeto& p, bool report, const std::string& file = "");

}  // namespace vm

#pragma once
// What the main window says about the project it holds beyond the result lines: the plausibility
// warnings (core/plausibility.h) on one line, the number fields whose values describe no room
// (a project file opens as written) marked, and no report drawn of such a project.

namespace vm {

// Shows the record's warnings on the label `label` of `form`: the first one, with how many there
// are, on the label (a long one wraps to a second line) and every one, a line each, in its
// tooltip; nothing when there are none. Then marks the number fields whose record value lies
// outside its limit (core/field_limits.h) with a red frame, the widget property "foraDaFaixa" and a
// tooltip naming the allowed range, and clears the mark of every other one. The fields are the
// record's names and "t" ("nNumeroFilast"). Call after every calculation and every copy of the
// record into the window.
void MostraAvisosDoProjeto(const char* form, const char* label);

// True when every limited field of the record lies within its limit. Otherwise a box names each
// wrong field with its value and allowed range, says that no report was made, and returns false.
bool ProjetoDescreveUmaSala(const char* form);

}  // namespace vm

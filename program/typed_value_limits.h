#pragma once
// Refusing, where it is typed, a number that describes no room (core/field_limits.h).

namespace vm {

// For the number field `control` of the form `form` (the record's name and "t", as
// "nNumeroFilast") that is losing the focus: when it holds a value outside its field's limit
// that differs from the record's, puts the record's value back into the field, says which field
// and what range in a box, and returns false. A value the record already holds (a project file
// opened as written) is left alone. `largest` is the largest value the field shows ("999.99").
bool AceitaValorDigitado(const char* form, const char* control, const char* largest);

}  // namespace vm

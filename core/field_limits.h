#pragma once
// The values that can describe a real room, field by field: one table for every place where a
// number is typed (the main window's fields, `vistametra-report --set`). No length, count or size
// is negative; zero is allowed where it means "none yet" or a flat floor and refused where a room
// cannot have it. Project files are not checked here: a file opens as written.

#include <string>
#include <string_view>
#include <vector>

namespace vm {

struct DadosProjeto;

struct FieldLimit {
    const char* field;  // the record's name, e.g. "nNumeroFilas"
    const char* label;  // the field's name on the main window, UTF-8
    // True: 0 and more; false: more than 0 (a room has a length, width and ceiling, the first
    // row's eyes are in front of the screen and above the floor).
    bool zeroAllowed;
};

// Every limited field, in the order of the project file.
const std::vector<FieldLimit>& fieldLimits();

// The limit of the field of that record name (exactly as the record spells it); nullptr for a
// field without one (texts, the date, the format, the category flags, the results).
const FieldLimit* findFieldLimit(std::string_view field);

// Whether a number can be held by a field and by what is computed from it: finite, below 10^15
// in size (a double still holds every hundredth a field shows, so the value is written and read
// back as it was) and either 0 or a normal double (a subnormal one, as 1e-319, loses its digits
// and turns the figures divided by it into infinity).
bool FitsANumberField(double value);

// True when the value lies within the limit (and fits a number field).
bool WithinFieldLimit(const FieldLimit& limit, double value);

// The limited fields whose value in `p` describes no room, in the table's order: a negative length,
// count or size, a value that is no number at all or that no field holds (FitsANumberField). A
// project file opens as written and may hold them. A 0 where a room needs more (Novo's empty
// project, a field not filled in yet) is not among them: typing it is refused, but a project that
// holds it is drawn as it always was.
std::vector<const FieldLimit*> FieldsOutsideLimits(const DadosProjeto& p);

// The value of a limited field in `p`.
double FieldValue(const DadosProjeto& p, const FieldLimit& limit);

// The value of a limited field in `p` as the window shows it: counts (rows, pixels) whole,
// lengths with two decimals ("-5", "0.00").
std::string FieldValueText(const DadosProjeto& p, const FieldLimit& limit);

// The allowed values in words, up to `largest` as the field shows it ("999.99"): "de 0 a 999.99"
// or "maiores que 0, até 999.99". UTF-8.
std::string FaixaPermitida(const FieldLimit& limit, std::string_view largest);

}  // namespace vm

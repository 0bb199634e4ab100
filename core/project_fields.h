#pragma once
// Every field of the project record by its name, for the command line, JSON and the error log's
// variable listing: one table instead of the same list written in several places.

#include <string>
#include <variant>
#include <vector>

#include "core/dados_projeto.h"

namespace vm {

enum class FieldKind { Text, Date, Number, Logical };

struct ProjectField {
    const char* name;  // the record's name, e.g. "nLargura"
    FieldKind kind;
    bool input;  // one of the 22 input fields (else a kept or working result)
    std::string DadosProjeto::*text = nullptr;
    Date DadosProjeto::*date = nullptr;
    double DadosProjeto::*number = nullptr;
    bool DadosProjeto::*logical = nullptr;
};

// Input fields in the order of the project file, then the kept and the working results.
const std::vector<ProjectField>& projectFields();

// The field of that name, compared without regard to case; nullptr when there is none.
const ProjectField* findProjectField(const std::string& name);

// Sets a field from text as the project file reader reads it: Val for numbers, CToD for the date,
// true only for text that begins with "T" for the logicals, text unchanged otherwise.
void setFieldFromText(DadosProjeto& p, const ProjectField& field, const std::string& text);

// True when the text holds a field that begins with the capital letter "T".
bool logicalFromText(const std::string& text);

}  // namespace vm

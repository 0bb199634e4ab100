#include "core/program_values.h"

namespace vm {

ProgramValues& programValues() {
    static ProgramValues values;
    return values;
}

std::string defaultAutoria() {
    return "Vistametra - Copyright (c) 2016 Vistametra Engenharia Audiovisual. Todos os direitos "
           "reservados.";
}

}  // namespace vm

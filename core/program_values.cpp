#include "core/program_values.h"

namespace vm {

ProgramValues& programValues() {
    static ProgramValues values;
    return values;
}

std::string defaultAutoria() {
    // Short enough to stay clear of the page number that the footer centres on the same line.
    return "Copyright (c) 2016 Vistametra. Todos os direitos reservados.";
}

}  // namespace vm

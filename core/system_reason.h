#pragma once
// The system's reason for a failure (an errno value) in Portuguese words, the same under every
// locale: a Brazilian user reads "Não há espaço disponível no dispositivo" in the program's boxes
// whether the desktop runs in pt_BR, en_US or C. UTF-8; plain C++.

#include <string>

namespace vm {

// The reason for `err` ("Permissão negada"); an errno without words of its own reads
// "erro número 71 do sistema".
std::string PortugueseSystemReason(int err);

}  // namespace vm

#pragma once
// The text of one result line of the main window, e.g. `L:  3.88 m    A:  2.43 m    D: 180.14"`.

#include <string>

#include "core/calculo.h"
#include "core/dados_projeto.h"

namespace vm {

std::string LinhaResultado(double largura, double altura, double diagonal);

// The result line of a category from the kept results.
std::string LinhaResultado(const DadosProjeto& p, Categoria c);

}  // namespace vm

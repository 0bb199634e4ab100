#include "core/result_line.h"

#include "core/text.h"

namespace vm {

std::string LinhaResultado(double largura, double altura, double diagonal) {
    return "L: " + Str(largura, 5, 2) + " m    A: " + Str(altura, 5, 2) +
           " m    D: " + Str(diagonal, 6, 2) + "\"";
}

std::string LinhaResultado(const DadosProjeto& p, Categoria c) {
    switch (c) {
        case Categoria::G:
            return LinhaResultado(p.nLarguraG, p.nAlturaG, p.nTamTelaG);
        case Categoria::A:
            return LinhaResultado(p.nLarguraA, p.nAlturaA, p.nTamTelaA);
        case Categoria::F:
            return LinhaResultado(p.nLarguraF, p.nAlturaF, p.nTamTelaF);
    }
    return "";
}

}  // namespace vm

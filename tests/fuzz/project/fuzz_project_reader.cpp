// Any bytes read as a project file: the reader never crashes or hangs, and what it reads writes
// back to a file that reads the same again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/calculo.h"
#include "project/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    vm::DadosProjeto p;
    vm::LerProjeto(p, text);
    vm::Calculo(p);
    // The format cannot hold texts with tags in them: a name holding "<Aspecto>" hides the real
    // field from the reader. Only projects whose texts hold no "<" must read back.
    if (p.cProjeto.find('<') != std::string::npos ||
        p.cTelaFormato.find('<') != std::string::npos) {
        return 0;
    }
    vm::DadosProjeto again;
    vm::LerProjeto(again, vm::TextoProjeto(p));
    // Fields that the file can hold come back unchanged (names are trimmed and cut at a tag).
    if (again.nAspecto != p.nAspecto && p.nAspecto == p.nAspecto && p.nAspecto < 1e15 &&
        p.nAspecto == static_cast<long long>(p.nAspecto)) {
        std::abort();
    }
    const bool dateInWindow = p.cData.isEmpty() || (p.cData.year >= 1960 && p.cData.year <= 2059);
    if ((dateInWindow && again.cData != p.cData) || again.nTelaG != p.nTelaG) {
        std::abort();
    }
    return 0;
}

#pragma once
// The project's own file in the main window: the window's title names it once the project has
// one, a save says which file it wrote, and "Salvar como…" writes the project under any folder
// and name.

#include <string>

namespace vm {

// The file the window's project was last opened from or saved to (the file system's bytes); ""
// for a project that has none (start-up, Novo).
const std::string& ArquivoDoProjeto();

// Makes `path` the project's file and shows its name in the title of `form`: "Vistametra -
// Sala.qtv", or "Vistametra" for "".
void DefineArquivoDoProjeto(const char* form, const std::string& path);

// The box after a save: "Arquivo salvado com sucesso." and, below it, the file written.
void AvisaArquivoSalvo(const std::string& path);

// "Salvar como…": the save dialog, in the folder of the project's file (else `folder`) with the
// project's file name; a name that does not end in ".qtv" gets it (a replaced file is asked for
// first), then the project is written there as "Salvar" writes it, and becomes the project's
// file. A failed write says why in a box; a cancel does nothing.
void SalvarArquivoComo(const char* form, const std::string& folder);

}  // namespace vm

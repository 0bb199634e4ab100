#pragma once
// The project file: a small tag-delimited text (Windows-1252, CR LF, ending with an empty line
// and the byte 26) that looks like XML but is cut apart by searching for each field's tags.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/dados_projeto.h"

namespace vm {

// The file name of a project: folder + AllTrim(cProjeto) + "_Calculo_Tela.qtv".
std::string NomeArquivoProjeto(const std::string& folder, const DadosProjeto& p);

// The file's text: its 33 lines, each ended by CR LF, without the final byte 26. A number too wide
// for its field is written with the same decimals in the smallest width that holds it.
std::string TextoProjeto(const DadosProjeto& p);

// Sets the 22 input fields from the text, in file order; a field whose tags are missing becomes
// empty ("", the empty date, 0, false). Results are left as they are. Returns how many of the 22
// fields were found.
int LerProjeto(DadosProjeto& p, std::string_view text);

// The text between the first `open` tag and the first `close` tag (searched from the start of the
// text); "" when either is missing or the field would be empty or negative in length.
std::string CampoXml(std::string_view xml, std::string_view open, std::string_view close);

// Writes the system's write(2); tests replace it to fail part-way.
using WriteFunction = std::function<long(int fd, const char* data, unsigned long size)>;

// Writes the whole text and then the byte 26 through a temporary file in the target's folder that
// is renamed over the target, so a failed write leaves an existing file as it was. Returns true
// exactly when every byte of the text was written and the file is in place; on failure `error`
// (when given) receives the reason.
bool MemoWrit(const std::string& file, std::string_view text, std::string* error = nullptr,
              const WriteFunction& write = {});

// The whole file without one final byte 26, or nothing when it cannot be opened or read.
std::optional<std::string> lerArquivo(const std::string& file, std::string* error = nullptr);

// The whole file without one final byte 26, or "" when it cannot be read.
std::string MemoRead(const std::string& file);

}  // namespace vm

#pragma once
// The project file: a small tag-delimited text (Windows-1252, CR LF, ending with an empty line
// and the byte 26) that looks like XML but is cut apart by searching for each field's tags.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/atomic_file.h"
#include "core/dados_projeto.h"
#include "core/whole_file.h"

namespace vm {

// The file name of a project: folder (the file system's bytes, ending in "/") + AllTrim(cProjeto)
// + "_Calculo_Tela.qtv", the name in UTF-8 as the file system holds it ("SALÃO" gives
// "SALÃO_Calculo_Tela.qtv").
std::string NomeArquivoProjeto(const std::string& folder, const DadosProjeto& p);

// Whether the project's name can name its file inside the project folder: false, with the reason
// in `error`, for a name that holds a NUL byte (the system would cut the name there and write
// another file) or a ".." part (which would leave the folder). A "/" names a subfolder, as a
// backslash did on Windows; the subfolder must exist for the save to succeed.
bool ProjectNameFitsAFileName(const DadosProjeto& p, std::string* error = nullptr);

// The file's text: its 33 lines, each ended by CR LF, without the final byte 26 (with projector or
// LED inputs, their group of tags before the last, empty line). A number too wide for its field is
// written with the same decimals in the smallest width that holds it.
std::string TextoProjeto(const DadosProjeto& p);

// Sets the 22 input fields from the text, in file order; a field whose tags are missing becomes
// empty ("", the empty date, 0, false). Results are left as they are. Returns how many of the 22
// fields were found; `missing` (when given) receives the record names of the others, in file
// order.
int LerProjeto(DadosProjeto& p, std::string_view text, std::vector<std::string>* missing = nullptr);

// Where the section of the 22 fields ends in a project text: after the last field's closing tag
// (each field's tags searched after the field before, in file order) and the "</controle>" that
// follows it; 0 when the text holds no field. The groups of tags that follow the fields are read
// from there on only, so that the same tags inside a field's value never pass for a group.
size_t EndOfFields(std::string_view text);

// The projector and LED inputs as the group of tags that follows the 22 fields, "" when the
// planner gave none (the file is then exactly as without them).
std::string ProjectionTagsText(const ProjectionInputs& in);

// The projector and LED inputs of a project text, from its group after the fields (EndOfFields);
// the default for each input the group lacks (or holds outside its limits). A group there gives
// the inputs, even when each equals its default.
ProjectionInputs LerProjecao(std::string_view text);

// The text between the first `open` tag and the first `close` tag (searched from the start of the
// text); "" when either is missing or the field would be empty or negative in length.
std::string CampoXml(std::string_view xml, std::string_view open, std::string_view close);

// Writes the whole text and then the byte 26 as `file`, replaced whole or not at all
// (WriteFileAtomically: a link's target, the file's mode and, as root, its owner are kept).
// Returns true exactly when every byte was written and the file is in place; on failure `error`
// (when given) receives the reason and an earlier file is unchanged. `write` replaces write(2)
// for tests.
bool MemoWrit(const std::string& file, std::string_view text, std::string* error = nullptr,
              const WriteFunction& write = {});
// The same, with the failure as a value for a window that words it in Portuguese.
bool MemoWrit(const std::string& file, std::string_view text, FileFailure* failure);

// The bytes of a project file holding `text`: the text, then the end-of-file byte 26.
std::string ProjectFileBytes(std::string_view text);

// The largest file that is read as a project (a project file is under 1 KiB).
inline constexpr size_t kMaxProjectFileBytes = 1024 * 1024;

// The whole file without one final byte 26, or nothing, with `error` (when given) set, when it
// cannot be opened or read, is not a regular file (a folder, a FIFO, a device: none is waited
// for or read without end) or holds more than kMaxProjectFileBytes (read no further than that).
std::optional<std::string> ReadProjectFileText(const std::string& file,
                                               std::string* error = nullptr,
                                               WholeFileFault* fault = nullptr);

// The same for a project read from a descriptor until its end (the tool's standard input).
std::optional<std::string> ReadProjectStreamText(int fd, std::string* error = nullptr);

// The whole file without one final byte 26, or "" when it cannot be read.
std::string MemoRead(const std::string& file);

}  // namespace vm

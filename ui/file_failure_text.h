#pragma once
// The windows' words for a file that could not be written, in Portuguese and in the program's
// Windows-1252 text: the system's reason is worded in Portuguese from its errno
// (core/system_reason.h), whatever the locale, so that "Não há espaço disponível no dispositivo"
// reaches the box as it reads on any desktop.

#include <string>

#include "core/file_failure.h"
#include "core/whole_file.h"

namespace vm {

// What went wrong, for a box whose headline already names the file: the system's reason
// ("Não há espaço disponível no dispositivo"), or a clause that says what failed before it ("não foi
// possível criar um arquivo na pasta "/home/ana/sumiu/": Arquivo ou diretório inexistente").
std::string FileFailureReason(const FileFailure& failure);

// One sentence that names the file once: "Não foi possível gravar "<arquivo>": <reason>".
// "" for FileFailureKind::None.
std::string FileFailureText(const FileFailure& failure);

// What went wrong, for a box whose headline names `shownFile`: the reason alone when the failure
// is about that file, else the sentence that names the file it is about (a page "_0002" of a set
// saved under that name).
std::string FileFailureBelow(const FileFailure& failure, const std::string& shownFile);

// Why a file could not be read, in Portuguese: "é uma pasta", "não é um arquivo comum (...)", "tem
// mais de <limit>", or the system's reason.
std::string ReadFailureReason(const WholeFileFault& fault, const std::string& limit);

// The system's reason for `err` in Portuguese, in Windows-1252.
std::string SystemReasonText(int err);

}  // namespace vm

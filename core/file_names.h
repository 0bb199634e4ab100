#pragma once
// File names at the file system's boundary. The program's text is Windows-1252; the file system's
// names are bytes, UTF-8 on every desktop the program meets. Paths are kept inside the program as
// the file system's bytes (the project folder, the names the dialogs and the command line give),
// so a name is used exactly as it was given, even one that is not valid UTF-8. Program text
// enters a path only through FileNameFromText, and a path is shown as text only through
// TextFromFileName.

#include <string>
#include <string_view>

namespace vm {

// The file-system name for a piece of program text (a project name, "SALÃO_Calculo_Tela.qtv"):
// its characters in UTF-8.
std::string FileNameFromText(std::string_view win1252);

// A path as program text, for messages and the error log: UTF-8 read back into Windows-1252;
// characters Windows-1252 cannot hold and bytes that are not UTF-8 show as "?".
std::string TextFromFileName(std::string_view path);

// A path's folder, up to and with its last "/" ("" for a bare name): "a/b/c.pdf" -> "a/b/".
std::string FolderOfPath(const std::string& path);
// A path's last name, after its last "/": "a/b/c.pdf" -> "c.pdf".
std::string NameOfPath(const std::string& path);

}  // namespace vm

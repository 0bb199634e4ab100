#pragma once
// The one question every save through a file dialog asks before it replaces files: "O arquivo
// "Sala.qtv" já existe em /home/ana/. Substituir?", with the earlier pages that a set of pages
// would remove named too. The file dialog itself never asks (the name it returns may have gained
// a suffix after the user typed it); its caller asks here about the files it will write.

#include <string>
#include <vector>

namespace vm {

// The files among `targets` that a save would replace: regular files, a link counting by the
// file it names (the save writes through it). A FIFO, a socket or a device is refused by the
// writer instead, and a name that is free replaces nothing.
std::vector<std::string> FilesToBeReplaced(const std::vector<std::string>& targets);

// The question's text (Windows-1252, lines separated by CR LF) for the files `replaced` and the
// earlier pages `removed` (full paths, file-system bytes); "" when both are empty.
std::string ReplaceQuestionText(const std::vector<std::string>& replaced,
                                const std::vector<std::string>& removed);

// Asks, in a Sim / Não box titled `title`, before a save writes `targets` when one of them would
// replace a file or `removed` names earlier pages it would delete. True when the save may go on:
// nothing is replaced or removed, or the user answered Sim.
bool MayReplaceFiles(const std::vector<std::string>& targets,
                     const std::vector<std::string>& removed, const std::string& title);

}  // namespace vm

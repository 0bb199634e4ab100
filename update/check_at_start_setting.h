#pragma once
// Whether the quiet update check runs at start-up: the user's choice, kept between runs in
// $XDG_CONFIG_HOME/vistametra/atualizacao.conf (default ~/.config/...) as the line
// "verificar-ao-iniciar=sim" or "=nao".

#include <optional>
#include <string>

#include "core/file_failure.h"

namespace vm {

// The file's full path.
std::string CheckAtStartFile();

// The choice stored; nothing when none was made yet (or the file cannot be read).
std::optional<bool> CheckAtStartChoice();

// Stores the choice, creating the folder when missing. False, with the reason (UTF-8), when it
// could not be written; when the file itself could not be written, `failure` (when given) receives
// why, for the window's own words.
bool SaveCheckAtStartChoice(bool check, std::string* error, FileFailure* failure = nullptr);

}  // namespace vm

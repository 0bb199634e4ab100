#pragma once
// Where the program is and where it may write, on Linux.

#include <string>

namespace vm {

// Full path of the running program file (from /proc/self/exe); "" when it cannot be read.
std::string programFile();

// True for an installed copy: the program file is in a folder that belongs to the package manager
// (/usr, /opt...). Such a copy is updated by the package manager, never by the program itself.
bool isInstalledCopy();

// The folder that projects are saved in, ending in "/": the program's folder when the user can
// write there and it is not a system folder (/usr, /opt...: an installed copy), else a folder
// "Vistametra" in the user's documents folder. That folder may not exist yet: whoever saves into
// it creates it first (ensureFolder), so that a run that saves nothing leaves no trace.
std::string projectFolder();

// Creates the folder and its missing parents (mode 0755 less the umask). True when the folder
// exists afterwards; false with errno set when it cannot be made.
bool ensureFolder(const std::string& folder);

// The user's documents folder (XDG_DOCUMENTS_DIR, ~/.config/user-dirs.dirs, else ~/Documents),
// without a trailing "/".
std::string documentsFolder();

// The folder that the program's logs go in, ending in "/", or "" for the current folder. Logs go
// to the current folder, except for an installed copy (its program file in a system folder such as
// /usr/bin) and where the current folder is a system folder, "/" or not writable: then to
// $XDG_STATE_HOME/vistametra/ (default ~/.local/state/vistametra/), created when missing.
std::string logFolder();

// The temporary folder, ending in "/": $TMPDIR when set and not empty, else /tmp (what
// QDir::tempPath() gives); trailing slashes are not repeated (TMPDIR=/ gives "/"). The lock
// file, the page files and every other temporary file go there.
std::string tempFolder();

}  // namespace vm

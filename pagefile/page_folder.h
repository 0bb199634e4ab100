#pragma once
// The folder of one run's page files. Each run of the program keeps its page files in a private
// folder of the temporary folder whose name carries the process id, "vistametra-<pid>-XXXXXX", so
// that the folders a killed run left can be told from those of a run still working, and removed
// at the next start.

#include <string>

namespace vm {

// This run's page folder, ending in "/", made (mode 0700) on the first call and again when the
// temporary folder changed. It goes, with the
// page files left in it, when the process ends: normally, through EndProcess, or on SIGTERM,
// SIGINT or SIGHUP (once those are set to remove the end-of-process files). Where it cannot be
// made, the temporary folder itself.
std::string PageFolder();

// Removes the page folders, with the files in them, that runs no longer alive left in
// `temporaryFolder` (ending in "/"): folders named "vistametra-<pid>-..." that are this user's own
// (not links) and whose process is gone. A folder of a live process, even one of another
// program, another user's folder and every other file stay. Returns how many folders went.
int RemoveLeftPageFolders(const std::string& temporaryFolder);

}  // namespace vm

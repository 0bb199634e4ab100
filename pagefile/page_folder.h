#pragma once
// The folder of one run's page files. Each run of the program keeps its page files in a private
// folder of the temporary folder, "vistametra-<pid>-locked-XXXXXX", on which it holds an
// exclusive flock for its life, so that the folders a killed run left can be told from those of
// a run still working, and removed at the next start. The lock tells it where the process id
// cannot: a run in another PID namespace (a container, a sandbox) is not seen here, but its lock
// is. Folders named "vistametra-<pid>-XXXXXX" come from runs that held no such lock (earlier
// versions, or a file system without flock).

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
// (not links) and whose run has certainly ended: a locked folder's when its lock is free (the
// sweep holds it while removing), an unlocked folder's when no process of its id is seen here and
// nothing in it changed for a week. A folder whose end cannot be proved, another user's folder
// and every other file stay. Returns how many folders went.
int RemoveLeftPageFolders(const std::string& temporaryFolder);

}  // namespace vm

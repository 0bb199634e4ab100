#pragma once
// The single-instance guard: a lock held for the life of the process, keyed by the program
// file's full path, so that a second start of the same file finds it and copies of the program
// in other folders do not.

#include <string>

namespace vm {

// The lock file's full name for a program file: in $XDG_RUNTIME_DIR (else the temporary folder),
// named from the path with every "/" replaced by "_".
std::string instanceLockFile(const std::string& programFile);

// Takes the lock and keeps it until the process ends; the holder is to remove the lock file as it
// ends (a start racing with that removal takes the lock on the new file). Returns false when
// another running process holds it. When the lock file cannot be created at all, the guard cannot
// work and the program is let run (true).
bool acquireInstanceLock(const std::string& programFile);

// Removes, from the lock file's folder, the lock files of this program's file name that no
// running program holds (left by copies in other folders that were killed outright, which could
// not remove their own), with their sockets, and sockets whose lock file is gone. Files of a
// running program and every other file stay. Returns how many files went.
int RemoveLeftInstanceLocks(const std::string& programFile);

}  // namespace vm

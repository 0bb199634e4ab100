#pragma once
// Files that must not outlive the process: a report's page files while its preview is open, the
// hidden file that an output or a download is written into before it takes its place, the
// program's lock and socket. The table is fixed storage, read without locks or allocation, so
// that a signal handler may empty it.
//
// Plain C++ and POSIX. Registering and forgetting are safe from any thread.

#include <string>

namespace vm {

// Names `path` (a file, or an empty folder) for removal at the end of the process. Up to 256
// names of at most 1023 bytes are kept; longer names and further files are not (false then).
bool RemoveAtProcessEnd(const std::string& path);
// Forgets a name given to RemoveAtProcessEnd (its owner removed it, renamed it, or keeps it).
void KeepAtProcessEnd(const std::string& path);
// Removes every file that this process named now, then every such folder that is empty by then,
// and forgets them; a forked child leaves the names its parent gave alone. Async-signal-safe.
void RemoveFilesAtProcessEnd();

// Makes SIGTERM, SIGINT and SIGHUP remove the named files before they end the process as they
// would have (the signal is raised again with its default action).
void RemoveFilesOnEndSignals();

// Makes SIGPIPE (a write into a pipe, FIFO or socket that nobody reads any more) remove the named
// files and end the process at once with `exitCode`, saying nothing, as Unix tools end when their
// reader leaves (`tool | head -1`). Meant for a program whose outputs go to its reader alone.
void EndQuietlyWhenReaderLeaves(int exitCode);

// While one lives (in any thread), those signals wait: files that take their places as one set
// (a report's pages) all do, and the signal then ends the process as it would have, once the
// last holder is gone. Without RemoveFilesOnEndSignals the signals act at once, as ever.
class EndSignalsHeld {
public:
    EndSignalsHeld();
    ~EndSignalsHeld();
    EndSignalsHeld(const EndSignalsHeld&) = delete;
    EndSignalsHeld& operator=(const EndSignalsHeld&) = delete;
};

// Whether such a signal came while they were held and waits to end the process: a long holder
// gives up the rest of its work, so that the process ends soon.
bool EndSignalWaiting();

}  // namespace vm

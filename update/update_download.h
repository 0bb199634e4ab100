#pragma once
// The download of the installer: the window "WupdateFile" with its progress bar, and a detached
// worker thread that fetches "/vistametra/Update.exe" over a bare TSocket into a temporary file in
// the current folder, renamed to "Update.exe" once complete; the window shows the progress at
// most every 50 ms.

#include <optional>
#include <string>

#include "update/update_site.h"

namespace vm {

// Opens the download window, starts the download on a worker thread and returns when the window
// has been closed: by the finished download, or by the user. Returns the installer's full path
// (InstallerPath() when the download began) only when the server answered 200 with exactly one
// valid Content-Length and exactly that many bytes were written, the file closed and given that
// name; nothing on every other outcome, after which no file of that name was written or changed,
// the worker has told the user why (a message box and the window's first line) and the window
// stayed open until the user closed it. When a download window is already open, brings it
// forward, starts nothing and returns nothing.
//
// Must run on the event-loop thread while the main form is active.
std::optional<std::string> UpdateFile(const UpdateSite& site = {});

// True while a download window is open.
bool DownloadWindowOpen();
// Brings an open download window forward; does nothing when there is none.
void ShowDownloadWindow();

// The installer's full path: the current folder + "/Update.exe"; "Update.exe" alone when the
// current folder cannot be determined.
std::string InstallerPath();

// Worker threads that have not ended yet. The download never waits for its worker; this is for
// whoever must know that none is left (a test before it ends).
int DownloadWorkersRunning();

}  // namespace vm

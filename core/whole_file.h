#pragma once
// A file read whole, as its bytes: small system files (/etc/os-release, /proc/meminfo,
// /proc/self/mountinfo) whose size the file system does not know beforehand.

#include <string>

namespace vm {

// The file's bytes exactly as stored (no line-end or encoding conversion); "" when it cannot be
// opened or read.
std::string ReadWholeFile(const std::string& path);

}  // namespace vm

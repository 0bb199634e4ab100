#include "core/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/platform_paths.h"

namespace vm {

std::string instanceLockFile(const std::string& programFile) {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = runtimeDir && *runtimeDir ? std::string(runtimeDir) + "/" : tempFolder();
    std::string name = programFile;
    for (char& c : name) {
        if (c == '/') {
            c = '_';
        }
    }
    return folder + name;
}

bool acquireInstanceLock(const std::string& programFile) {
    const std::string file = instanceLockFile(programFile);
    const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return true;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        return !held;
    }
    // The descriptor stays open, and the lock held, until the process ends.
    return true;
}

}  // namespace vm

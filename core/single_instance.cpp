#include "core/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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
    // The holder removes the file as it ends. A start that opened the file just before that locks
    // a file no longer in the folder, so after locking it checks that the name still leads to the
    // locked file, and else tries again with the new one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            return true;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool held = errno == EWOULDBLOCK;
            close(fd);
            return !held;
        }
        struct stat locked {};
        struct stat named {};
        if (fstat(fd, &locked) == 0 && stat(file.c_str(), &named) == 0 &&
            locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
            // The descriptor stays open, and the lock held, until the process ends.
            return true;
        }
        close(fd);
    }
    return true;
}

}  // namespace vm

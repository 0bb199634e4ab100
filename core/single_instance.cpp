#include "core/single_instance.h"

#include <dirent.h>
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

namespace {

bool sameFile(int fd, int folder, const char* name) {
    struct stat opened {};
    struct stat named {};
    return fstat(fd, &opened) == 0 && fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

bool acquireInstanceLock(const std::string& programFile) {
    const std::string file = instanceLockFile(programFile);
    // The holder removes the file as it ends, and a start removes the free lock files that
    // programs killed outright left (RemoveLeftInstanceLocks). A start that opened the file just
    // before such a removal locks a file no longer in the folder, or finds it locked for a
    // moment: it checks that the name still leads to the file it opened, and else tries again
    // with the new one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            return true;
        }
        int lockError = 0;
        const auto tryLock = [&] {
            const bool ok = flock(fd, LOCK_EX | LOCK_NB) == 0;
            lockError = ok ? 0 : errno;
            return ok;
        };
        bool locked = tryLock();
        // A removal holds the lock only for a moment; a running program holds it for good.
        for (int wait = 0; !locked && lockError == EWOULDBLOCK && wait < 5; ++wait) {
            usleep(10000);
            locked = sameFile(fd, AT_FDCWD, file.c_str()) && tryLock();
        }
        const bool stillNamed = sameFile(fd, AT_FDCWD, file.c_str());
        if (locked && stillNamed) {
            // The descriptor stays open, and the lock held, until the process ends.
            return true;
        }
        close(fd);
        if (!locked && lockError != EWOULDBLOCK && lockError != 0) {
            return true;  // no lock to be had here: the guard cannot work
        }
        if (!locked && stillNamed) {
            return false;  // held by a running program
        }
    }
    return true;
}

int RemoveLeftInstanceLocks(const std::string& programFile) {
    const std::string own = instanceLockFile(programFile);
    const std::string folder = own.substr(0, own.rfind('/') + 1);
    const std::string sameProgram = "_" + programFile.substr(programFile.rfind('/') + 1);
    const std::string socketEnd = ".socket";
    const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        return 0;
    }
    DIR* dir = fdopendir(dup(dirFd));
    if (dir == nullptr) {
        close(dirFd);
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        const bool socket = endsWith(name, socketEnd);
        const std::string lock = socket ? name.substr(0, name.size() - socketEnd.size()) : name;
        if (lock.empty() || lock.front() != '_' || !endsWith(lock, sameProgram) ||
            folder + lock == own) {
            continue;
        }
        struct stat st {};
        if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_uid != geteuid()) {
            continue;
        }
        if (socket) {
            // A socket whose lock file is gone: its program has ended.
            struct stat lockSt {};
            if (S_ISSOCK(st.st_mode) &&
                fstatat(dirFd, lock.c_str(), &lockSt, AT_SYMLINK_NOFOLLOW) != 0 &&
                errno == ENOENT && unlinkat(dirFd, name.c_str(), 0) == 0) {
                ++removed;
            }
            continue;
        }
        if (!S_ISREG(st.st_mode)) {
            continue;
        }
        const int fd = openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            continue;
        }
        // Free: no program of that file runs. Removed while locked, with its socket.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && sameFile(fd, dirFd, name.c_str()) &&
            unlinkat(dirFd, name.c_str(), 0) == 0) {
            unlinkat(dirFd, (name + socketEnd).c_str(), 0);
            ++removed;
        }
        close(fd);
    }
    closedir(dir);
    close(dirFd);
    return removed;
}

}  // namespace vm

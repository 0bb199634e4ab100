#include "pagefile/page_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "core/end_files.h"
#include "core/platform_paths.h"

namespace vm {
namespace {

constexpr std::string_view kPrefix = "vistametra-";
// After the process id: the folder's run holds an exclusive flock on the folder for its life.
constexpr std::string_view kLocked = "locked-";
// A folder of a run from before runs held that lock goes only when its process is not seen here
// and nothing in it has changed for this long: a live run of another PID namespace (which hides
// its process) may still use it.
constexpr time_t kUnlockedFolderAge = 7 * 24 * 60 * 60;

// Removes the files in the folder `name` of the open folder `parent`, then the folder. Only
// this user's real folder is entered; a folder inside it stays (and so does it).
bool removeFolder(int parent, const char* name) {
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || st.st_uid != geteuid()) {
        close(fd);
        return false;
    }
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        close(fd);
        return false;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string_view file = entry->d_name;
        if (file != "." && file != "..") {
            unlinkat(fd, entry->d_name, 0);
        }
    }
    closedir(dir);
    return unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

// What a page folder's name tells: the process id (0 when the name is not a page folder's) and
// whether its run holds the folder's lock.
struct FolderName {
    pid_t pid = 0;
    bool locked = false;
};

FolderName nameOf(std::string_view name) {
    if (name.substr(0, kPrefix.size()) != kPrefix) {
        return {};
    }
    name.remove_prefix(kPrefix.size());
    long pid = 0;
    size_t digits = 0;
    for (; digits < name.size() && name[digits] >= '0' && name[digits] <= '9' && digits < 10;
         ++digits) {
        pid = pid * 10 + (name[digits] - '0');
    }
    if (digits == 0 || digits >= name.size() || name[digits] != '-' || pid > 0x7fffffff) {
        return {};
    }
    return {static_cast<pid_t>(pid), name.substr(digits + 1, kLocked.size()) == kLocked};
}

// Whether the run of the folder `name` of the open folder `parent` has certainly ended. A folder
// whose run holds its lock is proved left when the lock can be taken: a live run holds it, in
// whatever PID namespace it lives. `lock` then keeps the lock while the folder is removed. A
// folder from before that lock is left only when its process is gone (one that this user may not
// signal is alive) and the folder is old.
bool runEnded(int parent, const char* name, const FolderName& folder, int* lock) {
    if (folder.locked) {
        *lock = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (*lock >= 0 && flock(*lock, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (*lock >= 0) {
            close(std::exchange(*lock, -1));
        }
        return false;  // held, or a lock that cannot be taken here: nothing proves the end
    }
    if (folder.pid != getpid() && !(kill(folder.pid, 0) == -1 && errno == ESRCH)) {
        return false;
    }
    struct stat st {};
    return fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           time(nullptr) - st.st_mtime > kUnlockedFolderAge;
}

// The page folder of this run and its removal when the process returns from main.
struct RunFolder {
    std::string parent;  // the temporary folder it was made in
    std::string name;    // "" while none was made
    pid_t owner = 0;     // the process that made it (not a forked child that returns)
    int lock = -1;       // the folder, open and locked for the life of the run
    // The locks of earlier folders that could not go when the temporary folder changed: they
    // stay held until the process ends, so that no start takes those folders for left ones.
    std::vector<int> earlierLocks;
    ~RunFolder() {
        const int fd = name.empty() || owner != getpid()
                           ? -1
                           : open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            removeFolder(fd, name.c_str());
            close(fd);
        }
    }
    std::string Path() const { return name.empty() ? std::string() : parent + name + "/"; }
};

RunFolder& runFolder() {
    static RunFolder folder;
    return folder;
}

}  // namespace

std::string PageFolder() {
    RunFolder& run = runFolder();
    const std::string parent = tempFolder();
    struct stat st {};
    if (!run.name.empty() && run.owner != getpid()) {
        // A forked child makes a folder of its own; the parent's lock stays with the parent.
        run.name.clear();
        if (run.lock >= 0) {
            close(std::exchange(run.lock, -1));
        }
        for (const int lock : run.earlierLocks) {
            close(lock);
        }
        run.earlierLocks.clear();
    }
    if (!run.name.empty() && run.parent == parent && lstat(run.Path().c_str(), &st) == 0 &&
        S_ISDIR(st.st_mode)) {
        return run.Path();
    }
    if (!run.name.empty()) {
        // The temporary folder changed (or the folder went): a new one there; the earlier one
        // goes now if nothing is left in it.
        const std::string earlier = run.parent + run.name;
        KeepAtProcessEnd(earlier);
        if (run.lock >= 0) {
            if (rmdir(earlier.c_str()) == 0 || errno == ENOENT) {
                close(run.lock);
            } else {
                run.earlierLocks.push_back(run.lock);
            }
            run.lock = -1;
        } else {
            rmdir(earlier.c_str());
        }
        run.name.clear();
    }
    const std::string stem = parent + std::string(kPrefix) + std::to_string(getpid()) + "-";
    std::string path = stem + "XXXXXX";
    if (mkdtemp(path.data()) == nullptr) {
        return parent;
    }
    // Taken along by every end of the process once the page files in it have gone.
    RemoveAtProcessEnd(path);
    // Locked first and only then named as a locked folder, so that no start ever finds it under
    // that name with its lock free while this run lives. Where the lock or the new name cannot be
    // had, the folder keeps the name of a folder without a lock, which starts treat with care.
    const int lock = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const std::string locked = stem + std::string(kLocked) + path.substr(stem.size());
    if (lock >= 0 && flock(lock, LOCK_EX | LOCK_NB) == 0 &&
        renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, locked.c_str(), RENAME_NOREPLACE) == 0) {
        RemoveAtProcessEnd(locked);
        KeepAtProcessEnd(path);
        path = locked;
        run.lock = lock;
    } else if (lock >= 0) {
        close(lock);
    }
    run.parent = parent;
    run.name = path.substr(parent.size());
    run.owner = getpid();
    return run.Path();
}

int RemoveLeftPageFolders(const std::string& temporaryFolder) {
    const int fd = open(temporaryFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    DIR* dir = fdopendir(dup(fd));
    if (dir == nullptr) {
        close(fd);
        return 0;
    }
    const std::string own = runFolder().Path();
    int removed = 0;
    while (const dirent* entry = readdir(dir)) {
        const FolderName folder = nameOf(entry->d_name);
        if (folder.pid <= 0 || temporaryFolder + entry->d_name + "/" == own) {
            continue;
        }
        int lock = -1;
        if (runEnded(fd, entry->d_name, folder, &lock) && removeFolder(fd, entry->d_name)) {
            ++removed;
        }
        if (lock >= 0) {
            close(lock);
        }
    }
    closedir(dir);
    close(fd);
    return removed;
}

}  // namespace vm

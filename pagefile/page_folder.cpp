#include "pagefile/page_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "core/end_files.h"
#include "core/platform_paths.h"

namespace vm {
namespace {

constexpr std::string_view kPrefix = "vistametra-";

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

// The process id in a page folder's name, or 0 when the name is not one.
pid_t ownerOf(std::string_view name) {
    if (name.substr(0, kPrefix.size()) != kPrefix) {
        return 0;
    }
    name.remove_prefix(kPrefix.size());
    long pid = 0;
    size_t digits = 0;
    for (; digits < name.size() && name[digits] >= '0' && name[digits] <= '9' && digits < 10;
         ++digits) {
        pid = pid * 10 + (name[digits] - '0');
    }
    if (digits == 0 || digits >= name.size() || name[digits] != '-' || pid > 0x7fffffff) {
        return 0;
    }
    return static_cast<pid_t>(pid);
}

// The page folder of this run and its removal when the process returns from main.
struct RunFolder {
    std::string parent;  // the temporary folder it was made in
    std::string name;    // "" while none was made
    pid_t owner = 0;     // the process that made it (not a forked child that returns)
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
        run.name.clear();  // a forked child makes a folder of its own
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
        rmdir(earlier.c_str());
        run.name.clear();
    }
    std::string path = parent + std::string(kPrefix) + std::to_string(getpid()) + "-XXXXXX";
    if (mkdtemp(path.data()) == nullptr) {
        return parent;
    }
    // Taken along by every end of the process once the page files in it have gone.
    RemoveAtProcessEnd(path);
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
        const pid_t pid = ownerOf(entry->d_name);
        if (pid <= 0 || temporaryFolder + entry->d_name + "/" == own) {
            continue;
        }
        // Only a process that no longer exists; one that this user may not signal is alive.
        if (pid != getpid() && !(kill(pid, 0) == -1 && errno == ESRCH)) {
            continue;
        }
        if (removeFolder(fd, entry->d_name)) {
            ++removed;
        }
    }
    closedir(dir);
    close(fd);
    return removed;
}

}  // namespace vm

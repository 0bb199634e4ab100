#include "core/platform_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

namespace vm {
namespace {

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) {
        return home;
    }
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
        return pw->pw_dir;
    }
    return "/tmp";
}

// The value of XDG_DOCUMENTS_DIR in user-dirs.dirs, with $HOME expanded; "" when absent.
std::string documentsFromUserDirs(const std::string& home) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string file =
        (config && *config ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
    std::ifstream in(file);
    std::string line;
    const std::string key = "XDG_DOCUMENTS_DIR=";
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) != 0) {
            continue;
        }
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0) {
            value = home + value.substr(5);
        }
        return value;
    }
    return "";
}

// Folders that belong to the package manager: an installed copy lives there, and its projects go
// to the documents folder even when the user (root) could write beside the program.
bool isSystemFolder(const std::string& folder) {
    for (const char* prefix : {"/usr/", "/bin/", "/sbin/", "/opt/", "/snap/", "/etc/", "/lib/",
                               "/lib64/", "/boot/", "/proc/", "/sys/"}) {
        if (folder.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string programFile() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

bool isInstalledCopy() {
    const std::string exe = programFile();
    return isSystemFolder(exe.substr(0, exe.rfind('/') + 1));
}

std::string documentsFolder() {
    if (const char* dir = std::getenv("XDG_DOCUMENTS_DIR"); dir && *dir) {
        return dir;
    }
    const std::string home = homeFolder();
    std::string fromFile = documentsFromUserDirs(home);
    return fromFile.empty() ? home + "/Documents" : fromFile;
}

std::string projectFolder() {
    const std::string exe = programFile();
    const auto slash = exe.rfind('/');
    if (slash != std::string::npos) {
        const std::string folder = exe.substr(0, slash + 1);
        if (!isSystemFolder(folder) && access(folder.c_str(), W_OK) == 0) {
            return folder;
        }
    }
    return documentsFolder() + "/Vistametra/";
}

bool ensureFolder(const std::string& folder) {
    std::string path;
    size_t start = 0;
    while (start < folder.size()) {
        const size_t slash = folder.find('/', start);
        const size_t end = slash == std::string::npos ? folder.size() : slash;
        path = folder.substr(0, end);
        if (!path.empty() && mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
        start = end + 1;
    }
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string logFolder() {
    const std::string exe = programFile();
    const std::string programFolder = exe.substr(0, exe.rfind('/') + 1);
    char cwd[4096];
    if (!isSystemFolder(programFolder) && getcwd(cwd, sizeof cwd) != nullptr &&
        std::string(cwd) != "/" && !isSystemFolder(std::string(cwd) + "/") &&
        access(cwd, W_OK) == 0) {
        return "";
    }
    const char* state = std::getenv("XDG_STATE_HOME");
    const std::string home = homeFolder();
    // Relative values are to be ignored, as the XDG base directories say.
    const std::string base = state && *state == '/' ? std::string(state) : home + "/.local/state";
    if (base == home + "/.local/state") {
        mkdir((home + "/.local").c_str(), 0700);
    }
    mkdir(base.c_str(), 0700);
    const std::string folder = base + "/vistametra";
    mkdir(folder.c_str(), 0700);
    return folder + "/";
}

std::string tempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp && *tmp ? tmp : "/tmp";
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    // TMPDIR=/ is the root itself, not "//".
    if (dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

}  // namespace vm

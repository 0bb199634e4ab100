#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <utility>
#include <vector>

#include "core/end_files.h"
#include "core/file_names.h"

namespace vm {
namespace {

std::atomic<bool> g_unnamedFiles{true};
std::atomic<bool> g_intoDevices{false};

// A long file's finished stretches are handed to the disk while the next ones are written, so the
// flush at the end finds little left to do.
constexpr unsigned long long kWritebackStretch = 8 * 1024 * 1024;

// Whether `folder` ("" for the current one) is this process's own table of descriptors:
// /proc/self/fd, /dev/fd, /proc/thread-self/fd, however spelt.
bool isDescriptorFolder(const std::string& folder) {
    struct stat st {};
    if (stat(folder.empty() ? "." : folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return false;
    }
    for (const char* own : {"/proc/self/fd", "/proc/thread-self/fd"}) {
        struct stat ownSt {};
        if (stat(own, &ownSt) == 0 && ownSt.st_dev == st.st_dev && ownSt.st_ino == st.st_ino) {
            return true;
        }
    }
    return false;
}

// The descriptor that `path` names as an entry of the process's own descriptor table
// ("/dev/fd/1", "/proc/self/fd/1"), or -1. What such an entry reads as a link is no path to
// follow: it names a pipe as "pipe:[1234]", and a file that the shell opened for appending as the
// file's name, which a replacement would empty of what was appended before.
int descriptorNamed(const std::string& path) {
    const std::string base = NameOfPath(path);
    if (base.empty() || base.size() > 9 ||
        base.find_first_not_of("0123456789") != std::string::npos ||
        !isDescriptorFolder(FolderOfPath(path))) {
        return -1;
    }
    return std::stoi(base);
}

// Whether the kernel's rule for links in shared folders forbids following the link `path`
// (lstat gave `link`): in a sticky folder that everyone may write, a link is followed only when
// its owner is the one who follows it or the folder's owner. Anyone may plant a link there, under
// a name that another user's program is about to write.
bool isForeignLinkInSharedFolder(const std::string& path, const struct stat& link) {
    const std::string folder = FolderOfPath(path);
    struct stat st {};
    if (stat(folder.empty() ? "." : folder.c_str(), &st) != 0) {
        return false;
    }
    const bool shared = (st.st_mode & S_ISVTX) != 0 && (st.st_mode & S_IWOTH) != 0;
    return shared && link.st_uid != geteuid() && link.st_uid != st.st_uid;
}

// How a name was found to end.
enum class Followed {
    Path,        // `path` is the file to replace (a dangling link gives the path it points to)
    Descriptor,  // `descriptor` is an open descriptor of the process that the name leads to
    Loop,        // too many links, or one that cannot be read (errno set)
    ForeignLink  // `path` is a link that another user planted in a shared folder
};

// Follows every symbolic link along the last component of `path`, stopping at an entry of the
// process's descriptor table and at a link that another user owns in a shared folder.
Followed followLinks(std::string& path, int& descriptor) {
    for (int hops = 0; hops < 40; ++hops) {
        descriptor = descriptorNamed(path);
        if (descriptor >= 0) {
            return Followed::Descriptor;
        }
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return Followed::Path;
        }
        if (isForeignLinkInSharedFolder(path, st)) {
            return Followed::ForeignLink;
        }
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4095) + 1);
        const ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
        if (n < 0) {
            return Followed::Loop;
        }
        const std::string link(buf.data(), static_cast<size_t>(n));
        path = (!link.empty() && link.front() == '/') ? link : FolderOfPath(path) + link;
    }
    errno = ELOOP;
    return Followed::Loop;
}

// The process's file-creation mask, read without changing it (umask(2) would change it for every
// thread for a moment).
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "Umask:") {
            unsigned mask = 022;
            status >> std::oct >> mask;
            return static_cast<mode_t>(mask & 0777);
        }
        status.ignore(1 << 16, '\n');
    }
    return 022;
}

std::string uniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    char text[32];
    std::snprintf(text, sizeof text, "%06x",
                  (static_cast<unsigned>(now.tv_nsec) ^
                   static_cast<unsigned>(getpid()) * 2654435761u ^ counter.fetch_add(1) * 40503u) &
                      0xffffffu);
    return text;
}

// A hidden name beside `target`: its folder, ".", as much of its name as the folder's longest name
// leaves room for, ".", `tail`. A target whose name is at the file system's limit still gets one;
// the name is shortened between characters of UTF-8, never inside one.
std::string hiddenSibling(const std::string& target, const std::string& tail) {
    const std::string folder = FolderOfPath(target);
    const long limit = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    const size_t longest = limit > 0 ? static_cast<size_t>(limit) : NAME_MAX;
    std::string base = NameOfPath(target);
    const size_t room = longest > tail.size() + 2 ? longest - tail.size() - 2 : 0;
    if (base.size() > room) {
        size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        base.resize(cut);
    }
    return folder + "." + base + "." + tail;
}

void syncFolder(const std::string& folder) {
    const int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
}

}  // namespace

AtomicFile::~AtomicFile() {
    Discard();
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept {
    *this = std::move(other);
}

AtomicFile& AtomicFile::operator=(AtomicFile&& other) noexcept {
    if (this != &other) {
        Discard();
        m_target = std::move(other.m_target);
        m_folder = std::move(other.m_folder);
        m_tempName = std::exchange(other.m_tempName, std::string());
        m_fd = std::exchange(other.m_fd, -1);
        m_direct = other.m_direct;
        m_descriptor = other.m_descriptor;
        m_failed = other.m_failed;
        m_failure = std::move(other.m_failure);
        m_error = std::move(other.m_error);
        m_write = std::move(other.m_write);
        m_options = other.m_options;
        m_written = other.m_written;
        m_started = other.m_started;
        m_closed = std::exchange(other.m_closed, false);
        m_closedDevice = other.m_closedDevice;
        m_closedInode = other.m_closedInode;
    }
    return *this;
}

void AtomicFile::UseUnnamedFiles(bool allowed) {
    g_unnamedFiles = allowed;
}

bool AtomicFile::UnnamedFilesUsed() {
    return g_unnamedFiles;
}

void AtomicFile::WriteIntoDevices(bool allowed) {
    g_intoDevices = allowed;
}

bool AtomicFile::fail(FileFailureKind kind, const std::string& file, int err) {
    m_failed = true;
    m_failure = {kind, err, file};
    m_error = EnglishFileFailure(m_failure);
    closeAndRemove();
    return false;
}

void AtomicFile::closeAndRemove() {
    m_closed = false;
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (!m_tempName.empty()) {
        unlink(m_tempName.c_str());
        KeepAtProcessEnd(m_tempName);
        m_tempName.clear();
    }
}

void AtomicFile::Discard() {
    closeAndRemove();
}

bool AtomicFile::Open(const std::string& target, const WriteFunction& write) {
    return Open(target, Options{}, write);
}

bool AtomicFile::Open(const std::string& target, const Options& options,
                      const WriteFunction& write) {
    Discard();
    m_failed = false;
    m_failure = {};
    m_error.clear();
    m_direct = false;
    m_descriptor = false;
    m_write = write;
    m_options = options;
    m_written = 0;
    m_started = 0;
    m_target = target;
    if (target.empty() || target.back() == '/') {
        return fail(FileFailureKind::Write, target, EISDIR);
    }
    if (target.find('\0') != std::string::npos) {
        // The system would cut the name at the NUL and write another file than the one asked for.
        return fail(FileFailureKind::NameHasNul, target, 0);
    }
    // A name that is not followed counts for what it is itself, a link included.
    const bool nameItself = options.replaceLinkItself || options.nameMadeByProgram;
    if (!nameItself) {
        int descriptor = -1;
        switch (followLinks(m_target, descriptor)) {
            case Followed::Path:
                break;
            case Followed::Descriptor:
                return openDescriptor(target, descriptor);
            case Followed::Loop:
                return fail(FileFailureKind::Write, target, errno);
            case Followed::ForeignLink:
                return fail(FileFailureKind::ForeignLink, m_target, 0);
        }
    }
    m_folder = FolderOfPath(m_target);

    struct stat st {};
    const int found = nameItself ? lstat(m_target.c_str(), &st) : stat(m_target.c_str(), &st);
    if (found == 0) {
        if (S_ISDIR(st.st_mode)) {
            return fail(FileFailureKind::Write, m_target, EISDIR);
        }
        // Replaced as it is: the installer's whole name, and a link at a name the program made.
        const bool replacedAsItIs = options.replaceLinkItself || S_ISLNK(st.st_mode);
        if (!S_ISREG(st.st_mode) && !replacedAsItIs && !g_intoDevices) {
            // Nothing is opened: opening a device may act on it, a FIFO may wait for a reader.
            m_failed = true;
            m_failure = {FileFailureKind::NotRegular, 0, m_target};
            m_error = EnglishFileFailure(m_failure);
            return false;
        }
        if (!S_ISREG(st.st_mode) && !replacedAsItIs) {
            // A device or a FIFO has no place to be replaced: written straight into. It is opened
            // without blocking, so a FIFO that nobody reads (or a socket) is refused at once
            // instead of waiting for ever for a reader; the writes then block as usual.
            m_fd =
                open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
            if (m_fd < 0) {
                const int err = errno;
                if (err == ENXIO || err == EOPNOTSUPP) {
                    return fail(S_ISFIFO(st.st_mode) ? FileFailureKind::NoReader
                                                     : FileFailureKind::NotRegular,
                                m_target, 0);
                }
                return fail(FileFailureKind::Write, m_target, err);
            }
            const int flags = fcntl(m_fd, F_GETFL);
            if (flags < 0 || fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK) < 0) {
                return fail(FileFailureKind::Write, m_target, errno);
            }
            m_direct = true;
            return true;
        }
        if (!replacedAsItIs && access(m_target.c_str(), W_OK) != 0) {
            return fail(FileFailureKind::Write, m_target, errno);
        }
    }

    const std::string folder = m_folder.empty() ? "." : m_folder;
    if (g_unnamedFiles) {
        m_fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (m_fd >= 0) {
            return true;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return fail(FileFailureKind::CreateInFolder, m_target, errno);
        }
    }
    // No unnamed files on this file system: a hidden named one beside the target.
    std::string name = hiddenSibling(m_target, "XXXXXX");
    m_fd = mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0) {
        return fail(FileFailureKind::CreateInFolder, m_target, errno);
    }
    m_tempName = name;
    // A signal that ends the writer takes the named file with it.
    RemoveAtProcessEnd(m_tempName);
    return true;
}

bool AtomicFile::openDescriptor(const std::string& name, int descriptor) {
    m_target = name;
    if (!g_intoDevices) {
        // A window's save keeps to regular files; what a descriptor holds is another's.
        m_failed = true;
        m_failure = {FileFailureKind::NotRegular, 0, m_target};
        m_error = EnglishFileFailure(m_failure);
        return false;
    }
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags < 0) {
        return fail(FileFailureKind::Write, m_target, errno);
    }
    if ((flags & O_ACCMODE) == O_RDONLY) {
        return fail(FileFailureKind::Write, m_target, EBADF);
    }
    // A copy of the descriptor shares its place in the file and its append mode.
    m_fd = fcntl(descriptor, F_DUPFD_CLOEXEC, 3);
    if (m_fd < 0) {
        return fail(FileFailureKind::Write, m_target, errno);
    }
    m_direct = true;
    m_descriptor = true;
    return true;
}

bool AtomicFile::Write(const void* data, size_t size) {
    if (m_failed || m_fd < 0) {
        if (!m_failed) {
            m_failed = true;
            m_failure = {FileFailureKind::NotOpen, 0, m_target};
            m_error = EnglishFileFailure(m_failure);
        }
        return false;
    }
    if (!m_direct && m_written - m_started >= kWritebackStretch) {
        sync_file_range(m_fd, static_cast<off_t>(m_started),
                        static_cast<off_t>(m_written - m_started), SYNC_FILE_RANGE_WRITE);
        m_started = m_written;
    }
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const long n = m_write ? m_write(m_fd, p, size) : static_cast<long>(::write(m_fd, p, size));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return fail(FileFailureKind::Write, m_target, errno);
        }
        if (n == 0) {
            return fail(FileFailureKind::Write, m_target, 0);
        }
        p += n;
        size -= static_cast<size_t>(n);
        m_written += static_cast<unsigned long long>(n);
    }
    return true;
}

std::string AtomicFile::ContentPath() const {
    if (m_fd < 0) {
        return "";
    }
    if (m_descriptor) {
        return "";
    }
    if (m_direct) {
        return m_target;
    }
    if (!m_tempName.empty()) {
        return m_tempName;
    }
    return "/proc/self/fd/" + std::to_string(m_fd);
}

bool AtomicFile::nameUnnamedFile() {
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    for (int attempt = 0; m_tempName.empty(); ++attempt) {
        const std::string name = HiddenSiblingName(m_target);
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            m_tempName = name;
            RemoveAtProcessEnd(m_tempName);
        } else if (errno != EEXIST || attempt > 100) {
            return fail(FileFailureKind::Write, m_target, errno);
        }
    }
    return true;
}

bool AtomicFile::CloseUntilCommit() {
    if (m_failed || m_closed || m_direct) {
        return !m_failed;
    }
    if (m_fd < 0) {
        m_failed = true;
        m_failure = {FileFailureKind::NotOpen, 0, m_target};
        m_error = EnglishFileFailure(m_failure);
        return false;
    }
    if (m_tempName.empty() && !nameUnnamedFile()) {
        return false;
    }
    // The disk starts on it now; Commit's flush then finds little left to do.
    sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    struct stat st {};
    if (fstat(m_fd, &st) != 0) {
        return fail(FileFailureKind::Write, m_target, errno);
    }
    if (close(std::exchange(m_fd, -1)) != 0) {
        return fail(FileFailureKind::Write, m_target, errno);
    }
    m_closed = true;
    m_closedDevice = st.st_dev;
    m_closedInode = st.st_ino;
    return true;
}

// The file that CloseUntilCommit closed, open again under its hidden name. Whatever else bears
// that name now is not taken for it, and is not removed either.
bool AtomicFile::reopenClosedFile() {
    m_closed = false;
    m_fd = open(m_tempName.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
    struct stat st {};
    if (m_fd >= 0 && fstat(m_fd, &st) == 0 && st.st_dev == m_closedDevice &&
        st.st_ino == m_closedInode && S_ISREG(st.st_mode)) {
        return true;
    }
    const int err = m_fd < 0 ? errno : ESTALE;
    KeepAtProcessEnd(m_tempName);
    m_tempName.clear();
    return fail(FileFailureKind::Write, m_target, err);
}

bool AtomicFile::Commit() {
    if (m_failed) {
        return false;
    }
    if (m_closed && !reopenClosedFile()) {
        return false;
    }
    if (m_fd < 0) {
        m_failed = true;
        m_failure = {FileFailureKind::NotOpen, 0, m_target};
        m_error = EnglishFileFailure(m_failure);
        return false;
    }
    if (m_direct) {
        const int fd = std::exchange(m_fd, -1);
        if (close(fd) != 0) {
            return fail(FileFailureKind::Write, m_target, errno);
        }
        return true;
    }

    struct stat earlier {};
    const bool replaceName = m_options.replaceLinkItself;
    // Whatever bears the name when it is replaced as it is; else the earlier regular file (at a
    // name the program made, only one that is no link).
    const bool exists = replaceName ? lstat(m_target.c_str(), &earlier) == 0
                        : m_options.nameMadeByProgram
                            ? lstat(m_target.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode)
                            : stat(m_target.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode);
    if (m_options.mode >= 0) {
        if (fchmod(m_fd, static_cast<mode_t>(m_options.mode) & 07777) != 0) {
            return fail(FileFailureKind::SetPermissions, m_target, errno);
        }
    } else if (exists && S_ISREG(earlier.st_mode)) {
        // Owner first: changing it clears the set-id bits that the mode then restores.
        if (geteuid() == 0) {
            if (fchown(m_fd, earlier.st_uid, earlier.st_gid) != 0) {
                return fail(FileFailureKind::KeepOwner, m_target, errno);
            }
        } else if (earlier.st_gid != getegid()) {
            [[maybe_unused]] const int kept = fchown(m_fd, static_cast<uid_t>(-1), earlier.st_gid);
        }
        if (fchmod(m_fd, earlier.st_mode & 07777) != 0) {
            return fail(FileFailureKind::KeepPermissions, m_target, errno);
        }
    } else if (fchmod(m_fd, 0666 & ~currentUmask()) != 0) {
        return fail(FileFailureKind::SetPermissions, m_target, errno);
    }
    if (fsync(m_fd) != 0) {
        return fail(FileFailureKind::Write, m_target, errno);
    }

    if (m_tempName.empty()) {
        // An unnamed file gets a name by linkat: the target's own when there is no file yet,
        // else a hidden one that is renamed over the target.
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
        if (!exists &&
            linkat(AT_FDCWD, self.c_str(), AT_FDCWD, m_target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            close(std::exchange(m_fd, -1));
            syncFolder(m_folder);
            return true;
        }
        if (!nameUnnamedFile()) {
            return false;
        }
    }
    if (close(std::exchange(m_fd, -1)) != 0) {
        return fail(FileFailureKind::Write, m_target, errno);
    }
    if (rename(m_tempName.c_str(), m_target.c_str()) != 0) {
        if ((errno == EPERM || errno == EACCES) && exists && !replaceName) {
            // A sticky folder lets only a file's owner replace it; the user may still write it.
            return commitInPlace();
        }
        return fail(FileFailureKind::Replace, m_target, errno);
    }
    // Forgotten only once renamed: a signal before that removes the hidden name, one after it
    // finds nothing under that name.
    KeepAtProcessEnd(m_tempName);
    m_tempName.clear();
    syncFolder(m_folder);
    return true;
}

bool AtomicFile::commitInPlace() {
    const int from = open(m_tempName.c_str(), O_RDONLY | O_CLOEXEC);
    // Never through a link that took the file's place since it was looked at.
    const int to = open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW);
    struct stat st {};
    const auto done = [&](bool ok, FileFailureKind kind, int err) {
        if (from >= 0) {
            close(from);
        }
        if (to >= 0) {
            close(to);
        }
        return ok ? (closeAndRemove(), true) : fail(kind, m_target, err);
    };
    if (from < 0 || to < 0 || fstat(from, &st) != 0) {
        return done(false, FileFailureKind::Replace, errno);
    }
    // The space is reserved before the first byte of the earlier file is overwritten.
    if (st.st_size > 0 && fallocate(to, FALLOC_FL_KEEP_SIZE, 0, st.st_size) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS) {
        return done(false, FileFailureKind::Write, errno);
    }
    char buf[65536];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = read(from, buf, sizeof buf);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return done(false, FileFailureKind::Write, errno);
        }
        if (n == 0) {
            break;
        }
        for (ssize_t put = 0; put < n;) {
            const ssize_t w = pwrite(to, buf + put, static_cast<size_t>(n - put), offset);
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w <= 0) {
                return done(false, FileFailureKind::Write, w < 0 ? errno : ENOSPC);
            }
            put += w;
            offset += w;
        }
    }
    if (ftruncate(to, offset) != 0 || fsync(to) != 0) {
        return done(false, FileFailureKind::Write, errno);
    }
    return done(true, FileFailureKind::None, 0);
}

std::string HiddenSiblingName(const std::string& target) {
    return hiddenSibling(target, uniqueSuffix());
}

bool WriteFileAtomically(const std::string& target, std::string_view bytes, FileFailure* failure,
                         const WriteFunction& write) {
    AtomicFile file;
    const bool ok = file.Open(target, write) && file.Write(bytes) && file.Commit();
    if (!ok && failure != nullptr) {
        *failure = file.Failure();
    }
    return ok;
}

bool WriteFileAtomically(const std::string& target, std::string_view bytes, std::string* error,
                         const WriteFunction& write) {
    AtomicFile file;
    const bool ok = file.Open(target, write) && file.Write(bytes) && file.Commit();
    if (!ok && error != nullptr) {
        *error = file.Error();
    }
    return ok;
}

}  // namespace vm

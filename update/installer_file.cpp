#include "update/installer_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "core/atomic_file.h"
#include "core/end_files.h"

namespace vm {

namespace {

constexpr std::uint64_t kWritebackStretch = 8 * 1024 * 1024;

// The folder part of `path` with its trailing "/", or "" for a bare name.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

InstallerFile::InstallerFile(std::string path) : m_path(std::move(path)) {}

InstallerFile::~InstallerFile() {
    Discard();
}

bool InstallerFile::Create() {
    Discard();
    // An unnamed file in the target's folder where the file system offers one: whatever ends the
    // program during the download, nothing is left behind.
    const std::string folder = FolderOf(m_path).empty() ? "." : FolderOf(m_path);
    int fd = AtomicFile::UnnamedFilesUsed()
                 ? open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644)
                 : (errno = EOPNOTSUPP, -1);
    std::string name;
    if (fd < 0) {
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            m_error = errno;
            return false;
        }
        // Else a hidden name of its own in the same folder, so that the rename stays on one file
        // system; mkostemp creates it exclusively (an existing file or link of that name is never
        // opened). A signal that ends the program removes it.
        name = FolderOf(m_path) + "." + NameOf(m_path) + ".XXXXXX";
        fd = mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) {
            m_error = errno;
            return false;
        }
        RemoveAtProcessEnd(name);
    }
    // Readable by everyone like any downloaded file; the run bit is the starter's business.
    fchmod(fd, 0644);
    m_fd = fd;
    m_written = 0;
    m_started = 0;
    m_temporary = std::move(name);
    m_error = 0;
    return true;
}

bool InstallerFile::NameUnnamedFile() {
    // The hidden name that Commit renames; the rename replaces a link at the target itself,
    // where a link made straight to the target's name could not replace an earlier installer.
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = HiddenSiblingName(m_path);
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            RemoveAtProcessEnd(name);
            m_temporary = name;
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    m_error = errno;
    return false;
}

bool InstallerFile::Write(const char* data, std::size_t size) {
    if (m_fd < 0) {
        m_error = EBADF;
        return false;
    }
    // The disk is set to work on each finished stretch while the next one arrives, so the flush
    // at the end finds little left to do.
    if (m_written - m_started >= kWritebackStretch) {
        sync_file_range(m_fd, static_cast<off_t>(m_started),
                        static_cast<off_t>(m_written - m_started), SYNC_FILE_RANGE_WRITE);
        m_started = m_written;
    }
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = write(m_fd, data + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = n < 0 ? errno : ENOSPC;
            return false;
        }
        written += static_cast<std::size_t>(n);
        m_written += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool InstallerFile::Close() {
    if (m_fd < 0) {
        m_error = EBADF;
        return false;
    }
    // On the disk before it may be started, and close reports write errors that surfaced late (a
    // full disk on some file systems).
    if (fdatasync(m_fd) != 0) {
        m_error = errno;
        Discard();
        return false;
    }
    if (m_temporary.empty() && !NameUnnamedFile()) {
        Discard();
        return false;
    }
    if (close(std::exchange(m_fd, -1)) != 0) {
        m_error = errno;
        Discard();
        return false;
    }
    return true;
}

bool InstallerFile::Commit() {
    if (m_fd >= 0 && !Close())
        return false;
    if (m_temporary.empty()) {
        m_error = ENOENT;
        return false;
    }
    if (std::rename(m_temporary.c_str(), m_path.c_str()) != 0) {
        m_error = errno;
        Discard();
        return false;
    }
    KeepAtProcessEnd(m_temporary);
    m_temporary.clear();
    return true;
}

void InstallerFile::Discard() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        unlink(m_temporary.c_str());
        KeepAtProcessEnd(m_temporary);
        m_temporary.clear();
    }
}

}  // namespace vm

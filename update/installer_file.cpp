#include "update/installer_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

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
    // A hidden name of its own in the same folder, so that the rename stays on one file system;
    // mkostemp creates it exclusively (an existing file or link of that name is never opened).
    std::string name = FolderOf(m_path) + "." + NameOf(m_path) + ".XXXXXX";
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        m_error = errno;
        return false;
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
        m_temporary.clear();
    }
}

}  // namespace vm

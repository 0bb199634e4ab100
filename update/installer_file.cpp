#include "update/installer_file.h"

#include <cerrno>

namespace vm {

bool InstallerFile::Create() {
    AtomicFile::Options options;
    options.replaceLinkItself = true;
    // Readable by everyone like any downloaded file; the run bit is the starter's business.
    options.mode = 0644;
    return m_file.Open(m_path, options);
}

int InstallerFile::Error() const {
    const FileFailure& f = m_file.Failure();
    if (f.kind == FileFailureKind::NotOpen) {
        return EBADF;
    }
    // A write that took nothing found no room.
    return f.kind == FileFailureKind::Write && f.err == 0 ? ENOSPC : f.err;
}

}  // namespace vm

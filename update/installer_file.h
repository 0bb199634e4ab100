#pragma once
// The installer's file, written into an unnamed file in its folder (else one under a hidden name)
// and given its real name only once it is complete: a half download never bears the installer's
// name, and a name that is a symbolic link is replaced, never written through.

#include <cstddef>
#include <cstdint>
#include <string>

#include "update/byte_sink.h"

namespace vm {

class InstallerFile final : public ByteSink {
public:
    // `path`: the name the file gets when it is complete. Nothing is created yet.
    explicit InstallerFile(std::string path);
    // Removes the temporary file unless Commit succeeded.
    ~InstallerFile() override;
    InstallerFile(const InstallerFile&) = delete;
    InstallerFile& operator=(const InstallerFile&) = delete;

    // Creates a new, empty temporary file in `path`'s folder (never opening an existing file or a
    // link): unnamed where the file system offers it, else under a hidden name that a signal
    // ending the program removes. False, with Error(), when it cannot be created.
    bool Create();
    // Appends every byte; false, with Error() (ENOSPC for a write that took nothing), when they
    // could not all be written.
    bool Write(const char* data, std::size_t size) override;
    // Flushes the temporary file to the disk, gives an unnamed one its hidden name and closes it
    // (done by Commit when not done before).
    // False, with Error(), when the system reports a failure; the temporary file is then removed.
    bool Close();
    // Closes the file and renames it to `path`, replacing whatever bore that name (a link itself,
    // not its target). False, with Error(), when closing or renaming failed; the temporary file is
    // then removed.
    bool Commit();
    // Closes and removes the temporary file; the file at `path` stays as it was.
    void Discard();

    int Error() const override { return m_error; }
    const std::string& Path() const { return m_path; }
    // The temporary file's path; "" before Create, and for an unnamed file before Close.
    const std::string& TemporaryPath() const { return m_temporary; }

private:
    bool NameUnnamedFile();

    std::string m_path;
    std::string m_temporary;
    int m_fd = -1;
    int m_error = 0;
    std::uint64_t m_written = 0;  // bytes written so far
    std::uint64_t m_started = 0;  // bytes the disk has been told to write back
};

}  // namespace vm

#pragma once
// The installer's file: an AtomicFile that replaces the name itself (a symbolic link there is
// replaced, never written through) and is readable by everyone (0644), fed by the download as a
// byte sink. It is written into an unnamed file in its folder (else one under a hidden name that a
// signal ending the program removes) and given its real name only once it is complete: a half
// download never bears the installer's name.

#include <cstddef>
#include <string>

#include "core/atomic_file.h"
#include "update/byte_sink.h"

namespace vm {

class InstallerFile final : public ByteSink {
public:
    // `path`: the name the file gets when it is complete. Nothing is created yet.
    explicit InstallerFile(std::string path) : m_path(std::move(path)) {}

    // Creates the new, empty file beside `path`. False, with Error(), when it cannot be created
    // (no folder, a folder of that name).
    bool Create();
    // Appends every byte; false, with Error() (ENOSPC for a write that took nothing), when they
    // could not all be written.
    bool Write(const char* data, std::size_t size) override { return m_file.Write(data, size); }
    // Flushes the file to the disk and gives it `path`'s place, replacing whatever bore that name.
    // False, with Error() and Failure(), when that fails; the new file is then removed.
    bool Commit() { return m_file.Commit(); }
    // Removes the new file; the file at `path` stays as it was. Also done when destroyed
    // uncommitted.
    void Discard() { m_file.Discard(); }

    int Error() const override;
    const FileFailure& Failure() const { return m_file.Failure(); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    AtomicFile m_file;
};

}  // namespace vm

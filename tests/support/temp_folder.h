#pragma once
// A folder of its own under the system's temporary folder, for one test; it goes, with all it
// holds, when the object goes:
//   TempFolder folder("vm-atomic-Área");   // e.g. /tmp/vm-atomic-Área-k3X9aZ
//   std::ofstream(folder.path() + "/Sala de Reunião.qtv") << "...";

#include <string>
#include <string_view>

namespace vm::test {

class TempFolder {
public:
    // Makes <temporary folder>/<prefix>-XXXXXX (the X replaced to make a new name); throws
    // std::runtime_error when it cannot.
    explicit TempFolder(std::string_view prefix);
    // Removes the folder, giving its owner back the rights a test may have taken away.
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's full name, without a separator at its end.
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace vm::test

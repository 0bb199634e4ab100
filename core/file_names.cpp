#include "core/file_names.h"

#include "core/win1252.h"

namespace vm {

std::string FileNameFromText(std::string_view win1252) {
    return win1252ToUtf8(win1252);
}

std::string TextFromFileName(std::string_view path) {
    return utf8ToWin1252(path);
}

std::string FolderOfPath(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOfPath(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace vm

#include "core/whole_file.h"

#include <fstream>
#include <sstream>

namespace vm {

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace vm

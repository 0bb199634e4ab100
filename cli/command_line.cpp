#include "cli/command_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "core/program_values.h"

namespace vm {
namespace {

constexpr int kNarrowest = 40;

// One line (no line end) broken into pieces of at most `width` columns.
void wrapLine(const std::string& line, int width, std::string& out) {
    const size_t indent = std::min(line.find_first_not_of(' '), line.size());
    const std::string prefix(indent, ' ');
    std::string current = line.substr(0, indent);
    bool empty = true;  // no word on the current line yet
    std::istringstream words(line.substr(indent));
    std::string word;
    while (words >> word) {
        const size_t needed = current.size() + (empty ? 0 : 1) + word.size();
        if (!empty && needed > static_cast<size_t>(width)) {
            out += current + "\n";
            current = prefix;
            empty = true;
        }
        current += (empty ? "" : " ") + word;
        empty = false;
    }
    out += current;
}

class Wrapping final : public CLI::Formatter {
public:
    explicit Wrapping(int width) : m_width(width) {}

    // The help begins with "Usage:", as a Unix program's help does; the description follows.
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        const std::string full = CLI::Formatter::make_help(app, name, mode);
        const std::string head = make_description(app) + make_usage(app, name);
        if (mode != CLI::AppFormatMode::Normal || full.rfind(head, 0) != 0) {
            return full;
        }
        std::string usage = make_usage(app, name);
        while (!usage.empty() && usage.front() == '\n') {
            usage.erase(0, 1);
        }
        std::string rest = full.substr(head.size());
        rest.erase(0, std::min(rest.find_first_not_of('\n'), rest.size()));
        std::string description = make_description(app);
        while (!description.empty() && description.back() == '\n') {
            description.pop_back();
        }
        return usage + "\n" + description + "\n\n" + rest;
    }
    std::string make_description(const CLI::App* app) const override {
        return WrapText(CLI::Formatter::make_description(app), m_width);
    }
    std::string make_footer(const CLI::App* app) const override {
        return WrapText(CLI::Formatter::make_footer(app), m_width);
    }
    // The option's description sits right of the names' column; CLI11 indents its new lines.
    std::string make_option_desc(const CLI::Option* opt) const override {
        const int room = std::max(20, m_width - static_cast<int>(get_column_width()));
        return WrapText(CLI::Formatter::make_option_desc(opt), room);
    }

private:
    int m_width;
};

}  // namespace

std::string VersionLine(const std::string& program) {
    return program + " " + kVersaoPrograma;
}

int HelpColumns() {
    int columns = 0;
    winsize size{};
    if (isatty(STDOUT_FILENO) && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0) {
        columns = size.ws_col;
    }
    if (columns <= 0) {
        if (const char* env = std::getenv("COLUMNS")) {
            columns = std::atoi(env);
        }
    }
    if (columns <= 0) {
        columns = 80;
    }
    return std::max(columns, kNarrowest);
}

std::string WrapText(const std::string& text, int width) {
    std::string out;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find('\n', start);
        const std::string line =
            text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (static_cast<int>(line.size()) <= width) {
            out += line;
        } else {
            wrapLine(line, width, out);
        }
        if (end == std::string::npos) {
            break;
        }
        out += "\n";
        start = end + 1;
    }
    return out;
}

std::shared_ptr<CLI::Formatter> WrappingFormatter(int width) {
    return std::make_shared<Wrapping>(width);
}

}  // namespace vm

#include "runtime/html_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "core/platform_paths.h"
#include "core/win1252.h"
#include "runtime/process.h"

namespace vm {

namespace {

const char* const kStyle =
    "<style> body{ font-family: sans-serif;background-color: #ffffff;font-size: 75%;color: "
    "#000000;}h1{font-family: sans-serif;font-size: 150%;color: #0000cc;font-weight: "
    "bold;background-color: #f0f0f0;}.updated{font-family: sans-serif;color: #cc0000;font-size: "
    "110%;}.normaltext{font-family: sans-serif;font-size: 100%;color: #000000;font-weight: "
    "normal;text-transform: none;text-decoration: none;}</style>";

struct LogSettings {
    std::string name;
    bool on = true;
    std::string formLayerVersion = "Vistametra Forms 1.05";
};

// Errors before start-up has named the log go to the name it gives early in start-up.
std::string initialLogName() {
    return "Vistametra.htm";
}

// Where the log named `name` (Windows-1252) is: a relative name is taken in the log folder, the
// current folder unless that or the program is in a system folder.
std::string logPath(const std::string& name) {
    const std::string path = win1252ToUtf8(name);
    return !path.empty() && path.front() == '/' ? path : logFolder() + path;
}

LogSettings& settings() {
    static LogSettings s{initialLogName()};
    return s;
}

void writeAll(int fd, std::string_view text) {
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

bool canWrite(int handle) {
    return handle > 0 && settings().on;
}

std::string withoutTrailingBlanks(std::string line) {
    size_t end = line.find_last_not_of(' ');
    line.erase(end == std::string::npos ? 0 : end + 1);
    return line;
}

}  // namespace

void SetErrorLogFile(const std::string& name) {
    settings().name = name.empty() ? initialLogName() : name;
}

std::string ErrorLogFile() {
    return settings().name;
}

void SetErrorLogOn(bool on) {
    settings().on = on;
}

bool ErrorLogOn() {
    return settings().on;
}

void SetFormLayerVersionText(std::string text) {
    settings().formLayerVersion = std::move(text);
}

std::string FormLayerVersionText() {
    return settings().formLayerVersion;
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

int HTML_ErrorLog() {
    if (!settings().on) {
        return -1;
    }
    const std::string name = settings().name;
    const std::string path = logPath(name);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        int handle = HTML_Ini(name, kErrorLogTitle);
        if (handle > 0) {
            HTML_Line(handle);
        }
        return handle;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    if (::lseek(fd, 0, SEEK_END) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int HTML_Ini(const std::string& file, const std::string& title) {
    if (!settings().on) {
        return -1;
    }
    const std::string path = logPath(file);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        ShowErrorBox("Can`t open errorlog file " + file, "Error");
        return -1;
    }
    const std::string escapedTitle = HtmlEscape(title);
    writeAll(fd, "<HTML><HEAD><TITLE>" + escapedTitle + "</TITLE></HEAD>" + kStyle + "<BODY>\r\n");
    writeAll(fd, "<H1 Align=Center>" + escapedTitle + "<br>" +
                     HtmlEscape(settings().formLayerVersion) + "</H1><BR>\r\n");
    return fd;
}

void HTML_LineText(int handle, std::string_view text) {
    HTML_MarkupLine(handle, "", text, "");
}

void HTML_MarkupLine(int handle, std::string_view openTag, std::string_view text,
                     std::string_view closeTag) {
    if (!canWrite(handle)) {
        return;
    }
    std::string line(openTag);
    line += HtmlEscape(text);
    line += closeTag;
    writeAll(handle, withoutTrailingBlanks(std::move(line)) + "<BR>\r\n");
}

void HTML_Line(int handle) {
    if (canWrite(handle)) {
        writeAll(handle, "<HR>\r\n");
    }
}

void HTML_End(int handle) {
    if (handle <= 0) {
        return;
    }
    if (settings().on) {
        writeAll(handle, "</BODY></HTML>");
    }
    ::close(handle);
}

}  // namespace vm

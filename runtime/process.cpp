#include "runtime/process.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace vm {

namespace {

std::function<void(int)>& endHandler() {
    static std::function<void(int)> handler;
    return handler;
}

std::function<void(const std::string&, const std::string&)>& boxHandler() {
    static std::function<void(const std::string&, const std::string&)> handler;
    return handler;
}

void writeAll(int fd, const std::string& text) {
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n <= 0) {
            return;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

}  // namespace

void EndProcess(int exitCode) {
    RemoveFilesAtProcessEnd();
    if (endHandler()) {
        endHandler()(exitCode);
        return;
    }
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

void EndProcessNoReturn(int exitCode) {
    EndProcess(exitCode);
    throw ProcessEnded{exitCode};
}

void SetEndProcessHandler(std::function<void(int)> handler) {
    endHandler() = std::move(handler);
}

void ShowErrorBox(const std::string& text, const std::string& title) {
    if (boxHandler()) {
        boxHandler()(text, title);
        return;
    }
    // Plain write(2): this also runs inside the fatal-signal handler.
    writeAll(2, title + "\n" + text + "\n");
}

void SetErrorBoxHandler(
    std::function<void(const std::string& text, const std::string& title)> handler) {
    boxHandler() = std::move(handler);
}

}  // namespace vm

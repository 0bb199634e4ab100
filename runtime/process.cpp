#include "runtime/process.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// The files to remove at the end, in fixed storage: a signal handler reads it without locks or
// allocation. A slot is used when its flag is set, which happens only after its name is complete.
constexpr size_t kEndFileSlots = 64;
constexpr size_t kEndFileNameBytes = 1024;
struct EndFileSlot {
    std::atomic<bool> used{false};
    char name[kEndFileNameBytes] = {};
};
EndFileSlot g_endFiles[kEndFileSlots];

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

bool RemoveAtProcessEnd(const std::string& path) {
    if (path.empty() || path.size() >= kEndFileNameBytes) {
        return false;
    }
    for (EndFileSlot& slot : g_endFiles) {
        if (slot.used.load(std::memory_order_acquire) && path == slot.name) {
            return true;
        }
    }
    for (EndFileSlot& slot : g_endFiles) {
        if (!slot.used.load(std::memory_order_acquire)) {
            std::memcpy(slot.name, path.c_str(), path.size() + 1);
            slot.used.store(true, std::memory_order_release);
            return true;
        }
    }
    return false;
}

void KeepAtProcessEnd(const std::string& path) {
    for (EndFileSlot& slot : g_endFiles) {
        if (slot.used.load(std::memory_order_acquire) && path == slot.name) {
            slot.used.store(false, std::memory_order_release);
        }
    }
}

void RemoveFilesAtProcessEnd() {
    for (EndFileSlot& slot : g_endFiles) {
        if (slot.used.load(std::memory_order_acquire)) {
            ::unlink(slot.name);
            slot.used.store(false, std::memory_order_release);
        }
    }
}

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

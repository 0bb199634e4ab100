#include "core/end_files.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace vm {
namespace {

// A slot is free, being filled or emptied by one thread, or holds a complete name.
enum SlotState : int { kFree, kBusy, kUsed };

constexpr size_t kSlots = 256;
constexpr size_t kNameBytes = 1024;
struct Slot {
    std::atomic<int> state{kFree};
    pid_t owner = 0;  // the process that named it: a forked child leaves its parent's files alone
    char name[kNameBytes] = {};
};
Slot g_slots[kSlots];

bool claim(Slot& slot, int from) {
    int expected = from;
    return slot.state.compare_exchange_strong(expected, kBusy, std::memory_order_acquire);
}

// While files take their places as one set (EndSignalsHeld), an end signal waits for the set.
std::atomic<int> g_held{0};
std::atomic<int> g_pending{0};

void installEndHandler(int signal);

void onEndSignal(int signal) {
    const int savedErrno = errno;
    if (g_held.load(std::memory_order_acquire) > 0) {
        // Noted for the end of the set, with the handler (reset by this delivery) put back
        // first, so that the set's end, and a second signal, find it.
        installEndHandler(signal);
        g_pending.store(signal, std::memory_order_release);
        if (g_held.load(std::memory_order_acquire) > 0 ||
            g_pending.exchange(0, std::memory_order_acq_rel) == 0) {
            errno = savedErrno;
            return;  // the set's end raises it
        }
        // The set ended (on another thread) while the signal was noted: it ends the process now.
    }
    RemoveFilesAtProcessEnd();
    errno = savedErrno;
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    sigaction(signal, &byDefault, nullptr);
    raise(signal);  // the default action ends the process
}

std::atomic<int> g_readerLeftCode{1};

void onReaderLeft(int) {
    RemoveFilesAtProcessEnd();
    _exit(g_readerLeftCode.load());
}

void installEndHandler(int signal) {
    struct sigaction ending {};
    ending.sa_handler = onEndSignal;
    ending.sa_flags = SA_RESETHAND;
    sigemptyset(&ending.sa_mask);
    sigaction(signal, &ending, nullptr);
}

}  // namespace

bool RemoveAtProcessEnd(const std::string& path) {
    if (path.empty() || path.size() >= kNameBytes || path.find('\0') != std::string::npos) {
        return false;
    }
    for (Slot& slot : g_slots) {
        if (slot.state.load(std::memory_order_acquire) == kUsed && slot.owner == getpid() &&
            path == slot.name) {
            return true;
        }
    }
    for (Slot& slot : g_slots) {
        if (claim(slot, kFree)) {
            std::memcpy(slot.name, path.c_str(), path.size() + 1);
            slot.owner = getpid();
            slot.state.store(kUsed, std::memory_order_release);
            return true;
        }
    }
    return false;
}

void KeepAtProcessEnd(const std::string& path) {
    for (Slot& slot : g_slots) {
        if (slot.state.load(std::memory_order_acquire) == kUsed && path == slot.name &&
            claim(slot, kUsed)) {
            // Another thread may have put another name here between the check and the claim.
            const bool same = path == slot.name;
            slot.state.store(same ? kFree : kUsed, std::memory_order_release);
        }
    }
}

void RemoveFilesAtProcessEnd() {
    const pid_t self = getpid();
    bool folders = false;
    for (Slot& slot : g_slots) {
        if (slot.state.load(std::memory_order_acquire) != kUsed || slot.owner != self) {
            continue;
        }
        if (::unlink(slot.name) != 0 && (errno == EISDIR || errno == EPERM)) {
            folders = true;  // a folder: removed once the files in it are gone
            continue;
        }
        int used = kUsed;
        slot.state.compare_exchange_strong(used, kFree, std::memory_order_acq_rel);
    }
    if (!folders) {
        return;
    }
    for (Slot& slot : g_slots) {
        int used = kUsed;
        if (slot.state.load(std::memory_order_acquire) == kUsed && slot.owner == self) {
            ::rmdir(slot.name);
            slot.state.compare_exchange_strong(used, kFree, std::memory_order_acq_rel);
        }
    }
}

void RemoveFilesOnEndSignals() {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        installEndHandler(signal);
    }
}

void EndQuietlyWhenReaderLeaves(int exitCode) {
    g_readerLeftCode = exitCode;
    struct sigaction leaving {};
    leaving.sa_handler = onReaderLeft;
    sigemptyset(&leaving.sa_mask);
    sigaction(SIGPIPE, &leaving, nullptr);
}

EndSignalsHeld::EndSignalsHeld() {
    g_held.fetch_add(1, std::memory_order_acq_rel);
}

bool EndSignalWaiting() {
    return g_pending.load(std::memory_order_acquire) != 0;
}

EndSignalsHeld::~EndSignalsHeld() {
    if (g_held.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        if (const int signal = g_pending.exchange(0, std::memory_order_acq_rel)) {
            raise(signal);  // the handler, put back, now ends the process
        }
    }
}

}  // namespace vm

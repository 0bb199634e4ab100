#pragma once
// Output targets that are not regular files, for the tests that point a writer at them: a FIFO
// nobody reads, a bound local socket, and a watchdog that keeps a writer blocked in open(2) on a
// FIFO from hanging the test.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vm::test {

// Makes a FIFO at `path` (nobody reads it); false when it cannot be made.
bool MakeFifo(const std::string& path);

// An AF_UNIX stream socket bound at `path` (not listening); closed and removed with the object.
class BoundSocket {
public:
    explicit BoundSocket(const std::string& path);
    ~BoundSocket();
    BoundSocket(const BoundSocket&) = delete;
    BoundSocket& operator=(const BoundSocket&) = delete;
    bool Bound() const { return m_bound; }

private:
    std::string m_path;
    int m_fd = -1;
    bool m_bound = false;
};

// The three kinds of target that are not regular files.
enum class OddTarget { Fifo, Socket, Device };
inline constexpr OddTarget kOddTargets[] = {OddTarget::Fifo, OddTarget::Socket, OddTarget::Device};

// "FIFO", "socket" or "device", for a test's trace.
const char* OddTargetName(OddTarget kind);

// Makes `path` a target of that kind: a FIFO nobody reads, a socket bound there (which lives as
// long as `socket`), or a link to `device`. False when it cannot be made.
bool MakeOddTarget(OddTarget kind, const std::string& path, std::optional<BoundSocket>& socket,
                   const std::string& device);

// Watches over a step that might wait for ever in open(2) on a FIFO: unless released within
// `seconds`, it opens every FIFO of `fifos` for reading (so a writer that waits for a reader goes
// on) and reads whatever comes until released. Fired() says whether it had to. A step still not
// released 20 seconds later is blocked elsewhere: the test program is then ended with a message.
class FifoWatchdog {
public:
    FifoWatchdog(std::vector<std::string> fifos, int seconds);
    ~FifoWatchdog();  // releases
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;
    void Release();
    bool Fired() const { return m_fired; }

private:
    std::vector<std::string> m_fifos;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_released = false;
    std::atomic<bool> m_fired{false};
    std::thread m_thread;
};

}  // namespace vm::test

#include "tests/support/odd_targets.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace vm::test {

bool MakeFifo(const std::string& path) {
    return mkfifo(path.c_str(), 0600) == 0;
}

BoundSocket::BoundSocket(const std::string& path) : m_path(path) {
    m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (m_fd >= 0 && path.size() < sizeof address.sun_path) {
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        m_bound = bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
}

BoundSocket::~BoundSocket() {
    if (m_fd >= 0) {
        close(m_fd);
    }
    if (m_bound) {
        unlink(m_path.c_str());
    }
}

FifoWatchdog::FifoWatchdog(std::vector<std::string> fifos, int seconds)
    : m_fifos(std::move(fifos)) {
    m_thread = std::thread([this, seconds] {
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_released; })) {
            return;
        }
        m_fired = true;
        std::vector<int> readers;
        for (const std::string& fifo : m_fifos) {
            const int fd = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                readers.push_back(fd);
            }
        }
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!m_released) {
            if (std::chrono::steady_clock::now() > giveUp) {
                // Blocked elsewhere than in open(2): end the test program rather than hang.
                std::fprintf(stderr, "the step watched over is still blocked: giving up\n");
                std::abort();
            }
            char buf[65536];
            for (const int fd : readers) {
                while (read(fd, buf, sizeof buf) > 0) {
                }
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(10));
        }
        for (const int fd : readers) {
            close(fd);
        }
    });
}

void FifoWatchdog::Release() {
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

FifoWatchdog::~FifoWatchdog() {
    Release();
}

const char* OddTargetName(OddTarget kind) {
    return kind == OddTarget::Fifo ? "FIFO" : kind == OddTarget::Socket ? "socket" : "device";
}

bool MakeOddTarget(OddTarget kind, const std::string& path, std::optional<BoundSocket>& socket,
                   const std::string& device) {
    if (kind == OddTarget::Fifo) {
        return MakeFifo(path);
    }
    if (kind == OddTarget::Socket) {
        socket.emplace(path);
        return socket->Bound();
    }
    return symlink(device.c_str(), path.c_str()) == 0;
}

}  // namespace vm::test

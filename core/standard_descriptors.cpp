#include "core/standard_descriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace vm {
namespace {

std::atomic<unsigned> g_closed{0};  // bit n: descriptor n was closed

}  // namespace

void OpenClosedStandardDescriptors() {
    unsigned closed = 0;
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) {
            continue;
        }
        closed |= 1u << fd;
        // The lowest free number is this one: every lower one is open by now.
        const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
    g_closed = closed;
}

bool StandardDescriptorWasClosed(int fd) {
    return fd >= 0 && fd <= 2 && (g_closed.load() & (1u << fd)) != 0;
}

}  // namespace vm

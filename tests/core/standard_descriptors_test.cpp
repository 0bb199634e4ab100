// Standard descriptors that a program was started without.
#include "core/standard_descriptors.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vm {
namespace {

// In a child: 0 and 2 closed, 1 open. Afterwards 0 reads /dev/null's end at once, 2 takes
// writes, 1 is the same file as before, and the next file opened gets a number above 2.
TEST(StandardDescriptors, ClosedOnesAreOpenedOnDevNullAndNoted) {
    const pid_t child = fork();
    if (child == 0) {
        const int out = dup(1);
        close(0);
        close(2);
        OpenClosedStandardDescriptors();
        char byte = 0;
        const bool inputEnds = read(0, &byte, 1) == 0;
        const bool errorTakes = write(2, "x", 1) == 1;
        const int next = open("/dev/null", O_RDONLY);
        struct stat before {
        }, after{};
        const bool outKept =
            fstat(out, &before) == 0 && fstat(1, &after) == 0 && before.st_ino == after.st_ino;
        const bool noted = StandardDescriptorWasClosed(0) && !StandardDescriptorWasClosed(1) &&
                           StandardDescriptorWasClosed(2) && !StandardDescriptorWasClosed(3);
        _exit(inputEnds && errorTakes && next > 2 && outKept && noted ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace vm

// The single-instance lock on real files: a running holder keeps it, and the lock files that
// killed copies of the program left are removed at the next start.
#include "core/single_instance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

void makeSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
}

TEST(SingleInstance, StartRemovesOnlyTheLocksThatNoRunningProgramHolds) {
    test::TempFolder run("vm-lock");
    setenv("XDG_RUNTIME_DIR", run.path().c_str(), 1);
    const std::string at = run.path() + "/";
    const std::string program = "/opt/Área/vistametra";
    ASSERT_TRUE(acquireInstanceLock(program));
    const std::string own = instanceLockFile(program);
    EXPECT_EQ(own, at + "_opt_Área_vistametra");

    // A second start of the same file finds it held.
    const pid_t second = fork();
    if (second == 0) {
        _exit(acquireInstanceLock(program) ? 1 : 0);
    }
    int status = -1;
    waitpid(second, &status, 0);
    EXPECT_EQ(status, 0) << "a second start took the held lock";

    // Copies in other folders: one killed outright (its lock free, its socket left), one running.
    std::ofstream(at + "_tmp_tmp.x1_copy_vistametra");
    makeSocket(at + "_tmp_tmp.x1_copy_vistametra.socket");
    std::ofstream(at + "_tmp_tmp.x2_bin_vistametra");
    const int held = open((at + "_tmp_tmp.x2_bin_vistametra").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    makeSocket(at + "_tmp_tmp.x2_bin_vistametra.socket");
    // A socket whose program removed its lock as it ended; other programs' and other files.
    makeSocket(at + "_tmp_tmp.x3_prog_vistametra.socket");
    std::ofstream(at + "_usr_bin_outroprograma");
    std::ofstream(at + "notas_vistametra");

    EXPECT_EQ(RemoveLeftInstanceLocks(program), 2);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(run.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"_opt_Área_vistametra", "_tmp_tmp.x2_bin_vistametra",
                                              "_tmp_tmp.x2_bin_vistametra.socket",
                                              "_usr_bin_outroprograma", "notas_vistametra"}));
    close(held);
    unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace vm

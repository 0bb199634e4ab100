// Starting the installer for real: a script in a temporary folder stands for the installer, and
// another for the desktop's opener.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTest>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/whole_file.h"
#include "update/update_installer.h"
#include "update_test_support.h"

namespace {

class LaunchInstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path().string();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vm_launch_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        std::filesystem::current_path(m_folder);
    }
    void TearDown() override {
        std::filesystem::current_path(m_previous);
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }

    std::string Write(const std::string& name, const std::string& content, mode_t mode) {
        const std::string path = m_folder + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        chmod(path.c_str(), mode);
        return path;
    }

    // Waits for a file that a started program writes, and returns its content.
    std::string Await(const std::string& name) {
        const std::string path = m_folder + "/" + name;
        // The program writes to a temporary name and renames it, so a file seen is complete.
        if (!QTest::qWaitFor([&] { return std::filesystem::exists(path); }, 10'000)) {
            return "(never written)";
        }
        return vm::ReadWholeFile(path);
    }

    std::string m_folder;
    std::string m_previous;
};

TEST_F(LaunchInstallerTest, ScriptGetsItsRunBitAndStartsInTheCurrentFolder) {
    const std::string installer = Write("Update.exe",
                                        "#!/bin/sh\n"
                                        "pwd > started.tmp; echo \"$0\" >> started.tmp\n"
                                        "mv started.tmp started.txt\n",
                                        0644);
    ASSERT_TRUE(vm::LaunchInstaller(installer, m_folder + "/no-opener"));
    EXPECT_EQ(Await("started.txt"), m_folder + "\n" + installer + "\n");
    struct stat info {};
    ASSERT_EQ(stat(installer.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u) << "run bit wherever the file can be read";
}

TEST_F(LaunchInstallerTest, FileTheSystemCannotRunGoesToTheOpener) {
    // A Windows installer: no format this system runs.
    const std::string installer = Write("Update.exe", "MZ\x90\x00 not a program here", 0600);
    const std::string opener = Write("opener.sh",
                                     "#!/bin/sh\n"
                                     "echo \"$1\" > opened.tmp; mv opened.tmp opened.txt\n",
                                     0755);
    ASSERT_TRUE(vm::LaunchInstaller(installer, opener));
    EXPECT_EQ(Await("opened.txt"), installer + "\n");
}

TEST_F(LaunchInstallerTest, WithoutAnOpenerNothingStarts) {
    const std::string installer = Write("Update.exe", "plain text, no program", 0644);
    EXPECT_FALSE(vm::LaunchInstaller(installer, m_folder + "/no-opener"));
    EXPECT_FALSE(vm::LaunchInstaller(m_folder + "/missing.exe", "vm-no-such-opener-anywhere"));
}

}  // namespace

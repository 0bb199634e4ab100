// Files read whole: exact bytes from a real file under an accented folder, system files whose size
// the file system does not know, and what cannot be read.
#include "core/whole_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vm {
namespace {

namespace fs = std::filesystem;

class WholeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vm-whole-file-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = fs::path(pattern) / "Área de Trabalho";
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder.parent_path()); }

    fs::path m_folder;
};

TEST_F(WholeFileTest, GivesTheBytesAsStored) {
    // Line ends of both kinds, a zero byte, bytes that are not UTF-8, the old end-of-file mark,
    // and more than any one read takes.
    const char head[] = "Sala de Reuni\xe3o\r\nlinha\n\0\xff\x1a";
    std::string bytes(head, sizeof head - 1);
    for (int i = 0; bytes.size() < 300'000; ++i) {
        bytes += static_cast<char>(i * 7);
    }
    const fs::path path = m_folder / "Sala de Reunião.qtv";
    std::ofstream(path, std::ios::binary) << bytes;
    EXPECT_TRUE(ReadWholeFile(path.string()) == bytes);

    std::ofstream(m_folder / "vazio", std::ios::binary).flush();
    EXPECT_EQ(ReadWholeFile((m_folder / "vazio").string()), "");
}

TEST_F(WholeFileTest, WhatCannotBeReadIsEmpty) {
    EXPECT_EQ(ReadWholeFile((m_folder / "não existe").string()), "");
    EXPECT_EQ(ReadWholeFile(m_folder.string()), "");
    EXPECT_EQ(ReadWholeFile(""), "");
}

// /proc files report a size of 0; their text is there all the same.
TEST(WholeFile, ReadsSystemFilesOfUnknownSize) {
    ASSERT_EQ(fs::file_size("/proc/self/mountinfo"), 0u);
    const std::string mounts = ReadWholeFile("/proc/self/mountinfo");
    ASSERT_FALSE(mounts.empty());
    EXPECT_NE(mounts.find(" / "), std::string::npos);
    EXPECT_EQ(mounts.back(), '\n');
}

}  // namespace
}  // namespace vm

// Files read whole: exact bytes from a real file under an accented folder, system files whose size
// the file system does not know, what cannot be read and why, and the size limit.
#include "core/whole_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
    EXPECT_TRUE(ReadWholeFileBytes(path.string()) ==
                std::vector<uint8_t>(bytes.begin(), bytes.end()));

    std::ofstream(m_folder / "vazio", std::ios::binary).flush();
    EXPECT_EQ(ReadWholeFile((m_folder / "vazio").string()), "");
}

TEST_F(WholeFileTest, WhatCannotBeReadIsEmpty) {
    EXPECT_EQ(ReadWholeFile((m_folder / "não existe").string()), "");
    EXPECT_EQ(ReadWholeFile(m_folder.string()), "");
    EXPECT_EQ(ReadWholeFile(""), "");
}

TEST_F(WholeFileTest, AnEmptyFileIsToldFromAMissingOne) {
    const std::string empty = (m_folder / "Sala de Reunião.qtv").string();
    std::ofstream(empty, std::ios::binary).flush();
    WholeFileFault fault;
    const std::optional<std::string> text = ReadWholeFileIfAny(empty, kAnyFileSize, &fault);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "");
    const std::optional<std::vector<uint8_t>> bytes = ReadWholeFileBytesIfAny(empty);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(bytes->empty());

    // No such file, and a path that goes on through a file as if it were a folder.
    for (const std::string& missing :
         {(m_folder / "não existe.qtv").string(), empty + "/x", std::string()}) {
        fault = {};
        EXPECT_FALSE(ReadWholeFileIfAny(missing, kAnyFileSize, &fault)) << missing;
        EXPECT_TRUE(fault.Missing()) << missing;
        EXPECT_FALSE(ReadWholeFileBytesIfAny(missing)) << missing;
    }
}

// A folder, a FIFO (opening it would wait for a writer) and devices (/dev/zero never ends) are
// refused before a byte is read; a file is refused once it holds more than the limit, even when
// the file system gives no size beforehand.
TEST_F(WholeFileTest, OnlyRegularFilesUpToTheLimitAreRead) {
    using Kind = WholeFileFault::Kind;
    const std::string fifo = (m_folder / "fila.qtv").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string tenBytes = (m_folder / "Relatório.emf").string();
    std::ofstream(tenBytes, std::ios::binary) << "0123456789";
    const std::string sparse = (m_folder / "enorme.emf").string();  // 2 GiB that take no space
    std::ofstream(sparse, std::ios::binary).flush();
    ASSERT_EQ(truncate(sparse.c_str(), 2LL << 30), 0);

    const struct {
        std::string path;
        size_t maxBytes;
        std::optional<Kind> refused;  // nullopt: read
    } cases[] = {
        {m_folder.string(), kAnyFileSize, Kind::Folder},
        {fifo, kAnyFileSize, Kind::NotRegular},
        {"/dev/zero", kAnyFileSize, Kind::NotRegular},
        {"/dev/null", kAnyFileSize, Kind::NotRegular},
        {tenBytes, 10, std::nullopt},
        {tenBytes, 9, Kind::TooLarge},
        {tenBytes, 0, Kind::TooLarge},
        {sparse, 1 << 20, Kind::TooLarge},
        {"/proc/self/mountinfo", 10, Kind::TooLarge},
        {"/proc/self/mountinfo", 1 << 20, std::nullopt},
    };
    for (const auto& c : cases) {
        WholeFileFault fault;
        const std::optional<std::string> text = ReadWholeFileIfAny(c.path, c.maxBytes, &fault);
        const std::optional<std::vector<uint8_t>> bytes =
            ReadWholeFileBytesIfAny(c.path, c.maxBytes);
        EXPECT_EQ(text.has_value(), !c.refused) << c.path << " " << c.maxBytes;
        EXPECT_EQ(bytes.has_value(), !c.refused) << c.path << " " << c.maxBytes;
        if (c.refused) {
            EXPECT_EQ(fault.kind, *c.refused) << c.path << " " << c.maxBytes;
            EXPECT_FALSE(fault.Missing()) << c.path;
        } else {
            EXPECT_LE(text->size(), c.maxBytes) << c.path;
            EXPECT_FALSE(text->empty()) << c.path;
        }
    }
    EXPECT_EQ(ReadWholeFile(fifo), "");
    EXPECT_TRUE(ReadWholeFileBytes("/dev/zero").empty());
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

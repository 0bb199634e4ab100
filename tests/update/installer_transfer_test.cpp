// The installer's transfer below the window: the length header's rules, the exact body against a
// real server on 127.0.0.1, the blocks handed to the file, and the file that gets its name only
// when complete.

#include "update/installer_transfer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/end_files.h"
#include "core/whole_file.h"
#include "tests/support/loopback_server.h"
#include "update/installer_file.h"
#include "update/installer_header.h"
#include "update/shown_text.h"

namespace vm {
namespace {

namespace fs = std::filesystem;
using test::Connection;
using test::HttpTestServer;
using test::LoopbackServer;

constexpr std::uint64_t kGiB = 1024ULL * 1024 * 1024;

TEST(ContentLengthValue, DigitsOnlyWithinTheBound) {
    const struct {
        const char* value;
        std::optional<std::uint64_t> length;
    } cases[] = {
        {"5000", 5000},
        {" 5000", 5000},
        {" \t5000 \t", 5000},
        {"0", 0},
        {"007", 7},
        {"1073741823", kGiB - 1},
        {"1073741824", kGiB},
        {"1073741825", std::nullopt},
        {"18446744073709551615", std::nullopt},  // the largest 64-bit number
        {"99999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"-1", std::nullopt},
        {"+5", std::nullopt},
        {"9e3", std::nullopt},
        {"5.0", std::nullopt},
        {"abc", std::nullopt},
        {"50 00", std::nullopt},
        {"5000;", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ContentLengthValue(c.value, kGiB), c.length) << '"' << c.value << '"';
    }
    EXPECT_EQ(ContentLengthValue("9", 8), std::nullopt) << "a bound below one digit";
}

InstallerHeader HeaderOf(const std::vector<std::string>& lines) {
    InstallerHeader header(kGiB);
    for (const std::string& line : lines)
        header.Add(line);
    return header;
}

TEST(InstallerHeader, StatusComesFromTheStatusLineAlone) {
    EXPECT_TRUE(HeaderOf({"HTTP/1.1 200 OK"}).Answered200());
    EXPECT_TRUE(HeaderOf({"http/1.0 200"}).Answered200());
    EXPECT_FALSE(HeaderOf({"HTTP/1.1 2000 OK"}).Answered200());
    EXPECT_FALSE(HeaderOf({"HTTP/1.1 500 Error 200"}).Answered200());
    EXPECT_FALSE(HeaderOf({"HTTP/2 200"}).Answered200());
    EXPECT_EQ(HeaderOf({"HTTP/1.1 404 Not Found"}).StatusText(), "404 Not Found");
    EXPECT_EQ(HeaderOf({"garbage"}).StatusText(), "garbage");
    const InstallerHeader via = HeaderOf({"HTTP/1.1 200 OK", "Via: HTTP/1.0 proxy"});
    EXPECT_TRUE(via.Answered200());
    EXPECT_EQ(via.StatusText(), "200 OK");
}

TEST(InstallerHeader, LengthOnlyFromExactlyOneValidLine) {
    EXPECT_EQ(HeaderOf({"HTTP/1.1 200 OK", "Content-Length: 12"}).Length(), 12u);
    EXPECT_EQ(HeaderOf({"HTTP/1.1 200 OK", "CONTENT-length:12"}).Length(), 12u);
    EXPECT_EQ(HeaderOf({"HTTP/1.1 200 OK"}).Length(), std::nullopt);
    EXPECT_EQ(HeaderOf({"HTTP/1.1 200 OK", "Content-Length: 12", "Content-Length: 12"}).Length(),
              std::nullopt);
    EXPECT_EQ(
        HeaderOf({"HTTP/1.1 200 OK", "Content-Length: 12", "X-A: content-length: 9"}).Length(),
        12u);
    EXPECT_EQ(HeaderOf({"HTTP/1.1 200 OK", "X-Content-Length: 12"}).Length(), std::nullopt);
    EXPECT_EQ(
        HeaderOf({"HTTP/1.1 200 OK", "Content-Length: 12", "Transfer-Encoding: chunked"}).Length(),
        std::nullopt);
    // The status line itself is no header line.
    EXPECT_EQ(HeaderOf({"Content-Length: 12"}).Length(), std::nullopt);
}

TEST(Abbreviated, CutsAtCharactersOrLinesAndSaysSo) {
    EXPECT_EQ(Abbreviated("abc", 3, 1), "abc");
    EXPECT_EQ(Abbreviated("abcd", 3, 1), "abc\x85");
    EXPECT_EQ(Abbreviated("a\r\nb\r\nc", 100, 3), "a\r\nb\r\nc");
    EXPECT_EQ(Abbreviated("a\r\nb\r\nc", 100, 2), "a\r\nb\x85");
    EXPECT_EQ(Abbreviated("ab\r\ncd", 3, 5), "ab\x85") << "no dangling line end";
    EXPECT_EQ(Abbreviated("", 0, 0), "");
}

// Records what it is given, block by block; fails from the `failAt`-th block on.
class RecordingSink final : public ByteSink {
public:
    bool Write(const char* data, std::size_t size) override {
        if (blocks.size() + 1 >= failAt) {
            return false;
        }
        blocks.push_back(size);
        bytes.append(data, size);
        return true;
    }
    int Error() const override { return ENOSPC; }

    std::vector<std::size_t> blocks;
    std::string bytes;
    std::size_t failAt = SIZE_MAX;
};

std::string Body(std::size_t size) {
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>((i * 13 + i / 1000) % 256);
    return body;
}

// Connects to `server`, runs the transfer into `sink`, then reads what the server sent after it.
TransferResult Transfer(const LoopbackServer& server, ByteSink& sink, std::string* after = nullptr,
                        TransferProgress* progress = nullptr) {
    TSocket socket;
    socket.SetLimits(UpdateNetLimits());
    EXPECT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    TransferLimits limits;
    limits.headerTimeLimitMs = 5000;
    TransferResult result =
        TransferInstaller(socket, "GET / HTTP/1.1\r\n\r\n", sink, limits, progress);
    if (after)
        *after = socket.ReceiveChar(100);
    return result;
}

TEST(TransferInstaller, ReadsExactlyTheLengthInLargeBlocks) {
    const std::string body = Body(1024 * 1024 + 17);
    HttpTestServer server([&](const Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
               body + "NEXT");
        c.WaitForClose();
    });
    RecordingSink sink;
    TransferProgress progress;
    std::string after;
    const TransferResult result = Transfer(server, sink, &after, &progress);
    EXPECT_EQ(result.outcome, TransferOutcome::Complete);
    EXPECT_EQ(result.received, body.size());
    EXPECT_EQ(progress.received, body.size());
    EXPECT_EQ(progress.length, static_cast<std::int64_t>(body.size()));
    EXPECT_TRUE(sink.bytes == body);
    // Every block but the last holds at least 64 KiB.
    ASSERT_FALSE(sink.blocks.empty());
    for (std::size_t i = 0; i + 1 < sink.blocks.size(); ++i)
        EXPECT_GE(sink.blocks[i], kTransferWriteBlock) << "block " << i;
    EXPECT_EQ(after, "NEXT") << "nothing past the length was taken";
}

TEST(TransferInstaller, OutcomesWithoutABody) {
    const struct {
        const char* name;
        std::string answer;
        TransferOutcome outcome;
    } cases[] = {
        {"error status", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone",
         TransferOutcome::ErrorStatus},
        {"no length", "HTTP/1.1 200 OK\r\n\r\nbody", TransferOutcome::NoLength},
        {"cut in the header", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n",
         TransferOutcome::CutShort},
        {"cut in the body", "HTTP/1.1 200 OK\r\nContent-Length: 40\r\n\r\nbody",
         TransferOutcome::CutShort},
        {"nothing at all", "", TransferOutcome::HeaderBroken},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HttpTestServer server([&](const Connection& connection) { connection.Send(c.answer); });
        RecordingSink sink;
        const TransferResult result = Transfer(server, sink);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_TRUE(sink.bytes.empty());
    }
}

TEST(TransferInstaller, WriteFailureEndsTheTransfer) {
    const std::string body = Body(300 * 1024);
    HttpTestServer server([&](const Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
               body);
    });
    RecordingSink sink;
    sink.failAt = 2;
    const TransferResult result = Transfer(server, sink);
    EXPECT_EQ(result.outcome, TransferOutcome::WriteFailed);
    EXPECT_EQ(result.writeError, ENOSPC);
    EXPECT_EQ(sink.blocks.size(), 1u);
}

class InstallerFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vm-instalação-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        m_path = (m_folder / "Update.exe").string();
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_folder;
    std::string m_path;
};

// Whether the test folder's file system offers unnamed files.
bool UnnamedFilesOffered(const fs::path& folder) {
    const int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

// Unnamed while it is written where the file system offers it, else under a hidden name; the
// installer's name only once committed.
TEST_F(InstallerFileTest, NameOnlyWhenCommitted) {
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed" : "named");
        AtomicFile::UseUnnamedFiles(unnamed);
        fs::remove(m_path);
        {
            InstallerFile file(m_path);
            ASSERT_TRUE(file.Create());
            ASSERT_TRUE(file.Write("MZ", 2));
            EXPECT_EQ(Names().size(), unnamed && UnnamedFilesOffered(m_folder) ? 0u : 1u);
            EXPECT_FALSE(fs::exists(m_path)) << "no half file under the installer's name";
            ASSERT_TRUE(file.Commit());
        }
        EXPECT_EQ(ReadWholeFile(m_path), "MZ");
        // Readable by everyone, whatever the process's mask.
        EXPECT_EQ(fs::status(m_path).permissions(), fs::perms::owner_read | fs::perms::owner_write |
                                                        fs::perms::group_read |
                                                        fs::perms::others_read);
        EXPECT_EQ(Names(), std::vector<std::string>{"Update.exe"});
        {
            InstallerFile file(m_path);
            ASSERT_TRUE(file.Create());
            ASSERT_TRUE(file.Write("half", 4));
            // Dropped without Commit.
        }
        EXPECT_EQ(ReadWholeFile(m_path), "MZ") << "the earlier installer stays";
        EXPECT_EQ(Names(), std::vector<std::string>{"Update.exe"});
    }
    AtomicFile::UseUnnamedFiles(true);
}

// A signal that ends the program during the download takes the unfinished installer with it,
// named or not.
TEST_F(InstallerFileTest, EndingSignalLeavesNoUnfinishedInstaller) {
    for (const bool unnamed : {false, true}) {
        SCOPED_TRACE(unnamed ? "unnamed" : "named");
        const pid_t child = fork();
        if (child == 0) {
            RemoveFilesOnEndSignals();
            AtomicFile::UseUnnamedFiles(unnamed);
            InstallerFile file(m_path);
            if (file.Create() && file.Write("MZ", 2))
                raise(SIGTERM);
            _exit(1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
        EXPECT_EQ(Names(), std::vector<std::string>{});
    }
}

TEST_F(InstallerFileTest, LinkIsReplacedNotFollowed) {
    const fs::path target = m_folder / "Área de Trabalho.txt";
    { std::ofstream(target) << "keep"; }
    fs::create_symlink(target, m_path);
    InstallerFile file(m_path);
    ASSERT_TRUE(file.Create());
    ASSERT_TRUE(file.Write("MZ", 2));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadWholeFile(target.string()), "keep");
    EXPECT_FALSE(fs::is_symlink(m_path));
    EXPECT_EQ(ReadWholeFile(m_path), "MZ");
}

TEST_F(InstallerFileTest, AFolderOfThatNameIsRefusedAndLeavesNoScraps) {
    fs::create_directory(m_path);
    InstallerFile file(m_path);
    EXPECT_FALSE(file.Create());
    EXPECT_EQ(file.Error(), EISDIR);
    EXPECT_FALSE(file.Write("MZ", 2));
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(Names(), std::vector<std::string>{"Update.exe"});
    EXPECT_TRUE(fs::is_directory(m_path));
}

TEST_F(InstallerFileTest, CreateInAMissingFolderFails) {
    InstallerFile file((m_folder / "nowhere" / "Update.exe").string());
    EXPECT_FALSE(file.Create());
    EXPECT_EQ(file.Error(), ENOENT);
    EXPECT_FALSE(file.Write("x", 1));
}

}  // namespace
}  // namespace vm

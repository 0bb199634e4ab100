// The output-file writer on real files: a small tmpfs that fills up, real links, modes, owners,
// sticky folders and devices.
#include "core/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "core/end_files.h"
#include "core/whole_file.h"
#include "tests/support/temp_folder.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

class Folder : public test::TempFolder {
public:
    Folder() : TempFolder("vm-atomic-Área") {}
    std::string operator/(const std::string& name) const { return path() + "/" + name; }
    // Every entry of the folder, hidden ones included.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path())) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

void writeBytes(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

mode_t modeOf(const std::string& file) {
    struct stat st {};
    stat(file.c_str(), &st);
    return st.st_mode & 07777;
}

// Runs `body` in a child process as the user "nobody"; returns the child's exit code (0 when
// `body` returned true). Skips when the test does not run as root.
int asNobody(const std::function<bool()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0) {
            _exit(3);
        }
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

// Both ways of making the temporary file: unnamed (O_TMPFILE) and the named fallback.
class AtomicFileTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { AtomicFile::UseUnnamedFiles(GetParam()); }
    void TearDown() override { AtomicFile::UseUnnamedFiles(true); }
    Folder m_dir;
};

INSTANTIATE_TEST_SUITE_P(TempFile, AtomicFileTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Unnamed" : "Named"; });

TEST_P(AtomicFileTest, NewAndReplacedFilesAndTheirModes) {
    const std::string file = m_dir / "Sala de Reunião_Calculo_Tela.qtv";
    const mode_t mask = umask(027);
    ASSERT_TRUE(WriteFileAtomically(file, "first"));
    umask(mask);
    EXPECT_EQ(ReadWholeFile(file), "first");
    EXPECT_EQ(modeOf(file), 0666 & ~027);

    for (const mode_t mode : {0600, 0640, 0755, 02775}) {
        chmod(file.c_str(), mode);
        std::string error;
        ASSERT_TRUE(WriteFileAtomically(file, "mode " + std::to_string(mode), &error)) << error;
        EXPECT_EQ(ReadWholeFile(file), "mode " + std::to_string(mode));
        EXPECT_EQ(modeOf(file), mode);
    }
    EXPECT_EQ(m_dir.entries(), std::vector<std::string>{"Sala de Reunião_Calculo_Tela.qtv"});
}

TEST_P(AtomicFileTest, RootKeepsOwnerAndGroup) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can give a file away";
    }
    const std::string file = m_dir / "shared.qtv";
    writeBytes(file, "earlier");
    ASSERT_EQ(chown(file.c_str(), kNobody, kNobody), 0);
    chmod(file.c_str(), 04750);  // set-id bits survive the change of owner
    ASSERT_TRUE(WriteFileAtomically(file, "later"));
    struct stat st {};
    stat(file.c_str(), &st);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 04750u);
    EXPECT_EQ(ReadWholeFile(file), "later");
}

TEST_P(AtomicFileTest, LinksAreFollowedAndKept) {
    fs::create_directory(m_dir / "real");
    const std::string real = m_dir / "real/projeto.qtv";
    writeBytes(real, "earlier");
    // A relative link, a link to that link, and a dangling link.
    fs::create_symlink("real/projeto.qtv", m_dir / "link.qtv");
    fs::create_symlink(m_dir / "link.qtv", m_dir / "link2.qtv");
    fs::create_symlink("real/novo.qtv", m_dir / "dangling.qtv");

    ASSERT_TRUE(WriteFileAtomically(m_dir / "link2.qtv", "through two links"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.qtv"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "link2.qtv"));
    EXPECT_EQ(ReadWholeFile(real), "through two links");

    ASSERT_TRUE(WriteFileAtomically(m_dir / "dangling.qtv", "created where it points"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "dangling.qtv"));
    EXPECT_EQ(ReadWholeFile(m_dir / "real/novo.qtv"), "created where it points");

    fs::create_symlink("loop-b", m_dir / "loop-a");
    fs::create_symlink("loop-a", m_dir / "loop-b");
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(m_dir / "loop-a", "x", &error));
    EXPECT_NE(error.find(std::strerror(ELOOP)), std::string::npos) << error;
}

TEST_P(AtomicFileTest, FailuresKeepTheEarlierFileAndLeaveNoTemporaryFile) {
    const std::string file = m_dir / "p.qtv";
    writeBytes(file, "earlier contents");
    int calls = 0;
    const WriteFunction failing = [&](int fd, const char* data, unsigned long size) -> long {
        if (++calls > 1) {
            errno = EIO;
            return -1;
        }
        return ::write(fd, data, size < 3 ? size : 3);
    };
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(file, "new contents", &error, failing));
    EXPECT_NE(error.find(std::strerror(EIO)), std::string::npos) << error;
    EXPECT_NE(error.find(file), std::string::npos) << error;

    const WriteFunction nothing = [](int, const char*, unsigned long) -> long { return 0; };
    EXPECT_FALSE(WriteFileAtomically(file, "new contents", &error, nothing));
    EXPECT_EQ(ReadWholeFile(file), "earlier contents");
    EXPECT_EQ(m_dir.entries(), std::vector<std::string>{"p.qtv"});

    // A folder, a missing folder, an empty name.
    EXPECT_FALSE(WriteFileAtomically(m_dir.path(), "x", &error));
    EXPECT_NE(error.find(std::strerror(EISDIR)), std::string::npos) << error;
    EXPECT_FALSE(WriteFileAtomically(m_dir / "no/such/x.qtv", "x", &error));
    EXPECT_NE(error.find(std::strerror(ENOENT)), std::string::npos) << error;
    EXPECT_FALSE(WriteFileAtomically("", "x", &error));
}

// A file the program owns outright: whatever bears the name is replaced by the new file with the
// fixed mode, and nothing is written through the name.
TEST_P(AtomicFileTest, ReplacingTheNameItself) {
    const std::string name = m_dir / "Update.exe";
    const std::string elsewhere = m_dir / "Área de Trabalho.txt";
    const struct {
        const char* what;
        std::function<void()> make;
    } cases[] = {
        {"nothing", [] {}},
        {"a link to a file", [&] { fs::create_symlink(elsewhere, name); }},
        {"a dangling link", [&] { fs::create_symlink(m_dir / "sumiu", name); }},
        {"a read-only file",
         [&] {
             writeBytes(name, "old");
             chmod(name.c_str(), 0400);
         }},
        {"a FIFO that nobody reads", [&] { mkfifo(name.c_str(), 0600); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(name);
        writeBytes(elsewhere, "keep");
        c.make();
        AtomicFile::Options options;
        options.replaceLinkItself = true;
        options.mode = 0644;
        AtomicFile file;
        ASSERT_TRUE(file.Open(name, options)) << file.Error();
        ASSERT_TRUE(file.Write("MZ") && file.Commit()) << file.Error();
        EXPECT_EQ(fs::symlink_status(name).type(), fs::file_type::regular);
        EXPECT_EQ(ReadWholeFile(name), "MZ");
        EXPECT_EQ(modeOf(name), 0644u);
        EXPECT_EQ(ReadWholeFile(elsewhere), "keep");
        EXPECT_EQ(m_dir.entries(),
                  (std::vector<std::string>{"Update.exe", "Área de Trabalho.txt"}));
    }
    // A folder of that name is refused at once.
    fs::remove(name);
    fs::create_directory(name);
    AtomicFile::Options options;
    options.replaceLinkItself = true;
    AtomicFile file;
    EXPECT_FALSE(file.Open(name, options));
    EXPECT_EQ(file.Failure().kind, FileFailureKind::Write);
    EXPECT_EQ(file.Failure().err, EISDIR);
    EXPECT_EQ(file.Failure().file, name);
}

// A name at the file system's limit (255 bytes, in ASCII and in two-byte UTF-8 characters) is
// replaced, its earlier bytes gone, and no hidden file stays; the hidden name is cut between
// characters.
TEST_P(AtomicFileTest, NamesAtTheFileSystemsLimitAreReplaced) {
    std::string accented;
    for (int i = 0; i < 125; ++i) {
        accented += "\xC3\xA1";  // "á"
    }
    for (const std::string& name : {std::string(251, 'n') + ".qtv", accented + "x.qtv"}) {
        ASSERT_EQ(name.size(), 255u);
        SCOPED_TRACE(name.substr(0, 8));
        const std::string file = m_dir / name;
        writeBytes(file, "earlier bytes, more of them than the new ones");
        std::string error;
        ASSERT_TRUE(WriteFileAtomically(file, "new", &error)) << error;
        EXPECT_EQ(ReadWholeFile(file), "new");
        EXPECT_EQ(m_dir.entries(), std::vector<std::string>{name});

        const std::string hidden = HiddenSiblingName(file).substr(m_dir.path().size() + 1);
        EXPECT_EQ(hidden.size(), name[0] == 'n' ? 255u : 254u) << hidden;
        const std::string kept = hidden.substr(1, hidden.size() - 8);
        EXPECT_EQ(name.compare(0, kept.size(), kept), 0) << hidden;
        fs::remove(file);
    }
}

TEST_P(AtomicFileTest, OtherWritersUseTheContentPath) {
    const std::string file = m_dir / "relatório.pdf";
    writeBytes(file, "earlier");
    AtomicFile out;
    ASSERT_TRUE(out.Open(file)) << out.Error();
    std::ofstream(out.ContentPath(), std::ios::binary) << "%PDF written by name";
    EXPECT_EQ(ReadWholeFile(file), "earlier");  // nothing in place before the commit
    ASSERT_TRUE(out.Commit()) << out.Error();
    EXPECT_EQ(ReadWholeFile(file), "%PDF written by name");
    EXPECT_EQ(m_dir.entries(), std::vector<std::string>{"relatório.pdf"});
}

// Closed until the commit: no descriptor is held, the content waits under a hidden name, and
// the commit (earlier mode kept) or the discard ends it as for an open file. A file put in the
// hidden name's place meanwhile is neither taken for it nor removed.
TEST_P(AtomicFileTest, ClosedUntilTheCommit) {
    const std::string file = m_dir / "sala_0001.png";
    writeBytes(file, "earlier");
    chmod(file.c_str(), 0640);
    const auto descriptors = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    const auto before = descriptors();
    {
        AtomicFile out;
        ASSERT_TRUE(out.Open(file) && out.Write("new") && out.CloseUntilCommit()) << out.Error();
        EXPECT_EQ(descriptors(), before);
        EXPECT_EQ(m_dir.entries().size(), 2u);
        EXPECT_EQ(ReadWholeFile(file), "earlier");
        AtomicFile moved = std::move(out);
        ASSERT_TRUE(moved.Commit()) << moved.Error();
    }
    EXPECT_EQ(ReadWholeFile(file), "new");
    EXPECT_EQ(modeOf(file), 0640u);
    EXPECT_EQ(m_dir.entries(), std::vector<std::string>{"sala_0001.png"});
    EXPECT_EQ(descriptors(), before);

    {
        AtomicFile out;
        ASSERT_TRUE(out.Open(file) && out.Write("discarded") && out.CloseUntilCommit());
    }
    EXPECT_EQ(ReadWholeFile(file), "new");
    EXPECT_EQ(m_dir.entries(), std::vector<std::string>{"sala_0001.png"});

    AtomicFile out;
    ASSERT_TRUE(out.Open(file) && out.Write("swapped") && out.CloseUntilCommit());
    std::string hidden;
    for (const std::string& name : m_dir.entries()) {
        if (name != "sala_0001.png") {
            hidden = m_dir / name;
        }
    }
    ASSERT_FALSE(hidden.empty());
    fs::rename(hidden, hidden + ".moved");
    writeBytes(hidden, "another's");
    EXPECT_FALSE(out.Commit());
    EXPECT_EQ(ReadWholeFile(file), "new");
    EXPECT_EQ(ReadWholeFile(hidden), "another's");
}

TEST(AtomicFile, AKilledWriterLeavesNothingBehind) {
    Folder dir;
    const std::string file = dir / "p.qtv";
    writeBytes(file, "earlier");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        AtomicFile out;
        const bool ok = out.Open(file) && out.Write(std::string(100000, 'x'));
        [[maybe_unused]] ssize_t told = write(ready[1], ok ? "y" : "n", 1);
        pause();  // killed while the new file is half made
        _exit(0);
    }
    char answer = 0;
    ASSERT_EQ(read(ready[0], &answer, 1), 1);
    EXPECT_EQ(answer, 'y');
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_EQ(ReadWholeFile(file), "earlier");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"p.qtv"});
}

// Where the file system offers no unnamed files, the hidden file goes with a signal that ends
// the writer (SIGINT, SIGHUP, SIGTERM), and the signal still ends it.
TEST(AtomicFile, ANamedTemporaryFileGoesWithTheSignalThatEndsTheWriter) {
    for (const int signal : {SIGINT, SIGHUP, SIGTERM}) {
        SCOPED_TRACE(strsignal(signal));
        Folder dir;
        const std::string file = dir / "p.qtv";
        writeBytes(file, "earlier");
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            RemoveFilesOnEndSignals();
            AtomicFile::UseUnnamedFiles(false);
            AtomicFile out;
            const bool ok =
                out.Open(file) && out.Write(std::string(100000, 'x')) && dir.entries().size() == 2;
            [[maybe_unused]] ssize_t told = write(ready[1], ok ? "y" : "n", 1);
            pause();
            _exit(0);
        }
        char answer = 0;
        ASSERT_EQ(read(ready[0], &answer, 1), 1);
        EXPECT_EQ(answer, 'y') << "no hidden file while writing";
        kill(child, signal);
        int status = 0;
        waitpid(child, &status, 0);
        close(ready[0]);
        close(ready[1]);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(ReadWholeFile(file), "earlier");
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"p.qtv"});
    }
}

// Turns on writing into devices and FIFOs for one test, as the command-line tool does.
struct IntoDevices {
    IntoDevices() { AtomicFile::WriteIntoDevices(true); }
    ~IntoDevices() { AtomicFile::WriteIntoDevices(false); }
};

// Unless allowed, a device, a FIFO (read or not) and a socket are refused without being opened.
TEST(AtomicFile, TargetsThatAreNoRegularFileAreRefused) {
    Folder dir;
    const std::string fifo = dir / "saída.pdf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const std::string link = dir / "nulo.pdf";
    fs::create_symlink("/dev/null", link);
    for (const std::string& target :
         {std::string("/dev/null"), std::string("/dev/zero"), fifo, link}) {
        std::string error;
        EXPECT_FALSE(WriteFileAtomically(target, "pages", &error)) << target;
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    }
    char got[16] = {};
    EXPECT_EQ(read(reader, got, sizeof got), 0);  // the reader got nothing
    close(reader);
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST(AtomicFile, DevicesAreWrittenStraightIntoWhenAllowed) {
    IntoDevices allowed;
    std::string error;
    EXPECT_TRUE(WriteFileAtomically("/dev/null", "anything", &error)) << error;
    EXPECT_FALSE(WriteFileAtomically("/dev/full", "anything", &error));
    EXPECT_NE(error.find(std::strerror(ENOSPC)), std::string::npos) << error;
}

// Where devices are allowed, a FIFO that nobody reads and a socket are still refused at once (no
// wait for a reader); a FIFO with a reader is written into; a name with a NUL byte is refused
// before the system cuts it short.
TEST(AtomicFile, TargetsThatWouldHangOrBeCutShortAreRefused) {
    IntoDevices allowed;
    Folder dir;
    const std::string fifo = dir / "saída.pdf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(fifo, "pages", &error));
    EXPECT_NE(error.find("nobody reads"), std::string::npos) << error;

    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(WriteFileAtomically(fifo, "pages", &error)) << error;
    char got[16] = {};
    EXPECT_EQ(read(reader, got, sizeof got), 5);
    EXPECT_STREQ(got, "pages");
    close(reader);

    const std::string socketPath = dir / "s.sock";
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_FALSE(WriteFileAtomically(socketPath, "pages", &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    close(sock);

    const std::string withNul = (dir / "../../.profile") + std::string(1, '\0') + "x.qtv";
    EXPECT_FALSE(WriteFileAtomically(withNul, "project", &error));
    EXPECT_NE(error.find("NUL"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir / "../../.profile"));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"s.sock", "saída.pdf"}));
}

TEST(AtomicFile, ReadOnlyFilesAreNotReplaced) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to run as another user";
    }
    Folder dir;
    chmod(dir.path().c_str(), 0777);
    const std::string file = dir / "ro.qtv";
    writeBytes(file, "earlier");
    chown(file.c_str(), kNobody, kNobody);
    chmod(file.c_str(), 0444);
    EXPECT_EQ(asNobody([&] {
                  std::string error;
                  return !WriteFileAtomically(file, "later", &error) &&
                         error.find(std::strerror(EACCES)) != std::string::npos;
              }),
              0);
    EXPECT_EQ(ReadWholeFile(file), "earlier");
}

TEST(AtomicFile, StickyFolderFileThatTheUserMayWrite) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to run as another user";
    }
    Folder dir;
    chmod(dir.path().c_str(), 01777);
    const std::string shared = dir / "compartilhado.qtv";  // root's, writable by everyone
    writeBytes(shared, "earlier contents, longer than the new ones");
    chmod(shared.c_str(), 0666);
    const std::string closed = dir / "fechado.qtv";  // root's, not writable by others
    writeBytes(closed, "earlier");
    chmod(closed.c_str(), 0644);
    const std::string own = dir / "proprio.qtv";
    writeBytes(own, "earlier");
    chown(own.c_str(), kNobody, kNobody);

    EXPECT_EQ(asNobody([&] { return WriteFileAtomically(shared, "new"); }), 0);
    EXPECT_EQ(ReadWholeFile(shared), "new");
    struct stat st {};
    stat(shared.c_str(), &st);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(st.st_mode & 07777, 0666u);

    EXPECT_EQ(asNobody([&] { return !WriteFileAtomically(closed, "new"); }), 0);
    EXPECT_EQ(ReadWholeFile(closed), "earlier");

    EXPECT_EQ(asNobody([&] { return WriteFileAtomically(own, "new"); }), 0);
    EXPECT_EQ(ReadWholeFile(own), "new");
    EXPECT_EQ(dir.entries(),
              (std::vector<std::string>{"compartilhado.qtv", "fechado.qtv", "proprio.qtv"}));
}

// Who owns a link and the sticky folder everyone may write that holds it.
struct PlantedLink {
    const char* what;
    uid_t linkOwner;
    uid_t folderOwner;
    bool followed;  // by root, who writes
};

// In a sticky folder that everyone may write, a link is followed only when the writer or the
// folder's owner owns it; else nothing is written, the file it points to stays byte for byte.
TEST(AtomicFile, LinksThatAnotherUserPlantedInASharedFolderAreNotFollowed) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a link to another user";
    }
    const PlantedLink cases[] = {
        {"another user's link in root's folder", kNobody, 0, false},
        {"root's own link", 0, 0, true},
        {"the folder owner's link", kNobody, kNobody, true},
    };
    for (const PlantedLink& c : cases) {
        SCOPED_TRACE(c.what);
        Folder dir;
        fs::create_directory(dir / "victim");
        const std::string victim = dir / "victim/.profile";
        writeBytes(victim, "export PATH=/usr/bin\n");
        const std::string shared = dir / "shared";
        fs::create_directory(shared);
        chmod(shared.c_str(), 01777);
        ASSERT_EQ(chown(shared.c_str(), c.folderOwner, c.folderOwner), 0);
        const std::string link = shared + "/sala.pdf";
        fs::create_symlink(victim, link);
        ASSERT_EQ(lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);

        AtomicFile file;
        const bool ok = file.Open(link) && file.Write("%PDF-page") && file.Commit();
        EXPECT_EQ(ok, c.followed) << file.Error();
        EXPECT_EQ(ReadWholeFile(victim), c.followed ? "%PDF-page" : "export PATH=/usr/bin\n");
        EXPECT_TRUE(fs::is_symlink(link));
        if (!c.followed) {
            EXPECT_EQ(file.Failure().kind, FileFailureKind::ForeignLink);
            EXPECT_EQ(file.Error(), "cannot write " + link +
                                        ": a link that another user owns in a shared folder is "
                                        "not followed");
        }
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"shared", "victim"}));
    }
}

// A name the program made (a numbered page) is never written through: a link there is replaced
// itself where the writer may replace it (root), and refused where it may not (another user in a
// sticky folder), the file it points to untouched either way, even when that file is writable.
TEST(AtomicFile, ALinkAtANameTheProgramMadeIsReplacedItself) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a link to another user";
    }
    Folder dir;
    chmod(dir.path().c_str(), 01777);
    const std::string victim = dir / "victim.txt";
    writeBytes(victim, "keep");
    chmod(victim.c_str(), 0666);
    const std::string page = dir / "sala_0002.png";
    AtomicFile::Options options;
    options.nameMadeByProgram = true;
    const auto plant = [&](uid_t owner) {
        fs::remove(page);
        fs::create_symlink(victim, page);
        ASSERT_EQ(lchown(page.c_str(), owner, owner), 0);
    };
    for (bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed" : "named");
        AtomicFile::UseUnnamedFiles(unnamed);
        plant(kNobody);
        AtomicFile file;
        ASSERT_TRUE(file.Open(page, options)) << file.Error();
        ASSERT_TRUE(file.Write("page 2") && file.Commit()) << file.Error();
        EXPECT_EQ(fs::symlink_status(page).type(), fs::file_type::regular);
        EXPECT_EQ(ReadWholeFile(page), "page 2");
        EXPECT_EQ(ReadWholeFile(victim), "keep");

        plant(kNobody - 1);  // neither the writer's nor the folder owner's
        EXPECT_EQ(asNobody([&] {
                      AtomicFile other;
                      return other.Open(page, options) && other.Write("page 2") &&
                             !other.Commit() && other.Failure().kind == FileFailureKind::Replace;
                  }),
                  0);
        EXPECT_TRUE(fs::is_symlink(page));
        EXPECT_EQ(ReadWholeFile(victim), "keep");
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"sala_0002.png", "victim.txt"}));
    }
    AtomicFile::UseUnnamedFiles(true);
    // A regular file at such a name is replaced as any earlier file, its mode kept.
    fs::remove(page);
    writeBytes(page, "page 2 of the earlier set");
    chmod(page.c_str(), 0640);
    AtomicFile file;
    ASSERT_TRUE(file.Open(page, options) && file.Write("page 2") && file.Commit()) << file.Error();
    EXPECT_EQ(ReadWholeFile(page), "page 2");
    EXPECT_EQ(modeOf(page), 0640u);
}

// A name that leads to one of the process's descriptors is written through it: appended where it
// appends (the shell's ">>"), at its place otherwise, into a pipe as it is; a descriptor that is
// closed or only reads is refused, and the windows (devices not allowed) refuse them all.
TEST(AtomicFile, NamesOfTheProcesssDescriptorsAreWrittenThroughThem) {
    Folder dir;
    const std::string log = dir / "log";
    writeBytes(log, "earlier line\n");
    const int appending = open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(appending, 0);
    const std::string viaFd = "/dev/fd/" + std::to_string(appending);
    const std::string viaProc = "/proc/self/fd/" + std::to_string(appending);
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(viaFd, "project\n", &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_EQ(ReadWholeFile(log), "earlier line\n");

    IntoDevices allowed;
    fs::create_symlink(viaProc, dir / "saida.qtv");  // a link of the user's to the descriptor
    for (const std::string& name : {viaFd, viaProc, dir / "saida.qtv"}) {
        ASSERT_TRUE(WriteFileAtomically(name, "project\n", &error)) << name << ": " << error;
    }
    EXPECT_EQ(ReadWholeFile(log), "earlier line\nproject\nproject\nproject\n");
    EXPECT_TRUE(fs::is_symlink(dir / "saida.qtv"));
    close(appending);

    const int atStart = open(log.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_TRUE(WriteFileAtomically("/dev/fd/" + std::to_string(atStart), "EARLIER", &error))
        << error;
    EXPECT_EQ(ReadWholeFile(log), "EARLIER line\nproject\nproject\nproject\n");
    close(atStart);

    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    ASSERT_TRUE(WriteFileAtomically("/proc/self/fd/" + std::to_string(ends[1]), "piped", &error))
        << error;
    char got[16] = {};
    EXPECT_EQ(read(ends[0], got, sizeof got), 5);
    EXPECT_STREQ(got, "piped");
    const std::string readEnd = "/dev/fd/" + std::to_string(ends[0]);
    EXPECT_FALSE(WriteFileAtomically(readEnd, "x", &error));
    EXPECT_EQ(error, "cannot write " + readEnd + ": " + std::strerror(EBADF));
    close(ends[0]);
    close(ends[1]);
    EXPECT_FALSE(WriteFileAtomically(readEnd, "x", &error));  // closed now
    EXPECT_NE(error.find(std::strerror(EBADF)), std::string::npos) << error;
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"log", "saida.qtv"}));
}

// A real file system that fills up: a 64 KiB tmpfs in a mount namespace of this test's own. Where
// mounting is not allowed, a writer that fails with ENOSPC after 64 KiB stands in for it.
TEST(AtomicFile, FullDiskKeepsTheEarlierFile) {
    Folder dir;
    WriteFunction fullAfter64k;
    const bool mounted = unshare(CLONE_NEWNS) == 0 &&
                         mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                         mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=64k") == 0;
    if (!mounted) {
        long written = 0;
        fullAfter64k = [written](int fd, const char* data, unsigned long size) mutable -> long {
            // The earlier 20000 bytes take their share of the 64 KiB.
            if (written + static_cast<long>(size) > 65536 - 20000) {
                errno = ENOSPC;
                return -1;
            }
            written += static_cast<long>(size);
            return ::write(fd, data, size);
        };
    }
    const std::string file = dir / "relatório.pdf";
    const std::string earlier(20000, 'e');
    ASSERT_TRUE(WriteFileAtomically(file, earlier));
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(file, std::string(60000, 'n'), &error, fullAfter64k));
    EXPECT_NE(error.find(std::strerror(ENOSPC)), std::string::npos) << error;
    // The English text names the file once; the failure as a value carries what a window words.
    EXPECT_EQ(error, "cannot write " + file + ": " + std::strerror(ENOSPC));
    FileFailure failure;
    EXPECT_FALSE(WriteFileAtomically(file, std::string(60000, 'n'), &failure, fullAfter64k));
    EXPECT_EQ(failure.kind, FileFailureKind::Write);
    EXPECT_EQ(failure.err, ENOSPC);
    EXPECT_EQ(failure.file, file);
    EXPECT_EQ(ReadWholeFile(file), earlier);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"relatório.pdf"});
    // The space of the failed attempt is free again.
    EXPECT_TRUE(WriteFileAtomically(file, std::string(30000, 'n'), &error)) << error;
    if (mounted) {
        umount(dir.path().c_str());
    }
}

}  // namespace
}  // namespace vm

// The installer download against a real HTTP server on 127.0.0.1: the window, the progress, the
// file in the current folder, the messages, and what the update check does afterwards.

#include <sys/resource.h>
#include <sys/stat.h>

#include <QLabel>
#include <QProgressBar>
#include <QWidget>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "core/program_values.h"
#include "core/whole_file.h"
#include "ui/form_layer.h"
#include "update/update_check.h"
#include "update/update_download.h"
#include "update_test_support.h"

using vm::test::Connection;
using vm::test::Gate;
using vm::test::HttpTestServer;
using vm::test::InstallerAnswer;
using vm::test::PageAnswer;

namespace {

const std::string kCrLf = "\r\n";
const std::string kNewerPage = PageAnswer("Download Vistametra 1.06");

// Bytes that show where each one came from, so a shifted or repeated piece is caught.
std::string Body(std::size_t size) {
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        body[i] = static_cast<char>((i * 7 + i / 4096) % 251);
    }
    return body;
}

std::string CriticalError() {
    return cp("Erro crítico|Erro crítico!") + kCrLf +
           cp("Por favor, reinicie a aplicação e tente novamente");
}

std::string Failure(const char* reason) {
    return cp("Download não concluído: ") + cp(reason);
}

// The version page for the check, `installer` for the download.
HttpTestServer::Handler Site(std::function<void(const Connection&)> installer) {
    return [installer](const Connection& c) {
        if (c.Asks("/vistametra/index.html")) {
            c.Send(kNewerPage);
        } else if (c.Asks("/vistametra/Update.exe")) {
            installer(c);
        }
    };
}

class DownloadTest : public UpdateTest {};

TEST_F(DownloadTest, WholeInstallerIsStartedAndTheProgramEnds) {
    const std::string body = Body(1048576);
    Gate first;
    Gate rest;
    // The header; the first half once the window has shown the address; the rest once it has
    // shown the progress of the first. The gates keep a busy machine from skipping a label.
    HttpTestServer server(Site([&](const Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1048576\r\n\r\n");
        c.Wait(first);
        c.Send(body.substr(0, 524288));
        c.Wait(rest);
        c.Send(body.substr(524288));
    }));
    DownloadWatcher watcher;
    bool checkedWindow = false;
    watcher.onSample = [&] {
        if (!checkedWindow) {
            checkedWindow = true;
            auto* window = vm::FormWidget("WupdateFile");
            EXPECT_EQ(window->windowTitle(), QString("Download do Arquivo."));
            EXPECT_EQ(window->parentWidget(), vm::FormWidget("wmenu"));
            EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
            EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
            EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
            EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
            EXPECT_EQ(window->font().family(), QString("Tahoma"));
            EXPECT_EQ(window->font().pointSize(), 10);
            auto* label1 = qobject_cast<QLabel*>(vm::ControlWidget("WupdateFile", "Label_1"));
            auto* bar = qobject_cast<QProgressBar*>(vm::ControlWidget("WupdateFile", "Pg_1"));
            auto* label2 = qobject_cast<QLabel*>(vm::ControlWidget("WupdateFile", "Label_2"));
            ASSERT_TRUE(label1 && bar && label2);
            EXPECT_EQ(label1->geometry(), QRect(10, 80, 440, 16));
            EXPECT_EQ(bar->geometry(), QRect(20, 100, 410, 34));
            EXPECT_EQ(label2->geometry(), QRect(10, 135, 440, 16));
            EXPECT_TRUE(label1->alignment() & Qt::AlignHCenter);
            EXPECT_TRUE(label2->alignment() & Qt::AlignHCenter);
            EXPECT_EQ(bar->minimum(), 0);
            EXPECT_EQ(bar->maximum(), 100);
            EXPECT_EQ(bar->orientation(), Qt::Horizontal);
            EXPECT_EQ(bar->toolTip(), QString("Progresso do download"));
        }
        if (watcher.LastLabel() == "http://127.0.0.1/vistametra/Update.exe") {
            first.Open();
        }
        if (watcher.LastLabel() == "512 KB from 1024 KB") {
            rest.Open();
        }
    };

    m_dialogs.messageAnswers = {vm::MessageAnswer::Yes};
    runInWmenu([&] {
        vm::UpdateFrom(SiteOf(server), false);
        EXPECT_FALSE(vm::IsWindowActive("wmenu")) << "the program ends after the start";
    });

    EXPECT_EQ(watcher.labels.front(), "http://127.0.0.1/vistametra/Update.exe");
    EXPECT_EQ(watcher.label2, "To " + m_installer);
    // The progress lines count towards 1024 KB from 1024 KB; the bar ends at 99 (the total is
    // the length plus 1), then the final text.
    ASSERT_GE(watcher.labels.size(), 3u);
    EXPECT_EQ(watcher.labels.back(), "Download Parcial Completo");
    EXPECT_TRUE(watcher.Saw("512 KB from 1024 KB"));
    for (std::size_t i = 1; i + 1 < watcher.labels.size(); ++i) {
        EXPECT_TRUE(watcher.labels[i].ends_with(" KB from 1024 KB")) << watcher.labels[i];
    }
    EXPECT_EQ(watcher.bars.back(), 99);
    EXPECT_TRUE(std::is_sorted(watcher.bars.begin(), watcher.bars.end()));

    EXPECT_TRUE(SameBytes(vm::ReadWholeFile(m_installer), body));
    EXPECT_EQ(m_started, std::vector<std::string>{m_installer});
    EXPECT_EQ(m_endCodes, std::vector<int>{0});
    EXPECT_EQ(Messages().size(), 1u) << "only the question";

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1],
              "GET /vistametra/Update.exe HTTP/1.1\r\n"
              "Host: 127.0.0.1\r\n"
              "User-Agent: Downloader (Version 1.1)\r\n"
              "Connection: close\r\n"
              "\r\n");
}

TEST_F(DownloadTest, InstallerThatCannotBeStartedLeavesTheProgramRunning) {
    HttpTestServer server(Site([](const Connection& c) { c.Send(InstallerAnswer("MZ")); }));
    m_startSucceeds = false;
    m_dialogs.messageAnswers = {vm::MessageAnswer::Yes};
    runInWmenu([&] {
        vm::UpdateFrom(SiteOf(server), true);
        EXPECT_TRUE(vm::IsWindowActive("wmenu"));
    });
    EXPECT_EQ(m_started, std::vector<std::string>{m_installer});
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[1],
              cp("Atualização|O instalador não pôde ser iniciado:") + kCrLf + m_installer);
}

TEST_F(DownloadTest, DownloadCutShortStartsNothingAndTheProgramGoesOn) {
    HttpTestServer server(Site([](const Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 8192\r\n\r\n" + Body(4096));
    }));
    DownloadWatcher watcher;
    m_dialogs.messageAnswers = {vm::MessageAnswer::Yes};
    runInWmenu([&] {
        vm::UpdateFrom(SiteOf(server), false);
        EXPECT_TRUE(vm::IsWindowActive("wmenu"));
    });
    EXPECT_TRUE(m_started.empty());
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[1], CriticalError());
    EXPECT_EQ(watcher.LastLabel(), Failure("recebidos 4 KB de 8 KB"));
    EXPECT_EQ(FolderContent(), std::vector<std::string>{}) << "no half installer, no scraps";
}

// --- Outcomes of the download itself ---

struct OutcomeCase {
    const char* name;
    std::function<void(const Connection&)> serve;
    std::vector<std::string> messages;  // "title|text"
    // The installer's content afterwards; nothing: no file of that name. Only a complete
    // download leaves one, and UpdateFile then returns it.
    std::optional<std::string> file;
    std::string label;  // Label_1 at the end
};

void PrintTo(const OutcomeCase& c, std::ostream* out) {
    *out << c.name;
}

class DownloadOutcome : public DownloadTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(DownloadOutcome, FileMessagesAndWindow) {
    const OutcomeCase& c = GetParam();
    HttpTestServer server(c.serve);
    DownloadWatcher watcher;
    std::optional<std::string> installer;
    runInWmenu([&] { installer = vm::UpdateFile(ImpatientSiteOf(server)); });
    EXPECT_EQ(installer, c.file ? std::optional<std::string>(m_installer) : std::nullopt);
    EXPECT_EQ(Messages(), c.messages);
    if (c.file) {
        EXPECT_TRUE(SameBytes(vm::ReadWholeFile(m_installer), *c.file));
        EXPECT_EQ(FolderContent(), std::vector<std::string>{"Update.exe"});
    } else {
        EXPECT_EQ(FolderContent(), std::vector<std::string>{}) << "no half installer, no scraps";
    }
    EXPECT_EQ(watcher.LastLabel(), c.label);
    EXPECT_TRUE(m_started.empty()) << "UpdateFile starts nothing itself";
}

const std::string kHalf = Body(2000);
const std::string kFive = Body(5000);

// A 200 answer with `lengthLines` in its header and `body` after it.
std::function<void(const Connection&)> Answer(std::string lengthLines, std::string body) {
    return [lengthLines, body](const Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\n" + lengthLines + "\r\n" + body);
    };
}

const std::string kLengthError = cp("Erro|Erro ao identificar o tamanho do arquivo!");
const std::string kUnknownLength = "tamanho do arquivo desconhecido";

INSTANTIATE_TEST_SUITE_P(
    Answers, DownloadOutcome,
    ::testing::Values(
        // An announced length of 0 is no installer: no file, nothing to start.
        OutcomeCase{"LengthZero",
                    Answer("Content-Length: 0\r\n", ""),
                    {kLengthError},
                    std::nullopt,
                    Failure(kUnknownLength.c_str())},
        OutcomeCase{"LengthOne",
                    Answer("Content-Length: 1\r\n", "x"),
                    {},
                    "x",
                    "Download Parcial Completo"},
        OutcomeCase{"LengthWithoutBlank",
                    Answer("Content-Length:5000\r\n", kFive),
                    {},
                    kFive,
                    "Download Parcial Completo"},
        // Fewer bytes than announced: the length is believed, the body is short.
        OutcomeCase{"LengthWithoutBlankAndShortBody",
                    Answer("Content-Length:9000\r\n", kFive),
                    {CriticalError()},
                    std::nullopt,
                    Failure("recebidos 4 KB de 8 KB")},
        OutcomeCase{"LengthHeaderInAnyCase",
                    Answer("content-LENGTH: 2000\r\n", kHalf),
                    {},
                    kHalf,
                    "Download Parcial Completo"},
        OutcomeCase{"LengthWithBlanksAround",
                    Answer("Content-Length: \t 2000 \r\n", kHalf),
                    {},
                    kHalf,
                    "Download Parcial Completo"},
        // Exactly the announced bytes are read: what follows them is never taken ...
        OutcomeCase{"BodyLongerThanTheLength",
                    Answer("Content-Length: 1000\r\n", kFive),
                    {},
                    kFive.substr(0, 1000),
                    "Download Parcial Completo"},
        // ... however much of it comes.
        OutcomeCase{"EndlessBody",
                    [](const Connection& c) {
                        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + kFive);
                        c.SendForever(Body(65536));
                    },
                    {},
                    kFive,
                    "Download Parcial Completo"},
        // Lengths that are no number of bytes, each with 5000 bytes sent.
        OutcomeCase{"LengthLetters",
                    Answer("Content-Length: abc\r\n", kFive),
                    {kLengthError},
                    std::nullopt,
                    Failure(kUnknownLength.c_str())},
        OutcomeCase{"LengthNegative",
                    Answer("Content-Length: -1\r\n", kFive),
                    {kLengthError},
                    std::nullopt,
                    Failure(kUnknownLength.c_str())},
        OutcomeCase{"LengthWithExponent",
                    Answer("Content-Length: 9e3\r\n", kFive),
                    {kLengthError},
                    std::nullopt,
                    Failure(kUnknownLength.c_str())},
        OutcomeCase{"LengthEmpty",
                    Answer("Content-Length: \r\n", kFive),
                    {kLengthError},
                    std::nullopt,
                    Failure(kUnknownLength.c_str())},
        OutcomeCase{"LengthBeyondAnyInteger",
                    Answer("Content-Length: 99999999999999999999999\r\n", kFive),
                    {kLengthError},
                    std::nullopt,
                    Failure(kUnknownLength.c_str())},
        OutcomeCase{"LengthAboveOneGibibyte",
                    Answer("Content-Length: 1073741825\r\n", kFive),
                    {kLengthError},
                    std::nullopt,
                    Failure(kUnknownLength.c_str())},
        // Two length lines, even equal ones, are no one length.
        OutcomeCase{"TwoLengths",
                    Answer("Content-Length: 5000\r\nContent-Length: 5000\r\n", kFive),
                    {kLengthError},
                    std::nullopt,
                    Failure(kUnknownLength.c_str())},
        // A line that merely holds "content-length:" in its value is another header.
        OutcomeCase{"LengthNamedInAnotherLine",
                    Answer("Content-Length: 9000\r\nX-Note: content-length: 5000\r\n", kFive),
                    {CriticalError()},
                    std::nullopt,
                    Failure("recebidos 4 KB de 8 KB")},
        OutcomeCase{"OnlyAnotherLineNamesTheLength",
                    Answer("X-Note: content-length: 5000\r\n", kFive),
                    {kLengthError},
                    std::nullopt,
                    Failure(kUnknownLength.c_str())},
        // A body in another encoding is not the length's bytes.
        OutcomeCase{"LengthWithTransferEncoding",
                    Answer("Transfer-Encoding: chunked\r\nContent-Length: 5000\r\n", kFive),
                    {kLengthError},
                    std::nullopt,
                    Failure(kUnknownLength.c_str())},
        OutcomeCase{"NoLength",
                    Answer("", kHalf),
                    {kLengthError},
                    std::nullopt,
                    Failure(kUnknownLength.c_str())},
        // The error page is not saved; its status is shown and the window says why.
        OutcomeCase{"NotFound",
                    [](const Connection& c) {
                        c.Send(
                            "HTTP/1.1 404 Not Found\r\nContent-Length: 20\r\n\r\n"
                            "<html>missing</html>");
                    },
                    {"Server Code|404 Not Found"},
                    std::nullopt,
                    Failure("o servidor respondeu 404 Not Found")},
        OutcomeCase{"NoLengthAndNotFound",
                    [](const Connection& c) { c.Send("HTTP/1.0 404 Not Found\r\n\r\ngone"); },
                    {kLengthError, "Server Code|404 Not Found"},
                    std::nullopt,
                    Failure("o servidor respondeu 404 Not Found")},
        // Only the status line tells the status: a header naming HTTP/1.0 is a header.
        OutcomeCase{"OtherLineNamingHttp",
                    Answer("Via: HTTP/1.0 proxy\r\nContent-Length: 2000\r\n", kHalf),
                    {},
                    kHalf,
                    "Download Parcial Completo"},
        // "200" elsewhere in the status line does not make an error answer a good one.
        OutcomeCase{"ErrorWith200InItsReason",
                    [](const Connection& c) {
                        c.Send("HTTP/1.1 500 Error 200\r\nContent-Length: 2000\r\n\r\n" + kHalf);
                    },
                    {"Server Code|500 Error 200"},
                    std::nullopt,
                    Failure("o servidor respondeu 500 Error 200")},
        OutcomeCase{"ClosedAfterHalf",
                    Answer("Content-Length: 4000\r\n", kHalf),
                    {CriticalError()},
                    std::nullopt,
                    Failure("recebidos 1 KB de 3 KB")},
        OutcomeCase{
            "ClosedInTheHeader",
            [](const Connection& c) { c.Send("HTTP/1.1 200 OK\r\nContent-Length: 4000\r\n"); },
            {CriticalError()},
            std::nullopt,
            Failure("recebidos 0 KB de 3 KB")},
        OutcomeCase{"ClosedWithoutAWord",
                    [](const Connection&) {},
                    {CriticalError()},
                    std::nullopt,
                    Failure("o servidor não respondeu")},
        // Accepts and never answers: the header's receive runs out.
        OutcomeCase{"SilentServer",
                    [](const Connection& c) { c.WaitForClose(); },
                    {CriticalError()},
                    std::nullopt,
                    Failure("o servidor não respondeu")},
        // Answers the header, then falls silent in the middle of the body.
        OutcomeCase{"SilentInTheBody",
                    [](const Connection& c) {
                        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 4000\r\n\r\n" + kHalf);
                        c.WaitForClose();
                    },
                    {CriticalError()},
                    std::nullopt,
                    Failure("recebidos 1 KB de 3 KB")},
        // One header line that never ends is given up at its bound.
        OutcomeCase{"EndlessHeaderLine",
                    [](const Connection& c) {
                        c.Send("HTTP/1.1 200 OK\r\nX-Long: ");
                        c.SendForever(std::string(4096, 'a'));
                    },
                    {CriticalError()},
                    std::nullopt,
                    Failure("resposta inválida do servidor")},
        // Header lines without end are given up after the hundredth.
        OutcomeCase{"EndlessHeader",
                    [](const Connection& c) {
                        c.Send("HTTP/1.1 200 OK\r\n");
                        c.SendForever("X-Filler: more\r\n");
                    },
                    {CriticalError()},
                    std::nullopt,
                    Failure("resposta inválida do servidor")}),
    [](const auto& info) { return std::string(info.param.name); });

std::string HeaderOfLines(int lines) {
    std::string header = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i < lines - 2; ++i) {
        header += "X-Filler-" + std::to_string(i) + ": yes\r\n";
    }
    return header + "Content-Length: 2000\r\n\r\n";
}

TEST_F(DownloadTest, HeaderOfAHundredLinesIsReadAHundredAndOneIsNot) {
    for (const int lines : {99, 100, 101}) {
        SCOPED_TRACE(lines);
        m_dialogs.shown.clear();
        HttpTestServer server([&](const Connection& c) { c.Send(HeaderOfLines(lines) + kHalf); });
        DownloadWatcher watcher;
        bool complete = false;
        runInWmenu([&] { complete = vm::UpdateFile(SiteOf(server)).has_value(); });
        EXPECT_EQ(complete, lines <= 100);
        EXPECT_EQ(Messages().empty(), lines <= 100);
    }
}

TEST_F(DownloadTest, HeaderLineOfEightKibibytesIsReadOneMoreIsNot) {
    for (const std::size_t length : {std::size_t{8192}, std::size_t{8193}}) {
        SCOPED_TRACE(length);
        m_dialogs.shown.clear();
        // The whole line without its CR LF is `length` bytes long.
        const std::string line = "X-Long: " + std::string(length - 8, 'a');
        HttpTestServer server([&](const Connection& c) {
            c.Send("HTTP/1.1 200 OK\r\n" + line + "\r\nContent-Length: 2000\r\n\r\n" + kHalf);
        });
        DownloadWatcher watcher;
        bool complete = false;
        runInWmenu([&] { complete = vm::UpdateFile(SiteOf(server)).has_value(); });
        EXPECT_EQ(complete, length == 8192);
    }
}

TEST_F(DownloadTest, RefusedConnectionCreatesNoFile) {
    vm::UpdateSite site;
    site.host = "127.0.0.1";
    site.port = vm::test::RefusedPort();
    DownloadWatcher watcher;
    bool complete = true;
    runInWmenu([&] { complete = vm::UpdateFile(site).has_value(); });
    EXPECT_FALSE(complete);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Stop|Erro ao acessar a URL 127.0.0.1"});
    EXPECT_FALSE(FileExists(m_installer));
    EXPECT_EQ(watcher.LastLabel(), Failure("servidor inacessível"));
}

TEST_F(DownloadTest, FileThatCannotBeCreatedIsToldOnce) {
    // A folder of the installer's name cannot be opened as a file (EISDIR).
    std::filesystem::create_directory(m_installer);
    HttpTestServer server([](const Connection& c) { c.Send(InstallerAnswer(Body(20000))); });
    DownloadWatcher watcher;
    bool complete = true;
    runInWmenu([&] { complete = vm::UpdateFile(SiteOf(server)).has_value(); });
    EXPECT_FALSE(complete);
    const std::vector<std::string> expected{cp("Erro|Erro criando o arquivo: ") + m_installer +
                                            " !" + kCrLf + cp("É um diretório")};
    EXPECT_EQ(Messages(), expected);
    EXPECT_EQ(watcher.LastLabel(), Failure("o arquivo não pôde ser criado"));
}

TEST_F(DownloadTest, WriteThatFailsIsToldOnceAndEndsTheDownload) {
    // The process may write no file beyond 10000 bytes: the write fails with EFBIG (the signal
    // that would end the process is ignored meanwhile).
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 10000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    HttpTestServer server([](const Connection& c) { c.Send(InstallerAnswer(Body(20000))); });
    DownloadWatcher watcher;
    bool complete = true;
    runInWmenu([&] { complete = vm::UpdateFile(SiteOf(server)).has_value(); });
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(complete);
    // The reason in words, in Portuguese whatever the locale, never the bare number 27.
    const std::vector<std::string> expected{cp("Erro|Erro salvando o arquivo:") + kCrLf +
                                            cp("Arquivo grande demais")};
    EXPECT_EQ(Messages(), expected);
    EXPECT_EQ(watcher.LastLabel(), Failure("erro ao gravar o arquivo"));
    EXPECT_EQ(FolderContent(), std::vector<std::string>{});
}

// A link named Update.exe, planted in the current folder, points at a file elsewhere: the
// download never writes through it. A whole download replaces the link by the installer, and the
// installer started is that new file; a failed one leaves the link as it was.
TEST_F(DownloadTest, PlantedLinkIsReplacedNeverFollowed) {
    const std::string outside = m_folder + "-outside.txt";
    for (const bool whole : {true, false}) {
        SCOPED_TRACE(whole ? "whole download" : "cut short");
        m_dialogs.shown.clear();
        m_started.clear();
        std::filesystem::remove(m_installer);
        { std::ofstream(outside) << "Relatório da Sala de Reunião"; }
        std::filesystem::create_symlink(outside, m_installer);
        const std::string body = Body(5000);
        HttpTestServer server(Site([&](const Connection& c) {
            c.Send("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" +
                   (whole ? body : body.substr(0, 3000)));
        }));
        DownloadWatcher watcher;
        m_dialogs.messageAnswers = {vm::MessageAnswer::Yes};
        runInWmenu([&] { vm::UpdateFrom(SiteOf(server), true); });

        EXPECT_EQ(vm::ReadWholeFile(outside), "Relatório da Sala de Reunião")
            << "the link's target";
        EXPECT_EQ(std::filesystem::is_symlink(m_installer), !whole);
        if (whole) {
            EXPECT_TRUE(SameBytes(vm::ReadWholeFile(m_installer), body));
            EXPECT_EQ(m_started, std::vector<std::string>{m_installer});
        } else {
            EXPECT_TRUE(m_started.empty());
        }
        EXPECT_EQ(FolderContent(), std::vector<std::string>{"Update.exe"});
    }
    std::filesystem::remove(outside);
}

// An installer from an earlier download stays whole when the next one fails.
TEST_F(DownloadTest, FailedDownloadKeepsTheEarlierInstaller) {
    { std::ofstream(m_installer, std::ios::binary) << "MZ earlier"; }
    HttpTestServer server([](const Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + Body(100));
    });
    DownloadWatcher watcher;
    runInWmenu([&] { EXPECT_FALSE(vm::UpdateFile(SiteOf(server))); });
    EXPECT_EQ(vm::ReadWholeFile(m_installer), "MZ earlier");
    EXPECT_EQ(FolderContent(), std::vector<std::string>{"Update.exe"});
}

// A failure text longer than the label's one line wraps and stays whole on screen, above the bar.
TEST_F(DownloadTest, LongFailureTextIsReadable) {
    HttpTestServer server([](const Connection& c) {
        c.Send("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n");
    });
    DownloadWatcher watcher;
    watcher.closeOnFailure = false;
    bool checked = false;
    watcher.onSample = [&] {
        const std::string expected = Failure("o servidor respondeu 500 Internal Server Error");
        if (checked || watcher.LastLabel() != expected || vm::DownloadWorkersRunning() != 0) {
            return;
        }
        checked = true;
        auto* label = qobject_cast<QLabel*>(vm::ControlWidget("WupdateFile", "Label_1"));
        auto* bar = vm::ControlWidget("WupdateFile", "Pg_1");
        ASSERT_TRUE(label && bar);
        EXPECT_TRUE(label->wordWrap());
        EXPECT_GE(label->height(), label->heightForWidth(label->width())) << "every line shows";
        EXPECT_GE(label->y(), 0);
        EXPECT_LE(label->geometry().bottom(), bar->y()) << "above the bar";
        EXPECT_EQ(label->width(), 440);
        SaveShot(vm::FormWidget("WupdateFile"), "update-download-failure.png");
        CloseDownloadWindow();
    };
    runInWmenu([&] { EXPECT_FALSE(vm::UpdateFile(SiteOf(server))); });
    EXPECT_TRUE(checked);
}

// --- The user and the open window ---

TEST_F(DownloadTest, ClosingTheWindowStopsTheWorkerWithoutTouchingAnyWindow) {
    constexpr std::size_t kSent = 64 * 1024;
    Gate more;
    HttpTestServer server(Site([&](const Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1048576\r\n\r\n" + Body(kSent));
        c.Wait(more);
        c.Send(Body(1048576).substr(kSent));
    }));
    DownloadWatcher watcher;
    watcher.closeOnFailure = false;
    watcher.onSample = [&] {
        if (watcher.LastLabel() != "64 KB from 1024 KB") {
            return;
        }
        watcher.stopped = true;
        CloseDownloadWindow();
        ASSERT_FALSE(vm::IsWindowDefined("WupdateFile"));
        // A window of the same name defined now is not the download's: the worker must leave
        // it alone.
        vm::DefineWindow({.name = "WupdateFile", .title = "decoy"});
        vm::DefineLabel({.name = "Label_1", .text = "decoy"});
        vm::DefineProgressBar({.name = "Pg_1", .value = 7});
        vm::EndWindow();
        more.Open();
    };
    m_dialogs.messageAnswers = {vm::MessageAnswer::Yes};
    runInWmenu([&] {
        vm::UpdateFrom(SiteOf(server), true);
        EXPECT_TRUE(vm::IsWindowActive("wmenu")) << "the program goes on";
        ASSERT_TRUE(QTest::qWaitFor([] { return vm::DownloadWorkersRunning() == 0; }, 30'000));
        EXPECT_EQ(vm::GetProperty("WupdateFile", "Label_1", "value").text(), "decoy");
        EXPECT_EQ(vm::GetProperty("WupdateFile", "Pg_1", "value").number(), 7);
    });
    EXPECT_TRUE(m_started.empty());
    EXPECT_EQ(Messages().size(), 1u) << "nothing after the question";
    // The worker stopped at the first piece after the close and left nothing behind.
    EXPECT_EQ(FolderContent(), std::vector<std::string>{});
}

TEST_F(DownloadTest, SecondCheckBringsTheOpenWindowForward) {
    Gate finish;
    const std::string body = Body(10000);
    HttpTestServer server(Site([&](const Connection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n\r\n" + body.substr(0, 4096));
        c.Wait(finish);
        c.Send(body.substr(4096));
    }));
    DownloadWatcher watcher;
    bool checkedAgain = false;
    watcher.onSample = [&] {
        if (checkedAgain || watcher.LastLabel() != "4 KB from 9 KB") {
            return;
        }
        checkedAgain = true;
        QWidget* window = vm::FormWidget("WupdateFile");
        vm::FormWidget("wmenu")->activateWindow();
        // The menu item again, while the download window is open.
        vm::UpdateFrom(SiteOf(server), true);
        EXPECT_EQ(vm::FormWidget("WupdateFile"), window) << "still the same window";
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        finish.Open();
    };
    m_dialogs.messageAnswers = {vm::MessageAnswer::Yes};
    runInWmenu([&] { vm::UpdateFrom(SiteOf(server), false); });
    EXPECT_TRUE(checkedAgain);
    EXPECT_EQ(server.Requests().size(), 2u) << "the second check asked the server nothing";
    EXPECT_EQ(Messages().size(), 1u) << "and asked the user nothing";
    EXPECT_EQ(m_started, std::vector<std::string>{m_installer});
    EXPECT_TRUE(SameBytes(vm::ReadWholeFile(m_installer), body));
}

}  // namespace

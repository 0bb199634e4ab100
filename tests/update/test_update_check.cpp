// The update check against a real HTTP server on 127.0.0.1: the version page, the decision and
// the questions, read back from the dialogs the user would see.

#include <QCursor>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "core/file_names.h"
#include "core/program_values.h"
#include "core/win1252.h"
#include "program/main_window.h"
#include "runtime/startup.h"
#include "tests/support/comma_locale.h"
#include "ui/form_layer.h"
#include "update/check_at_start.h"
#include "update/check_at_start_setting.h"
#include "update/update_check.h"
#include "update_test_support.h"
#include "ui/file_failure_text.h"

using vm::test::Connection;
using vm::test::HttpTestServer;
using vm::test::PageAnswer;

namespace {

const std::string kCrLf = "\r\n";

std::string Question(const std::string& sentence, const std::string& siteVersion) {
    return sentence + kCrLf + kCrLf + "Instalada : " + vm::programValues().QTV_VERSAO +
           std::string(15, ' ') + "Para download : " + siteVersion + kCrLf + kCrLf + kCrLf + kCrLf;
}

std::string NewerQuestion(const std::string& siteVersion) {
    return Question(cp("Existe uma versão mais atual do software instalado, deseja executar o "
                       "download agora ?"),
                    siteVersion);
}

std::string UpToDateQuestion(const std::string& siteVersion) {
    return Question(cp("A versão do software instalado está atualizada, mesmo assim deseja "
                       "executar o download agora ?"),
                    siteVersion);
}

std::string Asked(const std::string& text) {
    return cp("Atualização") + "|" + text;
}

// Serves the version page and nothing else.
HttpTestServer::Handler ServePage(std::string answer) {
    return [answer](const Connection& c) {
        if (c.Asks("/vistametra/index.html")) {
            c.Send(answer);
        }
    };
}

class UpdateCheckTest : public UpdateTest {
protected:
    void TearDown() override {
        vm::programValues().QTV_VERSAO = "Vistametra 1.05";
        UpdateTest::TearDown();
    }

    // Runs the check inside "wmenu", answering No to any question.
    void Check(const vm::UpdateSite& site, bool manual) {
        m_dialogs.messageAnswers = {vm::MessageAnswer::No};
        runInWmenu([&] {
            vm::UpdateFrom(site, manual);
            EXPECT_TRUE(vm::IsWindowActive("wmenu")) << "the program must go on";
            EXPECT_FALSE(vm::IsWindowDefined("WupdateFile"));
        });
        EXPECT_TRUE(m_started.empty());
    }
};

struct VersionCase {
    const char* name;
    const char* installed;  // QTV_VERSAO
    std::string page;       // the body of the version page
    bool manual;
    // The question asked: "" for none, else "newer" or "current" with the site version shown.
    const char* question;
    const char* shown;
};

void PrintTo(const VersionCase& c, std::ostream* out) {
    *out << c.name;
}

class VersionDecision : public UpdateCheckTest,
                        public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionDecision, AsksTheRightQuestion) {
    const VersionCase& c = GetParam();
    vm::programValues().QTV_VERSAO = c.installed;
    HttpTestServer server(ServePage(PageAnswer(c.page)));
    Check(SiteOf(server), c.manual);

    const std::string q = c.question;
    if (q.empty()) {
        EXPECT_TRUE(Messages().empty());
    } else {
        const std::string text = q == "newer" ? NewerQuestion(c.shown) : UpToDateQuestion(c.shown);
        EXPECT_EQ(Messages(), std::vector<std::string>{Asked(text)});
        ASSERT_EQ(m_dialogs.shown.size(), 1u);
        EXPECT_EQ(m_dialogs.shown[0].purpose, "MsgYesNo");
    }
    // One request for the page, and the download was never asked for (the answer was No).
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind("GET /vistametra/index.html HTTP/1.0\r\n", 0), 0u) << requests[0];
}

const std::string kPage106 = "<html><body><a href=\"x\">Download Vistametra 1.06</a></body></html>";

INSTANTIATE_TEST_SUITE_P(
    Pages, VersionDecision,
    ::testing::Values(
        VersionCase{"NewerQuiet", "Vistametra 1.05", kPage106, false, "newer", "Vistametra 1.06"},
        VersionCase{"NewerManual", "Vistametra 1.05", kPage106, true, "newer", "Vistametra 1.06"},
        VersionCase{"EqualQuiet", "Vistametra 1.05", "Download Vistametra 1.05", false, "", ""},
        VersionCase{"EqualManual", "Vistametra 1.05", "Download Vistametra 1.05", true, "current",
                    "Vistametra 1.05"},
        VersionCase{"LowerQuiet", "Vistametra 1.05", "Download Vistametra 1.04", false, "", ""},
        // 1.10 reads as the number 1.1: above 1.05 ...
        VersionCase{"TenAboveFive", "Vistametra 1.05", "Download Vistametra 1.10", false, "newer",
                    "Vistametra 1.10"},
        // ... and below 1.5: versions compare as decimals, not part by part.
        VersionCase{"TenBelowFiftyQuiet", "Vistametra 1.5", "Download Vistametra 1.10", false, "",
                    ""},
        VersionCase{"TenBelowFiftyManual", "Vistametra 1.5", "Download Vistametra 1.10", true,
                    "current", "Vistametra 1.10"},
        // Only the first marker counts; the separator may be any character.
        VersionCase{"FirstMarkerCounts", "Vistametra 1.05",
                    "Download Vistametra_1.04 ... Download Vistametra 9.99", true, "current",
                    "Vistametra_1.04"},
        // The marker at the very end: no version, which reads as 0.
        VersionCase{"MarkerAtTheEndQuiet", "Vistametra 1.05", "<p>Download Vistametra", false, "",
                    ""},
        VersionCase{"MarkerAtTheEndManual", "Vistametra 1.05", "<p>Download Vistametra", true,
                    "current", "Vistametra"}),
    [](const auto& info) { return std::string(info.param.name); });

// The installed copy is updated by the package manager: a newer version on the page is told with
// the page's text, and nothing is downloaded or started, whether the user asked or not.
TEST_F(UpdateCheckTest, InstalledCopyNamesThePackageManagerAndRunsNothing) {
    struct Case {
        std::string page;
        bool manual;
        std::string says;  // "" for no box
    };
    const std::string newer = cp("Atualize pelo gerenciador de pacotes.");
    const std::string current = cp("A versão do software instalado está atualizada.");
    for (const Case& c : {Case{kPage106, false, newer}, Case{kPage106, true, newer},
                          Case{"Download Vistametra 1.05", true, current},
                          Case{"Download Vistametra 1.05", false, ""}}) {
        SCOPED_TRACE(c.page + (c.manual ? " manual" : " quiet"));
        m_dialogs.shown.clear();
        const std::size_t before = Messages().size();
        HttpTestServer server(ServePage(PageAnswer(c.page)));
        vm::UpdateSite site = SiteOf(server);
        site.installedCopy = true;
        // Were a question asked, Yes would start the download.
        m_dialogs.messageAnswers = {vm::MessageAnswer::Yes};
        runInWmenu([&] {
            vm::UpdateFrom(site, c.manual);
            EXPECT_TRUE(vm::IsWindowActive("wmenu"));
            EXPECT_FALSE(vm::IsWindowDefined("WupdateFile"));
        });
        EXPECT_TRUE(m_started.empty());
        EXPECT_EQ(FolderContent(), std::vector<std::string>{});
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].rfind("GET /vistametra/index.html ", 0), 0u);
        const std::vector<std::string> all = Messages();
        const std::vector<std::string> messages(all.begin() + long(before), all.end());
        if (c.says.empty()) {
            EXPECT_TRUE(messages.empty());
            continue;
        }
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(c.says), std::string::npos) << messages[0];
        ASSERT_EQ(m_dialogs.shown.size(), 1u);
        EXPECT_EQ(m_dialogs.shown[0].purpose, "MsgInfo");
        if (c.says == newer) {
            // The page's own text follows, and both versions are named.
            EXPECT_NE(messages[0].find(c.page), std::string::npos) << messages[0];
            EXPECT_NE(messages[0].find("Vistametra 1.06"), std::string::npos);
        }
    }
}

// With http_proxy set, the version page is asked of the proxy by its whole address, and the
// answer the proxy relays is read as the site's; no_proxy naming the vendor's host goes direct.
TEST_F(UpdateCheckTest, VersionPageGoesThroughHttpProxy) {
    const std::string page = PageAnswer("Download Vistametra 1.06");
    HttpTestServer proxy([&page](const Connection& c) { c.Send(page); });
    const std::string address = "http://127.0.0.1:" + std::to_string(proxy.Port());
    setenv("http_proxy", address.c_str(), 1);
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");
    vm::UpdateSite site;  // the vendor's host, the proxy from the environment
    site.installedCopy = false;
    Check(site, false);
    setenv("no_proxy", "localhost,.vistametra.com.br", 1);
    const vm::UpdateSite exempted;
    unsetenv("http_proxy");
    unsetenv("no_proxy");

    const auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind(
                  "GET http://www.vistametra.com.br:80/vistametra/index.html HTTP/1.0\r\n", 0),
              0u)
        << requests[0];
    EXPECT_NE(requests[0].find("Host: www.vistametra.com.br\r\n"), std::string::npos);
    // The relayed page was read: a newer version, so the question was asked.
    EXPECT_EQ(Messages(), std::vector<std::string>{Asked(NewerQuestion("Vistametra 1.06"))});
    EXPECT_FALSE(exempted.proxy.has_value());
}

// The installed copy asks once, at its first start, whether to check at all; the answer is kept
// and holds at the next starts. A copy without a choice checks without asking.
TEST_F(UpdateCheckTest, InstalledCopyAsksOnceWhetherToCheckAtStart) {
    setenv("XDG_CONFIG_HOME", (m_folder + "/config").c_str(), 1);
    HttpTestServer server(ServePage(PageAnswer("Download Vistametra 1.05")));
    vm::UpdateSite site = SiteOf(server);
    const auto start = [&](vm::MessageAnswer answer) {
        m_dialogs.messageAnswers = {answer};
        runInWmenu([&] { vm::CheckAtStart(site); });
    };
    site.installedCopy = false;
    start(vm::MessageAnswer::No);
    EXPECT_TRUE(m_dialogs.shown.empty()) << "a build-tree copy does not ask";
    EXPECT_EQ(server.Requests().size(), 1u);

    site.installedCopy = true;
    start(vm::MessageAnswer::No);
    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    EXPECT_EQ(m_dialogs.shown[0].purpose, "MsgYesNo");
    EXPECT_EQ(vm::CheckAtStartChoice(), std::optional<bool>(false));
    start(vm::MessageAnswer::Yes);
    EXPECT_EQ(m_dialogs.shown.size(), 1u) << "asked only once";
    EXPECT_EQ(server.Requests().size(), 1u) << "turned off: no connection";

    // Turned on again from the Help menu, the next start checks.
    m_dialogs.messageAnswers = {vm::MessageAnswer::Yes};
    runInWmenu([] { vm::ChooseCheckAtStart(); });
    EXPECT_EQ(vm::CheckAtStartChoice(), std::optional<bool>(true));
    start(vm::MessageAnswer::No);
    EXPECT_EQ(server.Requests().size(), 2u);

    // A choice that cannot be kept (a folder bears the file's name) is said in Portuguese, with
    // the system's reason decoded and the file below it.
    std::filesystem::remove(vm::CheckAtStartFile());
    std::filesystem::create_directory(vm::CheckAtStartFile());
    m_dialogs.shown.clear();
    m_dialogs.messageAnswers = {vm::MessageAnswer::No};
    runInWmenu([] { vm::ChooseCheckAtStart(); });
    ASSERT_EQ(m_dialogs.shown.size(), 2u);
    EXPECT_EQ(m_dialogs.shown[1].message.text,
              vm::utf8ToWin1252("A escolha não pôde ser guardada.\r\n") +
                  vm::SystemReasonText(EISDIR) + "\r\n" +
                  vm::TextFromFileName(vm::CheckAtStartFile()));
    unsetenv("XDG_CONFIG_HOME");
}

// A Brazilian desktop's decimal comma does not change how the versions read: 1.05 < 1.06.
TEST_F(UpdateCheckTest, VersionsCompareAsDecimalsUnderACommaLocale) {
    vm::testing::CommaLocale brazil;
    ASSERT_TRUE(brazil.active());
    HttpTestServer newer(ServePage(PageAnswer(kPage106)));
    Check(SiteOf(newer), false);
    EXPECT_EQ(Messages(), std::vector<std::string>{Asked(NewerQuestion("Vistametra 1.06"))});

    m_dialogs.shown.clear();
    HttpTestServer same(ServePage(PageAnswer("Download Vistametra 1.05")));
    Check(SiteOf(same), false);
    EXPECT_TRUE(Messages().empty());
}

// --- A server that gives no answer ---

struct SilenceCase {
    const char* name;
    // The server's handler; none: nobody listens on the port.
    std::function<void(const Connection&)> serve;
};

void PrintTo(const SilenceCase& c, std::ostream* out) {
    *out << c.name;
}

class NoAnswer : public UpdateCheckTest, public ::testing::WithParamInterface<SilenceCase> {};

// Without an answer nothing is known about the versions: the user who asked is told that the
// server could not be reached, the start-up check says nothing, and nobody is asked anything.
TEST_P(NoAnswer, ManualCheckSaysSoQuietCheckIsSilent) {
    const SilenceCase& c = GetParam();
    for (const bool manual : {false, true}) {
        SCOPED_TRACE(manual ? "manual" : "start-up");
        m_dialogs.shown.clear();
        std::optional<HttpTestServer> server;
        vm::UpdateSite site;
        if (c.serve) {
            server.emplace(c.serve);
            site = ImpatientSiteOf(*server);
        } else {
            site.host = "127.0.0.1";
            site.port = vm::test::RefusedPort();
        }
        Check(site, manual);
        if (manual) {
            const std::vector<std::string> expected{
                cp("Atualização|Não foi possível contatar o servidor de atualização.")};
            EXPECT_EQ(Messages(), expected);
            ASSERT_EQ(m_dialogs.shown.size(), 1u);
            EXPECT_EQ(m_dialogs.shown[0].purpose, "MsgStop");
        } else {
            EXPECT_TRUE(Messages().empty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Servers, NoAnswer,
    ::testing::Values(SilenceCase{"NoListener", {}},
                      // Accepts and closes at once.
                      SilenceCase{"ClosesAtOnce", [](const Connection&) {}},
                      // Accepts, reads the request and never answers.
                      SilenceCase{"Silent", [](const Connection& c) { c.WaitForClose(); }}),
    [](const auto& info) { return std::string(info.param.name); });

// While the start-up check waits for a silent server the event loop goes on (a timer fires every
// 100 ms, the wait cursor shows) and the window is still empty; once the check gives up, the
// window shows the project.
TEST_F(UpdateCheckTest, EventLoopRunsWhileTheQuietCheckWaits) {
    HttpTestServer server([](const Connection& c) { c.WaitForClose(); });
    vm::UpdateSite site = SiteOf(server);
    site.limits.receiveTimeoutMs = 1500;
    site.pageTimeLimitMs = 1500;

    vm::StartWithoutWindow([] { return std::string("PDF"); });
    vm::projeto().cProjeto = cp("SALA DE REUNIÃO");
    vm::mainWindowProcedures() = {};
    bool checking = false;
    int ticksWhileChecking = 0;
    bool waitCursorShown = true;
    bool windowEmptyMeanwhile = true;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (!checking) {
            return;
        }
        ++ticksWhileChecking;
        const QCursor* cursor = QGuiApplication::overrideCursor();
        waitCursorShown = waitCursorShown && cursor && cursor->shape() == Qt::WaitCursor;
        windowEmptyMeanwhile =
            windowEmptyMeanwhile && vm::GetProperty("wmenu", "cProjetot", "value").text().empty();
    });
    ticker.start(100);
    std::string shownAfter;
    vm::mainWindowProcedures().update = [&](bool manual) {
        checking = true;
        vm::UpdateFrom(site, manual);
        checking = false;
        // Runs in the window's own event loop, once the on-init procedure is over.
        QTimer::singleShot(0, [&] {
            shownAfter = vm::GetProperty("wmenu", "cProjetot", "value").text();
            vm::ReleaseAllWindows();
        });
    };
    vm::DefineMainWindow();
    vm::DoMethod("wmenu", "activate");

    // 1.5 s of waiting: about 15 ticks; a blocked loop gives none.
    EXPECT_GE(ticksWhileChecking, 8);
    EXPECT_TRUE(waitCursorShown);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the cursor is back";
    EXPECT_TRUE(windowEmptyMeanwhile);
    EXPECT_EQ(shownAfter, cp("SALA DE REUNIÃO"));
    EXPECT_TRUE(Messages().empty());
    vm::mainWindowProcedures() = {};
}

TEST_F(UpdateCheckTest, AnswerWithoutTheMarkerIsShownRawInBothModes) {
    // The marker is searched case-sensitively.
    const std::string answer =
        "HTTP/1.0 404 Not Found\r\nServer: test\r\n\r\n<h1>download vistametra 1.06</h1>";
    for (const bool manual : {false, true}) {
        SCOPED_TRACE(manual ? "manual" : "start-up");
        m_dialogs.shown.clear();
        HttpTestServer server(ServePage(answer));
        Check(SiteOf(server), manual);
        const std::vector<std::string> expected{cp("Update|Arquivo para update não encontrado!"),
                                                "teste|" + answer};
        EXPECT_EQ(Messages(), expected);
        ASSERT_EQ(m_dialogs.shown.size(), 2u);
        EXPECT_EQ(m_dialogs.shown[0].purpose, "MsgStop");
        EXPECT_EQ(m_dialogs.shown[1].purpose, "MsgStop");
    }
}

TEST_F(UpdateCheckTest, TricklingServerEndsAtThePageDeadline) {
    // One byte now and then keeps every receive alive; the page's own deadline ends the wait.
    HttpTestServer server([](const Connection& c) {
        c.Send("HTTP/1.0 200 OK\r\n\r\n");
        while (!*c.stop && c.Send("x")) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    Check(ImpatientSiteOf(server), false);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0], cp("Update|Arquivo para update não encontrado!"));
    EXPECT_EQ(Messages()[1].rfind("teste|HTTP/1.0 200 OK\r\n\r\nx", 0), 0u);
}

// A page of a mebibyte without the marker: the box shows its first 2000 characters and "…".
// The marker lies beyond the first mebibyte, which is all that is read.
TEST_F(UpdateCheckTest, LongAnswerIsShownCut) {
    const std::string head = "HTTP/1.0 200 OK\r\n\r\n";
    const std::string page = head + std::string(1024 * 1024, 'a');
    HttpTestServer server([&](const Connection& c) {
        c.Send(page);
        c.Send("Download Vistametra 1.06");
        c.WaitForClose();
    });
    Check(SiteOf(server), false);
    const std::vector<std::string> expected{cp("Update|Arquivo para update não encontrado!"),
                                            "teste|" + page.substr(0, 2000) + "\x85"};
    EXPECT_EQ(Messages(), expected);
}

// Many short lines are cut after the thirtieth, so the box stays within the screen's height.
TEST_F(UpdateCheckTest, AnswerOfManyLinesIsShownCut) {
    std::string answer = "HTTP/1.0 500 Internal Server Error\r\n\r\n";
    for (int i = 0; i < 500; ++i) {
        answer += "<br>\r\n";
    }
    HttpTestServer server(ServePage(answer));
    Check(SiteOf(server), true);
    ASSERT_EQ(Messages().size(), 2u);
    const std::string shown = Messages()[1].substr(std::string("teste|").size());
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 29);
    EXPECT_EQ(shown.back(), '\x85');
    EXPECT_EQ(answer.rfind(shown.substr(0, shown.size() - 1), 0), 0u) << "the answer's start";
}

}  // namespace

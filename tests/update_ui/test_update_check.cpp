// The update check against a real HTTP server on 127.0.0.1: the version page, the decision and
// the questions, read back from the dialogs the user would see.

#include <string>

#include "core/program_values.h"
#include "tests/support/comma_locale.h"
#include "ui/form_layer.h"
#include "update/update_check.h"
#include "update_test_support.h"

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

TEST_F(UpdateCheckTest, ServerDownIsSilentAtStartUp) {
    vm::UpdateSite site;
    site.host = "127.0.0.1";
    site.port = vm::test::RefusedPort();
    Check(site, false);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(UpdateCheckTest, ServerDownAsksTheUpToDateQuestionWithNoSiteVersion) {
    vm::UpdateSite site;
    site.host = "127.0.0.1";
    site.port = vm::test::RefusedPort();
    Check(site, true);
    const std::vector<std::string> expected{Asked(UpToDateQuestion(""))};
    EXPECT_EQ(Messages(), expected);
    // Nothing at all after "Para download : " but the four line ends.
    EXPECT_NE(Messages()[0].find("Para download : \r\n\r\n\r\n\r\n"), std::string::npos);
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

TEST_F(UpdateCheckTest, SilentServerEndsWithinTheTimeOuts) {
    // Accepts, reads the request and never answers: the page arrives empty once the receive
    // time-out runs out, so it lacks the marker.
    HttpTestServer server([](const Connection& c) { c.WaitForClose(); });
    Check(ImpatientSiteOf(server), true);
    const std::vector<std::string> expected{cp("Update|Arquivo para update não encontrado!"),
                                            "teste|"};
    EXPECT_EQ(Messages(), expected);
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

TEST_F(UpdateCheckTest, EndlessPageIsCutAtItsBound) {
    // The marker lies beyond the first mebibyte, which is all that is read.
    HttpTestServer server([](const Connection& c) {
        c.Send("HTTP/1.0 200 OK\r\n\r\n");
        c.Send(std::string(1024 * 1024, 'a'));
        c.Send("Download Vistametra 1.06");
        c.WaitForClose();
    });
    Check(SiteOf(server), false);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0], cp("Update|Arquivo para update não encontrado!"));
    EXPECT_EQ(Messages()[1].size(), std::string("teste|").size() + 1024 * 1024);
}

}  // namespace

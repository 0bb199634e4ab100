// The quiet update check of the started program against a server on 127.0.0.1: turned off, it
// makes no connection; while it waits for a silent server, the status bar says so.
#include <QElapsedTimer>
#include <QTimer>
#include <cstdlib>
#include <fstream>

#include "core/win1252.h"
#include "program/program_start.h"
#include "tests/support/loopback_server.h"
#include "tests/support/temp_folder.h"
#include "tests/support/ui_test_support.h"
#include "ui/form_layer.h"
#include "update/check_at_start_setting.h"

namespace {

class StartUpdateCheck : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        // The lock and the choice of this test alone.
        setenv("XDG_RUNTIME_DIR", m_folder.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", m_folder.path().c_str(), 1);
    }

    // Starts the program against `server`, samples the status bar while the window is open and
    // ends the program once `done` holds.
    std::vector<std::string> StartAgainst(const vm::test::HttpTestServer& server,
                                          const std::function<bool()>& done) {
        vm::UpdateSite site;
        site.host = "127.0.0.1";
        site.port = server.Port();
        site.proxy.reset();
        site.installedCopy = false;
        site.limits.receiveTimeoutMs = 500;
        site.pageTimeLimitMs = 1'500;
        std::vector<std::string> status;
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            if (!vm::IsWindowActive("wmenu")) {
                return;
            }
            const std::string text = vm::GetProperty("wmenu", "STATUSITEM", "value").text();
            if (status.empty() || status.back() != text) {
                status.push_back(text);
            }
            if (done()) {
                sampler.stop();
                vm::DoMethod("wmenu", "release");
            }
        });
        sampler.start(20);
        EXPECT_EQ(vm::StartProgram({.checkForUpdates = true, .updateSite = site}), 0);
        return status;
    }

    vm::test::TempFolder m_folder{"vm-start-update"};
};

TEST_F(StartUpdateCheck, TurnedOffMakesNoConnection) {
    std::string error;
    ASSERT_TRUE(vm::SaveCheckAtStartChoice(false, &error)) << error;
    vm::test::HttpTestServer server([](const vm::test::Connection& c) { c.WaitForClose(); });
    // The check would run as the window opens; a second later it has long connected.
    QElapsedTimer open;
    open.start();
    const std::vector<std::string> status =
        StartAgainst(server, [&] { return open.elapsed() > 1000; });
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(status, std::vector<std::string>{"    Medidas em metros"});
    EXPECT_TRUE(m_dialogs.shown.empty());
}

TEST_F(StartUpdateCheck, StatusBarSaysSoWhileTheServerIsSilent) {
    vm::test::HttpTestServer server([](const vm::test::Connection& c) { c.WaitForClose(); });
    const std::string waiting = "    " + vm::utf8ToWin1252("Verificando atualização…");
    bool seenWaiting = false;
    std::vector<std::string> status;
    status = StartAgainst(server, [&] {
        // Ends once the waiting text has come and gone.
        const std::string now = vm::GetProperty("wmenu", "STATUSITEM", "value").text();
        seenWaiting = seenWaiting || now == waiting;
        return seenWaiting && now != waiting;
    });
    EXPECT_EQ(server.Requests().size(), 1u);
    // The status is sampled: on a loaded machine the first sample may already show the waiting
    // text, so the window's own text before it is optional.
    if (!status.empty() && status.front() == "    Medidas em metros") {
        status.erase(status.begin());
    }
    EXPECT_EQ(status, (std::vector<std::string>{waiting, "    Medidas em metros"}));
    // A silent server at the quiet check says nothing in a box.
    EXPECT_TRUE(m_dialogs.shown.empty());
}

}  // namespace

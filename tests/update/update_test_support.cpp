#include "update_test_support.h"

#include <unistd.h>

#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/win1252.h"
#include "runtime/process.h"
#include "ui/form_layer.h"
#include "update/update_download.h"
#include "update/update_installer.h"

std::string cp(const char* utf8) {
    return vm::utf8ToWin1252(utf8);
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    const auto diff = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return ::testing::AssertionFailure()
           << actual.size() << " bytes where " << expected.size()
           << " were expected; first difference at offset " << (diff.first - actual.begin());
}

void UpdateTest::SetUp() {
    UiTest::SetUp();
    m_previousFolder = std::filesystem::current_path().string();
    std::string pattern = (std::filesystem::temp_directory_path() / "vm_update_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_folder = pattern;
    std::filesystem::current_path(m_folder);
    m_installer = m_folder + "/Update.exe";
    vm::SetInstallerStarter([this](const std::string& path) {
        m_started.push_back(path);
        return m_startSucceeds;
    });
}

void UpdateTest::TearDown() {
    // A worker that outlived its window must be gone before the next test or the application.
    EXPECT_TRUE(QTest::qWaitFor([] { return vm::DownloadWorkersRunning() == 0; }, 30'000))
        << "a download worker is still running";
    vm::SetInstallerStarter({});
    std::filesystem::current_path(m_previousFolder);
    std::error_code error;
    std::filesystem::remove_all(m_folder, error);
    UiTest::TearDown();
}

void UpdateTest::runInWmenu(const std::function<void()>& body) {
    vm::DefineWindow({.name = "wmenu",
                      .title = "Vistametra",
                      .width = 640,
                      .height = 480,
                      .kind = vm::WindowKind::Main});
    vm::EndWindow();
    runWhileActive(
        "wmenu", [](QWidget* window) { return QTest::qWaitForWindowExposed(window); },
        "the main form was never shown", body);
}

std::vector<std::string> UpdateTest::FolderContent() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

vm::UpdateSite UpdateTest::SiteOf(const vm::test::HttpTestServer& server) {
    vm::UpdateSite site;
    site.host = "127.0.0.1";
    site.port = server.Port();
    site.proxy.reset();
    site.limits.connectTimeoutMs = 5'000;
    site.limits.receiveTimeoutMs = 20'000;
    return site;
}

vm::UpdateSite UpdateTest::ImpatientSiteOf(const vm::test::HttpTestServer& server) {
    vm::UpdateSite site = SiteOf(server);
    site.limits.receiveTimeoutMs = 300;
    site.pageTimeLimitMs = 1'000;
    site.headerTimeLimitMs = 1'000;
    return site;
}

DownloadWatcher::DownloadWatcher() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Sample(); });
    m_timer.start(5);
}

DownloadWatcher::~DownloadWatcher() {
    m_timer.stop();
}

bool DownloadWatcher::Saw(const std::string& label) const {
    return std::find(labels.begin(), labels.end(), label) != labels.end();
}

void DownloadWatcher::Sample() {
    if (stopped || !vm::IsControlDefined("WupdateFile", "Label_1")) {
        return;
    }
    sawWindow = true;
    const std::string label = vm::GetProperty("WupdateFile", "Label_1", "value").text();
    if (labels.empty() || labels.back() != label) {
        labels.push_back(label);
    }
    const int bar = static_cast<int>(vm::GetProperty("WupdateFile", "Pg_1", "value").number());
    if (bars.empty() || bars.back() != bar) {
        bars.push_back(bar);
    }
    label2 = vm::GetProperty("WupdateFile", "Label_2", "value").text();
    if (onSample) {
        onSample();
    }
    if (!stopped && closeOnFailure && vm::IsWindowDefined("WupdateFile") &&
        label.rfind(cp("Download não concluído"), 0) == 0 && vm::DownloadWorkersRunning() == 0) {
        CloseDownloadWindow();
    }
}

void CloseDownloadWindow() {
    if (QWidget* window = vm::FormWidget("WupdateFile")) {
        window->close();
    }
}

void SaveShot(QWidget* widget, const char* name) {
    const char* folder = std::getenv("VM_SHOTS");
    if (folder == nullptr || *folder == '\0' || widget == nullptr) {
        return;
    }
    widget->grab().save(QString::fromUtf8(folder) + "/" + QString::fromUtf8(name));
}

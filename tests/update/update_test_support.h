#pragma once
// Shared by the update tests: a fixture that works in a temporary current folder (the installer
// is written there), records the installer starts instead of running anything and runs a body
// inside the active main form "wmenu"; and a watcher that samples the download window.

#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/http_answers.h"
#include "tests/support/ui_test_support.h"
#include "update/update_site.h"

// Texts of the program are Windows-1252.
std::string cp(const char* utf8);

// A file's whole content; "" when it cannot be read.
bool FileExists(const std::string& path);
// Equal bytes; on a difference tells the sizes and the first differing offset instead of
// printing the contents.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);

class UpdateTest : public UiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Defines the main form "wmenu", activates it and runs `body` inside it; releases the form
    // afterwards when the body has not.
    void runInWmenu(const std::function<void()>& body);

    // The test server as the vendor's site, with time-outs long enough for a loaded machine.
    static vm::UpdateSite SiteOf(const vm::test::HttpTestServer& server);
    // A site whose receive time-out and header deadline are short, for silent servers.
    static vm::UpdateSite ImpatientSiteOf(const vm::test::HttpTestServer& server);

    // The names in the current folder, sorted (hidden ones too).
    std::vector<std::string> FolderContent() const;

    // The messages shown since the test began, as "title|text".
    std::vector<std::string> Messages() const { return m_dialogs.messageLog(); }

    std::string m_folder;                // the temporary current folder
    std::string m_installer;             // m_folder + "/Update.exe"
    std::vector<std::string> m_started;  // every installer start, by path
    bool m_startSucceeds = true;         // what the installer start answers

private:
    std::string m_previousFolder;
};

// Samples the download window "WupdateFile" every few milliseconds while the event loop runs.
class DownloadWatcher {
public:
    DownloadWatcher();
    ~DownloadWatcher();

    std::vector<std::string> labels;  // Label_1 as it changed, in order
    std::vector<int> bars;            // Pg_1 as it changed, in order
    std::string label2;
    bool sawWindow = false;
    // Runs on every sample while the window is there.
    std::function<void()> onSample;
    // Closes the window, as the user would with its close box, once its first line says why the
    // download failed and the worker has ended.
    bool closeOnFailure = true;
    // No more samples (for example once the test has defined a window of the same name itself).
    bool stopped = false;

    std::string LastLabel() const { return labels.empty() ? std::string() : labels.back(); }
    bool Saw(const std::string& label) const;

private:
    void Sample();
    QTimer m_timer;
};

// Closes the download window as the user would.
void CloseDownloadWindow();

// Saves a picture of `widget` as `name` in the folder named by VM_SHOTS, when that is set.
void SaveShot(QWidget* widget, const char* name);

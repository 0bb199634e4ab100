#pragma once
// A temporary current folder and recording handlers for the error handler's tests.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vm::test {

struct Box {
    std::string text;
    std::string title;
};

// Each test runs in a fresh temporary folder that is the current folder; the error box and the
// end of the process are recorded instead of shown and carried out (the fatal path then throws
// ProcessEnded). The log is "qtv.htm" and the handler's once-per-run flags are reset.
class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The whole file, or "" when it does not exist.
    static bool FileExists(const std::string& path);
    // How often `needle` occurs in `text`.
    static int Count(const std::string& text, const std::string& needle);
    // The log's lines: "<BR>" lines without their "<BR>", the head lines and "<HR>" as they stand,
    // and the final "</BODY></HTML>".
    static std::vector<std::string> LogLines(const std::string& log);

    std::string m_folder;
    std::string m_previousFolder;
    std::vector<Box> m_boxes;
    std::vector<int> m_endCodes;
};

// Runs `body` in a child process whose standard error goes to `stderrFile`, and waits for it.
struct ChildEnd {
    bool exited = false;
    int exitCode = -1;
    int signal = 0;
};
ChildEnd RunInChild(const std::function<void()>& body, const std::string& stderrFile);

}  // namespace vm::test

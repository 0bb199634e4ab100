#include "tests/runtime/runtime_fixture.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "runtime/error_handler.h"
#include "runtime/html_log.h"
#include "runtime/mem_vars.h"
#include "runtime/process.h"

namespace vm::test {

void RuntimeTest::SetUp() {
    m_previousFolder = std::filesystem::current_path().string();
    std::string pattern = (std::filesystem::temp_directory_path() / "vm_runtime_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_folder = pattern;
    std::filesystem::current_path(m_folder);

    SetErrorLogFile("qtv.htm");
    SetErrorLogOn(true);
    ShowDetailError(true);
    ResetErrorHandlerRun();
    ClearMemVars();
    SetErrorBoxHandler([this](const std::string& text, const std::string& title) {
        m_boxes.push_back({text, title});
    });
    SetEndProcessHandler([this](int code) { m_endCodes.push_back(code); });
}

void RuntimeTest::TearDown() {
    SetErrorBoxHandler(nullptr);
    SetEndProcessHandler(nullptr);
    ClearMemVars();
    std::filesystem::current_path(m_previousFolder);
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

bool RuntimeTest::FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

int RuntimeTest::Count(const std::string& text, const std::string& needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + needle.size())) {
        ++count;
    }
    return count;
}

std::vector<std::string> RuntimeTest::LogLines(const std::string& log) {
    // A line ends with the CR LF that follows "<BR>" (dropped with it), "<HR>" or "<BODY>"; a CR LF
    // elsewhere belongs to the line's text.
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at = log.find("\r\n"); at != std::string::npos; at = log.find("\r\n", at + 2)) {
        const std::string_view before(log.data() + start, at - start);
        if (before.ends_with("<BR>")) {
            lines.emplace_back(before.substr(0, before.size() - 4));
        } else if (before.ends_with("<HR>") || before.ends_with("<BODY>")) {
            lines.emplace_back(before);
        } else {
            continue;
        }
        start = at + 2;
    }
    if (start < log.size()) {
        lines.push_back(log.substr(start));
    }
    return lines;
}

ChildEnd RunInChild(const std::function<void()>& body, const std::string& stderrFile) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 2);
            close(fd);
        }
        body();
        std::_Exit(99);  // the body was meant to end the process
    }
    ChildEnd end;
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) {
        return end;
    }
    if (WIFEXITED(status)) {
        end.exited = true;
        end.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        end.signal = WTERMSIG(status);
    }
    return end;
}

}  // namespace vm::test

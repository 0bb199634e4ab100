#include "tests/support/tool_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/text.h"
#include "core/whole_file.h"

namespace fs = std::filesystem;

std::string capture(const std::string& command, int* exitStatus) {
    std::string out;
    int status = -1;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, n);
        }
        status = pclose(pipe);
    }
    if (exitStatus != nullptr) {
        *exitStatus = status;
    }
    return out;
}

// Every word of a PDF with its page and top-left corner in millimetres, as poppler reads them.
std::vector<Word> pdfWords(const std::filesystem::path& pdf) {
    const std::string html = capture("pdftotext -bbox '" + pdf.string() + "' - 2>/dev/null");
    std::vector<Word> words;
    int page = 0;
    size_t at = 0;
    const double mmPerPoint = 25.4 / 72;
    while (true) {
        const size_t pageAt = html.find("<page ", at);
        const size_t wordAt = html.find("<word ", at);
        if (wordAt == std::string::npos) {
            break;
        }
        if (pageAt != std::string::npos && pageAt < wordAt) {
            ++page;
            at = pageAt + 1;
            continue;
        }
        const auto attr = [&](const char* name) {
            const size_t a = html.find(name, wordAt) + std::strlen(name) + 2;
            return vm::Val(html.substr(a, html.find('"', a) - a));
        };
        const size_t textAt = html.find('>', wordAt) + 1;
        words.push_back({page, attr("xMin") * mmPerPoint, attr("yMin") * mmPerPoint,
                         html.substr(textAt, html.find("</word>", textAt) - textAt),
                         attr("xMax") * mmPerPoint, attr("yMax") * mmPerPoint});
        at = textAt;
    }
    return words;
}

void ToolProcessTest::SetUp() {
    m_folder.emplace("vm-tool");
    m_dir = m_folder->path();
}

void ToolProcessTest::TearDown() {
    m_folder.reset();
}

std::string reportToolPath() {
    return std::string(VM_BUILD_DIR) + "/vistametra-report";
}

pid_t startTool(const std::vector<std::string>& args, const fs::path& dir, int out,
                const fs::path& errFile, const std::vector<std::string>& environment,
                const std::vector<std::pair<std::string, std::string>>& variables) {
    const pid_t child = fork();
    if (child == 0) {
        for (const std::string& change : environment) {
            const auto eq = change.find('=');
            if (eq == std::string::npos) {
                unsetenv(change.c_str());
            } else {
                setenv(change.substr(0, eq).c_str(), change.substr(eq + 1).c_str(), 1);
            }
        }
        std::vector<std::string> all{reportToolPath()};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (out < 0 || dup2(out, 1) < 0 || !freopen(errFile.c_str(), "w", stderr) ||
            chdir(dir.c_str()) != 0) {
            _exit(99);
        }
        for (const auto& [name, value] : variables) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        execv(argv[0], argv.data());
        _exit(98);
    }
    return child;
}

int runWithOutput(int out, const std::vector<std::string>& args, const fs::path& dir,
                  std::string* err, int seconds) {
    const fs::path errFile = dir / "stderr";
    const pid_t child = startTool(args, dir, out, errFile, {}, {});
    int status = 0;
    for (int waited = 0; waitpid(child, &status, WNOHANG) == 0; ++waited) {
        if (waited == seconds * 10) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        usleep(100000);
    }
    if (err != nullptr) {
        *err = vm::ReadWholeFile(errFile);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ToolRun ToolProcessTest::run(const std::vector<std::string>& args,
                             const std::vector<std::string>& environment) {
    const fs::path out = m_dir / "stdout", err = m_dir / "stderr";
    const int outFile = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t child = startTool(args, m_dir, outFile, err, environment, m_env);
    if (outFile >= 0) {
        close(outFile);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, vm::ReadWholeFile(out),
            vm::ReadWholeFile(err)};
}

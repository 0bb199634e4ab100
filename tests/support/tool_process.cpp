#include "tests/support/tool_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void ToolProcessTest::SetUp() {
    std::string pattern = (fs::temp_directory_path() / "vm-tool-XXXXXX").string();
    m_dir = mkdtemp(pattern.data());
}

void ToolProcessTest::TearDown() {
    fs::remove_all(m_dir);
}

ToolRun ToolProcessTest::run(const std::vector<std::string>& args,
                             const std::vector<std::string>& environment) {
    const fs::path out = m_dir / "stdout", err = m_dir / "stderr";
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
        std::vector<std::string> all{std::string(VM_BUILD_DIR) + "/vistametra-report"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr) ||
            chdir(m_dir.c_str()) != 0) {
            _exit(99);
        }
        for (const auto& [name, value] : m_env) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        execv(argv[0], argv.data());
        _exit(98);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
}

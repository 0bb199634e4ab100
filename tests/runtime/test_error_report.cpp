// The detailed report of the first fatal error, the memory-variable registry and the value texts.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "core/date.h"
#include "core/system_info.h"
#include "core/whole_file.h"
#include "runtime/call_chain.h"
#include "runtime/error_handler.h"
#include "runtime/error_log.h"
#include "runtime/mem_vars.h"
#include "runtime/process.h"
#include "runtime/time_from_start.h"
#include "tests/runtime/runtime_fixture.h"

namespace vm::test {
namespace {

class ErrorReportTest : public RuntimeTest {
protected:
    // The log lines after the entry's fourth line, written by one MGERROR.
    std::vector<std::string> ReportOfOneError() {
        EXPECT_THROW(RaiseMgError("Window: w is not defined."), ProcessEnded);
        return LogLines(ReadWholeFile("qtv.htm"));
    }
    static size_t IndexOf(const std::vector<std::string>& lines, const std::string& line) {
        return static_cast<size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
    }
    static std::string LineStarting(const std::vector<std::string>& lines,
                                    const std::string& prefix) {
        for (const std::string& line : lines) {
            if (line.rfind(prefix, 0) == 0) {
                return line;
            }
        }
        return "(no line starting with \"" + prefix + "\")";
    }
};

std::string Shell(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get()) != nullptr) {
        out += buffer;
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) {
        out.pop_back();
    }
    return out;
}

TEST_F(ErrorReportTest, SectionsTitlesAndBlankLinesAreInPlace) {
    const std::vector<std::string> lines = ReportOfOneError();
    const std::string title1 = std::string(29, '-') + " System Information " + std::string(30, '-');
    const std::string title2 =
        std::string(26, '-') + " Environmental Information " + std::string(26, '-');
    const std::string title3 =
        std::string(26, '-') + " Detailed Work Area Items " + std::string(27, '-');
    const std::string title4 =
        std::string(21, '-') + " Internal Error Handling Information " + std::string(21, '-');
    const std::string title5 =
        std::string(25, '+') + " Available Memory Variables " + std::string(26, '+');
    for (const std::string* t : {&title1, &title2, &title3, &title4, &title5}) {
        ASSERT_EQ(t->size(), 79u);
    }
    const size_t t1 = IndexOf(lines, title1), t2 = IndexOf(lines, title2),
                 t3 = IndexOf(lines, title3), t4 = IndexOf(lines, title4),
                 t5 = IndexOf(lines, title5);
    ASSERT_LT(t5, lines.size());
    EXPECT_TRUE(t1 < t2 && t2 < t3 && t3 < t4 && t4 < t5);
    for (size_t t : {t1, t2, t3, t5}) {
        EXPECT_EQ(lines[t - 1], "") << lines[t];
        EXPECT_EQ(lines[t + 1], "") << lines[t];
    }
    // No tables: section 3 is empty and section 4 follows its title's empty line at once.
    EXPECT_EQ(t4, t3 + 2);
    EXPECT_EQ(lines[t4 + 1], "");
    // No variables registered: the rule follows the title's empty line.
    EXPECT_EQ(lines[t5 + 2].rfind("<HR>", 0), 0u);
}

TEST_F(ErrorReportTest, SystemSectionDescribesThisMachine) {
    const std::vector<std::string> lines = ReportOfOneError();
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    EXPECT_EQ(LineStarting(lines, "Workstation name"), std::string("Workstation name...: ") + host);
    EXPECT_EQ(LineStarting(lines, "Current directory"),
              "Current directory..: " + std::filesystem::current_path().string());
    // df is an independent reader of the mount table and the file system's free space.
    EXPECT_EQ(LineStarting(lines, "Current disk"),
              "Current disk.......: " + Shell("df --output=target . | tail -n 1"));
    const std::string freeLine = LineStarting(lines, "Free disk space....: ");
    ASSERT_EQ(freeLine.substr(freeLine.size() - 3), " MB");
    const long long reported = std::stoll(freeLine.substr(21));
    const long long byDf = std::stoll(Shell("df -B1048576 --output=avail . | tail -n 1"));
    EXPECT_NEAR(static_cast<double>(reported), static_cast<double>(byDf), 64.0);
    const std::string memory = LineStarting(lines, "Available memory...: ");
    EXPECT_GT(std::stoll(memory.substr(21)), 0);
    EXPECT_EQ(memory.substr(memory.size() - 3), " MB");
    const std::string os = LineStarting(lines, "Operating system...: ");
    EXPECT_NE(os.find(Shell("uname -r")), std::string::npos) << os;
    EXPECT_EQ(LineStarting(lines, "Multi Threading"), "Multi Threading....: YES");
    EXPECT_EQ(LineStarting(lines, "Current Work Area"), "Current Work Area..: 1");
    EXPECT_EQ(LineStarting(lines, "Compiler").substr(0, 21), "Compiler...........: ");
}

TEST_F(ErrorReportTest, SettingsAndErrorRecordRows) {
    SetDeletedAndSoftSeek(true, true);
    const std::vector<std::string> lines = ReportOfOneError();
    SetDeletedAndSoftSeek(false, false);
    const char* const expected[] = {
        "SET ALTERNATE......: OFF",
        "SET DATE FORMAT....: dd/mm/yy",
        "SET DELETED........: ON",
        "SET SOFTSEEK.......: ON",
        "SET EOL............: 13",
        "SET EPOCH..........: 1960",
        "SET ERRORLOG.......: qtv.htm",
        "SET DBFLOCKSCHEME..: 0",
        "SET TRIMFILENAME...: OFF",
        "SET LANGUAGE.......: EN",
        "Subsystem Call ....: MGERROR",
        "System Code .......: 0",
        "Default Status ....: .F.",
        "Description .......: Window: w is not defined. Program terminated.",
        // Trailing blanks are not written: empty values leave the label without its blank.
        "Operation .........:",
        "Involved File .....:",
        "Dos Error Code ....: 0",
    };
    for (const char* line : expected) {
        EXPECT_LT(IndexOf(lines, line), lines.size()) << line;
    }
    // Forty-one settings, in their order.
    const size_t first = IndexOf(lines, "SET ALTERNATE......: OFF");
    ASSERT_LT(first + 40, lines.size());
    EXPECT_EQ(lines[first + 40], "SET UNIQUE.........: OFF");
    EXPECT_EQ(lines[first + 41], "");
}

TEST_F(ErrorReportTest, MemoryVariablesListPublicsThenPrivates) {
    double width = 5;
    RegisterMemVar(MemVarScope::Private, "nLargura", [&] { return MemVarValue{width}; });
    RegisterMemVar(MemVarScope::Public, "QTV_VERSAO",
                   [] { return MemVarValue{std::string("Vistametra 1.05")}; });
    RegisterMemVar(MemVarScope::Private, "cData", [] { return MemVarValue{Date{2026, 3, 5}}; });
    RegisterMemVar(MemVarScope::Private, "dVazia", [] { return MemVarValue{Date::empty()}; });
    RegisterMemVar(MemVarScope::Private, "nTelaG", [] { return MemVarValue{true}; });
    RegisterMemVar(MemVarScope::Private, "_hidden", [] { return MemVarValue{1.0}; });
    RegisterMemVar(MemVarScope::Private, "oObjeto", [] { return MemVarValue{}; });
    RegisterMemVar(MemVarScope::Public, "cNome", [] { return MemVarValue{std::string("<a&b>")}; });
    width = 12.5;  // the value at the time of the error is listed
    RegisterMemVar(MemVarScope::Public, "cnome", [] { return MemVarValue{std::string("x")}; });

    const std::vector<std::string> lines = ReportOfOneError();
    const size_t title = IndexOf(
        lines, std::string(25, '+') + " Available Memory Variables " + std::string(26, '+'));
    ASSERT_LT(title + 8, lines.size());
    const std::vector<std::string> listed(lines.begin() + title + 2, lines.begin() + title + 9);
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "      QTV_VERSAO TYPE C [Vistametra 1.05]",
                          "      CNOME TYPE C [x]",
                          "      NLARGURA TYPE N [        12.50]",
                          "      CDATA TYPE D [0d20260305]",
                          "      DVAZIA TYPE D [0d00000000]",
                          "      NTELAG TYPE L [.T.]",
                          "",
                      }));
    EXPECT_EQ(lines[title + 9].rfind("<HR>", 0), 0u);

    UnregisterMemVar("NLARGURA");
    EXPECT_EQ(MemVarLines(MemVarScope::Private).size(), 3u);
}

TEST_F(ErrorReportTest, DetailedReportOnlyOncePerRun) {
    EXPECT_THROW(RaiseMgError("first"), ProcessEnded);
    // A run that shows no more dialogs, but whose detail has been written.
    EXPECT_THROW(RaiseMgError("second"), ProcessEnded);
    ResetErrorLogWritten();
    EXPECT_THROW(RaiseMgError("third"), ProcessEnded);
    EXPECT_EQ(Count(ReadWholeFile("qtv.htm"), " System Information "), 2);
}

TEST(StrValueTest, Table) {
    EXPECT_EQ(StrValue(MemVarValue{std::string(" text ")}), " text ");
    EXPECT_EQ(StrValue(MemVarValue{1960.0}), "1960");
    EXPECT_EQ(StrValue(MemVarValue{-2.5}), "-2.50");
    EXPECT_EQ(StrValue(MemVarValue{Date{2026, 3, 5}}), "05/03/26");
    EXPECT_EQ(StrValue(MemVarValue{true}), ".T.");
    EXPECT_EQ(StrValue(MemVarValue{false}), ".F.");
    EXPECT_EQ(StrValue(MemVarValue{true}, true), "ON");
    EXPECT_EQ(StrValue(MemVarValue{false}, true), "OFF");
    EXPECT_EQ(StrValue(MemVarValue{}), "");
}

TEST(ReportLayoutTest, LabelsAndTitles) {
    EXPECT_EQ(ReportLabel("Workstation name"), "Workstation name...: ");
    EXPECT_EQ(ReportLabel("SET DBFLOCKSCHEME"), "SET DBFLOCKSCHEME..: ");
    EXPECT_EQ(ReportLabel("SET DEFEXTENSIONS"), "SET DEFEXTENSIONS..: ");
    EXPECT_EQ(ReportLabel("EXACTLY NINETEEN CH"), "EXACTLY NINETEEN CH: ");
    EXPECT_EQ(ReportLabel("x").size(), 21u);
    EXPECT_EQ(SectionTitle(" ab ", '-').size(), 79u);
    // Odd remainder: the extra fill character goes to the right.
    EXPECT_EQ(SectionTitle("ab"), std::string(38, '-') + "ab" + std::string(39, '-'));
}

TEST(TimeFromStartTest, ElapsedTexts) {
    struct Case {
        long long seconds;
        const char* text;
    };
    const Case cases[] = {
        {0, "0 days 0 hours 0 mins 0 secs"},
        {1 * 3600 + 5 * 60 + 9, "0 days 1 hours 5 mins 9 secs"},
        {86399, "0 days 23 hours 59 mins 59 secs"},
        {86400, "1 days 0 hours 0 mins 0 secs"},
        {3 * 86400 + 3600 + 60 + 1, "3 days 1 hours 1 mins 1 secs"},
        {-5, "0 days 0 hours 0 mins 0 secs"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ElapsedText(c.seconds), c.text) << c.seconds;
    }
    // Across midnight: 23:59:50 to 00:00:05 of the next day.
    EXPECT_EQ(SecondsBetween(100, 86390, 101, 5), 15);
    EXPECT_EQ(SecondsBetween(100, 10, 100, 70), 60);
    EXPECT_EQ(TimeFromStart().rfind("0 days ", 0), 0u);
}

TEST(MountPointTest, LongestMountPointHoldingThePath) {
    const std::string mountInfo =
        "21 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "22 21 0:5 / /tmp rw - tmpfs tmpfs rw\n"
        "23 21 8:2 / /home rw - ext4 /dev/sda2 rw\n"
        "24 23 8:3 / /home/my\\040disk rw - ext4 /dev/sda3 rw\n"
        "25 21 8:4 / /ho rw - ext4 /dev/sda4 rw\n";
    EXPECT_EQ(MountPointOf("/tmp/x", mountInfo), "/tmp");
    EXPECT_EQ(MountPointOf("/tmp", mountInfo), "/tmp");
    EXPECT_EQ(MountPointOf("/tmpfoo", mountInfo), "/");
    EXPECT_EQ(MountPointOf("/home/my disk/a", mountInfo), "/home/my disk");
    EXPECT_EQ(MountPointOf("/home/other", mountInfo), "/home");
    EXPECT_EQ(MountPointOf("/usr", mountInfo), "/");
    EXPECT_EQ(MountPointOf("/usr", ""), "/");
}

TEST(OperatingSystemTest, PrettyNameThenKernel) {
    EXPECT_EQ(OperatingSystemText("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 "
                                  "(bookworm)\"\nVERSION=\"12 (bookworm)\"\n",
                                  "Linux", "6.1.0", "x86_64"),
              "Debian GNU/Linux 12 (bookworm) Linux 6.1.0 x86_64");
    EXPECT_EQ(OperatingSystemText("NAME=Alpine\nVERSION='3.19'\n", "Linux", "6.6", ""),
              "Alpine 3.19 Linux 6.6");
    EXPECT_EQ(OperatingSystemText("", "Linux", "6.6", "aarch64"), "Linux 6.6 aarch64");
}

}  // namespace
}  // namespace vm::test

namespace vm::test {
namespace {

TEST(CallChainNameTest, ParametersQualifiersClonesAndReturnTypesAreDropped) {
    struct Case {
        const char* demangled;
        const char* name;
    };
    const Case cases[] = {
        {"main", "main"},
        {"vm::Calculo(bool)", "vm::Calculo"},
        {"vm::Form::value(std::string const&) const", "vm::Form::value"},
        {"f(std::function<void (int)>)", "f"},
        {"(anonymous namespace)::SegvHere(bool) [clone .constprop.0]",
         "(anonymous namespace)::SegvHere"},
        {"void testing::internal::Handle<testing::Test, void>(testing::Test*, void "
         "(testing::Test::*)(), "
         "char const*)",
         "testing::internal::Handle<testing::Test, void>"},
        {"vm::Run()::{lambda(int)#1}::operator()(int) const",
         "vm::Run()::{lambda(int)#1}::operator()"},
        {"vm::Buffer::operator delete(void*)", "vm::Buffer::operator delete"},
        {"vm::Pos::operator<(vm::Pos const&) const", "vm::Pos::operator<"},
        {"vm::Text::operator bool() const", "vm::Text::operator bool"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WithoutParameters(c.demangled), c.name) << c.demangled;
    }
}

}  // namespace
}  // namespace vm::test

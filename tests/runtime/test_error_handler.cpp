// The handler's decisions, its message text and the fatal path observed in this process.

#include <cctype>
#include <filesystem>

#include "core/date.h"
#include "core/whole_file.h"
#include "runtime/error_handler.h"
#include "runtime/html_log.h"
#include "runtime/process.h"
#include "tests/runtime/runtime_fixture.h"

namespace vm::test {
namespace {

class ErrorHandlerTest : public RuntimeTest {};

// Raises the form layer's error from a line that the test can name: called with false, it
// returns the line of its RaiseMgError call.
[[gnu::noinline]] int RaiseFromHere(bool raise, const std::string& message) {
    if (!raise) {
        return __LINE__ + 2;
    }
    RaiseMgError(message);
}

[[gnu::noinline]] int CheckHere(bool fail) {
    if (!fail) {
        return __LINE__ + 2;
    }
    VM_CHECK(1 + 1 == 3);
    return 0;
}

// True when `text` fits `pattern`, in which "#" stands for one digit, "*" for one or more digits
// and every other character for itself.
bool Fits(const std::string& text, const std::string& pattern) {
    size_t t = 0;
    for (char p : pattern) {
        if (p == '#' || p == '*') {
            if (t >= text.size() || !std::isdigit(static_cast<unsigned char>(text[t]))) {
                return false;
            }
            ++t;
            while (p == '*' && t < text.size() &&
                   std::isdigit(static_cast<unsigned char>(text[t]))) {
                ++t;
            }
        } else if (t >= text.size() || text[t++] != p) {
            return false;
        }
    }
    return t == text.size();
}

ErrorRecord ZeroDivision(const char* operation) {
    ErrorRecord e;
    e.GenCode = kGenZeroDiv;
    e.SubSystem = "BASE";
    e.SubCode = 1340;
    e.Description = "Zero divisor";
    e.Operation = operation;
    e.CanSubstitute = true;
    return e;
}

TEST_F(ErrorHandlerTest, RecoverableErrorsAreAnsweredWithoutLogOrBox) {
    using Kind = ErrorAnswer::Kind;
    struct Case {
        const char* name;
        int genCode;
        int osCode;
        bool canRetry, canSubstitute, canDefault;
        Kind kind;
        bool netErr;
    };
    const Case cases[] = {
        {"10 / 0", kGenZeroDiv, 0, false, true, false, Kind::Substitute, false},
        {"lock", kGenLock, 0, true, false, false, Kind::Retry, false},
        {"open, sharing violation", kGenOpen, 32, false, false, true, Kind::QuietFailure, true},
        {"append lock", kGenAppendLock, 0, false, false, true, Kind::QuietFailure, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetNetErr(false);
        ErrorRecord e;
        e.GenCode = c.genCode;
        e.OsCode = c.osCode;
        e.CanRetry = c.canRetry;
        e.CanSubstitute = c.canSubstitute;
        e.CanDefault = c.canDefault;
        const ErrorAnswer answer = DefError(e);
        EXPECT_EQ(answer.kind, c.kind);
        EXPECT_EQ(answer.value, 0.0);
        EXPECT_EQ(NetErr(), c.netErr);
    }
    // 10 / 0 and 10 % 0 as the operators raise them.
    EXPECT_EQ(DefError(ZeroDivision("/")).value, 0.0);
    EXPECT_EQ(DefError(ZeroDivision("%")).value, 0.0);

    EXPECT_FALSE(FileExists("qtv.htm"));
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_TRUE(m_endCodes.empty());
}

TEST_F(ErrorHandlerTest, ErrorsThatMissTheirPermissionAreFatal) {
    struct Case {
        const char* name;
        int genCode;
        int osCode;
        bool canRetry, canSubstitute, canDefault;
    };
    const Case cases[] = {
        {"division by zero without substitute", kGenZeroDiv, 0, true, false, true},
        {"lock without retry", kGenLock, 0, false, true, true},
        {"open, sharing violation, no default", kGenOpen, 32, true, true, false},
        {"open, file not found", kGenOpen, 2, true, true, true},
        {"append lock without default", kGenAppendLock, 0, true, true, false},
        {"other class", 1, 0, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ErrorRecord e;
        e.GenCode = c.genCode;
        e.OsCode = c.osCode;
        e.CanRetry = c.canRetry;
        e.CanSubstitute = c.canSubstitute;
        e.CanDefault = c.canDefault;
        const size_t endsBefore = m_endCodes.size();
        EXPECT_THROW(DefError(e), ProcessEnded);
        ASSERT_EQ(m_endCodes.size(), endsBefore + 1);
        EXPECT_EQ(m_endCodes.back(), kFatalExitCode);
    }
    EXPECT_FALSE(NetErr());
}

TEST_F(ErrorHandlerTest, ErrorMessageTable) {
    struct Case {
        const char* name;
        ErrorRecord error;
        const char* message;
    };
    auto record = [](int severity, std::optional<std::string> subSystem, std::optional<int> subCode,
                     std::optional<std::string> description, std::string operation,
                     std::string fileName, int osCode) {
        ErrorRecord e;
        e.Severity = severity;
        e.SubSystem = std::move(subSystem);
        e.SubCode = subCode;
        e.Description = std::move(description);
        e.Operation = std::move(operation);
        e.FileName = std::move(fileName);
        e.OsCode = osCode;
        return e;
    };
    const Case cases[] = {
        {"argument error", record(2, "BASE", 1081, "Argument error", "+", "", 0),
         "Error BASE/1081  Argument error: +"},
        {"warning at severity 1", record(1, "BASE", 7, "Careful", "", "", 0),
         "Warning BASE/7  Careful"},
        {"error just above 1", record(2, "X", 0, std::nullopt, "", "", 0), "Error X/0"},
        {"no subsystem, no subcode", record(3, std::nullopt, std::nullopt, "D", "", "", 0),
         "Error ??\?/???  D"},
        {"file wins over operation", record(3, "DBFNTX", 1001, "Open error", "USE", "a.dbf", 2),
         "Error DBFNTX/1001  Open error: a.dbf (DOS Error 2)"},
        {"operation only, OS code", record(3, "TERM", 5, "Busy", "OPEN", "", 32),
         "Error TERM/5  Busy: OPEN (DOS Error 32)"},
        {"empty description still two blanks", record(3, "S", 1, "", "", "", 0), "Error S/1  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ErrorMessage(c.error), c.message);
    }
}

TEST_F(ErrorHandlerTest, FatalErrorLogsEntryShowsBoxAndEndsWithOne) {
    const std::string message = "Window: wmenu is already defined.";
    const int line = RaiseFromHere(false, message);
    EXPECT_THROW(RaiseFromHere(true, message), ProcessEnded);

    ASSERT_EQ(m_endCodes, std::vector<int>{kFatalExitCode});
    const std::string log = ReadWholeFile("qtv.htm");
    const std::vector<std::string> e = LogLines(log);
    ASSERT_GT(e.size(), 10u);
    // The two head lines and the rule, then the entry.
    EXPECT_EQ(e[0].rfind("<HTML><HEAD><TITLE>Vistametra Runtime Errorlog File</TITLE>", 0), 0u);
    EXPECT_TRUE(e[0].ends_with("<BODY>"));
    EXPECT_EQ(e[1],
              "<H1 Align=Center>Vistametra Runtime Errorlog File<br>Vistametra Forms 1.05</H1>");
    EXPECT_EQ(e[2], "<HR>");
    EXPECT_EQ(e[3], "<p class=\"updated\">Application: " +
                        std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_TRUE(Fits(e[4], "Date: ##/##/##  Time: ##:##:##")) << e[4];
    EXPECT_EQ(e[4].substr(6, 8), DToC(Today()));
    EXPECT_TRUE(Fits(e[5], "Time from start: * days * hours * mins * secs")) << e[5];
    EXPECT_EQ(e[6], "Error MGERROR/0  " + message + " Program terminated.</p>");
    // The chain starts where RaiseMgError was called: the handler's own levels are not shown.
    EXPECT_EQ(e[7], "Called from vm::test::(anonymous namespace)::RaiseFromHere(" +
                        std::to_string(line) + ")\r\n");
    EXPECT_EQ(
        e[8].rfind("Called from vm::test::(anonymous namespace)::"
                   "ErrorHandlerTest_FatalErrorLogsEntryShowsBoxAndEndsWithOne_Test::TestBody(",
                   0),
        0u)
        << e[8];
    EXPECT_EQ(Count(log, " System Information "), 1);
    EXPECT_EQ(e[e.size() - 2], "<HR>");
    EXPECT_EQ(e.back(), "</BODY></HTML>");

    // The box shows the message, an empty line and the same "Called from" lines as the log, the
    // log's escaped, the box's as they are; the last one is main's.
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].title, "Program Error");
    const std::string head = "Error MGERROR/0  " + message + " Program terminated.\r\n\r\n";
    ASSERT_EQ(m_boxes[0].text.rfind(head, 0), 0u);
    std::vector<std::string> boxLevels;
    for (size_t at = head.size(); at < m_boxes[0].text.size();) {
        const size_t end = m_boxes[0].text.find("\r\n", at);
        ASSERT_NE(end, std::string::npos);
        boxLevels.push_back(m_boxes[0].text.substr(at, end + 2 - at));
        at = end + 2;
    }
    ASSERT_GE(boxLevels.size(), 3u);
    for (size_t i = 0; i < boxLevels.size(); ++i) {
        EXPECT_EQ(e[7 + i], HtmlEscape(boxLevels[i]));
    }
    EXPECT_EQ(boxLevels.back().rfind("Called from main(", 0), 0u);
    EXPECT_EQ(e[7 + boxLevels.size()], "");  // the detailed report's first line
}

TEST_F(ErrorHandlerTest, SecondFatalErrorAppendsShortEntryWithoutSecondHeadOrBox) {
    EXPECT_THROW(RaiseFromHere(true, "Window: a is not defined."), ProcessEnded);
    EXPECT_THROW(RaiseFromHere(true, "Window: b is not defined."), ProcessEnded);

    const std::string log = ReadWholeFile("qtv.htm");
    EXPECT_EQ(Count(log, "<HTML><HEAD>"), 1);
    EXPECT_EQ(Count(log, "<H1 "), 1);
    EXPECT_EQ(Count(log, "</BODY></HTML>"), 2);
    EXPECT_EQ(Count(log, "<p class=\"updated\">Application: "), 2);
    EXPECT_EQ(Count(log, " System Information "), 1);
    EXPECT_EQ(Count(log, " Internal Error Handling Information "), 1);
    // The second entry follows the first one's end directly.
    const size_t firstEnd = log.find("</BODY></HTML>");
    EXPECT_EQ(log.compare(firstEnd + 14, 19, "<p class=\"updated\">"), 0);
    EXPECT_NE(
        log.find("Error MGERROR/0  Window: b is not defined. Program terminated.</p>", firstEnd),
        std::string::npos);
    EXPECT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_endCodes, (std::vector<int>{kFatalExitCode, kFatalExitCode}));
}

TEST_F(ErrorHandlerTest, ErrorsBeforeAndAfterTheMainWindowGoToTheirOwnLogs) {
    SetErrorLogFile("Vistametra.htm");
    EXPECT_THROW(RaiseFromHere(true, "early"), ProcessEnded);
    SetErrorLogFile("qtv.htm");
    EXPECT_THROW(RaiseFromHere(true, "late"), ProcessEnded);
    EXPECT_EQ(Count(ReadWholeFile("Vistametra.htm"), "early Program terminated.</p>"), 1);
    EXPECT_EQ(Count(ReadWholeFile("Vistametra.htm"), "late"), 0);
    EXPECT_EQ(Count(ReadWholeFile("qtv.htm"), "late Program terminated.</p>"), 1);
    EXPECT_EQ(Count(ReadWholeFile("qtv.htm"), "<HTML><HEAD>"), 1);
}

TEST_F(ErrorHandlerTest, LogEscapesTextButTheBoxShowsItAsItIs) {
    const std::string message = "Control: <b>x&y</b> Of w Not defined.";
    EXPECT_THROW(RaiseFromHere(true, message), ProcessEnded);
    const std::string log = ReadWholeFile("qtv.htm");
    EXPECT_NE(log.find("Error MGERROR/0  Control: &lt;b&gt;x&amp;y&lt;/b&gt; Of w Not defined. "
                       "Program terminated.</p><BR>\r\n"),
              std::string::npos);
    EXPECT_EQ(log.find("<b>"), std::string::npos);
    EXPECT_NE(log.find("Description .......: Control: &lt;b&gt;x&amp;y&lt;/b&gt;"),
              std::string::npos);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text.rfind("Error MGERROR/0  " + message, 0), 0u);
}

TEST_F(ErrorHandlerTest, CalledFromLinesKeepTheirLineEndBeforeTheBreak) {
    EXPECT_THROW(RaiseFromHere(true, "m"), ProcessEnded);
    const std::string log = ReadWholeFile("qtv.htm");
    EXPECT_GE(Count(log, ")\r\n<BR>\r\n"), 2);
    EXPECT_EQ(Count(log, "Called from "), Count(log, ")\r\n<BR>\r\nCalled from ") + 1);
}

TEST_F(ErrorHandlerTest, LogThatCannotBeCreatedStillShowsTheErrorAndEnds) {
    SetErrorLogFile("no-such-folder/qtv.htm");
    EXPECT_THROW(RaiseFromHere(true, "m"), ProcessEnded);
    ASSERT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(m_boxes[0].text, "Can`t open errorlog file no-such-folder/qtv.htm");
    EXPECT_EQ(m_boxes[0].title, "Error");
    EXPECT_EQ(m_boxes[1].title, "Program Error");
    EXPECT_EQ(m_endCodes, std::vector<int>{kFatalExitCode});
}

TEST_F(ErrorHandlerTest, SwitchesOffLogAndDetail) {
    SetErrorLogOn(false);
    EXPECT_THROW(RaiseFromHere(true, "quiet log"), ProcessEnded);
    EXPECT_FALSE(FileExists("qtv.htm"));
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_NE(m_boxes[0].text.find("Called from "), std::string::npos);
    SetErrorLogOn(true);

    ResetErrorHandlerRun();
    EXPECT_TRUE(ShowDetailError(false));
    EXPECT_FALSE(ShowDetailError());
    EXPECT_THROW(RaiseFromHere(true, "no detail"), ProcessEnded);
    ShowDetailError(true);
    // Without detail: no report in the log and only the message in the box.
    EXPECT_EQ(Count(ReadWholeFile("qtv.htm"), " System Information "), 0);
    EXPECT_NE(ReadWholeFile("qtv.htm").find("Called from "), std::string::npos);
    ASSERT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(m_boxes[1].text, "Error MGERROR/0  no detail Program terminated.");
}

TEST_F(ErrorHandlerTest, FailedCheckIsFatalAndNamesTheCondition) {
    const int line = CheckHere(false);
    EXPECT_THROW(CheckHere(true), ProcessEnded);
    const std::string log = ReadWholeFile("qtv.htm");
    EXPECT_NE(log.find("Error CHECK/1  Internal check failed: 1 + 1 == 3</p>"), std::string::npos);
    EXPECT_NE(log.find("Called from vm::test::(anonymous namespace)::CheckHere(" +
                       std::to_string(line) + ")\r\n<BR>"),
              std::string::npos)
        << log;

    ResetErrorHandlerRun();
    SetRuntimeLanguage("PT");
    EXPECT_THROW(CheckHere(true), ProcessEnded);
    SetRuntimeLanguage("EN");
    EXPECT_NE(ReadWholeFile("qtv.htm").find(
                  "Error CHECK/1  Verifica\xE7\xE3o interna falhou: 1 + 1 == 3"),
              std::string::npos);
}

}  // namespace
}  // namespace vm::test

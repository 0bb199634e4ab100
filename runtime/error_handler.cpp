#include "runtime/error_handler.h"

#include <cxxabi.h>
#include <fcntl.h>
#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <mutex>
#include <typeinfo>
#include <vector>

#include "core/date.h"
#include "core/platform_paths.h"
#include "core/win1252.h"
#include "runtime/call_chain.h"
#include "runtime/error_log.h"
#include "runtime/html_log.h"
#include "runtime/process.h"
#include "runtime/runtime_state.h"
#include "runtime/time_from_start.h"

namespace vm {

namespace detail {

RuntimeState& runtimeState() {
    static RuntimeState state;
    return state;
}

}  // namespace detail

namespace {

using detail::runtimeState;

// Descriptions of the errors that the runtime itself raises, in the selected language. Text is
// Windows-1252.
enum class Text {
    InvalidMemoryAccess,
    ArithmeticError,
    IntegerDivisionByZero,
    AbnormalTermination,
    BusError,
    IllegalInstruction,
    UncaughtException,
    TerminateWithoutException,
    CheckFailed,
};

const char* describe(Text which) {
    const bool pt = runtimeState().language == "PT";
    switch (which) {
        case Text::InvalidMemoryAccess:
            return pt ? "Acesso inv\xE1lido \xE0 mem\xF3ria" : "Invalid memory access";
        case Text::ArithmeticError:
            return pt ? "Erro aritm\xE9tico" : "Arithmetic error";
        case Text::IntegerDivisionByZero:
            return pt ? "Divis\xE3o inteira por zero" : "Integer division by zero";
        case Text::AbnormalTermination:
            return pt ? "T\xE9rmino anormal" : "Abnormal termination";
        case Text::BusError:
            return pt ? "Erro de barramento" : "Bus error";
        case Text::IllegalInstruction:
            return pt ? "Instru\xE7\xE3o ilegal" : "Illegal instruction";
        case Text::UncaughtException:
            return pt ? "Exce\xE7\xE3o n\xE3o tratada" : "Uncaught exception";
        case Text::TerminateWithoutException:
            return pt ? "T\xE9rmino sem exce\xE7\xE3o ativa"
                      : "Terminate without an active exception";
        case Text::CheckFailed:
            return pt ? "Verifica\xE7\xE3o interna falhou" : "Internal check failed";
    }
    return "";
}

std::string internalFailureLog() {
    // Fixed at start-up: the handler that writes it may run where nothing can be asked.
    static const std::string path = logFolder() + "error.log";
    return path;
}

// The runtime's own log of failures that the handler cannot report: a fatal error raised while
// the handler was already handling two.
void logInternalFailure(const std::string& message) {
    const std::string path = internalFailureLog();
    const bool existed = ::access(path.c_str(), F_OK) == 0;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    std::string text;
    if (!existed) {
        text = FormLayerVersionText() + "\r\n";
    }
    text += DToC(Today()) + " " + TimeOfDay() + " " + message + "\r\n";
    [[maybe_unused]] ssize_t written = ::write(fd, text.data(), text.size());
    ::close(fd);
}

std::recursive_mutex& fatalMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

thread_local int fatalDepth = 0;

struct DepthGuard {
    DepthGuard() { ++fatalDepth; }
    ~DepthGuard() { --fatalDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};

std::optional<ErrorAnswer> recoverable(const ErrorRecord& error) {
    if (error.GenCode == kGenZeroDiv && error.CanSubstitute) {
        return ErrorAnswer{ErrorAnswer::Kind::Substitute, 0};
    }
    if (error.GenCode == kGenLock && error.CanRetry) {
        return ErrorAnswer{ErrorAnswer::Kind::Retry, 0};
    }
    if ((error.GenCode == kGenOpen && error.OsCode == 32 && error.CanDefault) ||
        (error.GenCode == kGenAppendLock && error.CanDefault)) {
        runtimeState().netErr = true;
        return ErrorAnswer{ErrorAnswer::Kind::QuietFailure, 0};
    }
    return std::nullopt;
}

// The fatal path: the log entry, the dialog and the end of the process. One thread at a time;
// the same thread may come back here when handling the error raises another.
[[noreturn]] void fatal(const ErrorRecord& error, const std::vector<CallLevel>& chain) {
    std::unique_lock lock(fatalMutex());
    DepthGuard depth;
    const std::string message = ErrorMessage(error);
    if (fatalDepth > 2) {
        logInternalFailure(message);
        EndProcessNoReturn(kFatalExitCode);
    }

    const int log = HTML_ErrorLog();
    HTML_MarkupLine(log, "<p class=\"updated\">", "Application: " + utf8ToWin1252(programFile()),
                    "");
    HTML_LineText(log, "Date: " + DToC(Today()) + "  Time: " + TimeOfDay());
    HTML_LineText(log, "Time from start: " + TimeFromStart());
    HTML_MarkupLine(log, "", message, "</p>");

    std::string dialog = message + "\r\n\r\n";
    for (const CallLevel& level : chain) {
        const std::string line =
            "Called from " + level.name + "(" + std::to_string(level.line) + ")\r\n";
        dialog += line;
        HTML_LineText(log, line);
    }
    if (runtimeState().showDetail) {
        ErrorLog(log, error);
    }
    HTML_Line(log);
    HTML_End(log);
    ShowError(dialog, error);
}

[[noreturn]] void handle(const ErrorRecord& error, const CallChainStart& start) {
    fatal(error, CaptureCallChain(start));
}

const char* signalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGFPE:
            return "SIGFPE";
        case SIGABRT:
            return "SIGABRT";
        case SIGBUS:
            return "SIGBUS";
        case SIGILL:
            return "SIGILL";
        default:
            return "SIGNAL";
    }
}

__attribute__((noinline)) void onFatalSignal(int signal, siginfo_t* info, void* context) {
    const void* pc = nullptr;
#if defined(__x86_64__)
    pc = reinterpret_cast<const void*>(
        static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    pc = reinterpret_cast<const void*>(static_cast<ucontext_t*>(context)->uc_mcontext.pc);
#else
    (void)context;
#endif
    ErrorRecord error;
    error.SubSystem = "SIGNAL";
    error.SubCode = signal;
    error.Severity = 3;
    error.Operation = signalName(signal);
    switch (signal) {
        case SIGSEGV:
            error.Description = describe(Text::InvalidMemoryAccess);
            break;
        case SIGFPE:
            if (info != nullptr && info->si_code == FPE_INTDIV) {
                // A division by zero, but one that cannot take a substitute value.
                error.GenCode = kGenZeroDiv;
                error.Description = describe(Text::IntegerDivisionByZero);
            } else {
                error.Description = describe(Text::ArithmeticError);
            }
            break;
        case SIGABRT:
            error.Description = describe(Text::AbnormalTermination);
            break;
        case SIGBUS:
            error.Description = describe(Text::BusError);
            break;
        case SIGILL:
            error.Description = describe(Text::IllegalInstruction);
            break;
        default:
            break;
    }
    // abort() reaches here through raise(): the chain starts at abort's caller.
    handle(error, {pc, true, signal == SIGABRT});
}

std::string demangled(const char* name) {
    int status = 0;
    char* text = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    std::string out = (status == 0 && text != nullptr) ? text : name;
    std::free(text);
    return out;
}

__attribute__((noinline)) void onTerminate() {
    ErrorRecord error;
    error.SubSystem = "EXCEPTION";
    error.Severity = 3;
    std::exception_ptr current = std::current_exception();
    if (current) {
        error.SubCode = 1;
        std::string description = describe(Text::UncaughtException);
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& e) {
            description += std::string(" (") + e.what() + ")";
        } catch (...) {
        }
        error.Description = description;
        if (const std::type_info* type = abi::__cxa_current_exception_type()) {
            error.Operation = demangled(type->name());
        }
    } else {
        error.SubCode = 2;
        error.Description = describe(Text::TerminateWithoutException);
    }
    // Above the handler lie std::terminate and the throw machinery of the C++ runtime: the chain
    // starts at the function that threw.
    handle(error, {__builtin_return_address(0), false, true});
}

}  // namespace

void ErrorSys() {
    static std::once_flag once;
    std::call_once(once, [] {
        internalFailureLog();
        std::set_terminate(onTerminate);

        // An alternate stack, so that a stack overflow still reaches the handler.
        static char alternateStack[1 << 20];
        stack_t stack{};
        stack.ss_sp = alternateStack;
        stack.ss_size = sizeof alternateStack;
        sigaltstack(&stack, nullptr);

        struct sigaction action {};
        action.sa_sigaction = onFatalSignal;
        // SA_NODEFER: a fault while the handler runs reaches it again (a second, short entry).
        action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        for (int signal : {SIGSEGV, SIGFPE, SIGABRT, SIGBUS, SIGILL}) {
            sigaction(signal, &action, nullptr);
        }

        // Asked to end from outside: the files that must not outlive the process go, then the
        // signal ends it as it would have.
        RemoveFilesOnEndSignals();
    });
}

__attribute__((noinline)) ErrorAnswer DefError(const ErrorRecord& error) {
    if (std::optional<ErrorAnswer> answer = recoverable(error)) {
        return *answer;
    }
    handle(error, {__builtin_return_address(0), false, false});
}

__attribute__((noinline)) void RaiseMgError(const std::string& message) {
    ErrorRecord error;
    error.SubSystem = "MGERROR";
    error.SubCode = 0;
    error.Severity = 3;
    error.Description = message + " Program terminated.";
    if (std::optional<ErrorAnswer> answer = recoverable(error)) {
        // Never: the record asks for no substitute, retry or default.
        EndProcessNoReturn(kFatalExitCode);
    }
    handle(error, {__builtin_return_address(0), false, false});
}

__attribute__((noinline)) void CheckFailed(const char* condition) {
    ErrorRecord error;
    error.SubSystem = "CHECK";
    error.SubCode = 1;
    error.Severity = 3;
    error.Description = describe(Text::CheckFailed);
    error.Operation = condition != nullptr ? condition : "";
    handle(error, {__builtin_return_address(0), false, false});
}

std::string ErrorMessage(const ErrorRecord& error) {
    std::string text = error.Severity > 1 ? "Error " : "Warning ";
    text += error.SubSystem ? *error.SubSystem : "???";
    text += error.SubCode ? "/" + std::to_string(*error.SubCode) : "/???";
    if (error.Description) {
        text += "  " + *error.Description;
    }
    if (!error.FileName.empty()) {
        text += ": " + error.FileName;
    } else if (!error.Operation.empty()) {
        text += ": " + error.Operation;
    }
    if (error.OsCode != 0) {
        text += " (DOS Error " + std::to_string(error.OsCode) + ")";
    }
    return text;
}

void ShowError(const std::string& text, const ErrorRecord& error) {
    if (!runtimeState().dialogShown.exchange(true)) {
        ShowErrorBox(runtimeState().showDetail ? text : ErrorMessage(error), "Program Error");
    }
    EndProcessNoReturn(kFatalExitCode);
}

bool ShowDetailError(std::optional<bool> newValue) {
    const bool before = runtimeState().showDetail;
    if (newValue) {
        runtimeState().showDetail = *newValue;
    }
    return before;
}

bool NetErr() {
    return runtimeState().netErr;
}

void SetNetErr(bool value) {
    runtimeState().netErr = value;
}

void SetRuntimeLanguage(const std::string& code) {
    runtimeState().language = code == "PT" ? "PT" : "EN";
}

std::string RuntimeLanguage() {
    return runtimeState().language;
}

void SetDeletedAndSoftSeek(bool deleted, bool softSeek) {
    runtimeState().deleted = deleted;
    runtimeState().softSeek = softSeek;
}

void ResetErrorHandlerRun() {
    runtimeState().dialogShown = false;
    runtimeState().detailWritten = false;
    runtimeState().netErr = false;
}

}  // namespace vm

#include "runtime/error_log.h"

#include <gnu/libc-version.h>
#include <limits.h>
#include <pwd.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "core/date.h"
#include "core/system_info.h"
#include "core/text.h"
#include "core/whole_file.h"
#include "core/win1252.h"
#include "runtime/html_log.h"
#include "runtime/runtime_state.h"

namespace vm {

namespace {

// Mount points in mountinfo escape blanks, tabs, newlines and backslashes as octal.
std::string unescapeOctal(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '3' &&
            text[i + 2] >= '0' && text[i + 2] <= '7' && text[i + 3] >= '0' && text[i + 3] <= '7') {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                     (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return "";
    }
    return name;
}

std::string userName() {
    char name[LOGIN_NAME_MAX + 1] = {};
    if (getlogin_r(name, sizeof name) == 0 && name[0] != '\0') {
        return name;
    }
    if (const passwd* pw = getpwuid(geteuid())) {
        return pw->pw_name;
    }
    return "";
}

std::string currentFolder() {
    std::vector<char> buffer(PATH_MAX + 1);
    if (getcwd(buffer.data(), buffer.size()) == nullptr) {
        return "";
    }
    return buffer.data();
}

long long freeDiskMiB() {
    struct statvfs fs {};
    if (statvfs(".", &fs) != 0) {
        return 0;
    }
    const double bytes = static_cast<double>(fs.f_bavail) * static_cast<double>(fs.f_frsize);
    return std::llround(bytes / 1048576.0);
}

std::string compilerText() {
#if defined(__clang__)
    return __VERSION__;
#elif defined(__GNUC__)
    return std::string("GNU C++ ") + __VERSION__;
#else
    return "unknown";
#endif
}

std::string runtimeVersion() {
    std::string text = std::string("GNU C Library ") + gnu_get_libc_version();
#ifdef _GLIBCXX_RELEASE
    text += ", libstdc++ " + std::to_string(_GLIBCXX_RELEASE);
#endif
    return text;
}

std::string onOff(bool value) {
    return value ? "ON" : "OFF";
}

std::string number(double value) {
    return StrValue(MemVarValue{value});
}

std::string text(std::string value) {
    return StrValue(MemVarValue{std::move(value)});
}

std::string fromPlatform(const std::string& value) {
    return utf8ToWin1252(value);
}

}  // namespace

std::string StrValue(const MemVarValue& value, bool onOffText) {
    if (const auto* t = std::get_if<std::string>(&value)) {
        return *t;
    }
    if (const auto* n = std::get_if<double>(&value)) {
        return AllTrim(Str(*n));
    }
    if (const auto* d = std::get_if<Date>(&value)) {
        return DToC(*d);
    }
    if (const auto* l = std::get_if<bool>(&value)) {
        if (onOffText) {
            return *l ? "ON" : "OFF";
        }
        return *l ? ".T." : ".F.";
    }
    return "";
}

std::string ReportLabel(std::string_view words) {
    std::string label(words);
    if (label.size() < 19) {
        label.append(19 - label.size(), '.');
    }
    return label + ": ";
}

std::string SectionTitle(std::string_view text, char fill) {
    return PadC(text, 79, fill);
}

std::string MountPointOf(std::string_view path, std::string_view mountInfo) {
    std::string best = "/";
    std::istringstream lines{std::string(mountInfo)};
    std::string line;
    while (std::getline(lines, line)) {
        // Fields: id, parent id, major:minor, root, mount point, ...
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        if (!(fields >> id >> parent >> device >> root >> mountPoint)) {
            continue;
        }
        mountPoint = unescapeOctal(mountPoint);
        const bool holds = mountPoint == "/" ||
                           (path.rfind(mountPoint, 0) == 0 &&
                            (path.size() == mountPoint.size() || path[mountPoint.size()] == '/'));
        if (holds && mountPoint.size() > best.size()) {
            best = mountPoint;
        }
    }
    return best;
}

void ResetErrorLogWritten() {
    detail::runtimeState().detailWritten = false;
}

void ErrorLog(int handle, const ErrorRecord& error) {
    if (handle <= 0) {
        return;
    }
    if (detail::runtimeState().detailWritten.exchange(true)) {
        return;
    }
    auto line = [handle](const std::string& t) { HTML_LineText(handle, t); };
    auto row = [&](std::string_view words, const std::string& value) {
        line(ReportLabel(words) + value);
    };

    // 1. System.
    const std::string folder = currentFolder();
    line("");
    line(SectionTitle(" System Information "));
    line("");
    row("Workstation name", fromPlatform(hostName()));
    row("Active user name", fromPlatform(userName()));
    row("Available memory", std::to_string(physicalMemory().availableMiB) + " MB");
    row("Current disk", fromPlatform(MountPointOf(folder, ReadWholeFile("/proc/self/mountinfo"))));
    row("Current directory", fromPlatform(folder));
    row("Free disk space", std::to_string(freeDiskMiB()) + " MB");
    line("");
    row("Operating system", fromPlatform(operatingSystem()));
    row("Runtime version", runtimeVersion());
    row("Runtime built on", std::string(__DATE__) + " " + __TIME__);
    row("Compiler", compilerText());
    row("Multi Threading", "YES");
    line("");
    row("Current Work Area", "1");

    // 2. Settings of the runtime.
    const detail::RuntimeState& state = detail::runtimeState();
    const DateSettings& dates = dateSettings();
    line("");
    line(SectionTitle(" Environmental Information "));
    line("");
    const std::pair<const char*, std::string> settings[] = {
        {"ALTERNATE", onOff(false)},
        {"ALTFILE", text("")},
        {"AUTOPEN", onOff(true)},
        {"AUTORDER", number(0)},
        {"AUTOSHARE", number(0)},
        {"CENTURY", onOff(false)},
        {"COUNT", number(0)},
        {"DATE FORMAT", text(dates.format)},
        {"DBFLOCKSCHEME", number(0)},
        {"DEBUG", onOff(false)},
        {"DECIMALS", number(2)},
        {"DEFAULT", text("")},
        {"DEFEXTENSIONS", onOff(true)},
        {"DELETED", onOff(state.deleted)},
        {"DELIMCHARS", text("::")},
        {"DELIMETERS", onOff(false)},
        {"DIRCASE", number(0)},
        {"DIRSEPARATOR", text("/")},
        {"EOL", number(13)},
        {"EPOCH", number(dates.epoch)},
        {"ERRORLOG", text(ErrorLogFile())},
        {"EXACT", onOff(false)},
        {"EXCLUSIVE", onOff(true)},
        {"EXTRA", onOff(false)},
        {"EXTRAFILE", text("")},
        {"FILECASE", number(0)},
        {"FIXED", onOff(false)},
        {"FORCEOPT", onOff(false)},
        {"HARDCOMMIT", onOff(true)},
        {"IDLEREPEAT", onOff(true)},
        {"LANGUAGE", text(state.language)},
        {"MARGIN", number(0)},
        {"MBLOCKSIZE", number(64)},
        {"MFILEEXT", text("")},
        {"OPTIMIZE", onOff(true)},
        {"PATH", text("")},
        {"PRINTER", onOff(false)},
        {"PRINTFILE", text("")},
        {"SOFTSEEK", onOff(state.softSeek)},
        {"TRIMFILENAME", onOff(false)},
        {"UNIQUE", onOff(false)},
    };
    for (const auto& [name, value] : settings) {
        row(std::string("SET ") + name, value);
    }

    // 3. Work areas: the program opens no tables.
    line("");
    line(SectionTitle(" Detailed Work Area Items "));
    line("");

    // 4. The error record.
    line(SectionTitle(" Internal Error Handling Information "));
    line("");
    line("Subsystem Call ....: " + error.SubSystem.value_or(""));
    line("System Code .......: " + (error.SubCode ? std::to_string(*error.SubCode) : ""));
    line(std::string("Default Status ....: ") + (error.CanDefault ? ".T." : ".F."));
    line("Description .......: " + error.Description.value_or(""));
    line("Operation .........: " + error.Operation);
    line("Involved File .....: " + error.FileName);
    line("Dos Error Code ....: " + std::to_string(error.OsCode));

    // 5. Memory variables.
    line("");
    line(SectionTitle(" Available Memory Variables ", '+'));
    line("");
    for (const std::string& var : MemVarLines(MemVarScope::Public)) {
        line(var);
    }
    const std::vector<std::string> privates = MemVarLines(MemVarScope::Private);
    for (const std::string& var : privates) {
        line(var);
    }
    if (!privates.empty()) {
        line("");
    }
}

}  // namespace vm

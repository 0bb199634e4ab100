#include "core/system_info.h"

#include <sys/utsname.h>

#include <sstream>

#include "core/text.h"
#include "core/whole_file.h"

namespace vm {

std::string OperatingSystemText(std::string_view osRelease, std::string_view sysName,
                                std::string_view release, std::string_view machine) {
    std::string pretty;
    std::string name;
    std::string version;
    std::istringstream lines{std::string(osRelease)};
    std::string line;
    auto valueOf = [](const std::string& l, size_t eq) {
        std::string v = l.substr(eq + 1);
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
            v = v.substr(1, v.size() - 2);
        }
        return v;
    };
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, eq);
        if (key == "PRETTY_NAME") {
            pretty = valueOf(line, eq);
        } else if (key == "NAME") {
            name = valueOf(line, eq);
        } else if (key == "VERSION") {
            version = valueOf(line, eq);
        }
    }
    std::string out = !pretty.empty() ? pretty : AllTrim(name + " " + version);
    for (std::string_view part : {sysName, release, machine}) {
        if (!part.empty()) {
            out += (out.empty() ? "" : " ") + std::string(part);
        }
    }
    return out;
}

std::string operatingSystem() {
    utsname names{};
    if (uname(&names) != 0) {
        return OperatingSystemText(ReadWholeFile("/etc/os-release"), "", "", "");
    }
    return OperatingSystemText(ReadWholeFile("/etc/os-release"), names.sysname, names.release,
                               names.machine);
}

PhysicalMemory PhysicalMemoryOf(std::string_view memInfo) {
    PhysicalMemory memory;
    std::istringstream in{std::string(memInfo)};
    std::string key;
    long long kib = 0;
    long long freeKib = -1;
    long long availableKib = -1;
    std::string unit;
    while (in >> key >> kib) {
        std::getline(in, unit);
        if (key == "MemTotal:") {
            memory.totalMiB = kib / 1024;
        } else if (key == "MemAvailable:") {
            availableKib = kib;
        } else if (key == "MemFree:") {
            freeKib = kib;
        }
    }
    const long long kibLeft = availableKib >= 0 ? availableKib : freeKib;
    memory.availableMiB = kibLeft < 0 ? 0 : kibLeft / 1024;
    return memory;
}

PhysicalMemory physicalMemory() {
    return PhysicalMemoryOf(ReadWholeFile("/proc/meminfo"));
}

}  // namespace vm

#pragma once
// What the program says about the machine it runs on: the operating system and the physical
// memory. The About box and the error log show the same figures, read here.

#include <string>
#include <string_view>

namespace vm {

// The operating system text: PRETTY_NAME of the os-release text (else NAME and VERSION), then the
// kernel's name, release and machine.
std::string OperatingSystemText(std::string_view osRelease, std::string_view sysName,
                                std::string_view release, std::string_view machine);

// This machine's operating system text, from /etc/os-release and uname(); the parts that cannot
// be read are left out.
std::string operatingSystem();

// Physical memory in whole MiB (rounded down).
struct PhysicalMemory {
    long long totalMiB = 0;
    // What programs can still get: MemAvailable, else MemFree.
    long long availableMiB = 0;
};

// The figures of a /proc/meminfo text; a figure the text lacks is 0.
PhysicalMemory PhysicalMemoryOf(std::string_view memInfo);

// This machine's figures, from /proc/meminfo.
PhysicalMemory physicalMemory();

}  // namespace vm

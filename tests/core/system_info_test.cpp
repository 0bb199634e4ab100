#include "core/system_info.h"

#include <gtest/gtest.h>

namespace vm::test {
namespace {

TEST(PhysicalMemoryTest, FiguresOfMeminfo) {
    struct Case {
        const char* name;
        const char* memInfo;
        long long total;
        long long available;
    };
    const Case cases[] = {
        {"available before free",
         "MemTotal:       16384000 kB\nMemFree:  1024000 kB\n"
         "MemAvailable:    8192000 kB\n",
         16384000 / 1024, 8192000 / 1024},
        {"free where available is missing", "MemTotal: 2048 kB\nMemFree: 1024 kB\n", 2, 1},
        // Whole MiB, rounded down: 1023 kB is 0 MiB, 2047 kB is 1 MiB.
        {"rounded down", "MemTotal: 2047 kB\nMemAvailable: 1023 kB\n", 1, 0},
        {"nothing readable", "", 0, 0},
    };
    for (const Case& c : cases) {
        const PhysicalMemory m = PhysicalMemoryOf(c.memInfo);
        EXPECT_EQ(m.totalMiB, c.total) << c.name;
        EXPECT_EQ(m.availableMiB, c.available) << c.name;
    }
}

TEST(PhysicalMemoryTest, ThisMachineHasSomeMemory) {
    const PhysicalMemory m = physicalMemory();
    EXPECT_GT(m.totalMiB, 0);
    EXPECT_LE(m.availableMiB, m.totalMiB);
}

}  // namespace
}  // namespace vm::test

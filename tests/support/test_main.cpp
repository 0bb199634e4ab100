// The main of every test program. Each starts in the user's locale, as the program does (Qt sets
// it when the application is created), so that a run under LANG=pt_BR.UTF-8 tests what a
// Brazilian desktop does. The Brazilian locale is found in the build tree's private folder unless
// the caller names another (LOCPATH).
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

int main(int argc, char** argv) {
    setenv("LOCPATH", VM_TEST_LOCPATH, 0);
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

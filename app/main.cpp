// The program: start-up, then the main window until it is released.
#include "core/standard_descriptors.h"
#include "program/program_start.h"

int main(int argc, char** argv) {
    // Before anything opens a file: a closed standard descriptor would give its number away.
    vm::OpenClosedStandardDescriptors();
    return vm::RunProgram(argc, argv, {.readCommandLine = true});
}

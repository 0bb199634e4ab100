// The program: start-up, then the main window until it is released.
#include "program/program_start.h"

int main(int argc, char** argv) {
    return vm::RunProgram(argc, argv, {.readCommandLine = true});
}

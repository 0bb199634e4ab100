#pragma once
// vistametra-report: starts like the program, optionally opens a project file, applies overrides,
// runs the calculation and prints or writes the results.

namespace vm {

// Runs the tool with the process's arguments; returns the exit code (0 success, 1 a file that
// cannot be read or written, 2 a bad command line).
int runReportTool(int argc, char** argv);

}  // namespace vm

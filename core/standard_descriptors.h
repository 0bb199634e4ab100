#pragma once
// Standard input, output and error that the process was started without (`prog <&-`, a service
// that closes them). Left closed, the first files the process opens would take their numbers: Qt's
// event descriptor read as the project from standard input (waiting for ever), an output file
// receiving the lines meant for standard output. Both programs call OpenClosedStandardDescriptors
// first thing in main, before anything opens a file.
//
// Plain C++ and POSIX.

namespace vm {

// Opens /dev/null on each of the descriptors 0, 1 and 2 that is closed (for reading on 0, for
// writing on 1 and 2), and notes which were.
void OpenClosedStandardDescriptors();

// Whether descriptor `fd` (0, 1 or 2) was closed when OpenClosedStandardDescriptors ran.
bool StandardDescriptorWasClosed(int fd);

}  // namespace vm

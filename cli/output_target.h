#pragma once
// Where the tool's project comes from and its outputs go: a file, or standard input or output
// when the name is "-".

#include <string>
#include <string_view>

namespace vm {

// "-" as an output's name (-o -, --save -) is standard output, as in other Unix tools.
inline bool IsStandardOutput(const std::string& file) {
    return file == "-";
}

// "-" as the project file is standard input.
inline bool IsStandardInput(const std::string& file) {
    return file == "-";
}

// What a run asks of standard output.
struct StandardOutputUse {
    std::string report;  // -o
    std::string save;    // --save
    std::string format;  // --format
    bool formatGiven = false;
    bool summary = false;        // --summary given
    bool json = false;           // --json or --jsonl
    bool analysisTable = false;  // --analysis printed as a table (no -o)
    bool pages = false;          // the build writes pages (PDF, SVG), not only the DXF
};

// Why the run cannot be done as asked, "" when it can: standard output takes one file (-o - or
// --save -) and nothing else; --format goes with -o -, and names pdf, svg or dxf.
std::string StandardOutputRefusal(const StandardOutputUse& use);

// Flushes standard output and gives `code`, or 1 with a message when the output did not all get
// out (a full device; the tool was started with standard output closed). A reader that has gone
// ends the tool before this, quietly (EndQuietlyWhenReaderLeaves).
int FinishStandardOutput(int code);

// Writes `bytes` as the whole of `file`: to standard output for "-", else in place of the file
// through AtomicFile (the earlier file stays whole when the write fails; a name that leads to one
// of the tool's descriptors, /dev/stdout, is written through it). False with `error` set
// to one sentence that names the file once.
bool WriteOutput(const std::string& file, std::string_view bytes, std::string* error);

}  // namespace vm

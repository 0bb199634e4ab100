#include "cli/output_target.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "core/ascii.h"
#include "core/atomic_file.h"
#include "core/standard_descriptors.h"
#include "core/whole_file.h"

namespace vm {

std::string StandardOutputRefusal(const StandardOutputUse& use) {
    const bool report = IsStandardOutput(use.report);
    const bool save = IsStandardOutput(use.save);
    if (report && save) {
        return "-o - and --save - cannot both write to standard output";
    }
    if (use.formatGiven && !report) {
        return "--format says what -o - writes; a file's suffix says it for -o FILE";
    }
    if (report) {
        const std::string format = use.format.empty() ? "pdf" : AsciiLower(use.format);
        if (format != "dxf" && (!use.pages || (format != "pdf" && format != "svg"))) {
            return "--format " + use.format + ": -o - writes " +
                   (use.pages ? "pdf, svg or dxf" : "dxf (this build)");
        }
    }
    const char* taker = report ? "-o -" : "--save -";
    if ((report || save) && (use.summary || use.json)) {
        return std::string(use.summary ? "--summary" : "--json") +
               " prints to standard output, which " + taker + " takes";
    }
    if (save && use.analysisTable) {
        return "--analysis prints its table to standard output, which --save - takes (-o FILE "
               "writes its pages)";
    }
    return "";
}

int FinishStandardOutput(int code) {
    if (StandardDescriptorWasClosed(STDOUT_FILENO)) {
        // What went to /dev/null in its place did not get out.
        std::cerr << "vistametra-report: cannot write the output: " << std::strerror(EBADF) << "\n";
        return 1;
    }
    errno = 0;
    std::cout.flush();
    if (std::fflush(stdout) != 0 || !std::cout.good() || std::ferror(stdout)) {
        const int err = errno;
        std::cerr << "vistametra-report: cannot write the output"
                  << (err != 0 ? std::string(": ") + std::strerror(err) : std::string()) << "\n";
        return 1;
    }
    return code;
}

bool WriteOutput(const std::string& file, std::string_view bytes, std::string* error) {
    if (!IsStandardOutput(file)) {
        // The name may lead to standard output (/dev/stdout): what the stream holds goes first.
        std::cout.flush();
        return WriteFileAtomically(file, bytes, error);
    }
    // What the stream holds already (none of this tool's own lines: they are refused with "-")
    // goes first.
    std::cout.flush();
    int err = 0;
    if (!WriteWholeStream(STDOUT_FILENO, bytes, &err)) {
        if (error != nullptr) {
            *error = std::string("cannot write to standard output: ") + std::strerror(err);
        }
        return false;
    }
    return true;
}

}  // namespace vm

#pragma once
// Several project files in one run of vistametra-report: every output must say which project it
// belongs to, so the projects are printed as JSON (--json: one array of objects, --jsonl: one
// line each), each object with its "file". Outputs of one file (--save, -o) and the summary lines,
// which name no project, are refused.

#include <cstddef>
#include <string>

namespace vm {

// The outputs a run asks for, as far as several projects care.
struct SeveralProjectsOutputs {
    bool save = false;     // --save
    bool report = false;   // -o
    bool summary = false;  // --summary
    bool json = false;     // --json or --jsonl
};

// Why `projects` project files cannot be run with these outputs (the message for exit code 2);
// "" when they can, and always for one project file or none.
std::string SeveralProjectsRefusal(std::size_t projects, const SeveralProjectsOutputs& outputs);

}  // namespace vm

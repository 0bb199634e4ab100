#include "cli/several_projects.h"

namespace vm {

std::string SeveralProjectsRefusal(std::size_t projects, const SeveralProjectsOutputs& outputs) {
    if (projects <= 1) {
        return "";
    }
    const std::string count = std::to_string(projects) + " project files";
    if (outputs.save) {
        return "--save writes one project file, not " + count;
    }
    if (outputs.report) {
        return "-o writes the report of one project, not " + count;
    }
    if (outputs.summary) {
        return "--summary prints lines that name no project: " + count +
               " are printed with --json or --jsonl";
    }
    if (!outputs.json) {
        return count + " are printed with --json (one array) or --jsonl (one line each)";
    }
    return "";
}

}  // namespace vm

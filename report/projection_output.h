#pragma once
// The projector and LED figures as a terminal table (Portuguese labels) and as JSON, both UTF-8.

#include <string>
#include <utility>
#include <vector>

#include "report/figure_output.h"

namespace vm {

struct ProjectionFigures;

// Lumens as a reader writes them: whole, thousands apart by a blank ("11 280").
std::string Lumens(double lumens);

// The throw's and the LED wall's figures as labelled lines, for the table and the page; only
// with f.throwFigures, f.led.
std::vector<std::pair<std::string, std::string>> ThrowLines(const ProjectionFigures& f);
std::vector<std::pair<std::string, std::string>> LedLines(const ProjectionFigures& f);

// The figures as a table for a terminal, lines ended by "\n".
std::string ProjectionTable(const ProjectionFigures& f);

// The figures as the object that `vistametra-report --json` puts under "projection".
OrderedJson ProjectionJson(const ProjectionFigures& f);

// The description of that object, for --help.
extern const char* const kProjectionJsonHelp;

}  // namespace vm

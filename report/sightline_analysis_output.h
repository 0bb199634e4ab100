#pragma once
// The sightline analysis as a terminal table (Portuguese labels) and as JSON, both UTF-8.

#include <nlohmann/json_fwd.hpp>
#include <string>

namespace vm {

struct SightlineAnalysis;
struct GroupedRisers;
struct DiscasFigures;

// The grouped risers in a line: "blocos de 3: 1-3 0.120 m; ...; elevação total 0.900 m, 2.90 m
// livres até o teto".
std::string GroupedRisersText(const GroupedRisers& g, double ceiling);
// The same in short, for a line of any number of blocks: "blocos de 3: degraus de 0.000 a
// 0.057 m; elevação total 0.198 m, 3.60 m livres até o teto".
std::string GroupedRisersSummary(const GroupedRisers& g, double ceiling);

// DISCAS's closest viewer with the front row's distance and verdict ("4.16 m; primeira fila a
// 3.70 m: perto demais"), and the ADM farthest viewer with the rows beyond it ("10.75 m; filas
// além dela: nenhuma"), as the table and the analysis's pages show them after their labels.
extern const char* const kClosestViewerLabel;
std::string ClosestViewerText(const DiscasFigures& d);
extern const char* const kAnalyticalFarthestLabel;
std::string AnalyticalFarthestText(const DiscasFigures& d);

// The analysis as a table for a terminal: screen, rows, categories, DISCAS and seats, lines ended
// by "\n". Figures without a value show "-" and their reason.
std::string AnalysisTable(const SightlineAnalysis& a);

// The analysis as the object that `vistametra-report --json --analysis` puts under "analysis"
// (see kAnalysisJsonHelp). Keys keep their order from run to run.
nlohmann::ordered_json AnalysisJson(const SightlineAnalysis& a);

// The description of that object, for --help.
extern const char* const kAnalysisJsonHelp;

}  // namespace vm

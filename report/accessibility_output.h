#pragma once
// The wheelchair spaces and the interpreter's window of the sightline analysis as text (terminal
// table, the pages' list) and as JSON.

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

namespace vm {

struct SightlineAnalysis;
struct WheelchairPosition;
struct InterpreterFigures;

// "fila 2, esquerda", "plataforma a 0.20 m, 4.70 m da tela, direita" (UTF-8).
std::string WheelchairPlaceText(const WheelchairPosition& w);

// One line of the pass/fail list: the place, its figures and both verdicts (UTF-8).
std::string WheelchairLine(const WheelchairPosition& w);

// The interpreter's window and its verdict in a line (UTF-8).
std::string InterpreterLine(const InterpreterFigures& f);

// The rule the spaces are checked by, in a line.
extern const char* const kWheelchairRule;

// How many of the wheelchair spaces the capacity asks for have no place on the plan: the first
// row holds fewer than the hall needs, or fewer places were given (0 without counts).
std::int64_t SpacesMissing(const SightlineAnalysis& a);
// "AVISO: o plano tem 40 dos 350 espaços..." when spaces are missing, else empty (UTF-8).
std::string MissingSpacesLine(const SightlineAnalysis& a);

// The spaces and the interpreter as the terminal table shows them, lines ended by "\n".
std::string AccessibilityPlacesTable(const SightlineAnalysis& a);

// Adds "positions", "spaces_placed" and "interpreter" to the analysis's "accessibility" object.
void PutAccessibilityPlaces(nlohmann::ordered_json& accessibility, const SightlineAnalysis& a);

}  // namespace vm

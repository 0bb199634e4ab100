#pragma once
// What a calculated project says that no auditorium is built like: warnings for the designer,
// each naming the figures it compares. A project with warnings still calculates, saves and
// prints; the warnings only point at what to check.

#include <optional>
#include <string>
#include <vector>

#include "core/dados_projeto.h"

namespace vm {

// The warnings for `p` after Calculo, in Portuguese (UTF-8), in this order:
// - risers that lift the last row's eyes to the ceiling or above it: the last row stands
//   (nNumeroFilas - 1) x nAlturaFila2 above the front row's floor, its eyes nAlturaOlhos1 higher
//   still, and a seated head needs room above its eyes. First, because the main window's line
//   shows the first warning and a hall whose back rows have no room to sit is the worst of them;
// - every field whose value describes no room (core/field_limits.h), a file opens as written;
// - rows beyond the back wall: the last row's eyes (nDistOlhosN) farther from the screen than
//   nComprimento;
// - the planned image's top above the ceiling (nTelaTopo > nPeDireito);
// - the planned image's bottom (nTelaTopo - nTelaAltura) below the last row's eyes;
// - a recommended image of a shown category taller than the ceiling height, or, with its top at
//   nTelaTopo, reaching below the floor;
// - the front row nearer the screen than DISCAS's closest viewer (core/closest_viewer.h):
//   nDistOlhos1 < 1.732 x (IH + IO) sets the image's top more than 30 degrees above its eyes.
// A check that reads a field outside its limit, or needs rows when there are none, is left out:
// the figures of an impossible room say nothing more. Empty when nothing is amiss.
std::vector<std::string> PlausibilityWarnings(const DadosProjeto& p);

// The room a seated head needs between the eyes and the ceiling, in metres.
inline constexpr double kHeadroomAboveEyes = 0.12;

// A row whose eyes stand within kHeadroomAboveEyes of the ceiling.
struct RowUnderTheCeiling {
    int row = 0;           // 1 for the front row
    double eyeHeight = 0;  // above the front row's floor
};

// The first row of `p` whose eyes, each row rising `step` over the one in front, come within
// kHeadroomAboveEyes of the ceiling nPeDireito (exactly that much room is enough); nothing when
// every row keeps that room, or `p` has no rows.
std::optional<RowUnderTheCeiling> FirstRowUnderTheCeiling(const DadosProjeto& p, double step);

}  // namespace vm

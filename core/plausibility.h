#pragma once
// What a calculated project says that no auditorium is built like: warnings for the designer,
// each naming the figures it compares. A project with warnings still calculates, saves and
// prints; the warnings only point at what to check.

#include <string>
#include <vector>

#include "core/dados_projeto.h"

namespace vm {

// The warnings for `p` after Calculo, in Portuguese (UTF-8), in this order:
// - every field whose value describes no room (core/field_limits.h), a file opens as written;
// - rows beyond the back wall: the last row's eyes (nDistOlhosN) farther from the screen than
//   nComprimento;
// - the planned image's top above the ceiling (nTelaTopo > nPeDireito);
// - the planned image's bottom (nTelaTopo - nTelaAltura) below the last row's eyes;
// - a recommended image of a shown category taller than the ceiling height, or, with its top at
//   nTelaTopo, reaching below the floor;
// - risers that lift the last row's eyes to the ceiling or above it: the last row stands
//   (nNumeroFilas - 1) x nAlturaFila2 above the front row's floor, its eyes nAlturaOlhos1 higher
//   still, and a seated head needs room above its eyes;
// - the front row nearer the screen than DISCAS's closest viewer (core/closest_viewer.h):
//   nDistOlhos1 < 1.732 x (IH + IO) sets the image's top more than 30 degrees above its eyes.
// A check that reads a field outside its limit, or needs rows when there are none, is left out:
// the figures of an impossible room say nothing more. Empty when nothing is amiss.
std::vector<std::string> PlausibilityWarnings(const DadosProjeto& p);

}  // namespace vm

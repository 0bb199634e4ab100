#pragma once
// The screen sizing calculation: from the room and seat geometry to the minimum image per content
// category, and the description of the planned screen.

#include <string>

#include "core/dados_projeto.h"

namespace vm {

// Content categories: G detail (farthest eye distance / 4), A computer (/ 6), F video (/ 8).
enum class Categoria { G, A, F };
// How many image heights away the farthest viewer may sit for a category: 4, 6 or 8.
double ViewingDistanceInImageHeights(Categoria c);

// Height and width figures of an aspect code (1 = 4:3, 2 = 16:9, 3 = 16:10, 4 = 21:9).
// Returns false for any other code.
bool AspectFigures(double nAspecto, double& heightFigure, double& widthFigure);

// Height that follows from a width under an aspect code: width / width figure x height figure.
// Returns false (and leaves nothing) for a width of 0 or less or a code other than 1 to 4.
bool alturaPeloAspecto(double largura, double nAspecto, double& altura);

// Diagonal in inches of a rectangle given in metres.
double TamTela(double nLarg, double nAlt);

// "4:3", "16:10", "16:9", "21:9" or "CUSTOM" for a width-to-height ratio (strict bounds).
std::string formatoDaTela(double ratio);

// Rewrites every result field of the project, nTelaTamanho and cTelaFormato. Divisions by zero
// yield 0; an aspect code other than 1 to 4 leaves the three widths as they were.
void Calculo(DadosProjeto& p);

}  // namespace vm

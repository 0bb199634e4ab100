#pragma once
// Where the project's rows and seats stand, shared by the report's drawings (at nFatorX millimetres
// per metre) and the sightline analysis (in metres, scale 1). Distances run from the screen wall
// into the room, heights from the floor of the front row, and the lateral offsets of the plan from
// the side wall drawn at the bottom of the plan (the left-hand wall of a viewer facing the screen).

#include <algorithm>
#include <cmath>

#include "core/dados_projeto.h"

namespace vm {

// Whether row nFilaX (0 for the row nearest the screen) is one of the project's rows: rows are
// counted from 0 while below nNumeroFilas, so 0 or fewer rows are none and 2.5 rows are three.
inline bool IsSeatRow(const DadosProjeto& p, double nFilaX) {
    return nFilaX < p.nNumeroFilas;
}

// Horizontal distance from the screen to the eyes of row nFilaX, in metres. The row's seats end
// here on the drawings: a row is nDistEntreFilas deep and its front edge lies that much nearer.
inline double RowEyeDistance(const DadosProjeto& p, double nFilaX) {
    return p.nDistOlhos1 + p.nDistEntreFilas * nFilaX;
}

// Horizontal distance from the screen to the front edge of row nFilaX's seats, in metres.
inline double RowFrontDistance(const DadosProjeto& p, double nFilaX) {
    return RowEyeDistance(p, nFilaX) - p.nDistEntreFilas;
}

// How far row nFilaX stands above the front row, each row rising nAlturaFila2 over the one in
// front of it; scaled by `scale`.
inline double RowRise(const DadosProjeto& p, double nFilaX, double scale = 1) {
    return p.nAlturaFila2 * nFilaX * scale;
}

// Height of the eyes of row nFilaX above the front row's floor, in metres.
inline double RowEyeHeight(const DadosProjeto& p, double nFilaX) {
    return p.nAlturaOlhos1 + RowRise(p, nFilaX);
}

// Height of the planned image's bottom edge above the front row's floor, in metres: the focal
// point of the sight lines.
inline double ScreenBottom(const DadosProjeto& p) {
    return p.nTelaTopo - p.nTelaAltura;
}

// Distance from either side wall to the planned screen's edge, the screen centred on its wall.
inline double ScreenWallOffset(const DadosProjeto& p) {
    return (p.nLargura - p.nTelaLargura) / 2;
}

// Distance from the plan's lower side wall to the near edge of seat nAssentoX of a row (0 for the
// seat nearest that wall), scaled by `scale`. The seats stand side by side, nLarguraAssento wide,
// the first one nAlturaFila2 away from the wall: the row-2 step height serves as the clearance at
// each side wall.
inline double SeatOffset(const DadosProjeto& p, double nAssentoX, double scale = 1) {
    return p.nLarguraAssento * nAssentoX * scale + p.nAlturaFila2 * scale;
}

// Lateral offset, from the screen's axis, of the centre of the seat farthest from it in a row of
// `seats` seats (1 or more), the seats standing where SeatOffset puts them.
inline double OutermostSeatLateral(const DadosProjeto& p, double seats) {
    const double first = SeatOffset(p, 0) + p.nLarguraAssento / 2 - p.nLargura / 2;
    const double last = SeatOffset(p, seats - 1) + p.nLarguraAssento / 2 - p.nLargura / 2;
    return std::max(std::abs(first), std::abs(last));
}

// Distance from eyes `distance` from the screen wall and `lateral` off the screen's axis to the
// image's far side edge (the one across the axis), the image screenWidth wide and centred.
inline double DistanceToFarEdge(double distance, double lateral, double screenWidth) {
    return std::hypot(distance, std::abs(lateral) + screenWidth / 2);
}

// The farthest viewer's distance to the image's far side edge, for `rows` rows (1 or more) of
// `seats` seats (1 or more): the outermost seat of the row whose eyes stand farthest from the
// screen wall (the first or the last, the rows' distances growing evenly).
inline double FarthestViewerToFarEdge(const DadosProjeto& p, double rows, double seats) {
    const double lateral = OutermostSeatLateral(p, seats);
    const double w = p.nTelaLargura;
    return std::max(DistanceToFarEdge(RowEyeDistance(p, 0), lateral, w),
                    DistanceToFarEdge(RowEyeDistance(p, rows - 1), lateral, w));
}

}  // namespace vm

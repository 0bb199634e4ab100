#pragma once
// The section and the plan of the project as a DXF drawing for CAD, at 1:1 in metres.
//
// The file is AutoCAD 2000 ASCII (AC1015, report/dxf_writer.h) with $INSUNITS 6 (metres) and
// $DWGCODEPAGE ANSI_1252, its texts in Windows-1252 as the program holds them. The section (elevation) runs along x from
// the screen wall (x = 0) to the back wall, y up from the lowest floor (y = 0): the room with its
// ceiling, the floor with each row's step, the screen on its wall, every row's eye point and its
// sight lines to the image's top and bottom edges, and the first row's vertical angle. The plan
// lies below it with the same x: the room, the screen's width centred on its wall, one INSERT of
// the block "ASSENTO" (row depth x seat width) per seat coloured by its class, and the 90 and 135
// degree lines of the viewing fields. Positions come from report/sightline_geometry.h and the
// sightline analysis, as for the report's drawings.
//
// Layers: "SALA", "TELA", "ASSENTOS", "OLHOS", "VISADAS", "CAMPOS", "TEXTOS", "ACESSIBILIDADE"
// (the wheelchair spaces with their sight lines, the interpreter's window), "DISCAS" (the
// viewing area on the plan: up to 60 degrees off the normal to the image's far edge), "DEGRAUS"
// (the floor of the grouped risers proposed for the target, in the section), "PROJETOR"
// when a projector's throw is given: the lens, its beam to the image's top and bottom edges, the
// line of lens positions its throw ratio allows, and in red the heads that cut the beam. Texts are as high
// as the report's 6-point texts are at the report's scale (nFatorX, so the calculation must have
// run), in metres.

#include <string>

#include "report/sightline_analysis.h"

namespace vm {

struct DadosProjeto;
struct ProjectionFigures;

// Colours (AutoCAD colour index) of the seats' inserts by class: green, orange, red.
int SeatClassAci(SeatClass c);

// At most this many seats are inserted, counted from the front row.
inline constexpr int kMaxDxfSeats = 200000;

// The whole DXF file's bytes (lines ended by CR LF).
// With `projection` (and its throw), the projector in the section as well.
std::string DxfDrawing(const DadosProjeto& p, const SightlineAnalysis& a,
                       const ProjectionFigures* projection = nullptr);

}  // namespace vm

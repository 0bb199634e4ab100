#pragma once
// The DXF drawing as a save format beside the report's pages: the section and the plan of a
// project for CAD, drawn from the project's own calculation and a sightline analysis for the
// chosen target C-value.

#include <optional>

#include "pagefile/page_set.h"
#include "report/projection.h"
#include "report/wheelchair_positions.h"

namespace vm {

struct DadosProjeto;

// The DXF file of `p`: the calculation runs on a copy of the project (the caller's stays as it
// is), then the analysis for `targetCmm` millimetres (grouped risers in blocks of `riserBlock`
// rows, 0 the best); with `projection`, the projector's layer.
// `accessibility` places the wheelchair spaces and the interpreter's window. With `staggered` the
// seats alternate row by row: the risers drawn are those designed for C2 over the row two ahead,
// as the analysis pages print them.
std::string DxfOfProject(const DadosProjeto& p, double targetCmm,
                         const std::optional<ProjectionInputs>& projection = std::nullopt,
                         int riserBlock = 0, const AccessibilityInputs& accessibility = {},
                         bool staggered = false);

// The "dxf" format for SavePages, writing DxfOfProject of a copy of `p` taken now.
SaveFormat DxfSaveFormat(const DadosProjeto& p, double targetCmm,
                         const std::optional<ProjectionInputs>& projection = std::nullopt,
                         int riserBlock = 0, const AccessibilityInputs& accessibility = {},
                         bool staggered = false);

}  // namespace vm

#include "report/dxf_file.h"

#include "core/calculo.h"
#include "core/dados_projeto.h"
#include "report/dxf_drawing.h"
#include "report/sightline_analysis.h"

namespace vm {

std::string DxfOfProject(const DadosProjeto& p, double targetCmm,
                         const std::optional<ProjectionInputs>& projection, int riserBlock,
                         const AccessibilityInputs& accessibility, bool staggered) {
    DadosProjeto calculated = p;
    Calculo(calculated);
    const SightlineAnalysis a =
        AnalyseSightlines(calculated, targetCmm, staggered, kDefaultElementPercent, riserBlock,
                          accessibility);
    if (!projection) {
        return DxfDrawing(calculated, a);
    }
    const ProjectionFigures figures = ComputeProjection(calculated, a, *projection);
    return DxfDrawing(calculated, a, &figures);
}

SaveFormat DxfSaveFormat(const DadosProjeto& p, double targetCmm,
                         const std::optional<ProjectionInputs>& projection, int riserBlock,
                         const AccessibilityInputs& accessibility, bool staggered) {
    return {"dxf", "DXF",
            [p, targetCmm, projection, riserBlock, accessibility, staggered](std::string* bytes,
                                                                             std::string*) {
                *bytes =
                    DxfOfProject(p, targetCmm, projection, riserBlock, accessibility, staggered);
                return true;
            }};
}

}  // namespace vm

#include "report/dxf_file.h"

#include "core/calculo.h"
#include "core/dados_projeto.h"
#include "report/dxf_drawing.h"
#include "report/sightline_analysis.h"

namespace vm {

std::string DxfOfProject(const DadosProjeto& p, double targetCmm) {
    DadosProjeto calculated = p;
    Calculo(calculated);
    return DxfDrawing(calculated, AnalyseSightlines(calculated, targetCmm));
}

SaveFormat DxfSaveFormat(const DadosProjeto& p, double targetCmm) {
    return {"dxf", "DXF", [p, targetCmm](std::string* bytes, std::string*) {
                *bytes = DxfOfProject(p, targetCmm);
                return true;
            }};
}

}  // namespace vm

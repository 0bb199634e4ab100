#include "core/closest_viewer.h"

#include "core/dados_projeto.h"

namespace vm {

double ClosestViewer(double imageHeight, double imageOffset) {
    return 1.732 * (imageHeight + imageOffset);
}

double FirstRowImageOffset(const DadosProjeto& p) {
    return p.nTelaTopo - p.nTelaAltura - p.nAlturaOlhos1;
}

}  // namespace vm

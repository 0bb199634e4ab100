#pragma once
// DISCAS's closest viewer: nearer than 1.732 x (IH + IO) the image's top stands more than 30
// degrees above a viewer's eyes (tan 60 degrees = 1.732), IH being the image's height and IO the
// height of its bottom edge above the viewer's eye line (negative below it).

namespace vm {

struct DadosProjeto;

// 1.732 x (imageHeight + imageOffset), in their unit.
double ClosestViewer(double imageHeight, double imageOffset);

// IO of the front row: the planned image's bottom edge (nTelaTopo - nTelaAltura) above the front
// row's eyes (nAlturaOlhos1), in metres.
double FirstRowImageOffset(const DadosProjeto& p);

}  // namespace vm

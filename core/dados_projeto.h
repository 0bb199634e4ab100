#pragma once
// The one project the program holds: its 22 input fields and the results of the calculation.
// Lengths are metres, image sizes pixels, diagonals inches.

#include <string>

#include "core/date.h"
#include "core/projection_inputs.h"

namespace vm {

struct DadosProjeto {
    // Input fields, in the order in which the project file stores them.
    std::string cProjeto = "AUDITORIO_TERREO";  // project name (Windows-1252)
    Date cData;                                 // today's date at start-up
    double nLargura = 5;                        // room width
    double nComprimento = 10;                   // room length, screen wall to back wall
    double nPeDireito = 3.8;                    // ceiling height
    double nDistOlhos1 = 3.7;                   // screen to the first row's eyes
    double nAlturaOlhos1 = 1.2;                 // floor to the first row's eyes
    double nNumeroFilas = 7;                    // number of seat rows
    double nDistEntreFilas = 1;                 // distance between rows
    double nLarguraAssento = 0.7;               // seat width
    double nAlturaFila2 = 0.2;                  // step of each row over the one in front
    double nTelaTopo = 3.6;                     // planned image: top edge above the floor
    double nTelaLargura = 3.0;                  // planned image width
    double nTelaAltura = 1.88;                  // planned image height
    double nTelaTamanho = 0;                    // planned image diagonal (inches), calculated
    std::string cTelaFormato = "16:10";         // format class of the planned image, calculated
    double nImagemLargura = 1280;               // projected resolution, pixels across
    double nImagemAltura = 800;                 // projected resolution, lines
    double nAspecto = 3;                        // chosen format: 1 4:3, 2 16:9, 3 16:10, 4 21:9
    bool nTelaG = true;  // show detail (G), computer (A), video (F): logicals despite their n
    bool nTelaA = true;
    bool nTelaF = true;

    // The projector or LED wall the planner sized with the window "Projeção": saved after the
    // 22 fields, and only when the planner gave any (HasProjectionInputs).
    ProjectionInputs projecao;

    // Kept results: 0 at start-up, changed only by the calculation. Per category G, A, F: the
    // minimum image height and width, and its diagonal in inches.
    double nAlturaG = 0, nAlturaA = 0, nAlturaF = 0;
    double nLarguraG = 0, nLarguraA = 0, nLarguraF = 0;
    double nTamTelaG = 0, nTamTelaA = 0, nTamTelaF = 0;

    // Working results, rewritten by every calculation: the drawing scale (mm per metre, 170 /
    // nComprimento) and lengths scaled by it (X), the last row's eye distance (N), each image's
    // bottom edge above the floor (AlturaPisoTela) and its distance to a side wall
    // (DistParedeTela), and the planned image's width-to-height ratio (nTelaFormatoT).
    double nFatorX = 0, nTelaTopoX = 0, nPeDireitoX = 0, nLarguraX = 0, nDistOlhosN = 0;
    double nAlturaPisoTelaG = 0, nAlturaPisoTelaA = 0, nAlturaPisoTelaF = 0;
    double nDistParedeTelaG = 0, nDistParedeTelaA = 0, nDistParedeTelaF = 0;
    double nTelaFormatoT = 0, nAlturaPisoTela = 0, nDistParedeTela = 0;
};

// The one project the program holds: the record the window shows, the report prints and the
// error log lists.
DadosProjeto& projeto();

// The start-up project: the default values above with today's date.
DadosProjeto ProjetoInicial();

// "Novo": the input fields of an empty project (today's date, aspect 3, every category shown);
// cTelaFormato and every result stay as they are. Showing the record in the window is the
// caller's part.
void DadosReset(DadosProjeto& p);

}  // namespace vm

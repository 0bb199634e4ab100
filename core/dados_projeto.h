#pragma once
// The one project the program holds: its 22 input fields and the results of the calculation.
// Lengths are metres, image sizes pixels, diagonals inches.

#include <string>

#include "core/date.h"

namespace vm {

struct DadosProjeto {
    // Input fields, in the order in which the project file stores them.
    std::string cProjeto = "AUDITORIO_TERREO";
    Date cData;  // today's date at start-up
    double nLargura = 5;
    double nComprimento = 10;
    double nPeDireito = 3.8;
    double nDistOlhos1 = 3.7;
    double nAlturaOlhos1 = 1.2;
    double nNumeroFilas = 7;
    double nDistEntreFilas = 1;
    double nLarguraAssento = 0.7;
    double nAlturaFila2 = 0.2;
    double nTelaTopo = 3.6;
    double nTelaLargura = 3.0;
    double nTelaAltura = 1.88;
    double nTelaTamanho = 0;
    std::string cTelaFormato = "16:10";
    double nImagemLargura = 1280;
    double nImagemAltura = 800;
    double nAspecto = 3;
    bool nTelaG = true;  // the categories are logicals despite their n
    bool nTelaA = true;
    bool nTelaF = true;

    // Kept results: 0 at start-up, changed only by the calculation.
    double nAlturaG = 0, nAlturaA = 0, nAlturaF = 0;
    double nLarguraG = 0, nLarguraA = 0, nLarguraF = 0;
    double nTamTelaG = 0, nTamTelaA = 0, nTamTelaF = 0;

    // Working results, rewritten by every calculation.
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

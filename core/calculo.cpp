#include "core/calculo.h"

#include <cmath>

#include "core/safe_div.h"

namespace vm {

double ViewingDistanceInImageHeights(Categoria c) {
    switch (c) {
        case Categoria::G:
            return 4;
        case Categoria::A:
            return 6;
        case Categoria::F:
            return 8;
    }
    return 0;
}

bool AspectFigures(double nAspecto, double& heightFigure, double& widthFigure) {
    if (nAspecto == 1) {
        heightFigure = 3, widthFigure = 4;
    } else if (nAspecto == 2) {
        heightFigure = 9, widthFigure = 16;
    } else if (nAspecto == 3) {
        heightFigure = 10, widthFigure = 16;
    } else if (nAspecto == 4) {
        heightFigure = 9, widthFigure = 21;
    } else {
        return false;
    }
    return true;
}

bool alturaPeloAspecto(double largura, double nAspecto, double& altura) {
    double h = 0, w = 0;
    if (largura <= 0 || !AspectFigures(nAspecto, h, w)) {
        return false;
    }
    altura = largura / w * h;
    return true;
}

double TamTela(double nLarg, double nAlt) {
    return std::sqrt(nLarg * nLarg + nAlt * nAlt) * 100 / 2.54;
}

std::string formatoDaTela(double r) {
    if (r > 1.25 && r < 1.4) {
        return "4:3";
    }
    if (r > 1.55 && r < 1.65) {
        return "16:10";
    }
    if (r > 1.7 && r < 1.85) {
        return "16:9";
    }
    if (r > 2.0 && r < 2.7) {
        return "21:9";
    }
    return "CUSTOM";
}

void Calculo(DadosProjeto& p) {
    p.nFatorX = SafeDiv(170, p.nComprimento);
    p.nTelaTopoX = p.nTelaTopo * p.nFatorX;
    p.nPeDireitoX = p.nPeDireito * p.nFatorX;
    p.nLarguraX = p.nLargura * p.nFatorX;

    p.nDistOlhosN = (p.nNumeroFilas - 1) * p.nDistEntreFilas + p.nDistOlhos1;

    p.nAlturaG = p.nDistOlhosN / 4;
    p.nAlturaA = p.nDistOlhosN / 6;
    p.nAlturaF = p.nDistOlhosN / 8;

    double h = 0, w = 0;
    if (AspectFigures(p.nAspecto, h, w)) {
        p.nLarguraG = p.nAlturaG / h * w;
        p.nLarguraF = p.nAlturaF / h * w;
        p.nLarguraA = p.nAlturaA / h * w;
    }

    p.nTamTelaG = TamTela(p.nLarguraG, p.nAlturaG);
    p.nTamTelaA = TamTela(p.nLarguraA, p.nAlturaA);
    p.nTamTelaF = TamTela(p.nLarguraF, p.nAlturaF);

    p.nAlturaPisoTelaG = p.nTelaTopo - p.nAlturaG;
    p.nDistParedeTelaG = (p.nLargura - p.nLarguraG) / 2;
    p.nAlturaPisoTelaA = p.nTelaTopo - p.nAlturaA;
    p.nDistParedeTelaA = (p.nLargura - p.nLarguraA) / 2;
    p.nAlturaPisoTelaF = p.nTelaTopo - p.nAlturaF;
    p.nDistParedeTelaF = (p.nLargura - p.nLarguraF) / 2;

    p.nTelaTamanho = TamTela(p.nTelaLargura, p.nTelaAltura);
    p.nTelaFormatoT = SafeDiv(p.nTelaLargura, p.nTelaAltura);
    p.nAlturaPisoTela = p.nTelaTopo - p.nTelaAltura;
    p.nDistParedeTela = (p.nLargura - p.nTelaLargura) / 2;

    p.cTelaFormato = formatoDaTela(p.nTelaFormatoT);
}

}  // namespace vm

#include "core/dados_projeto.h"

namespace vm {

DadosProjeto& projeto() {
    static DadosProjeto p;
    return p;
}

DadosProjeto ProjetoInicial() {
    DadosProjeto p;
    p.cData = Today();
    return p;
}

void DadosReset(DadosProjeto& p) {
    p.cProjeto = "";
    p.cData = Today();
    p.nComprimento = 0;
    p.nLargura = 0;
    p.nPeDireito = 0;
    p.nDistOlhos1 = 0;
    p.nAlturaOlhos1 = 0;
    p.nNumeroFilas = 0;
    p.nDistEntreFilas = 0;
    p.nLarguraAssento = 0;
    p.nAlturaFila2 = 0;
    p.nAspecto = 3;
    p.nTelaG = true;
    p.nTelaA = true;
    p.nTelaF = true;
    p.nTelaTopo = 0;
    p.nTelaLargura = 0;
    p.nTelaAltura = 0;
    p.nImagemLargura = 0;
    p.nImagemAltura = 0;
    p.nTelaTamanho = 0;
    p.projecao = {};
}

}  // namespace vm

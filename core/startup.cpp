#include "core/startup.h"

#include "core/calculo.h"
#include "core/date.h"
#include "core/platform_paths.h"
#include "core/program_values.h"
#include "runtime/html_log.h"

namespace vm {

DadosProjeto& projeto() {
    static DadosProjeto p;
    return p;
}

void IniciarSemJanela(const std::function<std::string()>& defaultPrinter) {
    ProgramValues& values = programValues();
    values.QTV_VERSAO = "Vistametra 1.05";
    values.QTV_DATA = "10/01/2016";
    values.cAutoria = defaultAutoria();
    values.cSobre = " ";

    SetErrorLogFile("Vistametra.htm");

    dateSettings().epoch = 1960;
    dateSettings().format = "dd/mm/yy";

    values.DirPdf = projectFolder();
    values.PrintX = defaultPrinter ? defaultPrinter() : "";

    DadosProjeto& p = projeto();
    p = ProjetoInicial();
    p.nAlturaG = p.nAlturaA = p.nAlturaF = 0;
    p.nLarguraG = p.nLarguraA = p.nLarguraF = 0;
    p.nTamTelaG = p.nTamTelaA = p.nTamTelaF = 0;
    Calculo(p);
}

}  // namespace vm

#include "report/report_pages.h"

#include "core/dados_projeto.h"
#include "core/file_names.h"
#include "core/program_values.h"
#include "core/safe_div.h"
#include "core/str_whole.h"
#include "core/text.h"
#include "pagefile/canvas.h"
#include "report/report_drawings.h"
#include "report/report_style.h"

namespace vm {

namespace {

const std::string kInch = "\"";

// A label, its value right-aligned at `valueCol` and an optional unit after it.
void LabelledValue(Canvas& canvas, double row, double labelCol, std::string_view label,
                   double valueCol, const std::string& value, bool withUnit) {
    ReportText(canvas, row, labelCol, 10, label);
    if (withUnit) {
        ReportText(canvas, row, valueCol + 2, 10, "m");
    }
    ReportText(canvas, row, valueCol, 9, value, kBlack, false, "RIGHT");
}

// "Dados da Sala": the first ten rows of page A, also the room data block of page B.
void RoomData(const DadosProjeto& p, Canvas& canvas) {
    ReportText(canvas, 30, 20, 9, "Dados da Sala", kBlack, true);
    LabelledValue(canvas, 35, 25, "Comprimento :", 60, StrWhole(p.nComprimento, 5, 2), true);
    LabelledValue(canvas, 40, 25, "Largura :", 60, StrWhole(p.nLargura, 5, 2), true);
    LabelledValue(canvas, 45, 25, "Pe Direito :", 60, StrWhole(p.nPeDireito, 4, 2), true);
}

// "Posição dos Assentos", pages A and B.
void SeatData(const DadosProjeto& p, Canvas& canvas) {
    ReportText(canvas, 30, 100, 9, Cp1252("Posição dos Assentos"), kBlack, true);
    LabelledValue(canvas, 35, 105, Cp1252("Distância da tela aos olhos na fila 1 :"), 180,
                  StrWhole(p.nDistOlhos1, 5, 2), true);
    LabelledValue(canvas, 40, 105, "Altura do piso aos olhos na fila 1 :", 180,
                  StrWhole(p.nAlturaOlhos1, 5, 2), true);
    // A count, without a unit.
    LabelledValue(canvas, 45, 105, Cp1252("Número de filas de assentos :"), 180,
                  StrWhole(p.nNumeroFilas, 2), false);
    LabelledValue(canvas, 50, 105, Cp1252("Distância entre filas :"), 180,
                  StrWhole(p.nDistEntreFilas, 5, 2), true);
    LabelledValue(canvas, 55, 105, "Largura dos assentos :", 180, StrWhole(p.nLarguraAssento, 5, 2),
                  true);
    LabelledValue(canvas, 60, 105, "Altura do degrau do assento na fila 2 :", 180,
                  StrWhole(p.nAlturaFila2, 5, 2), true);
}

void SightLinesTitle(Canvas& canvas) {
    ReportText(canvas, 91, 20, 10, Cp1252("Linhas de Visão"), kBlack, true);
}

std::string FormatLine(double nAspecto) {
    if (nAspecto == 1) {
        return "Formato da tela 4:3";
    }
    if (nAspecto == 2) {
        return "Formato da tela 16:9";
    }
    if (nAspecto == 3) {
        return "Formato da tela 16:10";
    }
    return {};
}

std::string CategoryLine(std::string_view prefix, double nLargura, double nAltura, double nTamTela,
                         double nFonte) {
    return Cp1252(prefix) + StrWhole(nLargura, 5, 2) + " m    A: " + StrWhole(nAltura, 5, 2) +
           " m    D: " + StrWhole(nTamTela, 6, 2) + kInch +
           "   /   Fonte minima recomendada: " + StrWhole(nFonte, 3) + " pixels.";
}

void PageATexts(const DadosProjeto& p, Canvas& canvas) {
    RoomData(p, canvas);
    ReportText(canvas, 55, 20, 10, Cp1252("Tamanhos mínimos para as Imagens"), kBlack, true);
    // Aspect codes outside 1 to 3 (21:9 arrives only from a file) print no format line.
    if (const std::string format = FormatLine(p.nAspecto); !format.empty()) {
        ReportText(canvas, 60, 20, 10, format);
    }
    ReportText(canvas, 65, 20, 10,
               Cp1252("Resolução da Imagem pretendida : ") + StrWhole(p.nImagemLargura, 4) + "x" +
                   StrWhole(p.nImagemAltura, 4) + " pixels.");
    ReportText(canvas, 70, 20, 9, Cp1252("Tamanhos mínimos recomendados"));
    // Every category line is printed, whichever categories are switched on.
    ReportText(canvas, 75, 25, 9,
               CategoryLine("Detalhes  >   L: ", p.nLarguraG, p.nAlturaG, p.nTamTelaG,
                            FonteMinima(p, p.nAlturaG)),
               kBlue);
    ReportText(canvas, 80, 25, 9,
               CategoryLine("Computador >  L: ", p.nLarguraA, p.nAlturaA, p.nTamTelaA,
                            FonteMinima(p, p.nAlturaA)),
               kRed);
    ReportText(canvas, 85, 25, 9,
               CategoryLine("Vídeo  >         L : ", p.nLarguraF, p.nAlturaF, p.nTamTelaF,
                            FonteMinima(p, p.nAlturaF)),
               kGreen);
    SeatData(p, canvas);
    SightLinesTitle(canvas);
}

void PageBTexts(const DadosProjeto& p, Canvas& canvas) {
    RoomData(p, canvas);
    ReportText(canvas, 55, 20, 10, "Imagem pretendida", kBlack, true);
    ReportText(canvas, 60, 25, 9,
               "Tamanho >   L: " + StrWhole(p.nTelaLargura, 5, 2) +
                   " m    A: " + StrWhole(p.nTelaAltura, 5, 2) +
                   " m    D: " + StrWhole(p.nTelaTamanho, 6, 2) + kInch);
    ReportText(canvas, 65, 25, 9,
               Cp1252("Resolução : ") + StrWhole(p.nImagemLargura, 5) + " x " +
                   StrWhole(p.nImagemAltura, 5) + " pixels    Formato : " + p.cTelaFormato);
    const std::string nFonte = StrWhole(FonteMinima(p, p.nTelaAltura), 2);
    ReportTextBox(canvas, 70, 25, 80, 190, 9,
                  Cp1252("Nesta configuração, para uma perfeita visualização dos textos, pelos "
                         "ocupantes da última fileira de assentos, as apresentações devem usar "
                         "fontes com no minimo ") +
                      nFonte + " pixels. ( Arial " + nFonte + " pixels com zoom a 100%. )");
    SeatData(p, canvas);
    SightLinesTitle(canvas);
}

}  // namespace

std::string NomePdf(std::string_view cProjeto) {
    return AllTrim(cProjeto) + "_Calculo_Tela.pdf";
}

std::string ArquivoPdf(std::string_view dirPdf, std::string_view cProjeto) {
    return std::string(dirPdf) + FileNameFromText(NomePdf(cProjeto));
}

double DistFonte(const DadosProjeto& p) {
    return (p.nDistOlhos1 + p.nDistEntreFilas * (p.nNumeroFilas - 1)) * 100;
}

double FonteMinima(const DadosProjeto& p, double nAltura) {
    return SafeDiv(DistFonte(p) * p.nImagemAltura, 150 * nAltura * 100);
}

ReportPages BuildReportPages(const DadosProjeto& p, Canvas& canvas, const PageFileNamer& namer,
                             std::string_view cAutoria) {
    PageFlow flow(p, canvas, namer, 1, cAutoria);
    const PageBreak pageBreak = [&flow] { flow.Break(); };

    // Page A: the minimum images.
    flow.NextPage();
    PageATexts(p, canvas);
    const Elevation minimum = DrawMinimumElevation(p, canvas);
    DrawMinimumPlan(p, canvas, minimum, pageBreak);
    flow.EndPage();

    // Page B: the planned screen, always on a new page.
    flow.NextPage();
    PageBTexts(p, canvas);
    const Elevation planned = DrawPlannedElevation(p, canvas);
    DrawPlannedPlan(p, canvas, planned, pageBreak);
    flow.EndPage();

    return flow.Finish();
}

ReportPages BuildReportPages(const DadosProjeto& p, Canvas& canvas, const PageFileNamer& namer) {
    return BuildReportPages(p, canvas, namer, programValues().cAutoria);
}

}  // namespace vm

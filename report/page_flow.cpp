#include "report/page_flow.h"

#include <utility>

#include "core/dados_projeto.h"
#include "core/date.h"
#include "core/text.h"
#include "pagefile/canvas.h"
#include "report/report_style.h"

namespace vm {

void Cabecalho_Padrao(const DadosProjeto& p, int nPagina, std::string_view cAutoria,
                      Canvas& canvas) {
    ReportTextBox(canvas, 13, 10, 20, 195, 14, "Vistametra", kBlack, true, "CENTER");
    ReportText(canvas, 20, 20, 10, "Projeto :");
    ReportText(canvas, 20, 35, 10, AllTrim(p.cProjeto), kBlack, true);
    ReportText(canvas, 20, 170, 10, "Data :");
    ReportText(canvas, 20, 180, 10, DToC(p.cData), kBlack, true);
    canvas.PrintLine(285, 10, 285, 200, 0.1, kBlack);
    // The number is ten characters wide and right-aligned; the box centres all ten, so the digits
    // stand somewhat right of the centre.
    ReportTextBox(canvas, 285, 10, 288, 200, 6, Str(nPagina), kBlack, false, "CENTER");
    ReportTextBox(canvas, 285, 10, 288, 200, 6, AllTrim(cAutoria), kBlack, false, "RIGHT");
}

PageFlow::PageFlow(const DadosProjeto& p, Canvas& canvas, const PageFileNamer& namer,
                   int firstPageNumber, std::string_view cAutoria)
    : m_p(p),
      m_canvas(canvas),
      m_namer(namer),
      m_autoria(cAutoria),
      m_nPagina(firstPageNumber - 1) {}

void PageFlow::NextPage() {
    ++m_pageFiles;
    std::string fileName = m_namer ? m_namer(m_pageFiles) : std::string();
    if (!m_canvas.StartPreviewPage(fileName)) {
        m_result.complete = false;
    }
    m_result.pageFiles.push_back(std::move(fileName));
    ++m_nPagina;
    Cabecalho_Padrao(m_p, m_nPagina, m_autoria, m_canvas);
}

void PageFlow::EndPage() {
    if (!m_canvas.EndPreviewPage()) {
        m_result.complete = false;
    }
}

void PageFlow::Break() {
    EndPage();
    NextPage();
}

ReportPages PageFlow::Finish() const {
    ReportPages result = m_result;
    result.nPagina = m_nPagina;
    return result;
}

}  // namespace vm

#pragma once
// The flow of a document's pages on the millimetre canvas: each page started as a page file of
// its own, numbered in its footer and given the standard header and footer, then ended; what was
// started and whether every page could be started and completed is gathered for the caller.
// The report's pages and the analysis pages both run through it.
//
//   PageFlow flow(p, canvas, namer, 1, cAutoria);
//   flow.NextPage();   // page file 1, number 1 in its footer
//   ...                // the page's content
//   flow.Break();      // ends it and starts page file 2, number 2
//   ...
//   flow.EndPage();
//   ReportPages pages = flow.Finish();

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

class Canvas;
struct DadosProjeto;

// Gives the file name of page file number n (1 for the first page started, then 2, ...).
using PageFileNamer = std::function<std::string(int pageFileNumber)>;

// What building the pages did.
struct ReportPages {
    int nPagina = 0;                     // the number in the last page's footer
    std::vector<std::string> pageFiles;  // names of the pages started, in order
    // False when the canvas could not start or complete a page; drawing on that page then did
    // nothing, the other pages are as they should be.
    bool complete = true;
};

// The standard header (program name, project name and date) and footer (rule, page number and
// rights notice) of a page.
void Cabecalho_Padrao(const DadosProjeto& p, int nPagina, std::string_view cAutoria,
                      Canvas& canvas);

// Starts, numbers and ends the pages. p, canvas and namer must outlive the flow; namer may be
// empty, and every page file name is then "". cAutoria is the rights notice at the foot of every
// page.
class PageFlow final {
public:
    PageFlow(const DadosProjeto& p, Canvas& canvas, const PageFileNamer& namer, int firstPageNumber,
             std::string_view cAutoria);

    // Starts the next page: its page file, the next number (firstPageNumber for the first page)
    // and the header and footer.
    void NextPage();
    // Ends the page started last.
    void EndPage();
    // Ends this page and goes on with the next, as a drawing that does not fit asks for.
    void Break();

    // What was built; the number of the last page started (firstPageNumber - 1 when none was).
    ReportPages Finish() const;

private:
    const DadosProjeto& m_p;
    Canvas& m_canvas;
    const PageFileNamer& m_namer;
    std::string_view m_autoria;
    int m_pageFiles = 0;
    int m_nPagina;
    ReportPages m_result;
};

}  // namespace vm

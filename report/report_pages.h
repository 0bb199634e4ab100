#pragma once
// The calculation report's pages, drawn on the millimetre canvas: page A (minimum image sizes) and
// page B (the planned screen), each with the standard header and footer, its texts and its two
// drawings, a plan that does not fit under its elevation moving to a page of its own; so two to
// four pages numbered from 1.
//
// The print job around it (printer, clipboard, page files, preview) belongs to the caller: the
// program's print job and vistametra-report both build the pages through BuildReportPages.
//
//   EmfPageCanvas canvas(device, &images);
//   ReportPages pages = BuildReportPages(projeto, canvas, [&](int n) {
//       return PageFileName(PageFolder(), previewId, n);  // pagefile/page_folder.h
//   });

#include <string>
#include <string_view>

#include "report/page_flow.h"

namespace vm {

class Canvas;
struct DadosProjeto;

// The suggested PDF name: ALLTRIM(cProjeto) + "_Calculo_Tela.pdf"; also the spooler document name.
std::string NomePdf(std::string_view cProjeto);
// The suggested PDF path: DirPdf (the file system's bytes, ending in a separator) followed by
// NomePdf as a file name (UTF-8: "SALÃO_Calculo_Tela.pdf").
std::string ArquivoPdf(std::string_view dirPdf, std::string_view cProjeto);

// Builds every page of the report for a project on which the calculation has run. cAutoria is
// the rights notice printed at the foot of every page. Never fails as a whole: see
// ReportPages::complete (report/page_flow.h).
ReportPages BuildReportPages(const DadosProjeto& p, Canvas& canvas, const PageFileNamer& namer,
                             std::string_view cAutoria);
// The same with the program's own notice, programValues().cAutoria.
ReportPages BuildReportPages(const DadosProjeto& p, Canvas& canvas, const PageFileNamer& namer);

// The last row's eye distance from the screen in centimetres.
double DistFonte(const DadosProjeto& p);
// The recommended minimum font size in image pixels for an image `nAltura` metres high: the
// smallest legible character is 1/150 of the farthest eye distance, as a share of the image's
// height times its height in pixels. 0 for an image height of 0.
double FonteMinima(const DadosProjeto& p, double nAltura);

}  // namespace vm

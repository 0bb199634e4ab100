#pragma once
// The calculation report run: the command behind "Gerar Report" and "&Imprimir" once the
// calculation is done.

namespace vm {

// Builds the report of the program's project (projeto()) for the printer PrintX and shows it in
// the preview; returns when the preview is closed. In order: ArquivoPdf (DirPdf + NomePdf) goes to
// the clipboard, a fresh print job is created, PrintX is opened for A4, simplex, portrait; when
// that fails the printer's error box was the only answer and no report is made. Otherwise the job
// is named NomePdf, every page is written as a page file in the temporary folder and the preview
// opens on them (it deletes them when it closes, and so does every end of the process while it is
// open). While a preview is open, brings it to the front instead and changes nothing.
void ReportCalculo();

}  // namespace vm

#pragma once
// Pages saved in other formats: a set of page files written as one PDF, or as one SVG or PNG file
// per page. Every format paints its pages with PaintPageOnSheet, the routine the preview and the
// printer use through EmfPlayer.

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QPainter;

namespace vm {

class EmfPlayer;

// The A4 sheet the report is printed on, in millimetres.
inline const QSizeF kA4SheetMm(210, 297);

// Where a page's printable area lies on the sheet. A page file records only the size of the
// printable area; by default it is centred on the sheet, which is exact for a sheet printed to
// its edges and for printers with even margins.
struct SheetPlacement {
    bool centred = true;
    double leftMm = 0;  // used when not centred
    double topMm = 0;
    // The printable area's size from the printer's pixels and resolution; empty to
    // take the page file's frame, which holds it in whole millimetres only.
    QSizeF areaMm;
};

// Paints one page on a sheet occupying `sheet` (painter coordinates): white paper, then the page
// file's picture on its printable area. A player without a page paints the white sheet only.
void PaintPageOnSheet(QPainter& painter, const EmfPlayer& page, const QRectF& sheet,
                      const SheetPlacement& placement = {}, QSizeF sheetMm = kA4SheetMm);

// The name of page `pageNumber` of a set saved under `chosenName`: its folder, "/", its name
// without extension, "_", the number in 4 digits, and its extension ("rel.svg", 2 ->
// "rel_0002.svg").
QString NumberedPageName(const QString& chosenName, int pageNumber);

// One A4 PDF page per page file, fonts embedded, the document titled `title`. A page file that
// cannot be read gives a blank page. The file is replaced whole or not at all (AtomicFile).
// Returns false with `error` set when the PDF cannot be written; an earlier file is then unchanged.
bool ExportPagesToPdf(const QStringList& pageFiles, const QString& pdfName, const QString& title,
                      QString* error = nullptr, const SheetPlacement& placement = {});

// One A4 SVG per page file, named by NumberedPageName. Returns the names written; on a failure
// nothing is written (every earlier file stays as it was), the list is empty and `error` says why.
QStringList ExportPagesToSvg(const QStringList& pageFiles, const QString& chosenName,
                             QString* error = nullptr, const SheetPlacement& placement = {});

// One A4 PNG per page file at `dotsPerInch` (at least 10), named by NumberedPageName. Returns the
// names written, as ExportPagesToSvg.
QStringList ExportPagesToPng(const QStringList& pageFiles, const QString& chosenName,
                             int dotsPerInch = 150, QString* error = nullptr,
                             const SheetPlacement& placement = {});

// By the chosen name's extension (any case): ".pdf" one PDF, ".svg" and ".png" a file per page,
// anything else a copy of each page file (".emf" pages). Returns the names written; empty, with
// `error` set and every earlier file unchanged, on a failure.
QStringList ExportPages(const QStringList& pageFiles, const QString& chosenName,
                        const QString& title, QString* error = nullptr);

}  // namespace vm

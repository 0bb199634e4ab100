#pragma once
// A page on its sheet: the routine with which the preview, the printer and the saved PDF, SVG and
// PNG pages (pagefile/page_set.h) paint a page file through EmfPlayer.

#include <QRectF>
#include <QSizeF>

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

}  // namespace vm

#include "pagefile/page_export.h"

#include <QPainter>
#include <algorithm>

#include "pagefile/emf_player.h"

namespace vm {

void PaintPageOnSheet(QPainter& painter, const EmfPlayer& page, const QRectF& sheet,
                      const SheetPlacement& placement, QSizeF sheetMm) {
    painter.fillRect(sheet, Qt::white);
    if (!page.IsValid() || sheetMm.isEmpty()) {
        return;
    }
    const QSizeF area = placement.areaMm.isEmpty() ? page.FrameSizeMm() : placement.areaMm;
    if (area.isEmpty()) {
        return;
    }
    double left = placement.leftMm;
    double top = placement.topMm;
    if (placement.centred) {
        left = std::max(0.0, (sheetMm.width() - area.width()) / 2);
        top = std::max(0.0, (sheetMm.height() - area.height()) / 2);
    }
    const double sx = sheet.width() / sheetMm.width();
    const double sy = sheet.height() / sheetMm.height();
    const QRectF target(sheet.left() + left * sx, sheet.top() + top * sy, area.width() * sx,
                        area.height() * sy);
    painter.save();
    painter.setClipRect(sheet, Qt::IntersectClip);
    page.Paint(painter, target);
    painter.restore();
}

}  // namespace vm

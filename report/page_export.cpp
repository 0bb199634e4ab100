#include "report/page_export.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>

#include "report/emf_player.h"

namespace vm {

namespace {

void SetError(QString* error, const QString& text) {
    if (error != nullptr) {
        *error = text;
    }
}

EmfPlayer LoadPage(const QString& fileName) {
    EmfPlayer player;
    player.Load(fileName);  // an unreadable page paints nothing: a blank sheet
    return player;
}

}  // namespace

void PaintPageOnSheet(QPainter& painter, const EmfPlayer& page, const QRectF& sheet,
                      const SheetPlacement& placement, QSizeF sheetMm) {
    painter.fillRect(sheet, Qt::white);
    if (!page.IsValid() || sheetMm.isEmpty()) {
        return;
    }
    const QSizeF area = page.FrameSizeMm();
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

QString NumberedPageName(const QString& chosenName, int pageNumber) {
    const QFileInfo info(chosenName);
    QString name = info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('_') +
                   QStringLiteral("%1").arg(pageNumber, 4, 10, QLatin1Char('0'));
    if (!info.suffix().isEmpty()) {
        name += QLatin1Char('.') + info.suffix();
    }
    return name;
}

bool ExportPagesToPdf(const QStringList& pageFiles, const QString& pdfName, const QString& title,
                      QString* error, const SheetPlacement& placement) {
    if (pageFiles.isEmpty()) {
        SetError(error, QStringLiteral("no pages to write"));
        return false;
    }
    QPdfWriter writer(pdfName);
    writer.setResolution(1200);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Vistametra"));
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&writer)) {
        SetError(error, QStringLiteral("cannot write %1").arg(pdfName));
        return false;
    }
    const QRectF sheet(0, 0, writer.width(), writer.height());
    for (qsizetype i = 0; i < pageFiles.size(); ++i) {
        if (i > 0 && !writer.newPage()) {
            painter.end();
            SetError(error, QStringLiteral("cannot add a page to %1").arg(pdfName));
            return false;
        }
        PaintPageOnSheet(painter, LoadPage(pageFiles[i]), sheet, placement);
    }
    if (!painter.end()) {
        SetError(error, QStringLiteral("cannot write %1").arg(pdfName));
        return false;
    }
    return true;
}

QStringList ExportPagesToSvg(const QStringList& pageFiles, const QString& chosenName,
                             QString* error, const SheetPlacement& placement) {
    QStringList written;
    constexpr int kDpi = 96;
    const QSizeF size(kA4SheetMm.width() / 25.4 * kDpi, kA4SheetMm.height() / 25.4 * kDpi);
    for (qsizetype i = 0; i < pageFiles.size(); ++i) {
        const QString name = NumberedPageName(chosenName, static_cast<int>(i + 1));
        QSvgGenerator generator;
        generator.setFileName(name);
        generator.setResolution(kDpi);
        generator.setSize(size.toSize());
        generator.setViewBox(QRectF(QPointF(0, 0), size));
        generator.setTitle(QFileInfo(name).completeBaseName());
        QPainter painter;
        if (!painter.begin(&generator)) {
            SetError(error, QStringLiteral("cannot write %1").arg(name));
            return written;
        }
        PaintPageOnSheet(painter, LoadPage(pageFiles[i]), QRectF(QPointF(0, 0), size), placement);
        if (!painter.end() || !QFileInfo(name).isFile()) {
            SetError(error, QStringLiteral("cannot write %1").arg(name));
            return written;
        }
        written << name;
    }
    return written;
}

QStringList ExportPagesToPng(const QStringList& pageFiles, const QString& chosenName,
                             int dotsPerInch, QString* error, const SheetPlacement& placement) {
    QStringList written;
    const int dpi = std::max(10, dotsPerInch);
    const QSize size(qRound(kA4SheetMm.width() / 25.4 * dpi),
                     qRound(kA4SheetMm.height() / 25.4 * dpi));
    for (qsizetype i = 0; i < pageFiles.size(); ++i) {
        const QString name = NumberedPageName(chosenName, static_cast<int>(i + 1));
        QImage image(size, QImage::Format_RGB32);
        if (image.isNull()) {
            SetError(error, QStringLiteral("not enough memory for %1").arg(name));
            return written;
        }
        image.setDotsPerMeterX(qRound(dpi / 0.0254));
        image.setDotsPerMeterY(qRound(dpi / 0.0254));
        {
            QPainter painter(&image);
            PaintPageOnSheet(painter, LoadPage(pageFiles[i]), QRectF(image.rect()), placement);
        }
        if (!image.save(name, "PNG")) {
            SetError(error, QStringLiteral("cannot write %1").arg(name));
            return written;
        }
        written << name;
    }
    return written;
}

QStringList ExportPages(const QStringList& pageFiles, const QString& chosenName,
                        const QString& title, QString* error) {
    const QString suffix = QFileInfo(chosenName).suffix().toLower();
    if (suffix == QLatin1String("pdf")) {
        return ExportPagesToPdf(pageFiles, chosenName, title, error) ? QStringList{chosenName}
                                                                     : QStringList{};
    }
    if (suffix == QLatin1String("svg")) {
        return ExportPagesToSvg(pageFiles, chosenName, error);
    }
    if (suffix == QLatin1String("png")) {
        return ExportPagesToPng(pageFiles, chosenName, 150, error);
    }
    QStringList written;
    for (qsizetype i = 0; i < pageFiles.size(); ++i) {
        const QString name = NumberedPageName(chosenName, static_cast<int>(i + 1));
        QFile::remove(name);
        if (!QFile::copy(pageFiles[i], name)) {
            SetError(error, QStringLiteral("cannot write %1").arg(name));
            return written;
        }
        written << name;
    }
    return written;
}

}  // namespace vm

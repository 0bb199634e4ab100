#include "pagefile/page_export.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/atomic_file.h"
#include "pagefile/emf_player.h"

namespace vm {

namespace {

// Text as the SVG generator writes it into the page's XML unchanged: markup characters escaped,
// and characters that XML 1.0 does not allow (control characters, unpaired surrogates, which a
// file name that is not UTF-8 brings) replaced, so that any file name gives a valid page.
QString SvgText(const QString& text) {
    QString allowed;
    allowed.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            allowed += c;
            allowed += text[++i];
        } else if (c.isSurrogate() || (c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0xFFFE ||
                   c.unicode() == 0xFFFF) {
            allowed += QChar(0xFFFD);
        } else {
            allowed += c;
        }
    }
    return allowed.toHtmlEscaped();
}

void SetError(QString* error, const QString& text) {
    if (error != nullptr) {
        *error = text;
    }
}

// A file's name as the file system takes it.
std::string LocalName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

// Files made in memory, written as one set: each is made in full beside its target, and only
// when every one of them is on disk do they take their targets' places, so a failure leaves
// every earlier file as it was.
bool WriteFiles(const std::vector<std::pair<QString, QByteArray>>& files, QString* error) {
    std::vector<AtomicFile> staged(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        const QByteArray& bytes = files[i].second;
        if (!staged[i].Open(LocalName(files[i].first)) ||
            !staged[i].Write(bytes.constData(), static_cast<size_t>(bytes.size()))) {
            SetError(error, QString::fromStdString(staged[i].Error()));
            return false;
        }
    }
    for (AtomicFile& file : staged) {
        if (!file.Commit()) {
            SetError(error, QString::fromStdString(file.Error()));
            return false;
        }
    }
    return true;
}

QStringList NamesOf(const std::vector<std::pair<QString, QByteArray>>& files) {
    QStringList names;
    for (const auto& file : files) {
        names << file.first;
    }
    return names;
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
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
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
    }
    return WriteFiles({{pdfName, pdf}}, error);
}

QStringList ExportPagesToSvg(const QStringList& pageFiles, const QString& chosenName,
                             QString* error, const SheetPlacement& placement) {
    std::vector<std::pair<QString, QByteArray>> files;
    // 254 units an inch, a tenth of a millimetre each: the A4 sheet is declared as exactly
    // 210 x 297 mm (2100 x 2970 units) and drawn in those units.
    constexpr int kDpi = 254;
    const QSizeF size(kA4SheetMm.width() / 25.4 * kDpi, kA4SheetMm.height() / 25.4 * kDpi);
    for (qsizetype i = 0; i < pageFiles.size(); ++i) {
        const QString name = NumberedPageName(chosenName, static_cast<int>(i + 1));
        QByteArray svg;
        QBuffer buffer(&svg);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setResolution(kDpi);
        generator.setSize(size.toSize());
        generator.setViewBox(QRectF(QPointF(0, 0), size));
        generator.setTitle(SvgText(QFileInfo(name).completeBaseName()));
        QPainter painter;
        if (!painter.begin(&generator)) {
            SetError(error, QStringLiteral("cannot write %1").arg(name));
            return {};
        }
        PaintPageOnSheet(painter, LoadPage(pageFiles[i]), QRectF(QPointF(0, 0), size), placement);
        if (!painter.end() || svg.isEmpty()) {
            SetError(error, QStringLiteral("cannot write %1").arg(name));
            return {};
        }
        files.emplace_back(name, svg);
    }
    return WriteFiles(files, error) ? NamesOf(files) : QStringList{};
}

QStringList ExportPagesToPng(const QStringList& pageFiles, const QString& chosenName,
                             int dotsPerInch, QString* error, const SheetPlacement& placement) {
    std::vector<std::pair<QString, QByteArray>> files;
    const int dpi = std::max(10, dotsPerInch);
    const QSize size(qRound(kA4SheetMm.width() / 25.4 * dpi),
                     qRound(kA4SheetMm.height() / 25.4 * dpi));
    for (qsizetype i = 0; i < pageFiles.size(); ++i) {
        const QString name = NumberedPageName(chosenName, static_cast<int>(i + 1));
        QImage image(size, QImage::Format_RGB32);
        if (image.isNull()) {
            SetError(error, QStringLiteral("not enough memory for %1").arg(name));
            return {};
        }
        image.setDotsPerMeterX(qRound(dpi / 0.0254));
        image.setDotsPerMeterY(qRound(dpi / 0.0254));
        {
            QPainter painter(&image);
            PaintPageOnSheet(painter, LoadPage(pageFiles[i]), QRectF(image.rect()), placement);
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG")) {
            SetError(error, QStringLiteral("cannot write %1").arg(name));
            return {};
        }
        files.emplace_back(name, png);
    }
    return WriteFiles(files, error) ? NamesOf(files) : QStringList{};
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
    std::vector<std::pair<QString, QByteArray>> files;
    for (qsizetype i = 0; i < pageFiles.size(); ++i) {
        QFile page(pageFiles[i]);
        if (!page.open(QIODevice::ReadOnly)) {
            SetError(error,
                     QStringLiteral("cannot read %1: %2").arg(pageFiles[i], page.errorString()));
            return {};
        }
        files.emplace_back(NumberedPageName(chosenName, static_cast<int>(i + 1)), page.readAll());
    }
    return WriteFiles(files, error) ? NamesOf(files) : QStringList{};
}

}  // namespace vm

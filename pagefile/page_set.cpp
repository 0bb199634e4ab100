#include "pagefile/page_set.h"

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <string>
#include <utility>

#include "pagefile/emf_player.h"
#include "pagefile/file_set.h"
#include "pagefile/page_export.h"

namespace vm {

namespace {

void SetError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
}

std::string Bytes(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

EmfPlayer PlayerOf(const std::vector<uint8_t>& page) {
    EmfPlayer player;
    player.LoadData(page);  // a page that cannot be read paints nothing: a blank sheet
    return player;
}

bool PdfOf(const PageSet& set, std::string* bytes) {
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        writer.setTitle(QString::fromStdString(set.title));
        writer.setCreator(QStringLiteral("Vistametra"));
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer)) {
            return false;
        }
        const QRectF sheet(0, 0, writer.width(), writer.height());
        for (size_t i = 0; i < set.pages.size(); ++i) {
            if (i > 0 && !writer.newPage()) {
                painter.end();
                return false;
            }
            PaintPageOnSheet(painter, PlayerOf(set.pages[i]), sheet);
        }
        if (!painter.end()) {
            return false;
        }
    }
    *bytes = Bytes(pdf);
    return true;
}

// The page's name without folder and suffix, as the SVG's title.
QString TitleOf(const std::string& name) {
    return QString::fromLocal8Bit(PageFileStem(name));
}

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

// The pages one under another on one long sheet, each page a 210 x 297 mm A4 sheet of it: one
// page gives the page's own SVG, several give one SVG that holds them all.
bool SvgOf(const std::vector<std::vector<uint8_t>>& pages, const QString& title,
           std::string* bytes) {
    // 254 units an inch, a tenth of a millimetre each: the A4 sheet is declared as exactly
    // 210 x 297 mm (2100 x 2970 units) and drawn in those units.
    constexpr int kDpi = 254;
    const QSizeF sheet(kA4SheetMm.width() / 25.4 * kDpi, kA4SheetMm.height() / 25.4 * kDpi);
    const QSizeF size(sheet.width(), sheet.height() * static_cast<double>(pages.size()));
    QByteArray svg;
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(kDpi);
    generator.setSize(size.toSize());
    generator.setViewBox(QRectF(QPointF(0, 0), size));
    generator.setTitle(SvgText(title));
    QPainter painter;
    if (!painter.begin(&generator)) {
        return false;
    }
    for (size_t i = 0; i < pages.size(); ++i) {
        PaintPageOnSheet(painter, PlayerOf(pages[i]),
                         QRectF(QPointF(0, sheet.height() * static_cast<double>(i)), sheet));
    }
    if (!painter.end() || svg.isEmpty()) {
        return false;
    }
    *bytes = Bytes(svg);
    // The generator writes a drawn text's control characters as they are (a NUL or a byte 1 in a
    // project's name), and XML 1.0 allows none but tab, line feed and carriage return: each
    // becomes U+FFFD, as in the title. No markup and no UTF-8 sequence holds such a byte.
    std::string valid;
    valid.reserve(bytes->size());
    for (const char c : *bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') {
            valid += "\xEF\xBF\xBD";
        } else {
            valid += c;
        }
    }
    *bytes = std::move(valid);
    return true;
}

bool PngOf(const std::vector<uint8_t>& page, int dotsPerInch, std::string* bytes) {
    const QSize size(qRound(kA4SheetMm.width() / 25.4 * dotsPerInch),
                     qRound(kA4SheetMm.height() / 25.4 * dotsPerInch));
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        return false;
    }
    image.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
    image.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
    {
        QPainter painter(&image);
        PaintPageOnSheet(painter, PlayerOf(page), QRectF(image.rect()));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        return false;
    }
    *bytes = Bytes(png);
    return true;
}

}  // namespace

bool PagesAsOneFile(const PageSet& set, const std::string& suffix, std::string* bytes,
                    std::string* error, const std::vector<SaveFormat>& extra) {
    if (const SaveFormat* format = FindSaveFormat(suffix, extra)) {
        return format->make(bytes, error);
    }
    if (suffix != "pdf" && suffix != "svg") {
        SetError(error, "one file holds the pages only as .pdf or .svg, not as \"" + suffix + "\"");
        return false;
    }
    if (set.pages.empty()) {
        SetError(error, "there are no pages");
        return false;
    }
    if (!(suffix == "pdf" ? PdfOf(set, bytes)
                          : SvgOf(set.pages, QString::fromStdString(set.title), bytes))) {
        SetError(error, "the pages could not be drawn");
        return false;
    }
    return true;
}

std::vector<std::string> SavePages(const PageSet& set, const std::string& target,
                                   std::string* error, const std::vector<SaveFormat>& extra,
                                   FileFailure* failure, std::vector<std::string>* removedPages) {
    const std::string suffix = SuffixOf(target);
    FileSet files;
    MakeSetFile make;
    if (const SaveFormat* format = FindSaveFormat(suffix, extra)) {
        files.names = {target};
        // `format` lives only in this condition's scope: the maker keeps its own copy.
        make = [&, format](size_t, std::string* bytes, std::string* why) {
            std::string reason;
            if (!format->make(bytes, &reason)) {
                SetError(why, "cannot write " + target + ": " + reason);
                return false;
            }
            return true;
        };
    } else if (!IsPageFormat(suffix)) {
        SetError(error, "cannot write " + target +
                            ": pages are saved as .pdf, .svg, .png or .emf, not as \"" + suffix +
                            "\"");
        return {};
    } else if (set.pages.empty()) {
        SetError(error, "cannot write " + target + ": there are no pages");
        return {};
    } else if (suffix == "pdf") {
        files.names = {target};
        make = [&](size_t, std::string* bytes, std::string* why) {
            if (!PdfOf(set, bytes)) {
                SetError(why, "cannot write " + target + ": the PDF could not be made");
                return false;
            }
            return true;
        };
    } else {
        for (size_t i = 0; i < set.pages.size(); ++i) {
            files.names.push_back(NumberedPageFileName(target, static_cast<int>(i + 1)));
        }
        // The numbered names are the program's own: a link there is replaced, never written
        // through, and an earlier page's permission bits stay.
        files.options.nameMadeByProgram = true;
        files.earlierFiles = [&] { return LeftoverPagesOfEarlierSet(target, set.pages.size(), extra); };
        // Each page is drawn when its turn comes, so that only one page's bytes are held at once.
        make = [&](size_t i, std::string* bytes, std::string* why) {
            const std::string& name = files.names[i];
            bool made = true;
            if (suffix == "svg") {
                made = SvgOf({set.pages[i]}, TitleOf(name), bytes);
            } else if (suffix == "png") {
                made = PngOf(set.pages[i], 150, bytes);
            } else {
                bytes->assign(set.pages[i].begin(), set.pages[i].end());
            }
            if (!made) {
                SetError(why, "cannot write " + name + ": the page could not be drawn");
            }
            return made;
        };
    }
    std::vector<std::string> removed;
    if (!WriteFileSet(files, make, error, failure, &removed)) {
        return {};
    }
    if (removedPages != nullptr) {
        *removedPages = std::move(removed);
    }
    return files.names;
}

}  // namespace vm

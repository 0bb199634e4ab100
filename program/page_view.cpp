#include "program/page_view.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/file_names.h"
#include "core/program_values.h"
#include "core/win1252.h"
#include "pagefile/page_export.h"
#include "preview/page_set_question.h"
#include "ui/dialogs.h"
#include "ui/file_failure_text.h"

namespace vm {

namespace {

constexpr double kGapPx = 12;  // between pages and around them

double SheetWidth(int width) {
    return std::max(50.0, width - 2 * kGapPx);
}

}  // namespace

bool PageCollector::StartPreviewPage(const std::string&) {
    return ForwardingCanvas::StartPreviewPage({});
}

bool PageCollector::EndPreviewPage() {
    const bool ended = ForwardingCanvas::EndPreviewPage();
    if (ended) {
        m_pages.push_back(m_pageFiles.LastPageBytes());
    }
    return ended;
}

PageView::PageView(QWidget* parent, const char* objectName) : QWidget(parent) {
    setObjectName(QString::fromLatin1(objectName));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(128, 128, 128));
    setPalette(palette);
}

void PageView::SetPages(const std::vector<std::vector<uint8_t>>& pages) {
    m_pages.clear();
    for (const std::vector<uint8_t>& page : pages) {
        EmfPlayer player;
        player.LoadData(page);
        m_pages.push_back(std::move(player));
    }
    FitWidth(width());
    update();
}

void PageView::FitWidth(int width) {
    const double sheet = SheetWidth(width);
    const double height =
        kGapPx + m_pages.size() * (sheet * kA4SheetMm.height() / kA4SheetMm.width() + kGapPx);
    setFixedHeight(static_cast<int>(std::ceil(height)));
}

void PageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double w = SheetWidth(width());
    const double h = w * kA4SheetMm.height() / kA4SheetMm.width();
    double top = kGapPx;
    for (const EmfPlayer& page : m_pages) {
        PaintPageOnSheet(painter, page, QRectF(kGapPx, top, w, h));
        top += h + kGapPx;
    }
}

void SaveWindowPages(const PageSet& pages, const SaveFormat& dxf) {
    std::string chosen =
        PutFile({{"PDF", "*.pdf"}, {"PNG", "*.png"}, {"SVG", "*.svg"}, {"DXF", "*.dxf"}}, "Salvar",
                programValues().DirPdf);
    if (chosen.empty()) {
        return;
    }
    const std::string suffix = SuffixOf(chosen);
    if (suffix != "pdf" && suffix != "png" && suffix != "svg" && suffix != "dxf") {
        chosen += ".pdf";
    }
    // Files that the set would replace, or an earlier set's pages that it would remove, are asked
    // about first, whatever suffix the dialog or the line above gave the name.
    if (!MaySavePageSet(chosen, pages.pages.size(), {dxf}, "Salvar")) {
        return;
    }
    std::string error;
    FileFailure failure;
    if (SavePages(pages, chosen, &error, {dxf}, &failure).empty()) {
        MsgStop(utf8ToWin1252("Não foi possível salvar em ") + TextFromFileName(chosen) + "\r\n" +
                    (failure.kind != FileFailureKind::None ? FileFailureBelow(failure, chosen)
                                                           : utf8ToWin1252(error)),
                "Salvar");
    }
}

}  // namespace vm

#include "preview/preview_page_view.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "pagefile/page_export.h"

namespace vm {

namespace {

const QColor kSurround(128, 128, 128);

QScrollBar* MakeBar(Qt::Orientation orientation, QWidget* parent) {
    auto* bar = new QScrollBar(orientation, parent);
    bar->setRange(0, 100);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    bar->setValue(50);
    bar->setEnabled(false);
    bar->setCursor(Qt::ArrowCursor);
    return bar;
}

// Fills the pixels x0 <= x < x1, y0 <= y < y1 that lie in the client area.
void FillArea(QPainter& painter, QSize client, int x0, int y0, int x1, int y1) {
    x0 = std::clamp(x0, 0, client.width());
    x1 = std::clamp(x1, 0, client.width());
    y0 = std::clamp(y0, 0, client.height());
    y1 = std::clamp(y1, 0, client.height());
    if (x1 > x0 && y1 > y0) {
        painter.fillRect(QRect(x0, y0, x1 - x0, y1 - y0), kSurround);
    }
}

}  // namespace

void PaintPreviewArea(QPainter& painter, QSize client, const PreviewView& view,
                      const EmfPlayer& page) {
    const PreviewRect r = PreviewPageRect(client.width(), client.height(), view);
    const QRectF sheet(r.left, r.top, r.width(), r.height());
    // The page file's frame is the printable area, so the sheet here is that area: the picture is
    // stretched over the whole page rectangle.
    QSizeF sheetMm = page.FrameSizeMm();
    if (sheetMm.isEmpty()) {
        sheetMm = QSizeF(view.horzSizeMm, view.vertSizeMm);
    }
    painter.save();
    painter.setClipRect(QRect(QPoint(0, 0), client));
    if (r.width() > 0 && r.height() > 0) {
        PaintPageOnSheet(painter, page, sheet, SheetPlacement{}, sheetMm);
    }
    // Right of, below, above and left of the page.
    const int w = client.width();
    const int h = client.height();
    if (r.width() <= 0 || r.height() <= 0) {
        FillArea(painter, client, 0, 0, w, h);
    } else {
        FillArea(painter, client, r.right, 0, w, h);
        FillArea(painter, client, 0, r.bottom, r.right, h);
        FillArea(painter, client, 0, 0, r.right, r.top);
        FillArea(painter, client, 0, r.top, r.left, r.bottom);
    }
    painter.restore();
}

PreviewPageView::PreviewPageView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PreviewPage"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_horizontal = MakeBar(Qt::Horizontal, this);
    m_horizontal->setObjectName(QStringLiteral("PreviewHorizontalBar"));
    m_vertical = MakeBar(Qt::Vertical, this);
    m_vertical->setObjectName(QStringLiteral("PreviewVerticalBar"));
    for (QScrollBar* bar : {m_horizontal, m_vertical}) {
        const Qt::Orientation orientation = bar->orientation();
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar, orientation](int action) {
            if (onScroll) {
                onScroll(orientation, action, bar->sliderPosition());
            }
        });
    }
    if (parent != nullptr) {
        parent->installEventFilter(this);
    }
    PlaceBars();
}

bool PreviewPageView::event(QEvent* event) {
    // The view fills its parent, the window's client area, wherever it is placed.
    if (event->type() == QEvent::ParentChange && parentWidget() != nullptr) {
        parentWidget()->installEventFilter(this);
    }
    return QWidget::event(event);
}

void PreviewPageView::SetView(const PreviewView& view) {
    m_view = view;
    update();
}

void PreviewPageView::SetPageFile(const QString& fileName) {
    if (fileName == m_pageFile) {
        return;
    }
    m_pageFile = fileName;
    m_page = EmfPlayer();
    m_page.Load(fileName);  // an unreadable page shows white
    update();
}

QSize PreviewPageView::ClientSize() const {
    return QSize(std::max(0, width() - m_vertical->width()),
                 std::max(0, height() - m_horizontal->height()));
}

PreviewRect PreviewPageView::PageRect() const {
    const QSize client = ClientSize();
    return PreviewPageRect(client.width(), client.height(), m_view);
}

void PreviewPageView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    PaintPreviewArea(painter, ClientSize(), m_view, m_page);
    // The corner between the two scroll bars.
    const QSize client = ClientSize();
    painter.fillRect(
        QRect(client.width(), client.height(), m_vertical->width(), m_horizontal->height()),
        palette().window());
}

void PreviewPageView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onClick) {
        event->accept();
        onClick();
        return;
    }
    QWidget::mousePressEvent(event);
}

void PreviewPageView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceBars();
}

bool PreviewPageView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
    }
    return QWidget::eventFilter(watched, event);
}

void PreviewPageView::PlaceBars() {
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    m_vertical->setGeometry(width() - extent, 0, extent, std::max(0, height() - extent));
    m_horizontal->setGeometry(0, height() - extent, std::max(0, width() - extent), extent);
}

}  // namespace vm

#include "preview/preview_thumbnails.h"

#include <QCloseEvent>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "pagefile/emf_player.h"
#include "pagefile/page_export.h"

namespace vm {

namespace {

const QColor kGrey(128, 128, 128);

void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// One page's picture; a click reports its page.
class ThumbnailImage final : public QLabel {
public:
    ThumbnailImage(int page, QWidget* parent) : QLabel(parent), m_page(page) {}
    std::function<void(int)> onClick;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && onClick) {
            event->accept();
            onClick(m_page);
            return;
        }
        QLabel::mousePressEvent(event);
    }

private:
    int m_page;
};

QPixmap PagePicture(const QString& fileName, ThumbnailSize size) {
    QImage image(std::max(1, size.width), std::max(1, size.height), QImage::Format_RGB32);
    image.fill(Qt::white);
    EmfPlayer page;
    page.Load(fileName);
    if (page.IsValid()) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        PaintPageOnSheet(painter, page, QRectF(image.rect()), SheetPlacement{}, page.FrameSizeMm());
    }
    return QPixmap::fromImage(image);
}

}  // namespace

PreviewThumbnailStrip::PreviewThumbnailStrip(const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("PreviewThumbnails"));
    // The keys stay with the preview and its bar when the strip appears.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(title);
    SetBackground(this, kGrey);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_area = new QScrollArea(this);
    layout->addWidget(m_area);
    m_area->setObjectName(QStringLiteral("PreviewThumbnailArea"));
    m_area->setFrameShape(QFrame::NoFrame);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_area->horizontalScrollBar()->setEnabled(false);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setWidgetResizable(false);
    SetBackground(m_area->viewport(), kGrey);
    auto* layoutless = new QWidget;
    SetBackground(layoutless, kGrey);
    m_area->setWidget(layoutless);
}

void PreviewThumbnailStrip::Build(const QStringList& pageFiles, ThumbnailSize size,
                                  const std::function<QString(int)>& tooltip) {
    QWidget* content = m_area->widget();
    int bottom = 0;
    for (int i = 1; i <= pageFiles.size(); ++i) {
        auto* image = new ThumbnailImage(i, content);
        image->setObjectName(QStringLiteral("Image%1").arg(i));
        image->setGeometry(10, ThumbnailTop(i, size.height), size.width, size.height);
        image->setPixmap(PagePicture(pageFiles[i - 1], size));
        image->setScaledContents(true);
        image->setToolTip(tooltip(i));
        image->setCursor(Qt::PointingHandCursor);
        image->onClick = [this](int page) {
            if (onPageClicked) {
                onPageClicked(page);
            }
        };
        bottom = ThumbnailTop(i, size.height) + size.height;
    }
    content->resize(10 + size.width + 10, bottom + 10);
    m_built = true;
}

int PreviewThumbnailStrip::ScrollMaximum() const {
    return m_area->verticalScrollBar()->maximum();
}

int PreviewThumbnailStrip::ScrollPosition() const {
    return m_area->verticalScrollBar()->value();
}

void PreviewThumbnailStrip::ScrollTo(int position) {
    m_area->verticalScrollBar()->setValue(position);
}

void PreviewThumbnailStrip::closeEvent(QCloseEvent* event) {
    if (onCloseRequested && isVisible()) {
        event->ignore();
        onCloseRequested();
        return;
    }
    QWidget::closeEvent(event);
}

QWidget* MakeWaitBox(const QString& text, QWidget* parent) {
    auto* box = new QWidget(parent, Qt::Window | Qt::FramelessWindowHint);
    box->setObjectName(QStringLiteral("PreviewWait"));
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->setFixedSize(310, 85);
    auto* frame = new QFrame(box);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(box->rect());
    auto* label = new QLabel(text, box);
    label->setObjectName(QStringLiteral("Label_1"));
    label->setGeometry(5, 30, 300, 30);
    label->setAlignment(Qt::AlignCenter);
    return box;
}

}  // namespace vm

#pragma once
// The preview window's client area: the current page on a grey surround, and the window's two
// scroll bars (range 0 to 100). It paints what the preview tells it (SetView, SetPageFile) and
// reports clicks and scroll-bar actions back; the preview keeps the state.

#include <QString>
#include <QWidget>
#include <functional>

#include "pagefile/emf_player.h"
#include "preview/preview_geometry.h"

class QPainter;
class QScrollBar;

namespace vm {

// Paints a client area of `client` pixels (painter coordinates from 0, 0): the page's rectangle
// (PreviewPageRect) white with the page file played stretched into it, everything around it in
// the grey 128, 128, 128. A player without a page leaves the page white.
void PaintPreviewArea(QPainter& painter, QSize client, const PreviewView& view,
                      const EmfPlayer& page);

class PreviewPageView final : public QWidget {
public:
    explicit PreviewPageView(QWidget* parent = nullptr);

    // The page's place and zoom; repaints.
    void SetView(const PreviewView& view);
    const PreviewView& View() const { return m_view; }

    // The page file to show; read again only when the name changes. A file that cannot be read
    // shows the white page only.
    void SetPageFile(const QString& fileName);
    const QString& PageFile() const { return m_pageFile; }
    bool PageLoaded() const { return m_page.IsValid(); }

    // The area the page is painted in: the widget less its scroll bars.
    QSize ClientSize() const;
    // The page's rectangle in widget coordinates.
    PreviewRect PageRect() const;

    QScrollBar* HorizontalBar() const { return m_horizontal; }
    QScrollBar* VerticalBar() const { return m_vertical; }

    // A mouse click on the page area.
    std::function<void()> onClick;
    // A scroll-bar action (QAbstractSlider::SliderAction) and the box's position after it.
    std::function<void(Qt::Orientation, int action, int position)> onScroll;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceBars();

    PreviewView m_view;
    QString m_pageFile;
    EmfPlayer m_page;
    QScrollBar* m_horizontal = nullptr;
    QScrollBar* m_vertical = nullptr;
};

}  // namespace vm

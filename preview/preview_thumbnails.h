#pragma once
// The preview's thumbnail strip ("Miniaturas"): a narrow window beside the preview with a small
// picture of every page, one under the other; a click on a picture shows that page. And the wait
// box shown while the pictures are drawn.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "preview/preview_geometry.h"

class QScrollArea;

namespace vm {

class PreviewThumbnailStrip final : public QWidget {
public:
    // A window titled `title`, hidden, with no close box; its pictures come with Build.
    explicit PreviewThumbnailStrip(const QString& title, QWidget* parent = nullptr);

    // Places a picture of each page file, `size` pixels, named "Image" + its page number, at
    // column 10 and ThumbnailTop; `tooltip(i)` gives picture i's tooltip. A file that cannot be
    // read gives a white picture.
    void Build(const QStringList& pageFiles, ThumbnailSize size,
               const std::function<QString(int)>& tooltip);
    bool Built() const { return m_built; }

    // Called with the page number of a clicked picture.
    std::function<void(int)> onPageClicked;
    // Called instead of closing when the window manager's close box or key asks the strip to
    // close (some window managers give every window one): the thumbnails are switched off.
    std::function<void()> onCloseRequested;

    // The vertical scroll range of the strip and its position.
    int ScrollMaximum() const;
    int ScrollPosition() const;
    void ScrollTo(int position);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QScrollArea* m_area = nullptr;
    bool m_built = false;
};

// The wait box: a window without caption, 310 x 85, with `text` at row 30, column 5 (300 x 30).
QWidget* MakeWaitBox(const QString& text, QWidget* parent = nullptr);

}  // namespace vm

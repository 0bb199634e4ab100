#pragma once
// What the analysis windows share: the pages kept in memory as the page-file canvas ends them,
// and a view that shows them one under the other, as wide as the view.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

#include "pagefile/emf_player.h"
#include "pagefile/emf_writer.h"
#include "pagefile/forwarding_canvas.h"
#include "pagefile/page_set.h"

namespace vm {

// Keeps each page's bytes in memory as the page-file canvas ends it: the window leaves no files
// behind, whichever way the program ends.
class PageCollector final : public ForwardingCanvas {
public:
    explicit PageCollector(EmfPageCanvas& pageFiles)
        : ForwardingCanvas(pageFiles), m_pageFiles(pageFiles) {}

    bool StartPreviewPage(const std::string&) override;
    bool EndPreviewPage() override;

    std::vector<std::vector<uint8_t>> TakePages() { return std::move(m_pages); }

private:
    EmfPageCanvas& m_pageFiles;
    std::vector<std::vector<uint8_t>> m_pages;
};

// The pages, one under the other, as wide as the view.
class PageView final : public QWidget {
public:
    // objectName: the view's name for tests.
    PageView(QWidget* parent, const char* objectName);

    // Shows these pages (EMF page bytes).
    void SetPages(const std::vector<std::vector<uint8_t>>& pages);

    // The height that shows every page at `width` pixels.
    void FitWidth(int width);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::vector<EmfPlayer> m_pages;
};

// One window of a kind at a time, above the main form: Show makes it (with `make`) or brings the
// open one to the front; Open is the open one, or nullptr.
template <typename W>
class OneWindow {
public:
    template <typename Make>
    void Show(Make make) {
        if (!m_window) {
            m_window = make();
        }
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    }
    W* Open() const { return m_window; }

private:
    QPointer<W> m_window;
};

// "Salvar" of a window's pages: asks for a file (PDF, PNG, SVG or DXF; a name without one of these
// suffixes is saved as PDF) and writes the pages, or the drawing that `dxf` makes for a .dxf name;
// files it would replace are asked about first, and a failure is said in a box.
void SaveWindowPages(const PageSet& pages, const SaveFormat& dxf);

}  // namespace vm

#pragma once
// A canvas that records a report's pages in memory: every page drawn on it becomes an EMF page of
// a PageSet, and no page file is written. The page names the report's builder asks for are not
// used.

#include <string>

#include "pagefile/emf_writer.h"
#include "pagefile/forwarding_canvas.h"
#include "pagefile/page_set.h"

namespace vm {

class PageSetCanvas final : public ForwardingCanvas {
public:
    // `pages` receives each page as it is completed; `emf` records them. Both must outlive this
    // canvas.
    PageSetCanvas(EmfPageCanvas& emf, PageSet& pages)
        : ForwardingCanvas(emf), m_emf(emf), m_pages(pages) {}

    bool StartPreviewPage(const std::string& fileName) override;
    bool EndPreviewPage() override;

private:
    EmfPageCanvas& m_emf;
    PageSet& m_pages;
};

}  // namespace vm

#include "pagefile/page_set_canvas.h"

namespace vm {

bool PageSetCanvas::StartPreviewPage(const std::string&) {
    return ForwardingCanvas::StartPreviewPage({});
}

bool PageSetCanvas::EndPreviewPage() {
    if (!ForwardingCanvas::EndPreviewPage()) {
        return false;
    }
    m_pages.pages.push_back(m_emf.LastPageBytes());
    return true;
}

}  // namespace vm

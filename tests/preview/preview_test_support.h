#pragma once
// Shared by the preview's widget tests: a print job on a PDF-writing printer whose page files are
// real EMF pages written by EmfPageCanvas into a temporary folder of its own, and a helper that
// opens the preview inside an active main form, runs a body while it is open and makes sure it
// closes.

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

#include "pagefile/page_set.h"
#include "tests/support/ui_test_support.h"

class QWidget;

namespace vm {
class PreviewPageView;
}

inline constexpr const char* kPreviewForm = "wPreview";
inline constexpr const char* kBarForm = "wPreviewBar";
inline constexpr const char* kJobId = "00000530";

class PreviewTest : public UiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh job of `pages` page files in the temporary folder, page n showing "PAGE n" and a
    // thick black bar. `broken` page numbers get files that are no EMF (or none, when
    // `missing`).
    void MakeJob(int pages, const std::vector<int>& broken = {}, bool missing = false);
    // The same on a printer whose printable area is 297 x 210 mm (landscape).
    void MakeLandscapeJob(int pages);

    // Runs `whileOpen` once the preview is shown, then closes the preview (when the body left it
    // open) and returns when ShowPreview has returned. False when the preview never opened.
    // `formats` are the save formats handed to the preview beside the pages'.
    bool RunPreview(const std::function<void()>& whileOpen,
                    const std::vector<vm::SaveFormat>& formats = {});

    static void ExpectOpened(bool opened) { EXPECT_TRUE(opened) << "the preview never opened"; }

    // Makes the form's window active and sends it a key, as the user would.
    static void PressKey(const char* form, Qt::Key key, Qt::KeyboardModifiers modifiers = {});
    static std::string Title();
    static vm::PreviewPageView* PageView();
    static QWidget* BarButton(const char* name);

    std::string PageFile(int page) const;
    QString Folder() const { return m_temp.path(); }

    QTemporaryDir m_temp;
    QByteArray m_previousTmp;
    bool m_hadTmp = false;
    bool m_landscape = false;
};

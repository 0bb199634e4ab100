#include "preview/preview.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/dados_projeto.h"
#include "core/file_names.h"
#include "core/platform_paths.h"
#include "core/win1252.h"
#include "pagefile/page_files.h"
#include "pagefile/page_folder.h"
#include "pagefile/page_set.h"
#include "preview/page_set_question.h"
#include "preview/preview_dialogs.h"
#include "preview/preview_geometry.h"
#include "preview/preview_page_view.h"
#include "preview/preview_thumbnails.h"
#include "print/print_job.h"
#include "runtime/process.h"
#include "ui/dialogs.h"
#include "ui/file_failure_text.h"
#include "ui/form_layer.h"
#include "ui/qt_text.h"
#include "ui/screen_fit.h"
#include "ui/window_frame_hints.h"

// The tool-button bitmaps and the magnifier cursor are Qt resources of their own.
static void InitPreviewResources() {
    Q_INIT_RESOURCE(preview_bitmaps);
}

namespace vm {

namespace {

constexpr const char* kPreviewForm = "wPreview";
constexpr const char* kBarForm = "wPreviewBar";
constexpr const char* kPageControl = "PreviewPage";

// Widths and columns of the preview window without and with the thumbnail strip beside it.
constexpr int kPreviewWidth = 921;
constexpr int kPreviewColumn = 51;
constexpr int kPreviewWidthThumbs = 876;
constexpr int kPreviewColumnThumbs = 138;
constexpr int kStripColumn = 5;
constexpr int kStripWidth = 130;
// The navigation bar's buttons: squares of this size, their first row this far from the top.
constexpr int kBarButtonSize = 30;
constexpr int kBarButtonRow = 2;

bool g_previewOpen = false;

struct ScreenMetrics {
    int width = 1024;
    int height = 768;   // SM_CYSCREEN
    int caption = 0;    // SM_CYCAPTION
    int frame = 0;      // SM_CXFRAME
    int scrollBar = 0;  // height of a horizontal scroll bar
};

ScreenMetrics CurrentMetrics() {
    ScreenMetrics m;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        m.width = screen->geometry().width();
        m.height = screen->geometry().height();
    }
    QStyle* style = QApplication::style();
    m.caption = style->pixelMetric(QStyle::PM_TitleBarHeight);
    m.frame = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    m.scrollBar = style->pixelMetric(QStyle::PM_ScrollBarExtent);
    return m;
}

struct ToolButton {
    const char* name;
    int col;
    const char* bitmap;
    PrintMessage message;
    const char* keys;  // added to the tooltip
    bool checkable;
};

constexpr ToolButton kToolButtons[] = {
    {"b1", 2, "hp_top", PrintMessage::FirstPage, "", false},
    {"b2", 32, "hp_back", PrintMessage::PreviousPage, "", false},
    {"b3", 62, "hp_next", PrintMessage::NextPage, "", false},
    {"b4", 92, "hp_end", PrintMessage::LastPage, "", false},
    {"thumbswitch", 126, "hp_thumbnail", PrintMessage::Thumbnails, " [Ctrl+T]", true},
    {"GoToPage", 156, "hp_gopage", PrintMessage::GoToPage, " [Ctrl+G]", false},
    {"b5", 186, "hp_zoom", PrintMessage::Zoom, " [*]", true},
    {"b12", 216, "hp_print", PrintMessage::Print, " [Ctrl+P]", false},
    {"b7", 246, "hp_save", PrintMessage::Save, " [Ctrl+S]", false},
    {"b6", 280, "hp_close", PrintMessage::Close, " [Ctrl+C]", false},
};

QString BitmapPath(const char* name) {
    return QStringLiteral(":/preview/%1.png").arg(QLatin1String(name));
}

QCursor GlassCursor() {
    const QPixmap glass(BitmapPath("hp_glass"));
    if (glass.isNull()) {
        return QCursor(Qt::CrossCursor);
    }
    return QCursor(glass, 12, 12);
}

// Runs a callback of a Qt signal; the end of the process (a fatal error under a test's end
// handler) must not cross the event loop.
void Guarded(const std::function<void()>& task) {
    try {
        task();
    } catch (const ProcessEnded&) {
    }
}

// Sets a form's outer width (caption and frames included, as the form layer counts them) and
// moves it to `col`, keeping its row; the form stays within the screen. A form `besideStrip`
// keeps its column, right of the thumbnail strip, and is narrower where the screen has less room
// right of it; any other form moves left instead.
void ResizeForm(const char* form, int col, int outerWidth, int outerHeight, bool besideStrip) {
    QWidget* window = FormWidget(form);
    if (window == nullptr) {
        return;
    }
    const QSize client = ClientSizeForOuter(outerWidth, outerHeight, true);
    window->setFixedSize(
        besideStrip ? std::min(client.width(), RoomRightOf(window, col)) : client.width(),
        client.height());
    window->move(col, window->pos().y());
    KeepWithinScreen(window);
}

// Calls `zoom` for every press of the keypad's "*" key in one of the watched windows.
class KeypadZoomFilter final : public QObject {
public:
    explicit KeypadZoomFilter(std::function<void()> zoom) : m_zoom(std::move(zoom)) {}
    void Watch(std::initializer_list<QWidget*> windows) {
        for (QWidget* window : windows) {
            m_windows.emplace_back(window);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Asterisk || !(key->modifiers() & Qt::KeypadModifier)) {
            return false;
        }
        QWidget* window = static_cast<QWidget*>(watched)->window();
        for (const QPointer<QWidget>& w : m_windows) {
            if (w == window && window->isEnabled()) {
                m_zoom();
                return true;
            }
        }
        return false;
    }

private:
    std::function<void()> m_zoom;
    std::vector<QPointer<QWidget>> m_windows;
};

class PreviewSession {
public:
    PreviewSession(PrintJob& job, std::vector<SaveFormat> extraFormats);
    ~PreviewSession();
    PreviewSession(const PreviewSession&) = delete;
    PreviewSession& operator=(const PreviewSession&) = delete;

    // Builds the windows, shows them and returns when the preview is closed.
    void Run();

private:
    void BuildPreviewWindow();
    void BuildBar();
    void AddKeys(QWidget* window);
    QPushButton* Button(const char* name) const;

    QString PageFile(int page) const;
    void ShowPage();
    void GoTo(int page);
    void FollowStrip();

    void ZoomFromButton();
    void ZoomFromClick();
    void ResetZoom();
    void SetScrollBars(int horizontal, int vertical, bool enabled);
    void Scroll(Qt::Orientation orientation, int action, int position);

    void SwitchThumbnails(bool on);
    void BuildThumbnails();

    void SetWindowsEnabled(bool enabled);
    void GoToPageDialog();
    void PrintDialog();
    // "Salvar": the dialog, then the pages written in the format of the name chosen; the
    // keyboard back on the preview afterwards.
    void Save();
    std::string PutFileForPages() const;
    void Save(std::string chosen);
    void Close();
    bool CloseRequested();

    PrintJob& m_job;
    const std::vector<SaveFormat> m_extraFormats;  // offered by Salvar beside the pages
    ScreenMetrics m_metrics;
    int m_pageCount = 0;
    int m_currentPage = 1;
    PreviewView m_view;
    int m_zoomDelta = 0;
    ThumbnailSize m_thumb;
    bool m_thumbsShown = false;
    bool m_thumbsFollow = true;
    bool m_stripScrolls = false;
    int m_thumbShown = 0;
    int m_previewHeight = 0;
    bool m_closing = false;
    bool m_filesDeleted = false;

    // Receives the signals of the windows' shortcuts and controls; gone with the session.
    QObject m_guard;
    // The keypad "*": a shortcut with the keypad modifier never fires under X11, so the key is
    // taken from the key events of the preview's windows.
    KeypadZoomFilter m_keypadZoom;
    QPointer<PreviewPageView> m_page;
    QPointer<PreviewThumbnailStrip> m_strip;
    QPointer<QWidget> m_waitBox;
    QPointer<PreviewPrintDialog> m_printDialog;
    QPointer<PreviewGoToDialog> m_goToDialog;
};

PreviewSession::PreviewSession(PrintJob& job, std::vector<SaveFormat> extraFormats)
    : m_job(job),
      m_extraFormats(std::move(extraFormats)),
      m_metrics(CurrentMetrics()),
      m_pageCount(job.nPageFiles),
      m_keypadZoom([this] { Guarded([this] { ZoomFromClick(); }); }) {
    m_job.nCollate = 0;  // the print dialog's "Ordenar Cópias" starts unticked
    m_view.horzSizeMm = job.device.horzSizeMm;
    m_view.vertSizeMm = job.device.vertSizeMm;
    m_view.scale = PreviewScale(m_metrics.height, m_view.vertSizeMm, false);
    m_zoomDelta = ZoomDelta(m_view.vertSizeMm);
    m_thumb = ThumbnailSizeFor(m_view.horzSizeMm, m_view.vertSizeMm);
    m_stripScrolls = StripScrolls(m_pageCount, m_thumb.height, m_metrics.scrollBar,
                                  m_metrics.caption, m_metrics.frame, m_metrics.height);
    m_previewHeight = m_metrics.height - 103;
}

PreviewSession::~PreviewSession() {
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_waitBox, m_strip, m_goToDialog, m_printDialog}) {
        delete w;
    }
}

QString PreviewSession::PageFile(int page) const {
    return toQtPath(PageFileName(PageFolder(), m_job.cPreviewId, page));
}

QPushButton* PreviewSession::Button(const char* name) const {
    return qobject_cast<QPushButton*>(ControlWidget(kBarForm, name));
}

void PreviewSession::Run() {
    InitPreviewResources();
    BuildPreviewWindow();
    BuildBar();

    QWidget* preview = FormWidget(kPreviewForm);
    DoMethod(kPreviewForm, "center");
    // Centred, then one caption lower; never left of the screen, nor below it.
    preview->move(std::max(0, preview->pos().x()), preview->pos().y() + m_metrics.caption);
    KeepWithinScreen(preview);

    // The strip is as high as the preview window.
    m_strip = new PreviewThumbnailStrip(toQt(m_job.Message(PrintMessage::Thumbnails)), preview);
    m_strip->setFixedSize(ClientSizeForOuter(kStripWidth, m_previewHeight, true).width(),
                          preview->height());
    m_strip->move(kStripColumn, preview->pos().y());
    KeepWithinScreen(m_strip);
    // Like the preview and its bar, the strip has no caption boxes: it goes with the thumbnail
    // button.
    SetFrameFunctions(m_strip, {});
    SetTransientFor(m_strip, MainFormWidget());
    m_strip->onCloseRequested = [this] {
        Guarded([this] {
            if (QPushButton* thumbs = Button("thumbswitch"); thumbs && thumbs->isChecked()) {
                thumbs->click();
            }
        });
    };
    m_strip->onPageClicked = [this](int page) {
        m_thumbsFollow = false;
        GoTo(page);
        m_thumbsFollow = true;
    };

    m_waitBox = MakeWaitBox(toQt(m_job.Message(PrintMessage::MakingThumbnails)), preview);
    m_waitBox->move((m_metrics.width - m_waitBox->width()) / 2,
                    (m_metrics.height - m_waitBox->height()) / 2);
    KeepWithinScreen(m_waitBox);

    // The dialogs belong to the main window: disabling the preview must not disable them.
    m_printDialog =
        new PreviewPrintDialog(m_job, m_pageCount, m_job.nCopies, m_job.nCollate, MainFormWidget());
    m_goToDialog = new PreviewGoToDialog(m_job, m_pageCount, MainFormWidget());

    m_keypadZoom.Watch({preview, FormWidget(kBarForm), m_strip});
    qApp->installEventFilter(&m_keypadZoom);
    ShowPage();
    DoMethod(kPreviewForm, "activate");  // its on-init activates the navigation bar
    qApp->removeEventFilter(&m_keypadZoom);

    if (!m_filesDeleted) {
        // The windows went without the preview's own close (the program is ending).
        DeletePageFiles(PageFolder(), m_job.cPreviewId);
        m_filesDeleted = true;
    }
}

void PreviewSession::BuildPreviewWindow() {
    DefineWindow({.name = kPreviewForm,
                  .title = "",
                  .width = kPreviewWidth,
                  .height = m_previewHeight,
                  .canMinimize = false,
                  .canMaximize = false,
                  .sizable = false,
                  .systemMenu = false,
                  .onInit = [] { DoMethod(kBarForm, "activate"); },
                  .backColor = Rgb{128, 128, 128},
                  .kind = WindowKind::Child,
                  .onInteractiveClose = [this] { return CloseRequested(); }});
    auto* page = new PreviewPageView;
    page->setGeometry(
        QRect(QPoint(0, 0), ClientSizeForOuter(kPreviewWidth, m_previewHeight, true)));
    page->setCursor(GlassCursor());
    page->onClick = [this] { Guarded([this] { ZoomFromClick(); }); };
    page->onScroll = [this](Qt::Orientation orientation, int action, int position) {
        Guarded([&] { Scroll(orientation, action, position); });
    };
    DefineCustomControl(kPageControl, page);
    EndWindow();
    m_page = page;
    AddKeys(FormWidget(kPreviewForm));
}

void PreviewSession::BuildBar() {
    // On a screen narrower than the bar (a small or scaled desktop) the buttons wrap to further
    // rows, in their order, so that every one of them stays on the screen.
    std::vector<int> cols;
    for (const ToolButton& b : kToolButtons) {
        cols.push_back(b.col);
    }
    const std::vector<BarPlace> places =
        BarButtonPlaces(cols, kBarButtonSize, kBarButtonRow, ScreenRoom().width());
    DefineWindow({.name = kBarForm,
                  .title = " " + m_job.Message(PrintMessage::PreviewTitle),
                  .col = 704,
                  .row = 1,
                  .width = 312 + 2 * m_metrics.frame,
                  .height = 35 + m_metrics.caption + 2 * m_metrics.frame +
                            (BarRows(places) - 1) * (kBarButtonSize + kBarButtonRow),
                  .canMinimize = false,
                  .canMaximize = false,
                  .sizable = false,
                  .systemMenu = false,
                  .kind = WindowKind::Child,
                  .onInteractiveClose = [this] { return CloseRequested(); }});
    const std::function<void()> actions[] = {
        [this] { GoTo(1); },
        [this] { GoTo(m_currentPage - 1); },
        [this] { GoTo(m_currentPage + 1); },
        [this] { GoTo(m_pageCount); },
        [this] { SwitchThumbnails(Button("thumbswitch")->isChecked()); },
        [this] { GoToPageDialog(); },
        [this] { ZoomFromButton(); },
        [this] { PrintDialog(); },
        [this] { Save(); },
        [this] { Close(); },
    };
    for (size_t i = 0; i < std::size(kToolButtons); ++i) {
        const ToolButton& b = kToolButtons[i];
        DefineButton({.name = b.name,
                      .col = places[i].col,
                      .row = places[i].row,
                      .caption = "",
                      .action = actions[i],
                      .width = kBarButtonSize,
                      .height = kBarButtonSize,
                      .tooltip = m_job.Message(b.message) + b.keys});
    }
    EndWindow();
    for (const ToolButton& b : kToolButtons) {
        QPushButton* button = Button(b.name);
        button->setIcon(QIcon(BitmapPath(b.bitmap)));
        button->setIconSize(QSize(24, 24));
        button->setCheckable(b.checkable);
    }
    AddKeys(FormWidget(kBarForm));
}

void PreviewSession::AddKeys(QWidget* window) {
    auto add = [&](const QKeySequence& keys, std::function<void()> action) {
        auto* shortcut = new QShortcut(keys, window);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(true);
        QObject::connect(shortcut, &QShortcut::activated, &m_guard,
                         [action = std::move(action)] { Guarded(action); });
    };
    add(QKeySequence(Qt::Key_Home), [this] { GoTo(1); });
    add(QKeySequence(Qt::Key_PageUp), [this] { GoTo(m_currentPage - 1); });
    add(QKeySequence(Qt::Key_PageDown), [this] { GoTo(m_currentPage + 1); });
    add(QKeySequence(Qt::Key_End), [this] { GoTo(m_pageCount); });
    add(QKeySequence(Qt::CTRL | Qt::Key_P), [this] { PrintDialog(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_G), [this] { GoToPageDialog(); });
    add(QKeySequence(Qt::Key_Escape), [this] { Close(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_C), [this] { Close(); });
    add(QKeySequence(Qt::ALT | Qt::Key_F4), [this] { Close(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_S), [this] { Save(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_T), [this] { Button("thumbswitch")->click(); });
}

void PreviewSession::ShowPage() {
    if (m_currentPage < 1) {
        m_currentPage = 1;
        Beep();
        return;
    }
    if (m_currentPage > m_pageCount) {
        m_currentPage = m_pageCount;
        Beep();
        return;
    }
    if (m_page) {
        m_page->SetPageFile(PageFile(m_currentPage));
        m_page->SetView(m_view);
    }
    SetFormProperty(kPreviewForm, "title",
                    m_job.Message(PrintMessage::Page) + " [" + std::to_string(m_currentPage) + "/" +
                        std::to_string(m_pageCount) + "]");
    FollowStrip();
}

void PreviewSession::GoTo(int page) {
    m_currentPage = page;
    ShowPage();
}

void PreviewSession::FollowStrip() {
    if (!m_strip || !m_strip->Built() || !m_thumbsFollow || !m_stripScrolls ||
        m_currentPage == m_thumbShown) {
        return;
    }
    m_thumbShown = m_currentPage;
    m_strip->ScrollTo(
        StripScrollPosition(m_currentPage, m_pageCount, m_thumb.height, m_strip->ScrollMaximum()));
}

void PreviewSession::SetScrollBars(int horizontal, int vertical, bool enabled) {
    if (!m_page) {
        return;
    }
    m_page->HorizontalBar()->setValue(horizontal);
    m_page->VerticalBar()->setValue(vertical);
    m_page->HorizontalBar()->setEnabled(enabled);
    m_page->VerticalBar()->setEnabled(enabled);
}

void PreviewSession::ResetZoom() {
    m_view.zoom = 0;
    m_view.offsetX = 0;
    m_view.offsetY = 0;
    SetScrollBars(50, 50, false);
}

void PreviewSession::ZoomFromButton() {
    if (m_view.zoom != 0) {
        ResetZoom();
    } else {
        m_view.zoom = 1000 + m_zoomDelta;
        if (IsPortrait(m_view.horzSizeMm, m_view.vertSizeMm)) {
            m_view.offsetX = 100;
            m_view.offsetY = 400;
            SetScrollBars(40, 10, true);
        } else {
            m_view.offsetX = 500;
            m_view.offsetY = 300;
            SetScrollBars(1, 20, true);
        }
    }
    ShowPage();
}

void PreviewSession::ZoomFromClick() {
    if (QPushButton* zoom = Button("b5")) {
        zoom->setChecked(!zoom->isChecked());
    }
    if (m_view.zoom != 0) {
        ResetZoom();
    } else {
        // A landscape page keeps its size.
        if (IsPortrait(m_view.horzSizeMm, m_view.vertSizeMm)) {
            m_view.zoom = 1000 + m_zoomDelta;
            m_view.offsetX = 0;
            m_view.offsetY = 0;
        }
        SetScrollBars(0, 0, true);
    }
    ShowPage();
}

void PreviewSession::Scroll(Qt::Orientation orientation, int action, int position) {
    int& offset = orientation == Qt::Horizontal ? m_view.offsetX : m_view.offsetY;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:  // left or up: the page moves right or down
        case QAbstractSlider::SliderSingleStepAdd: {
            const int delta =
                action == QAbstractSlider::SliderSingleStepSub ? kScrollStep : -kScrollStep;
            const OffsetStep step = StepOffset(offset, delta);
            offset = step.offset;
            if (step.beep) {
                Beep();
            }
            break;
        }
        case QAbstractSlider::SliderMove:
        case QAbstractSlider::SliderPageStepSub:
        case QAbstractSlider::SliderPageStepAdd:
        case QAbstractSlider::SliderToMinimum:
        case QAbstractSlider::SliderToMaximum:
            offset = OffsetForScrollPosition(std::clamp(position, 0, 100));
            break;
        default:
            return;
    }
    ShowPage();
}

void PreviewSession::BuildThumbnails() {
    m_waitBox->show();
    m_waitBox->raise();
    m_waitBox->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QStringList files;
    for (int i = 1; i <= m_pageCount; ++i) {
        files << PageFile(i);
    }
    const std::string prefix = m_job.Message(PrintMessage::Page) + " ";
    m_strip->Build(files, m_thumb, [&prefix](int page) {
        return toQt(prefix + std::to_string(page) + " [Click]");
    });
    m_waitBox->hide();
}

void PreviewSession::SwitchThumbnails(bool on) {
    if (on == m_thumbsShown) {
        return;
    }
    m_thumbsShown = on;
    if (on) {
        if (!m_strip->Built()) {
            BuildThumbnails();
        }
        m_view.scale = PreviewScale(m_metrics.height, m_view.vertSizeMm, true);
        ResizeForm(kPreviewForm, kPreviewColumnThumbs, kPreviewWidthThumbs, m_previewHeight, true);
        ShowPage();
        m_strip->show();
        SetFrameFunctions(m_strip, {});
        SetTransientFor(m_strip, MainFormWidget());
        m_thumbShown = 0;  // bring the current page's thumbnail into view
        FollowStrip();
    } else {
        m_view.scale = PreviewScale(m_metrics.height, m_view.vertSizeMm, false);
        ResizeForm(kPreviewForm, kPreviewColumn, kPreviewWidth, m_previewHeight, false);
        m_strip->hide();
        ShowPage();
        DoMethod(kBarForm, "setfocus");
    }
}

void PreviewSession::SetWindowsEnabled(bool enabled) {
    SetFormProperty(kBarForm, "enabled", enabled);
    SetFormProperty(kPreviewForm, "enabled", enabled);
    if (m_strip) {
        m_strip->setEnabled(enabled);
    }
}

void PreviewSession::GoToPageDialog() {
    SetWindowsEnabled(false);
    m_goToDialog->PrepareToOpen(m_currentPage);
    const bool go = RunModalDialog(*m_goToDialog, "PreviewGoToPage") == QDialog::Accepted;
    m_goToDialog->hide();
    SetWindowsEnabled(true);
    if (go) {
        m_currentPage = m_goToDialog->Page();
    }
    ShowPage();
    DoMethod(kPreviewForm, "setfocus");
}

void PreviewSession::PrintDialog() {
    SetWindowsEnabled(false);
    m_printDialog->PrepareToOpen();
    const bool print = RunModalDialog(*m_printDialog, "PreviewPrint") == QDialog::Accepted;
    m_printDialog->hide();
    if (print) {
        const std::vector<int> order = PrintOrderFor(m_printDialog->Choice(), m_pageCount);
        // An empty range ("De" after "Até") prints nothing rather than an empty document.
        if (!order.empty()) {
            PrintPages(order);
        }
    }
    SetWindowsEnabled(true);
    DoMethod(kPreviewForm, "setfocus");
}

void PreviewSession::Save() {
    Save(PutFileForPages());
    // The keyboard goes back to the preview, whatever the dialog or the box left active.
    DoMethod(kPreviewForm, "setfocus");
}

std::string PreviewSession::PutFileForPages() const {
    std::vector<FileFilter> filters{
        {"Images", "*.emf"}, {"SVG", "*.svg"}, {"PDF", "*.pdf"}, {"PNG", "*.png"}};
    for (const SaveFormat& format : m_extraFormats) {
        filters.push_back({format.label, "*." + format.suffix});
    }
    // The dialog opens in the user's documents folder with the report's own name suggested.
    const std::string& pdf = m_job.cPdfFile;
    const std::string suggested =
        documentsFolder() + "/" + (pdf.empty() ? std::string() : pdf.substr(pdf.rfind('/') + 1));
    return PutFile(filters, "", suggested);
}

void PreviewSession::Save(std::string chosen) {
    if (chosen.empty()) {
        return;
    }
    if (!CanSavePagesAs(chosen, m_extraFormats)) {
        // Pages are saved as metafiles: the chosen folder and name, "_0001" and so on, ".emf".
        chosen = chosen.substr(0, chosen.rfind('/') + 1) + PageFileStem(chosen) + ".emf";
    }
    PageSet pages;
    pages.title = win1252ToUtf8(m_job.cJobName);
    std::string error;
    FileFailure failure;
    const bool read = ReadPageFiles(ListPageFiles(PageFolder(), m_job.cPreviewId), &pages, &error);
    // Files that the set would replace, or an earlier set's pages that it would remove, are asked
    // about first, whatever suffix the dialog or the line above gave the name.
    if (read && !MaySavePageSet(chosen, pages.pages.size(), m_extraFormats,
                                m_job.Message(PrintMessage::Save))) {
        return;
    }
    if (!read || SavePages(pages, chosen, &error, m_extraFormats, &failure).empty()) {
        MsgStop("N\xE3o foi poss\xEDvel salvar em " + TextFromFileName(chosen) + "\r\n" +
                    (failure.kind != FileFailureKind::None ? FileFailureBelow(failure, chosen)
                                                           : utf8ToWin1252(error)),
                m_job.Message(PrintMessage::Save));
    }
}

bool PreviewSession::CloseRequested() {
    if (m_closing) {
        return true;  // the preview's own release
    }
    Guarded([this] { Close(); });
    return false;
}

void PreviewSession::Close() {
    if (m_closing) {
        return;
    }
    m_closing = true;
    DeletePageFiles(PageFolder(), m_job.cPreviewId);
    m_filesDeleted = true;
    if (m_waitBox) {
        m_waitBox->hide();
    }
    if (m_strip) {
        m_strip->hide();
    }
    for (const char* form : {kPreviewForm, kBarForm}) {
        if (IsWindowActive(form)) {
            DoMethod(form, "release");
        }
    }
}

}  // namespace

bool BringPreviewForward() {
    if (!g_previewOpen) {
        return false;
    }
    for (const char* form : {kPreviewForm, kBarForm}) {
        if (QWidget* window = FormWidget(form)) {
            window->showNormal();
            window->raise();
        }
    }
    if (QWidget* bar = FormWidget(kBarForm)) {
        bar->activateWindow();
    }
    return true;
}

void ShowPreview(const std::vector<SaveFormat>& extraFormats) {
    PrintJob& job = printJob();
    if (g_previewOpen || !job.HasPrinter() || job.nPageFiles < 1 || MainFormWidget() == nullptr) {
        return;
    }
    g_previewOpen = true;
    struct Reset {
        ~Reset() { g_previewOpen = false; }
    } reset;
    PreviewSession session(job, extraFormats);
    session.Run();
}

}  // namespace vm

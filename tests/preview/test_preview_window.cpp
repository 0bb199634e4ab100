// The preview window driven as the user drives it: paging with keys and buttons, the beep at the
// ends, closing and what it deletes, painting of good and damaged page files, zoom, scrolling,
// thumbnails and saving.
#include <sched.h>
#include <sys/mount.h>

#include <QAbstractScrollArea>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>
#include <cerrno>
#include <cstring>

#include "core/calculo.h"
#include "core/dados_projeto.h"
#include "core/platform_paths.h"
#include "core/win1252.h"
#include "pagefile/page_files.h"
#include "pagefile/page_folder.h"
#include "preview/preview.h"
#include "preview/preview_dialogs.h"
#include "preview/preview_page_view.h"
#include "preview_test_support.h"
#include "print/print_job.h"
#include "report/dxf_drawing.h"
#include "report/dxf_file.h"
#include "report/sightline_analysis.h"
#include "runtime/startup.h"
#include "ui/qt_text.h"
#include "ui/file_failure_text.h"

namespace {

// A mount namespace of this test program's own, made before any thread starts (a process with
// threads cannot make one), so that a test may mount a small file system that fills up.
const bool g_ownMounts =
    unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;

// A screen with room for the preview's windows at their own sizes (the platform's default screen
// is 800 x 800); the platform reads it when the application starts, after this.
[[maybe_unused]] const bool g_roomyScreen =
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" VM_TEST_DATA "/screen-1280x1024.json");

using vm::PreviewRect;

std::string PageTitle(int page, int count) {
    return "P\xE1gina [" + std::to_string(page) + "/" + std::to_string(count) + "]";
}

bool IsGrey(QRgb c) {
    return qRed(c) == 128 && qGreen(c) == 128 && qBlue(c) == 128;
}
bool IsWhite(QRgb c) {
    return qRed(c) == 255 && qGreen(c) == 255 && qBlue(c) == 255;
}

struct AreaCount {
    int white = 0;
    int dark = 0;
    int other = 0;
    int pixels = 0;
};

AreaCount Count(const QImage& image, const QRect& area) {
    AreaCount n;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            ++n.pixels;
            if (IsWhite(c)) {
                ++n.white;
            } else if (qGray(c) < 100) {
                ++n.dark;
            } else {
                ++n.other;
            }
        }
    }
    return n;
}

QRect ToQRect(const PreviewRect& r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

// The client area of the page view as it is on screen.
QImage Grab(vm::PreviewPageView* view) {
    return view->grab(QRect(QPoint(0, 0), view->ClientSize()))
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Every pixel of the client area outside the page is the surround grey.
bool SurroundIsGrey(const QImage& image, const QRect& page) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!page.contains(x, y) && !IsGrey(image.pixel(x, y))) {
                return false;
            }
        }
    }
    return true;
}

// Notes each appearance of the preview's wait box.
class WaitBoxWatch final : public QObject {
public:
    int shown = 0;
    std::string text;
    QSize size;
    int imagesWhenShown = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == "PreviewWait") {
            auto* box = static_cast<QWidget*>(watched);
            ++shown;
            size = box->size();
            if (auto* label = box->findChild<QLabel*>("Label_1")) {
                text = vm::fromQt(label->text());
            }
            imagesWhenShown =
                static_cast<int>(box->parentWidget()
                                     ->findChildren<QWidget*>(QRegularExpression("^Image\\d+$"))
                                     .size());
        }
        return false;
    }
};

class PreviewWindowTest : public PreviewTest {};

TEST_F(PreviewWindowTest, TwoPagesOpenOnTheFirstAndPageWithKeysAndButtonsBeepingAtTheEnds) {
    MakeJob(2);
    const bool opened = RunPreview([&] {
        EXPECT_EQ(Title(), PageTitle(1, 2));
        EXPECT_EQ(vm::fromQt(vm::FormWidget(kBarForm)->windowTitle()),
                  " Visualiza\xE7\xE3o da Impress\xE3o");
        struct Step {
            const char* what;
            std::function<void()> act;
            int page;
            int beeps;  // beeps so far
        };
        auto key = [](Qt::Key k) { return [k] { PressKey(kPreviewForm, k); }; };
        auto barKey = [](Qt::Key k) { return [k] { PressKey(kBarForm, k); }; };
        auto click = [](const char* b) {
            return [b] { QTest::mouseClick(BarButton(b), Qt::LeftButton); };
        };
        const Step steps[] = {
            {"Page Down", key(Qt::Key_PageDown), 2, 0},
            {"Page Down on the last page", key(Qt::Key_PageDown), 2, 1},
            {"End on the last page stays quiet", key(Qt::Key_End), 2, 1},
            {"Page Up", key(Qt::Key_PageUp), 1, 1},
            {"Page Up on the first page", key(Qt::Key_PageUp), 1, 2},
            {"End in the bar", barKey(Qt::Key_End), 2, 2},
            {"Home in the bar", barKey(Qt::Key_Home), 1, 2},
            {"b3 next", click("b3"), 2, 2},
            {"b3 past the end", click("b3"), 2, 3},
            {"b1 first", click("b1"), 1, 3},
            {"b2 before the first", click("b2"), 1, 4},
            {"b4 last", click("b4"), 2, 4},
            {"b2 previous", click("b2"), 1, 4},
        };
        for (const Step& s : steps) {
            SCOPED_TRACE(s.what);
            s.act();
            EXPECT_EQ(Title(), PageTitle(s.page, 2));
            EXPECT_EQ(m_beeps, s.beeps);
        }
    });
    EXPECT_TRUE(opened);
}

TEST_F(PreviewWindowTest, ToolButtonsCarryTheirBitmapsAndTooltips) {
    MakeJob(2);
    ExpectOpened(RunPreview([&] {
        struct Expected {
            const char* name;
            int col;
            const char* tooltip;
            bool checkable;
        };
        const Expected buttons[] = {
            {"b1", 2, "Primeira P\xE1gina [HOME]", false},
            {"b2", 32, "P\xE1gina Anterior [PGUP]", false},
            {"b3", 62, "P\xE1gina Seguinte [PGDN]", false},
            {"b4", 92, "\xDAltima P\xE1gina [END]", false},
            {"thumbswitch", 126, "Miniaturas [Ctrl+T]", true},
            {"GoToPage", 156, "Ir Para a P\xE1gina N\xBA [Ctrl+G]", false},
            {"b5", 186, "Ampliar [*]", true},
            {"b12", 216, "Imprimir [Ctrl+P]", false},
            {"b7", 246, "Salvar [Ctrl+S]", false},
            {"b6", 280, "Fechar [Ctrl+C]", false},
        };
        for (const Expected& e : buttons) {
            SCOPED_TRACE(e.name);
            auto* button = qobject_cast<QPushButton*>(BarButton(e.name));
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->geometry(), QRect(e.col, 2, 30, 30));
            EXPECT_EQ(vm::fromQt(button->toolTip()), e.tooltip);
            EXPECT_FALSE(button->icon().isNull());
            EXPECT_FALSE(button->icon().pixmap(24, 24).isNull());
            EXPECT_EQ(button->isCheckable(), e.checkable);
        }
    }));
}

TEST_F(PreviewWindowTest, ClosingDeletesTheJobsPageFilesAndNoOtherFile) {
    struct Case {
        const char* title;
        std::function<void()> close;
    };
    const Case cases[] = {
        {"Escape", [] { PressKey(kPreviewForm, Qt::Key_Escape); }},
        {"Ctrl+C in the bar", [] { PressKey(kBarForm, Qt::Key_C, Qt::ControlModifier); }},
        {"Alt+F4", [] { PressKey(kPreviewForm, Qt::Key_F4, Qt::AltModifier); }},
        {"the close button b6", [] { QTest::mouseClick(BarButton("b6"), Qt::LeftButton); }},
        {"the window system's close", [] { vm::FormWidget(kPreviewForm)->close(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        MakeJob(3);
        // Neighbours that are not this job's page files.
        const QStringList others = {
            QString::fromStdString(vm::PageFileName(vm::PageFolder(), "00000531", 1)),
            QString::fromStdString(vm::PageFolder() + "00000530_kpv_print_preview_0001.emf"),
            QString::fromStdString(vm::PageFolder() + "x00000530_kpv_print_preview_0001.Emf"),
            QString::fromStdString(vm::PageFolder() + "notes.txt"),
        };
        for (const QString& name : others) {
            QFile f(name);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("keep");
        }
        bool closedInside = false;
        ExpectOpened(RunPreview([&] {
            c.close();
            closedInside = QTest::qWaitFor([] { return !vm::IsWindowActive(kPreviewForm); }, 5000);
        }));
        EXPECT_TRUE(closedInside);
        EXPECT_FALSE(vm::IsWindowDefined(kPreviewForm));
        EXPECT_FALSE(vm::IsWindowDefined(kBarForm));
        for (int n = 1; n <= 3; ++n) {
            EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(PageFile(n)))) << n;
        }
        for (const QString& name : others) {
            EXPECT_TRUE(QFileInfo::exists(name)) << name.toStdString();
            QFile::remove(name);
        }
    }
}

TEST_F(PreviewWindowTest, ShowPreviewDoesNothingWithoutPrinterAndOnlyOnceAtATime) {
    MakeJob(2);
    vm::printJob().printer.reset();
    bool shown = false;
    runInMainForm([] {},
                  [&] {
                      vm::ShowPreview();  // returns at once
                      shown = vm::IsWindowDefined(kPreviewForm);
                  });
    EXPECT_FALSE(shown);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(PageFile(1))));

    MakeJob(2);
    bool secondReturned = false;
    ExpectOpened(RunPreview([&] {
        vm::ShowPreview();  // a preview is open: nothing happens
        secondReturned = true;
        EXPECT_EQ(Title(), PageTitle(1, 2));
    }));
    EXPECT_TRUE(secondReturned);
}

TEST_F(PreviewWindowTest, PaintsThePageWhiteOnGreyAndDamagedPagesBlankWithoutCrashing) {
    // Page 2 is no EMF at all, page 3 is missing.
    MakeJob(2, {2});
    vm::printJob().nPageFiles = 3;
    ExpectOpened(RunPreview([&] {
        vm::PreviewPageView* view = PageView();
        ASSERT_NE(view, nullptr);
        const QSize client = view->ClientSize();
        ASSERT_GT(client.width(), 100);
        const vm::PreviewView& v = view->View();
        EXPECT_EQ(view->PageRect(), vm::PreviewPageRect(client.width(), client.height(), v));
        const QRect page = ToQRect(view->PageRect());
        ASSERT_TRUE(QRect(QPoint(0, 0), client).contains(page));

        QImage image = Grab(view);
        AreaCount inside = Count(image, page);
        EXPECT_GT(inside.dark, 50) << "the text and the bar of page 1";
        EXPECT_GT(inside.white, inside.pixels / 2);
        EXPECT_TRUE(SurroundIsGrey(image, page));
        // The bar drawn 150 mm down, 20 to 190 mm across, sits on that line of the page.
        const int barY = page.top() + page.height() * 150 / 297;
        EXPECT_LT(qGray(image.pixel(page.left() + page.width() / 2, barY)), 100);

        for (int p : {2, 3}) {
            SCOPED_TRACE(p);
            PressKey(kPreviewForm, Qt::Key_PageDown);
            EXPECT_EQ(Title(), PageTitle(p, 3));
            EXPECT_FALSE(view->PageLoaded());
            image = Grab(view);
            inside = Count(image, page);
            EXPECT_EQ(inside.white, inside.pixels) << "only the white page";
            EXPECT_TRUE(SurroundIsGrey(image, page));
        }
    }));
}

TEST_F(PreviewWindowTest, ZoomByButtonGrowsAndShiftsThePageAndTheClickZoomsInPlace) {
    MakeJob(2);
    ExpectOpened(RunPreview([&] {
        vm::PreviewPageView* view = PageView();
        ASSERT_NE(view, nullptr);
        auto* zoom = qobject_cast<QPushButton*>(BarButton("b5"));
        const PreviewRect whole = view->PageRect();
        EXPECT_FALSE(view->HorizontalBar()->isEnabled());
        EXPECT_EQ(view->HorizontalBar()->value(), 50);
        EXPECT_EQ(view->VerticalBar()->value(), 50);

        // A4 portrait: 1000 * 210 / 750 = 280 and 1000 * 297 / 750 = 396 more on each side,
        // 100 pixels right and 400 down.
        QTest::mouseClick(zoom, Qt::LeftButton);
        EXPECT_TRUE(zoom->isChecked());
        const PreviewRect zoomed = view->PageRect();
        EXPECT_EQ(zoomed.left, whole.left - 280 + 100);
        EXPECT_EQ(zoomed.right, whole.right + 280 + 100);
        EXPECT_EQ(zoomed.top, whole.top - 396 + 400);
        EXPECT_EQ(zoomed.bottom, whole.bottom + 396 + 400);
        EXPECT_TRUE(view->HorizontalBar()->isEnabled());
        EXPECT_TRUE(view->VerticalBar()->isEnabled());
        EXPECT_EQ(view->HorizontalBar()->value(), 40);
        EXPECT_EQ(view->VerticalBar()->value(), 10);
        EXPECT_EQ(Title(), PageTitle(1, 2));

        QTest::mouseClick(zoom, Qt::LeftButton);
        EXPECT_FALSE(zoom->isChecked());
        EXPECT_EQ(view->PageRect(), whole);
        EXPECT_FALSE(view->HorizontalBar()->isEnabled());
        EXPECT_EQ(view->HorizontalBar()->value(), 50);

        // A click on the page, and the keypad "*", zoom without shifting and tick "b5".
        struct Toggle {
            const char* what;
            std::function<void()> act;
        };
        const Toggle toggles[] = {
            {"mouse click", [&] { QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(20, 20)); }},
            {"keypad *", [] { PressKey(kPreviewForm, Qt::Key_Asterisk, Qt::KeypadModifier); }},
        };
        for (const Toggle& t : toggles) {
            SCOPED_TRACE(t.what);
            t.act();
            EXPECT_TRUE(zoom->isChecked());
            const PreviewRect r = view->PageRect();
            EXPECT_EQ(r.left, whole.left - 280);
            EXPECT_EQ(r.top, whole.top - 396);
            EXPECT_EQ(r.width(), whole.width() + 2 * 280);
            EXPECT_EQ(view->HorizontalBar()->value(), 0);
            EXPECT_EQ(view->VerticalBar()->value(), 0);
            EXPECT_TRUE(view->VerticalBar()->isEnabled());
            t.act();
            EXPECT_FALSE(zoom->isChecked());
            EXPECT_EQ(view->PageRect(), whole);
            EXPECT_FALSE(view->VerticalBar()->isEnabled());
        }
    }));
}

TEST_F(PreviewWindowTest, LandscapePageZoomsOnlyByTheButtonFarToTheRight) {
    MakeLandscapeJob(1);
    ExpectOpened(RunPreview([&] {
        vm::PreviewPageView* view = PageView();
        ASSERT_NE(view, nullptr);
        auto* zoom = qobject_cast<QPushButton*>(BarButton("b5"));
        const PreviewRect whole = view->PageRect();
        EXPECT_GT(whole.width(), whole.height());

        // 1000 * 297 / 750 = 396 and 1000 * 210 / 750 = 280 on each side, 500 right, 300 down.
        QTest::mouseClick(zoom, Qt::LeftButton);
        const PreviewRect zoomed = view->PageRect();
        EXPECT_EQ(zoomed.left, whole.left - 396 + 500);
        EXPECT_EQ(zoomed.top, whole.top - 280 + 300);
        EXPECT_EQ(zoomed.right, whole.right + 396 + 500);
        EXPECT_EQ(view->HorizontalBar()->value(), 1);
        EXPECT_EQ(view->VerticalBar()->value(), 20);
        QTest::mouseClick(zoom, Qt::LeftButton);
        EXPECT_EQ(view->PageRect(), whole);

        // A click ticks "b5" and frees the scroll bars but the page keeps its size.
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(20, 20));
        EXPECT_TRUE(zoom->isChecked());
        EXPECT_EQ(view->PageRect(), whole);
        EXPECT_TRUE(view->HorizontalBar()->isEnabled());
    }));
}

TEST_F(PreviewWindowTest, ScrollBarsMoveThePageInStepsUpToTheLimitsAndByDragging) {
    MakeJob(2);
    ExpectOpened(RunPreview([&] {
        vm::PreviewPageView* view = PageView();
        ASSERT_NE(view, nullptr);
        QTest::mouseClick(BarButton("b5"), Qt::LeftButton);  // offsets 100, 400
        const PreviewRect start = view->PageRect();
        QScrollBar* h = view->HorizontalBar();
        QScrollBar* v = view->VerticalBar();

        h->triggerAction(QAbstractSlider::SliderSingleStepSub);  // left: the page moves right
        EXPECT_EQ(view->PageRect().left, start.left + 10);
        h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(view->PageRect().left, start.left - 10);
        EXPECT_EQ(m_beeps, 0);

        // Up from offset 400: 410 ... 490 quietly, then 500 is held with a beep.
        for (int i = 0; i < 9; ++i) {
            v->triggerAction(QAbstractSlider::SliderSingleStepSub);
        }
        EXPECT_EQ(view->PageRect().top, start.top + 90);
        EXPECT_EQ(m_beeps, 0);
        v->triggerAction(QAbstractSlider::SliderSingleStepSub);
        v->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(view->PageRect().top, start.top + 100);
        EXPECT_EQ(m_beeps, 2);

        // Dragging the box to 30 puts the offset at -(30 - 50) * 10 = 200.
        h->setSliderPosition(30);
        EXPECT_EQ(view->PageRect().left, start.left - 100 + 200);
        v->setSliderPosition(100);
        EXPECT_EQ(view->PageRect().top, start.top - 400 - 500);
    }));
}

TEST_F(PreviewWindowTest, ThumbnailsAreBuiltOnceShowEveryPageAndFollowThePage) {
    // Enough pages that the strip scrolls on any screen below 1900 pixels.
    MakeJob(12, {5});
    ExpectOpened(RunPreview([&] {
        QWidget* preview = vm::FormWidget(kPreviewForm);
        const int height = preview->frameGeometry().height();
        const QSize normal = preview->size();
        EXPECT_EQ(normal.width(), vm::ClientSizeForOuter(921, height, true).width());
        auto* thumbs = qobject_cast<QPushButton*>(BarButton("thumbswitch"));
        auto* strip = preview->findChild<QWidget*>("PreviewThumbnails");
        ASSERT_NE(strip, nullptr);
        EXPECT_FALSE(strip->isVisible());
        const int scaleBefore = PageView()->PageRect().width();

        // The wait box is up while the pictures are drawn, and only then.
        WaitBoxWatch watch;
        qApp->installEventFilter(&watch);
        PressKey(kPreviewForm, Qt::Key_T, Qt::ControlModifier);
        qApp->removeEventFilter(&watch);
        EXPECT_EQ(watch.shown, 1);
        EXPECT_EQ(watch.text, "Aguarde, Gerando Miniaturas...");
        EXPECT_EQ(watch.size, QSize(310, 85));
        EXPECT_EQ(watch.imagesWhenShown, 0);
        auto* waitBox = preview->findChild<QWidget*>("PreviewWait");
        ASSERT_NE(waitBox, nullptr);
        EXPECT_FALSE(waitBox->isVisible());
        EXPECT_TRUE(thumbs->isChecked());
        EXPECT_TRUE(strip->isVisible());
        EXPECT_EQ(vm::fromQt(strip->windowTitle()), "Miniaturas");
        EXPECT_EQ(preview->width(), vm::ClientSizeForOuter(876, height, true).width());
        EXPECT_EQ(preview->pos().x(), 138);
        EXPECT_LT(PageView()->PageRect().width(), scaleBefore);  // 0.58 instead of 0.63
        for (int i = 1; i <= 12; ++i) {
            SCOPED_TRACE(i);
            auto* image = strip->findChild<QWidget*>(QStringLiteral("Image%1").arg(i));
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(image->geometry(), QRect(10, i * (130 + 10) - 130, 92, 130));
            EXPECT_EQ(vm::fromQt(image->toolTip()), "P\xE1gina " + std::to_string(i) + " [Click]");
        }
        auto* area = strip->findChild<QAbstractScrollArea*>("PreviewThumbnailArea");
        QScrollBar* bar = area->verticalScrollBar();
        ASSERT_GT(bar->maximum(), 0);
        EXPECT_FALSE(area->horizontalScrollBar()->isEnabled());

        // The damaged page 5 shows a white picture; the others carry their ink.
        const QImage good = strip->findChild<QWidget*>("Image4")->grab().toImage();
        const QImage bad = strip->findChild<QWidget*>("Image5")->grab().toImage();
        EXPECT_GT(Count(good, good.rect()).dark, 0);
        EXPECT_EQ(Count(bad, bad.rect()).white, bad.width() * bad.height());

        // The strip follows page changes: last page to its end, first to its top, a middle
        // page with its top 9 pixels below the strip's top (or the end when nearer).
        PressKey(kPreviewForm, Qt::Key_End);
        EXPECT_EQ(bar->value(), bar->maximum());
        PressKey(kPreviewForm, Qt::Key_Home);
        EXPECT_EQ(bar->value(), 0);
        PressKey(kPreviewForm, Qt::Key_PageDown);
        EXPECT_EQ(bar->value(), std::min(bar->maximum(), 150 - 9));

        // A click on a thumbnail shows its page; the strip stays where it is.
        bar->setValue(bar->maximum());
        auto* nine = strip->findChild<QWidget*>("Image9");
        QTest::mouseClick(nine, Qt::LeftButton);
        EXPECT_EQ(Title(), PageTitle(9, 12));
        EXPECT_EQ(bar->value(), bar->maximum());

        // Off again: the preview takes its width back at column 51; on again without rebuilding.
        QTest::mouseClick(thumbs, Qt::LeftButton);
        EXPECT_FALSE(strip->isVisible());
        EXPECT_EQ(preview->size(), normal);
        EXPECT_EQ(preview->pos().x(), 51);
        EXPECT_EQ(PageView()->PageRect().width(), scaleBefore);
        qApp->installEventFilter(&watch);
        QTest::mouseClick(thumbs, Qt::LeftButton);
        qApp->removeEventFilter(&watch);
        EXPECT_EQ(watch.shown, 1) << "built once";
        EXPECT_TRUE(strip->isVisible());
        EXPECT_EQ(strip->findChildren<QWidget*>(QRegularExpression("^Image\\d+$")).size(), 12);
    }));
}

TEST_F(PreviewWindowTest, SavingCopiesEveryPageAsNumberedMetafilesOrExports) {
    MakeJob(4);
    std::vector<QByteArray> originals;
    for (int n = 1; n <= 4; ++n) {
        QFile page(QString::fromStdString(PageFile(n)));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        originals.push_back(page.readAll());
    }
    const QString target = Folder() + "/saved";
    ASSERT_TRUE(QDir().mkpath(target));
    m_dialogs.fileAnswers = {"", vm::fromQtPath(target + "/rel.emf"),
                             vm::fromQtPath(target + "/doc.pdf"), vm::fromQtPath(target + "/sem")};
    // The dialog opens in the user's documents folder on the report's own PDF name.
    const std::string documents = vm::fromQtPath(Folder()) + "/Área de Trabalho";
    setenv("XDG_DOCUMENTS_DIR", documents.c_str(), 1);
    vm::printJob().cPdfFile = "/opt/vistametra/Sala de Reunião_Calculo_Tela.pdf";
    ExpectOpened(RunPreview([&] {
        PressKey(kPreviewForm, Qt::Key_S, Qt::ControlModifier);  // cancelled
        EXPECT_TRUE(QDir(target).isEmpty());
        QTest::mouseClick(BarButton("b7"), Qt::LeftButton);
        QTest::mouseClick(BarButton("b7"), Qt::LeftButton);
        PressKey(kBarForm, Qt::Key_S, Qt::ControlModifier);
    }));
    ASSERT_EQ(m_dialogs.shown.size(), 4u);
    const vm::FileRequest& request = m_dialogs.shown[0].file;
    EXPECT_EQ(m_dialogs.shown[0].purpose, "PutFile");
    ASSERT_FALSE(request.filters.empty());
    EXPECT_EQ(request.filters[0].description, "Images");
    EXPECT_EQ(request.filters[0].pattern, "*.emf");
    EXPECT_EQ(request.initialFolder, documents + "/Sala de Reunião_Calculo_Tela.pdf");
    unsetenv("XDG_DOCUMENTS_DIR");

    // Copies of the page files, byte for byte.
    for (const char* base : {"rel", "sem"}) {
        for (int n = 1; n <= 4; ++n) {
            SCOPED_TRACE(n);
            QFile copy(target + QStringLiteral("/%1_%2.emf").arg(base).arg(n, 4, 10, QChar('0')));
            ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << copy.fileName().toStdString();
            EXPECT_EQ(copy.readAll(), originals[static_cast<size_t>(n - 1)]);
        }
    }
    EXPECT_FALSE(QFileInfo::exists(target + "/rel_0005.emf"));
    // The PDF holds the four pages, in order (poppler's pdftotext).
    QProcess text;
    text.start("pdftotext", {"-layout", target + "/doc.pdf", "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split('\f');
    ASSERT_GE(pages.size(), 4);
    for (int n = 1; n <= 4; ++n) {
        EXPECT_TRUE(pages[n - 1].contains(QStringLiteral("PAGE %1").arg(n))) << n;
    }
    EXPECT_TRUE(m_dialogs.messageLog().empty());
}

// Saving over an earlier, longer set of pages asks first, naming the pages replaced and the
// earlier pages that the new set would remove; "Não" leaves every one of them as it was.
TEST_F(PreviewWindowTest, SavingOverAnEarlierSetAsksFirst) {
    MakeJob(2);
    const QString target = Folder() + "/saved";
    ASSERT_TRUE(QDir().mkpath(target));
    for (int n = 1; n <= 4; ++n) {
        QFile page(target + QStringLiteral("/rel_%1.emf").arg(n, 4, 10, QChar('0')));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write("anterior");
    }
    m_dialogs.fileAnswers = {vm::fromQtPath(target + "/rel")};  // made "rel.emf"
    m_dialogs.messageAnswers = {vm::MessageAnswer::No};
    ExpectOpened(RunPreview([&] { QTest::mouseClick(BarButton("b7"), Qt::LeftButton); }));
    ASSERT_EQ(m_dialogs.messageLog().size(), 1u);
    EXPECT_EQ(m_dialogs.messageLog()[0],
              "Salvar|Os arquivos \"rel_0001.emf\" e \"rel_0002.emf\" j\xE1 existem em " +
                  vm::fromQt(target) +
                  "/.\r\nAs p\xE1ginas \"rel_0003.emf\" e \"rel_0004.emf\" do conjunto anterior, "
                  "que o novo n\xE3o tem, ser\xE3o apagadas. Substituir?");
    for (int n = 1; n <= 4; ++n) {
        QFile page(target + QStringLiteral("/rel_%1.emf").arg(n, 4, 10, QChar('0')));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        EXPECT_EQ(page.readAll(), "anterior") << n;
    }
}

TEST_F(PreviewWindowTest, SavingADxfDrawingOfTheReportedProject) {
    // The project reported: a hall 20 x 14 m with 15 rows.
    const vm::DadosProjeto before = vm::projeto();
    vm::DadosProjeto& p = vm::projeto();
    p = vm::ProjetoInicial();
    p.nComprimento = 20;
    p.nLargura = 14;
    p.nNumeroFilas = 15;
    vm::Calculo(p);
    const vm::DadosProjeto reported = p;
    MakeJob(2);
    const QString target = Folder() + QString::fromUtf8("/Área de Trabalho");
    ASSERT_TRUE(QDir().mkpath(target));
    m_dialogs.fileAnswers = {vm::fromQtPath(target + "/sala.dxf")};
    // The program hands the preview the drawing of the project it reported.
    const std::vector<vm::SaveFormat> formats{vm::DxfSaveFormat(p, vm::kDefaultTargetCmm)};
    ExpectOpened(RunPreview(
        [&] {
            p.nNumeroFilas = 3;  // edited meanwhile: the drawing is still of the report's project
            QTest::mouseClick(BarButton("b7"), Qt::LeftButton);
        },
        formats));
    vm::projeto() = before;
    EXPECT_EQ(m_dialogs.shown.at(0).file.filters.back().pattern, "*.dxf");
    QFile dxf(target + "/sala.dxf");
    ASSERT_TRUE(dxf.open(QIODevice::ReadOnly));
    const QByteArray bytes = dxf.readAll();
    const std::string expected = vm::DxfDrawing(reported, vm::AnalyseSightlines(reported));
    EXPECT_EQ(bytes.toStdString(), expected);
    EXPECT_FALSE(QFileInfo::exists(target + "/sala_0001.emf"));
    EXPECT_TRUE(m_dialogs.messageLog().empty());
}

TEST_F(PreviewWindowTest, SavingIntoAFolderThatCannotBeWrittenSaysSo) {
    MakeJob(2);
    m_dialogs.fileAnswers = {vm::fromQtPath(Folder() + "/no/such/folder/rel.emf")};
    ExpectOpened(RunPreview([&] { QTest::mouseClick(BarButton("b7"), Qt::LeftButton); }));
    const auto log = m_dialogs.messageLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("Salvar|N\xE3o foi poss\xEDvel salvar"), std::string::npos) << log[0];
}

// Saving onto a full disk: the earlier pages stay as they were, no temporary file is left, and the
// box says why.
TEST_F(PreviewWindowTest, SavingOntoAFullDiskKeepsTheEarlierPagesAndSaysSo) {
    if (!g_ownMounts) {
        GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    }
    MakeJob(2);
    const QString full = Folder() + QString::fromUtf8("/Área de Trabalho");
    ASSERT_TRUE(QDir().mkpath(full));
    ASSERT_EQ(mount("tmpfs", QFile::encodeName(full).constData(), "tmpfs", 0, "size=16k"), 0)
        << std::strerror(errno);
    const QByteArray earlier(6 * 1024, 'e');
    for (const char* name : {"/rel_0001.svg", "/rel_0002.svg"}) {
        QFile file(full + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(earlier);
    }
    m_dialogs.fileAnswers = {vm::fromQtPath(full + "/rel.svg")};
    ExpectOpened(RunPreview([&] { QTest::mouseClick(BarButton("b7"), Qt::LeftButton); }));
    QStringList left = QDir(full).entryList(QDir::Files | QDir::Hidden);
    std::vector<QByteArray> kept;
    for (const QString& name : left) {
        QFile file(full + "/" + name);
        kept.push_back(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    umount(QFile::encodeName(full).constData());

    EXPECT_EQ(left, (QStringList{"rel_0001.svg", "rel_0002.svg"}));
    for (const QByteArray& bytes : kept) {
        EXPECT_EQ(bytes, earlier);
    }
    // The earlier pages were asked about first (answered Sim), then the failure was told.
    const auto shown = m_dialogs.messageLog();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "Salvar|Os arquivos \"rel_0001.svg\" e \"rel_0002.svg\" j\xE1 existem em " +
                            vm::fromQt(full) + "/. Substituir?");
    const std::vector<std::string> log{shown[1]};
    EXPECT_NE(log[0].find("Salvar|N\xE3o foi poss\xEDvel salvar"), std::string::npos) << log[0];
    // In Portuguese, naming the page that did not fit, with the system's reason decoded.
    const std::string page = vm::fromQt(full) + "/rel_000";
    EXPECT_NE(log[0].find(vm::utf8ToWin1252("\r\nNão foi possível gravar \"") + page),
              std::string::npos)
        << log[0];
    const std::string ending = ".svg\": " + vm::SystemReasonText(ENOSPC);
    ASSERT_GT(log[0].size(), ending.size());
    EXPECT_EQ(log[0].substr(log[0].size() - ending.size()), ending) << log[0];
}

}  // namespace

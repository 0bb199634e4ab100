// The preview on a full-HD screen scaled by 2, as a high-density desktop runs it: the toolkit
// offers 960 x 540 logical pixels, less than the preview's windows are given. Every window, dialog
// and button of the bar stays within the screen's available area.
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <vector>

#include "preview_test_support.h"
#include "ui/form_layer.h"
#include "ui/qt_text.h"

namespace {

// The platform reads its screen and the scale when the application starts, after this.
const bool g_scaledScreen =
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" VM_TEST_DATA "/screen-1920x1080.json") &&
    qputenv("QT_SCALE_FACTOR", "2");

QRect Area() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// The window, frame included, lies within the available area.
void ExpectWithinScreen(const QWidget* window, const char* what) {
    EXPECT_TRUE(Area().contains(window->frameGeometry()))
        << what << " at " << window->frameGeometry().x() << "," << window->frameGeometry().y()
        << " " << window->frameGeometry().width() << "x" << window->frameGeometry().height();
}

class PreviewScaledTest : public PreviewTest {};

TEST_F(PreviewScaledTest, WindowsAndButtonsStayWithinAScaledFullHdScreen) {
    ASSERT_TRUE(g_scaledScreen);
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(960, 540));
    MakeJob(12);
    ExpectOpened(RunPreview([&] {
        QWidget* preview = vm::FormWidget(kPreviewForm);
        QWidget* bar = vm::FormWidget(kBarForm);
        ExpectWithinScreen(preview, "the preview");
        ExpectWithinScreen(bar, "the bar");

        // Every button on the screen and inside its bar, with its own text, in the given order
        // from left to right.
        const char* const names[] = {"b1",       "b2", "b3",  "b4", "thumbswitch",
                                     "GoToPage", "b5", "b12", "b7", "b6"};
        int lastRight = -1;
        for (const char* name : names) {
            SCOPED_TRACE(name);
            QWidget* button = BarButton(name);
            ASSERT_NE(button, nullptr);
            const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
            EXPECT_TRUE(Area().contains(onScreen));
            EXPECT_TRUE(bar->rect().contains(button->geometry()));
            EXPECT_GT(onScreen.left(), lastRight);
            lastRight = onScreen.right();
        }
        EXPECT_EQ(vm::fromQt(BarButton("b7")->toolTip()), "Salvar [Ctrl+S]");
        EXPECT_EQ(vm::fromQt(BarButton("b6")->toolTip()), "Fechar [Ctrl+C]");

        // The thumbnails: the strip on the left, the preview narrowed beside it, both on the
        // screen; off again, the preview takes back the room it had.
        const QRect before = preview->frameGeometry();
        PressKey(kPreviewForm, Qt::Key_T, Qt::ControlModifier);
        QWidget* strip = preview->findChild<QWidget*>("PreviewThumbnails");
        ASSERT_NE(strip, nullptr);
        ASSERT_TRUE(strip->isVisible());
        ExpectWithinScreen(strip, "the strip");
        ExpectWithinScreen(preview, "the preview beside the strip");
        EXPECT_LT(strip->frameGeometry().right(), preview->frameGeometry().left());
        PressKey(kPreviewForm, Qt::Key_T, Qt::ControlModifier);
        EXPECT_EQ(preview->frameGeometry().size(), before.size());
        ExpectWithinScreen(preview, "the preview without the strip");

        // The print and go-to-page dialogs, shown.
        int dialogs = 0;
        m_dialogs.dialogDriver = [&](QDialog& d, const std::string& purpose) {
            SCOPED_TRACE(purpose);
            ++dialogs;
            d.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
            ExpectWithinScreen(&d, purpose.c_str());
            d.hide();
            return int(QDialog::Rejected);
        };
        QTest::mouseClick(BarButton("b12"), Qt::LeftButton);
        QTest::mouseClick(BarButton("GoToPage"), Qt::LeftButton);
        EXPECT_EQ(dialogs, 2);

        // "Fechar" is there to be clicked, and closes.
        QTest::mouseClick(BarButton("b6"), Qt::LeftButton);
        VM_TRY_TRUE(!vm::IsWindowActive(kPreviewForm));
    }));
}

}  // namespace

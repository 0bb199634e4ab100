// The preview's paint: a full report-like page played from its page file into a 900 x 1270 pixel
// client area with the grey surround, as PreviewPageView paints it; once with the page already
// loaded (every repaint: paging back, scrolling, zoom) and once reading the file first (a page
// shown for the first time).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <cstdio>

#include "bench/emf/bench_emf_page.h"
#include "core/platform_paths.h"
#include "pagefile/emf_player.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_files.h"
#include "preview/preview_geometry.h"
#include "preview/preview_page_view.h"

namespace vm::bench {
namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 1270;

std::string WritePage() {
    static const NamedImageSource images = ReportImages();
    EmfPageCanvas canvas(ReferenceDevice::A4(), &images);
    const std::string file = tempFolder() + "bench_preview_paint_0001.Emf";
    canvas.StartPreviewPage(file);
    DrawFullPage(canvas);
    canvas.EndPreviewPage();
    return file;
}

// A4 as large as the area holds: 1270 / 297 pixels per millimetre, 897 x 1270 pixels.
PreviewView FullView() {
    PreviewView view;
    view.horzSizeMm = 210;
    view.vertSizeMm = 297;
    view.scale = static_cast<double>(kHeight) / 297;
    return view;
}

void Paint(const EmfPlayer& page, QImage& image) {
    QPainter painter(&image);
    PaintPreviewArea(painter, image.size(), FullView(), page);
}

void BM_RepaintLoadedPage(benchmark::State& state) {
    const std::string file = WritePage();
    EmfPlayer page;
    if (!page.Load(QString::fromStdString(file))) {
        state.SkipWithError("page file not readable");
        return;
    }
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    Paint(page, image);  // the first paint decodes the images
    for (auto _ : state) {
        Paint(page, image);
        benchmark::DoNotOptimize(image.constBits());
    }
    std::remove(file.c_str());
}
BENCHMARK(BM_RepaintLoadedPage)->Unit(benchmark::kMillisecond);

void BM_ShowPageFromItsFile(benchmark::State& state) {
    const std::string file = WritePage();
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        EmfPlayer page;
        page.Load(QString::fromStdString(file));
        Paint(page, image);
        benchmark::DoNotOptimize(image.constBits());
    }
    std::remove(file.c_str());
}
BENCHMARK(BM_ShowPageFromItsFile)->Unit(benchmark::kMillisecond);

// The widget itself, grabbed: PreviewPageView with its scroll bars at 900 x 1270 of client area.
void BM_PageViewGrab(benchmark::State& state) {
    const std::string file = WritePage();
    PreviewPageView view;
    view.resize(kWidth + view.VerticalBar()->width(), kHeight + view.HorizontalBar()->height());
    view.SetView(FullView());
    view.SetPageFile(QString::fromStdString(file));
    view.grab();
    for (auto _ : state) {
        QPixmap pixmap = view.grab();
        benchmark::DoNotOptimize(pixmap.cacheKey());
    }
    std::remove(file.c_str());
}
BENCHMARK(BM_PageViewGrab)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vm::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Painting one full page from its page file into a 900 x 1270 pixel image, as the preview does.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "bench/emf/bench_emf_page.h"
#include "core/platform_paths.h"
#include "pagefile/emf_player.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_files.h"

namespace vm::bench {
namespace {

std::string WritePage() {
    static const NamedImageSource images = ReportImages();
    EmfPageCanvas canvas(ReferenceDevice::A4(), &images);
    const std::string file = tempFolder() + "bench_emf_paint_0001.Emf";
    canvas.StartPreviewPage(file);
    DrawFullPage(canvas);
    canvas.EndPreviewPage();
    return file;
}

void Paint(const EmfPlayer& player, QImage& image) {
    image.fill(Qt::white);
    QPainter painter(&image);
    player.Paint(painter, QRectF(image.rect()));
}

// The preview keeps the page loaded: repaints only paint.
void BM_PaintLoadedPage(benchmark::State& state) {
    const std::string file = WritePage();
    EmfPlayer player;
    if (!player.Load(QString::fromStdString(file))) {
        state.SkipWithError("page file not readable");
        return;
    }
    QImage image(900, 1270, QImage::Format_ARGB32_Premultiplied);
    Paint(player, image);  // first paint decodes the images
    for (auto _ : state) {
        Paint(player, image);
        benchmark::DoNotOptimize(image.constBits());
    }
    std::remove(file.c_str());
}
BENCHMARK(BM_PaintLoadedPage)->Unit(benchmark::kMillisecond);

// Reading the file, decoding its images and painting: a page shown for the first time.
void BM_LoadAndPaintPage(benchmark::State& state) {
    const std::string file = WritePage();
    QImage image(900, 1270, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        EmfPlayer player;
        player.Load(QString::fromStdString(file));
        Paint(player, image);
        benchmark::DoNotOptimize(image.constBits());
    }
    std::remove(file.c_str());
}
BENCHMARK(BM_LoadAndPaintPage)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vm::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Painting one full page from its page file into a 900 x 1270 pixel image, as the preview does.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "bench/emf/bench_emf_page.h"
#include "core/calculo.h"
#include "core/dados_projeto.h"
#include "core/platform_paths.h"
#include "pagefile/emf_player.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_files.h"
#include "report/report_images.h"
#include "report/report_pages.h"

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

// The plan page of a hall of 2,280 seats (40 rows of 57, 40 x 50 m): its first page, with the
// section and the plan of the minimum images.
void BM_PaintHallPlanPage(benchmark::State& state) {
    DadosProjeto p = ProjetoInicial();
    p.nNumeroFilas = 40;
    p.nLargura = 40;
    p.nComprimento = 50;
    Calculo(p);
    NamedImageSource images;
    RegisterReportImages(images);
    EmfPageCanvas canvas(ReferenceDevice::A4(), &images);
    const ReportPages pages = BuildReportPages(
        p, canvas, [](int n) { return tempFolder() + "bench_hall_" + std::to_string(n) + ".Emf"; },
        "(c)");
    EmfPlayer player;
    if (pages.pageFiles.empty() || !player.Load(QString::fromStdString(pages.pageFiles[0]))) {
        state.SkipWithError("page file not readable");
        return;
    }
    QImage image(900, 1270, QImage::Format_ARGB32_Premultiplied);
    Paint(player, image);  // first paint decodes the images
    for (auto _ : state) {
        Paint(player, image);
        benchmark::DoNotOptimize(image.constBits());
    }
    for (const std::string& file : pages.pageFiles) {
        std::remove(file.c_str());
    }
}
BENCHMARK(BM_PaintHallPlanPage)->Unit(benchmark::kMillisecond);

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

// Building the report of a project: the default project onto the recording canvas, onto EMF pages
// in memory and onto EMF page files in a temporary folder; a hall of 2,280 seats onto page files;
// and the largest rooms the main window accepts, whose plans hold the most seats.
//
// Usage: bench_report [Google Benchmark options]

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/calculo.h"
#include "core/dados_projeto.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_images.h"
#include "pagefile/recording_canvas.h"
#include "report/report_images.h"
#include "report/report_pages.h"

namespace {

vm::DadosProjeto DefaultProject() {
    vm::DadosProjeto p = vm::ProjetoInicial();
    vm::Calculo(p);
    return p;
}

// The most seats the main window's fields allow: 999 rows 0.01 m apart of 0.01 m seats in a room
// 999.99 m wide and 10 m long.
vm::DadosProjeto CrowdedProject() {
    vm::DadosProjeto p = vm::ProjetoInicial();
    p.nLargura = 999.99;
    p.nNumeroFilas = 999;
    p.nDistEntreFilas = 0.01;
    p.nLarguraAssento = 0.01;
    p.nAlturaFila2 = 0.01;
    vm::Calculo(p);
    return p;
}

// A hall of 2,280 seats: 40 rows of 57 in a room 40 m wide and 50 m long.
vm::DadosProjeto HallProject() {
    vm::DadosProjeto p = vm::ProjetoInicial();
    p.nNumeroFilas = 40;
    p.nLargura = 40;
    p.nComprimento = 50;
    vm::Calculo(p);
    return p;
}

std::string NoFile(int) {
    return {};
}

// Builds the project's pages onto a recording canvas, counting the primitives drawn.
void BuildOnRecordingCanvas(benchmark::State& state, const vm::DadosProjeto& p) {
    size_t primitives = 0;
    for (auto _ : state) {
        vm::RecordingCanvas canvas;
        benchmark::DoNotOptimize(vm::BuildReportPages(p, canvas, NoFile, "(c)"));
        primitives = 0;
        for (const auto& page : canvas.Pages()) {
            primitives += page.primitives.size();
        }
    }
    state.counters["primitives"] = static_cast<double>(primitives);
}

void BM_DefaultProjectOnRecordingCanvas(benchmark::State& state) {
    BuildOnRecordingCanvas(state, DefaultProject());
}
BENCHMARK(BM_DefaultProjectOnRecordingCanvas)->Unit(benchmark::kMicrosecond);

void BM_CrowdedProjectOnRecordingCanvas(benchmark::State& state) {
    BuildOnRecordingCanvas(state, CrowdedProject());
}
BENCHMARK(BM_CrowdedProjectOnRecordingCanvas)->Unit(benchmark::kMillisecond);

// EMF pages kept in memory (no file names): the writer's own cost, images and text measuring
// included.
void BM_DefaultProjectOnEmfPages(benchmark::State& state) {
    const vm::DadosProjeto p = DefaultProject();
    vm::NamedImageSource images;
    vm::RegisterReportImages(images);
    vm::EmfPageCanvas canvas(vm::ReferenceDevice::A4(), &images);
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        benchmark::DoNotOptimize(vm::BuildReportPages(
            p, canvas,
            [&](int n) {
                if (n > 1) {  // the page before has just been completed
                    bytes += canvas.LastPageBytes().size();
                }
                return std::string();
            },
            "(c)"));
        bytes += canvas.LastPageBytes().size();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_DefaultProjectOnEmfPages)->Unit(benchmark::kMillisecond);

// EMF page files in a temporary folder, as the print job writes them.
void WritePageFiles(benchmark::State& state, const vm::DadosProjeto& p) {
    vm::NamedImageSource images;
    vm::RegisterReportImages(images);
    vm::EmfPageCanvas canvas(vm::ReferenceDevice::A4(), &images);
    std::string folder = (std::filesystem::temp_directory_path() / "bench_report_XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        state.SkipWithError("cannot create a temporary folder");
        return;
    }
    std::vector<std::string> files;
    for (auto _ : state) {
        const vm::ReportPages pages = vm::BuildReportPages(
            p, canvas,
            [&](int n) {
                return folder + "/00000530_kpv_print_preview_" + std::to_string(n) + ".Emf";
            },
            "(c)");
        if (!pages.complete) {
            state.SkipWithError("a page file could not be written");
            break;
        }
        files = pages.pageFiles;
    }
    // The page files of one report together, as the preview saves them.
    std::uintmax_t bytes = 0;
    for (const std::string& file : files) {
        std::error_code ignored;
        bytes += std::filesystem::file_size(file, ignored);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    std::filesystem::remove_all(folder);
}

void BM_DefaultProjectOnEmfPageFiles(benchmark::State& state) {
    WritePageFiles(state, DefaultProject());
}
BENCHMARK(BM_DefaultProjectOnEmfPageFiles)->Unit(benchmark::kMillisecond);

void BM_HallOnEmfPageFiles(benchmark::State& state) {
    WritePageFiles(state, HallProject());
}
BENCHMARK(BM_HallOnEmfPageFiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

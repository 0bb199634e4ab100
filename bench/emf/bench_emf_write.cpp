// Writing one full page into its page file.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/emf/bench_emf_page.h"
#include "core/platform_paths.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_files.h"

namespace vm::bench {
namespace {

void BM_WriteFullPageFile(benchmark::State& state) {
    const NamedImageSource images = ReportImages();
    EmfPageCanvas canvas(ReferenceDevice::A4(), &images);
    const std::string file = tempFolder() + "bench_emf_write_0001.Emf";
    for (auto _ : state) {
        canvas.StartPreviewPage(file);
        DrawFullPage(canvas);
        if (!canvas.EndPreviewPage()) {
            state.SkipWithError(canvas.LastError().c_str());
            break;
        }
    }
    state.counters["bytes"] = static_cast<double>(canvas.LastPageBytes().size());
    std::remove(file.c_str());
}
BENCHMARK(BM_WriteFullPageFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vm::bench

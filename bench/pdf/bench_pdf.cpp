// Writing the default project's report as a PDF, the way vistametra-report -o does: pages built
// into page files, then painted into one A4 PDF with its fonts embedded.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <string>

#include "core/calculo.h"
#include "cli/report_output.h"

namespace {

void BM_DefaultReportAsPdf(benchmark::State& state) {
    vm::DadosProjeto p = vm::ProjetoInicial();
    vm::Calculo(p);
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/rel.pdf";
    for (auto _ : state) {
        std::string error;
        if (!vm::writeReportFile(p, file, {}, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
}
BENCHMARK(BM_DefaultReportAsPdf)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

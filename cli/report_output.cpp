#include "cli/report_output.h"

#include <vector>

#include "cli/output_target.h"
#include "core/program_values.h"
#include "core/win1252.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_images.h"
#include "pagefile/page_set.h"
#include "pagefile/page_set_canvas.h"
#include "report/analysis_pages.h"
#include "report/dxf_file.h"
#include "report/projection_page.h"
#include "report/report_images.h"
#include "report/report_pages.h"

namespace vm {

bool writeReportFile(const DadosProjeto& p, const std::string& file,
                     const ReportFileOptions& options, std::string& error) {
    PageSet set;
    set.title = win1252ToUtf8(NomePdf(p.cProjeto));
    const std::vector<SaveFormat> extra{DxfSaveFormat(p, options.targetCmm, options.projection,
                                                      options.riserBlock, options.accessibility,
                                                      options.staggered)};
    const bool toStream = IsStandardOutput(file);
    const std::string format = toStream ? options.streamFormat : SuffixOf(file);
    if (format != "dxf") {
        NamedImageSource images;
        RegisterReportImages(images);
        RegisterAnalysisImages(images);
        EmfPageCanvas emf(ReferenceDevice::A4(), &images);
        PageSetCanvas canvas(emf, set);
        std::vector<ReportPages> parts{BuildReportPages(p, canvas, {})};
        if (options.analysis) {
            const SightlineAnalysis a =
                AnalyseSightlines(p, options.targetCmm, options.staggered, options.elementPercent,
                                  options.riserBlock, options.accessibility);
            parts.push_back(BuildAnalysisPages(p, a, canvas, {}, parts.back().nPagina + 1,
                                               programValues().cAutoria));
            // The projector or LED wall after the analysis, when the planner gave its inputs.
            if (options.projection) {
                parts.push_back(BuildProjectionPage(p, ComputeProjection(p, a, *options.projection),
                                                    canvas, {}, parts.back().nPagina + 1,
                                                    programValues().cAutoria));
            }
        }
        for (const ReportPages& pages : parts) {
            if (!pages.complete) {
                error = "cannot write " + (toStream ? std::string("to standard output") : file) +
                        ": the report's pages could not be made: " + emf.LastError();
                return false;
            }
        }
    }
    if (toStream) {
        std::string bytes;
        std::string why;
        if (!PagesAsOneFile(set, format, &bytes, &why, extra)) {
            error = "cannot write to standard output: " + why;
            return false;
        }
        return WriteOutput(file, bytes, &error);
    }
    return !SavePages(set, file, &error, extra).empty();
}

}  // namespace vm

#include "app/report_output.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "core/program_values.h"
#include "core/win1252.h"
#include "report/analysis_pages.h"
#include "report/emf_writer.h"
#include "report/page_export.h"
#include "report/page_images.h"
#include "report/report_images.h"
#include "report/report_pages.h"

namespace vm {

bool writeReportFile(const DadosProjeto& p, const std::string& file,
                     const ReportFileOptions& options, std::string& error) {
    const QString target = QString::fromStdString(file);
    const QString suffix = QFileInfo(target).suffix().toLower();
    if (suffix != "pdf" && suffix != "svg" && suffix != "png" && suffix != "emf") {
        error = "the report is written as .pdf, .svg, .png or .emf, not \"" + file + "\"";
        return false;
    }
    QTemporaryDir work(QDir::tempPath() + "/vistametra-report-XXXXXX");
    if (!work.isValid()) {
        error = "cannot create a temporary folder: " + work.errorString().toStdString();
        return false;
    }
    NamedImageSource images;
    RegisterReportImages(images);
    RegisterAnalysisImages(images);
    EmfPageCanvas canvas(ReferenceDevice::A4(), &images);
    const std::string folder = work.path().toStdString() + "/";
    int fileNumber = 0;
    const auto namer = [&](int) {
        char name[32];
        std::snprintf(name, sizeof name, "page_%04d.emf", ++fileNumber);
        return folder + name;
    };
    std::vector<ReportPages> parts{BuildReportPages(p, canvas, namer)};
    if (options.analysis) {
        parts.push_back(BuildAnalysisPages(p, AnalyseSightlines(p, options.targetCmm), canvas,
                                           namer, parts.front().nPagina + 1,
                                           programValues().cAutoria));
    }
    QStringList pageFiles;
    for (const ReportPages& pages : parts) {
        if (!pages.complete) {
            error = "cannot write the report's pages: " + canvas.LastError();
            return false;
        }
        for (const std::string& page : pages.pageFiles) {
            pageFiles << QString::fromStdString(page);
        }
    }
    QString exportError;
    const QString title = QString::fromStdString(win1252ToUtf8(NomePdf(p.cProjeto)));
    const QStringList written = ExportPages(pageFiles, target, title, &exportError);
    if (!exportError.isEmpty() || written.isEmpty()) {
        error =
            "cannot write " + file + ": " +
            (exportError.isEmpty() ? std::string("nothing written") : exportError.toStdString());
        return false;
    }
    return true;
}

}  // namespace vm

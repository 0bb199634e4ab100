#include "cli/report_output.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/program_values.h"
#include "core/win1252.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_export.h"
#include "pagefile/page_images.h"
#include "report/analysis_pages.h"
#include "report/report_images.h"
#include "report/report_pages.h"
#include "ui/qt_text.h"

namespace vm {

namespace {

// Moves a file written in the work folder to its name, which may lie on another file system.
bool moveInto(const std::string& from, const std::string& to, std::string& error) {
    std::error_code failed;
    std::filesystem::rename(from, to, failed);
    if (failed) {
        failed.clear();
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing,
                                   failed);
    }
    if (failed) {
        error = "cannot write " + to + ": " + failed.message();
        return false;
    }
    return true;
}

}  // namespace

bool writeReportFile(const DadosProjeto& p, const std::string& file,
                     const ReportFileOptions& options, std::string& error) {
    const QString named = toQtPath(file);
    const QString suffix = QFileInfo(named).suffix().toLower();
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
    const std::string folder = fromQtPath(work.path()) + "/";
    int fileNumber = 0;
    const auto namer = [&](int) {
        char name[32];
        std::snprintf(name, sizeof name, "page_%04d.emf", ++fileNumber);
        return folder + name;
    };
    std::vector<ReportPages> parts{BuildReportPages(p, canvas, namer)};
    if (options.analysis) {
        parts.push_back(
            BuildAnalysisPages(p, AnalyseSightlines(p, options.targetCmm, options.staggered),
                               canvas, namer, parts.front().nPagina + 1, programValues().cAutoria));
    }
    QStringList pageFiles;
    for (const ReportPages& pages : parts) {
        if (!pages.complete) {
            error = "cannot write the report's pages: " + canvas.LastError();
            return false;
        }
        for (const std::string& page : pages.pageFiles) {
            pageFiles << toQtPath(page);
        }
    }
    // Qt names files in UTF-8 only: a name that is not UTF-8 is written in the work folder first
    // and then moved to its name byte for byte.
    const bool direct = fromQtPath(named) == file;
    const std::string stem = file.substr(0, file.size() - suffix.size() - 1);
    const QString target = direct ? named : toQtPath(folder + "report." + suffix.toStdString());
    QString exportError;
    const QString title = QString::fromStdString(win1252ToUtf8(NomePdf(p.cProjeto)));
    const QStringList written = ExportPages(pageFiles, target, title, &exportError);
    if (!exportError.isEmpty() || written.isEmpty()) {
        error =
            "cannot write " + file + ": " +
            (exportError.isEmpty() ? std::string("nothing written") : exportError.toStdString());
        return false;
    }
    if (!direct) {
        const std::string writtenStem = folder + "report";
        for (const QString& one : written) {
            const std::string from = fromQtPath(one);
            if (!moveInto(from, stem + from.substr(writtenStem.size()), error)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace vm

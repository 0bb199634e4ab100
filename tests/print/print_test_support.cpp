#include "print_test_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "pagefile/emf_writer.h"
#include "pagefile/page_files.h"
#include "ui/form_layer.h"

namespace {

// Runs a tool and returns its standard output; nullopt when it cannot run or fails.
std::optional<QString> Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return std::nullopt;
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

namespace vm::testing {

std::optional<std::string> CupsQueueOutputFolder(std::string* reason) {
    if (!QPrinterInfo::availablePrinterNames().contains(QString::fromLatin1(kCupsQueue))) {
        *reason = std::string("the print queue ") + kCupsQueue +
                  " is not there (cupsd not running, or tools/test-services.sh has not set it up)";
        return std::nullopt;
    }
    std::ifstream conf("/etc/cups/cups-pdf-vistametra.conf");
    std::string line;
    while (std::getline(conf, line)) {
        if (line.rfind("Out ", 0) == 0) {
            std::string folder = line.substr(4);
            if (!folder.empty() && folder.back() != '/') {
                folder += '/';
            }
            return folder;
        }
    }
    *reason =
        "the queue's cups-pdf configuration /etc/cups/cups-pdf-vistametra.conf names no "
        "output folder";
    return std::nullopt;
}

std::string TestPageText(int n) {
    return "TESTPAGE" + std::to_string(n);
}

std::vector<std::string> WriteTestPages(const std::string& folder, const std::string& previewId,
                                        int count, const ReferenceDevice& device) {
    std::vector<std::string> files;
    EmfPageCanvas canvas(device);
    for (int n = 1; n <= count; ++n) {
        const std::string file = PageFileName(folder, previewId, n);
        EXPECT_TRUE(canvas.StartPreviewPage(file)) << canvas.LastError();
        canvas.PrintLine(TestMarkRow(n), 150, TestMarkRow(n), 190, 3.0);
        canvas.PrintText(kTestTextRow, kTestTextCol, TestPageText(n),
                         {.fontName = "Arial", .size = 24});
        EXPECT_TRUE(canvas.EndPreviewPage()) << canvas.LastError();
        files.push_back(file);
    }
    return files;
}

std::optional<PdfInfo> ReadPdfInfo(const std::string& pdf) {
    const std::optional<QString> out =
        Run(QStringLiteral("pdfinfo"), {QString::fromStdString(pdf)});
    if (!out) {
        return std::nullopt;
    }
    PdfInfo info;
    for (const QString& line : out->split(QLatin1Char('\n'))) {
        const QString value = line.section(QLatin1Char(':'), 1).trimmed();
        if (line.startsWith(QLatin1String("Pages:"))) {
            info.pages = value.toInt();
        } else if (line.startsWith(QLatin1String("Title:"))) {
            info.title = value.toStdString();
        } else if (line.startsWith(QLatin1String("Page size:"))) {
            static const QRegularExpression size(QStringLiteral("([0-9.]+) x ([0-9.]+) pts"));
            const QRegularExpressionMatch m = size.match(value);
            if (m.hasMatch()) {
                info.widthPt = m.captured(1).toDouble();
                info.heightPt = m.captured(2).toDouble();
            }
        }
    }
    return info;
}

std::vector<std::string> PdfPageTexts(const std::string& pdf) {
    const std::optional<QString> out =
        Run(QStringLiteral("pdftotext"), {QString::fromStdString(pdf), QStringLiteral("-")});
    std::vector<std::string> pages;
    if (!out) {
        return pages;
    }
    QStringList parts = out->split(QLatin1Char('\f'));
    if (!parts.isEmpty() && parts.back().trimmed().isEmpty()) {
        parts.removeLast();  // pdftotext ends the last page with a form feed too
    }
    for (const QString& part : parts) {
        pages.push_back(part.simplified().toStdString());
    }
    return pages;
}

std::vector<std::pair<double, double>> FindWords(const std::string& pdf, int page,
                                                 const std::string& word) {
    const QString p = QString::number(page);
    const std::optional<QString> out =
        Run(QStringLiteral("pdftotext"),
            {QStringLiteral("-bbox"), QStringLiteral("-f"), p, QStringLiteral("-l"), p,
             QString::fromStdString(pdf), QStringLiteral("-")});
    std::vector<std::pair<double, double>> corners;
    if (!out) {
        return corners;
    }
    static const QRegularExpression wordLine(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
    auto it = wordLine.globalMatch(*out);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(3).toStdString() == word) {
            corners.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
        }
    }
    return corners;
}

std::optional<std::pair<double, double>> FindWord(const std::string& pdf, int page,
                                                  const std::string& word) {
    const std::vector<std::pair<double, double>> corners = FindWords(pdf, page, word);
    if (corners.empty()) {
        return std::nullopt;
    }
    return corners.front();
}

QImage RenderPdfPage(const std::string& pdf, int page, int dotsPerInch) {
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/page");
    const QString p = QString::number(page);
    if (!Run(QStringLiteral("pdftoppm"),
             {QStringLiteral("-r"), QString::number(dotsPerInch), QStringLiteral("-gray"),
              QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-f"), p,
              QStringLiteral("-l"), p, QString::fromStdString(pdf), base})) {
        return QImage();
    }
    // A sheet at print resolutions passes Qt's default limit on the memory of one image.
    QImageReader reader(base + QStringLiteral(".png"));
    reader.setAllocationLimit(0);
    return reader.read();
}

std::optional<double> MarkRowMm(const std::string& pdf, int page) {
    constexpr int kDpi = 72;
    const QImage image = RenderPdfPage(pdf, page, kDpi);
    if (image.isNull()) {
        return std::nullopt;
    }
    const int x = static_cast<int>(kTestMarkCol / 25.4 * kDpi);
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (qGray(image.pixel(x, y)) < 128) {
            if (first < 0) {
                first = y;
            }
            last = y;
        }
    }
    if (first < 0) {
        return std::nullopt;
    }
    return (first + last + 1) / 2.0 / kDpi * 25.4;
}

std::string WaitForFile(const std::string& folder, const std::string& part) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            if (entry.path().filename().string().find(part) != std::string::npos) {
                const std::optional<PdfInfo> info = ReadPdfInfo(entry.path().string());
                if (info && info->pages > 0) {
                    return entry.path().string();
                }
            }
        }
        QTest::qWait(200);
    }
    return {};
}

}  // namespace vm::testing

void PrintTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    if (const char* tmp = std::getenv("TMPDIR")) {
        m_previousTmp = tmp;
    }
    setenv("TMPDIR", m_dir.path().toLocal8Bit().constData(), 1);
    m_install.emplace(m_dialogs);
}

void PrintTest::TearDown() {
    m_install.reset();
    if (m_previousTmp) {
        setenv("TMPDIR", m_previousTmp->c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
}

std::string PrintTest::folder() const {
    return m_dir.path().toStdString() + "/";
}

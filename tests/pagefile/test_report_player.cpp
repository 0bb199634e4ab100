// The page-file player: pages written by the EMF writer painted onto QImage and checked pixel by
// pixel, damaged files, and the PDF / SVG / PNG export checked with poppler's tools.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/whole_file.h"
#include "pagefile/emf_player.h"
#include "pagefile/emf_record_writer.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_export.h"
#include "pagefile/page_files.h"
#include "pagefile/page_set.h"

namespace vm {
namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "test_report_player";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QGuiApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const kQt =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// 100 dots per inch on A4 printed to its edges: a page painted onto an 827 x 1169 image maps one
// device pixel onto one image pixel.
ReferenceDevice Device100() {
    return ReferenceDevice::ForSheet(100, 100, 210, 297);
}

QImage Render(const EmfPlayer& player, const ReferenceDevice& d) {
    QImage image(d.horzRes, d.vertRes, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    player.Paint(painter, QRectF(image.rect()));
    painter.end();
    return image;
}

bool IsDark(QRgb c) {
    return qGray(c) < 128;
}

int DarkPixels(const QImage& image, const QRect& area) {
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            n += IsDark(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return n;
}

bool Near(QRgb c, QColor expected, int tolerance = 40) {
    return std::abs(qRed(c) - expected.red()) <= tolerance &&
           std::abs(qGreen(c) - expected.green()) <= tolerance &&
           std::abs(qBlue(c) - expected.blue()) <= tolerance;
}

std::vector<uint8_t> JpegOf(const QImage& image, int quality = 90) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

TEST(Fonts, ArialIsLiberationSansForQt) {
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Arial"))).family(),
              QStringLiteral("Liberation Sans"));
}

TEST(EmfPlayer, PaintsTextShapesAndImagesWhereTheMillimetresPutThem) {
    const ReferenceDevice d = Device100();
    NamedImageSource images;
    EncodedImage halves;  // 8 x 4: left half red, right half green
    halves.format = EncodedImage::Format::Bgr24;
    halves.width = 8;
    halves.height = 4;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool left = x < 4;
            halves.data.insert(halves.data.end(),
                               {uint8_t(0), uint8_t(left ? 0 : 255), uint8_t(left ? 255 : 0)});
        }
    }
    images.Add("halves", halves);
    QImage blue(16, 16, QImage::Format_RGB32);
    blue.fill(QColor(0, 0, 255));
    ASSERT_TRUE(images.Add("blue", JpegOf(blue)));

    EmfPageCanvas canvas(d, &images);
    ASSERT_TRUE(canvas.StartPreviewPage(""));
    canvas.PrintText(20, 20, "HHHH", {.fontName = "Arial", .size = 20});
    canvas.PrintText(50, 20, "hidden", {.fontName = "Arial", .size = 20});
    canvas.PrintRectangle(45, 15, 60, 100, 0.5, {255, 0, 0});  // hides the text before it
    canvas.PrintLine(80, 20, 80, 60, 2.0, {0, 0, 255});
    canvas.PrintImage("halves", 130, 20, 20, 40);
    canvas.PrintImage("blue", 130, 80, 10, 10);
    canvas.PrintText(180, 100, "MMM", {.fontName = "Arial", .size = 20, .alignment = "right"});
    ASSERT_TRUE(canvas.EndPreviewPage());

    EmfPlayer player;
    ASSERT_TRUE(player.LoadData(canvas.LastPageBytes())) << player.ErrorString().toStdString();
    EXPECT_NEAR(player.FrameSizeMm().width(), 210, 0.01);
    const QImage image = Render(player, d);

    // Text: top-left at 20 mm -> 787 thou -> 78 pixels; 20 pt is 28 pixels of em.
    EXPECT_GT(DarkPixels(image, QRect(78, 78, 80, 28)), 100);
    EXPECT_EQ(DarkPixels(image, QRect(0, 60, 76, 60)), 0);    // nothing left of its start
    EXPECT_EQ(DarkPixels(image, QRect(70, 60, 100, 16)), 0);  // nothing above its top
    // Right-aligned text ends at 100 mm -> 393 pixels.
    EXPECT_GT(DarkPixels(image, QRect(340, 708, 52, 28)), 50);
    EXPECT_EQ(DarkPixels(image, QRect(396, 700, 60, 40)), 0);

    // The rectangle from 15 to 100 mm across (59 to 393), 45 to 60 mm down (177 to 236): red
    // outline, white inside although a text was drawn there first.
    EXPECT_TRUE(Near(image.pixel(200, 177), QColor(255, 0, 0), 90));
    EXPECT_TRUE(Near(image.pixel(59, 200), QColor(255, 0, 0), 90));
    EXPECT_EQ(DarkPixels(image, QRect(62, 180, 328, 53)), 0);

    // The line: 2 mm -> 78 thou -> 7 pixels wide, from 78 to 236; flat ends, so nothing is
    // painted at or after its end point.
    const int lineY = 314;  // 80 mm -> 3149 thou
    EXPECT_TRUE(Near(image.pixel(150, lineY), QColor(0, 0, 255)));
    EXPECT_TRUE(Near(image.pixel(150, lineY + 2), QColor(0, 0, 255)));
    EXPECT_TRUE(Near(image.pixel(79, lineY), QColor(0, 0, 255)));
    EXPECT_TRUE(Near(image.pixel(234, lineY), QColor(0, 0, 255)));
    EXPECT_EQ(image.pixel(237, lineY), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(150, lineY + 6), qRgb(255, 255, 255));

    // The image stretched onto 40 x 20 mm at (130, 20): x 78 to 235, y 511 to 589.
    EXPECT_TRUE(Near(image.pixel(100, 550), QColor(255, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(210, 550), QColor(0, 255, 0)));
    EXPECT_EQ(image.pixel(240, 550), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(100, 595), qRgb(255, 255, 255));
    // The JPEG image at (130, 80), 10 x 10 mm: x 314 to 353.
    EXPECT_TRUE(Near(image.pixel(333, 530), QColor(0, 0, 255)));
}

TEST(EmfPlayer, PaintsBilevelPicturesBlackOnWhite) {
    // 10 x 4 pixels: the left half black, the right half white; stretched over 40 x 20 mm at
    // 100 dots per inch (157 x 78 pixels from column 20 mm, row 130 mm: 78, 511).
    std::vector<uint8_t> pbm = {'P', '4', ' ', '1', '0', ' ', '4', '\n'};
    for (int row = 0; row < 4; ++row) {
        pbm.insert(pbm.end(), {0xF8, 0x00});
    }
    NamedImageSource images;
    ASSERT_TRUE(images.Add("halves", pbm));
    const ReferenceDevice d = Device100();
    EmfPageCanvas canvas(d, &images);
    ASSERT_TRUE(canvas.StartPreviewPage(""));
    canvas.PrintImage("halves", 130, 20, 20, 40);
    ASSERT_TRUE(canvas.EndPreviewPage());
    EmfPlayer player;
    ASSERT_TRUE(player.LoadData(canvas.LastPageBytes())) << player.ErrorString().toStdString();
    const QImage image = Render(player, d);
    const QRect left(78 + 4, 511 + 4, 78 / 2 - 8, 78 - 8);
    const QRect right(78 + 78 + 4, 511 + 4, 78 / 2 - 8, 78 - 8);
    EXPECT_EQ(DarkPixels(image, left), left.width() * left.height());
    EXPECT_EQ(DarkPixels(image, right), 0);
}

TEST(EmfPlayer, TextBoxesStayInsideTheirRectangle) {
    const ReferenceDevice d = Device100();
    EmfPageCanvas canvas(d);
    ASSERT_TRUE(canvas.StartPreviewPage(""));
    std::string longText;
    for (int i = 0; i < 40; ++i) {
        longText += "WWWW MMMM ";
    }
    longText += "ENDWORD";
    canvas.PrintTextBox(100, 20, 110, 60, longText, {.fontName = "Arial", .size = 12});
    canvas.PrintTextBox(120, 20, 130, 60, "WWWWWWWWWWWWWWWWWWWWWWWWWWW",
                        {.fontName = "Arial", .size = 12});
    ASSERT_TRUE(canvas.EndPreviewPage());
    EmfPlayer player;
    ASSERT_TRUE(player.LoadData(canvas.LastPageBytes()));
    const QImage image = Render(player, d);
    // Box 1: x 78 to 236 (60 mm -> 2362 thou), y 393 to 433.
    EXPECT_GT(DarkPixels(image, QRect(78, 393, 158, 40)), 200);
    EXPECT_EQ(DarkPixels(image, QRect(237, 380, 200, 120)), 0);  // right of both boxes
    EXPECT_EQ(DarkPixels(image, QRect(60, 434, 200, 38)), 0);    // between the boxes
    EXPECT_EQ(DarkPixels(image, QRect(60, 512, 200, 60)), 0);    // below the second box
}

TEST(EmfPlayer, PaintsTheWholePageIntoAnyTargetRectangle) {
    EmfPageCanvas canvas(ReferenceDevice::A4());
    ASSERT_TRUE(canvas.StartPreviewPage(""));
    canvas.PrintRectangle(0, 0, 297, 210, 2.0, {0, 0, 0});
    canvas.PrintRectangle(100, 50, 200, 150, 1.0, {0, 0, 0});
    ASSERT_TRUE(canvas.EndPreviewPage());
    EmfPlayer player;
    ASSERT_TRUE(player.LoadData(canvas.LastPageBytes()));
    QImage image(300, 500, QImage::Format_RGB32);
    image.fill(QColor(128, 128, 128));
    QPainter painter(&image);
    const QRectF target(50, 40, 210, 297);  // one pixel a millimetre
    painter.fillRect(target, Qt::white);
    player.Paint(painter, target);
    painter.end();
    // The outer frame runs along the target's edges, the inner rectangle at its millimetres (a
    // line about one pixel wide, which may fall between two pixels).
    auto inked = [&](int x, int y) {
        return std::min(qGray(image.pixel(x, y)), qGray(image.pixel(x + 1, y + 1))) < 170;
    };
    EXPECT_TRUE(inked(150, 40));
    EXPECT_TRUE(inked(50, 200));
    EXPECT_TRUE(inked(99, 200));   // 50 mm across
    EXPECT_TRUE(inked(150, 139));  // 100 mm down
    EXPECT_FALSE(inked(150, 180));
    EXPECT_FALSE(inked(97, 200));
    // Nothing outside the target.
    EXPECT_EQ(image.pixel(20, 200), qRgb(128, 128, 128));
    EXPECT_EQ(image.pixel(150, 400), qRgb(128, 128, 128));
}

TEST(EmfPlayer, DamagedFilesPaintNothingAndNeverCrash) {
    NamedImageSource images;
    QImage picture(32, 24, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(images.Add("p", JpegOf(picture)));
    EmfPageCanvas canvas(Device100(), &images);
    ASSERT_TRUE(canvas.StartPreviewPage(""));
    canvas.PrintText(20, 20, "Text", {.fontName = "Arial", .size = 12});
    canvas.PrintTextBox(30, 20, 40, 60, "a box of words", {.fontName = "Arial", .size = 12});
    canvas.PrintRectangle(50, 20, 60, 60, 0.5);
    canvas.PrintImage("p", 70, 20, 20, 20);
    ASSERT_TRUE(canvas.EndPreviewPage());
    const std::vector<uint8_t> page = canvas.LastPageBytes();

    QImage blank(Device100().horzRes, Device100().vertRes, QImage::Format_RGB32);
    blank.fill(Qt::white);
    for (size_t n = 0; n < page.size(); n += 13) {
        EmfPlayer player;
        EXPECT_FALSE(player.LoadData(std::vector<uint8_t>(page.begin(), page.begin() + n)));
        EXPECT_EQ(Render(player, Device100()), blank) << "truncated to " << n;
    }

    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = page;
        for (int flips = 0; flips < 4; ++flips) {
            bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        }
        EmfPlayer player;
        player.LoadData(std::move(bytes));
        Render(player, Device100());  // must simply return
    }

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EmfPlayer missing;
    EXPECT_FALSE(missing.Load(dir.filePath(QStringLiteral("none.Emf"))));
    QImage image = blank;
    QPainter painter(&image);
    EXPECT_FALSE(PlayPageFile(painter, dir.filePath(QStringLiteral("none.Emf")), image.rect()));
    painter.end();
    EXPECT_EQ(image, blank);
}

// Two pages as the report writes them: images in every row, texts and lines.
QStringList WriteReportLikePages(const QString& folder, const ImageSource& images) {
    EmfPageCanvas canvas(ReferenceDevice::A4(), &images);
    QStringList files;
    for (int page = 1; page <= 2; ++page) {
        const std::string name = PageFileName(folder.toStdString() + "/", "00000530", page);
        EXPECT_TRUE(canvas.StartPreviewPage(name));
        canvas.PrintText(12, 20, "Relat\xf3rio de C\xe1lculo P\xe1gina " + std::to_string(page),
                         {.fontName = "Arial", .size = 14, .bold = true});
        for (int line = 0; line < 40; ++line) {
            canvas.PrintText(25 + line * 1.5, 20,
                             "Linha " + std::to_string(line) + " de texto com n\xfameros 12.34 m",
                             {.fontName = "Arial", .size = 6});
            canvas.PrintLine(25 + line * 1.5, 120, 60 + line, 190, 0.1, {0, 0, 255});
        }
        canvas.PrintTextBox(90, 25, 100, 190,
                            "Nesta configura\xe7\xe3o, para uma perfeita visualiza\xe7\xe3o dos "
                            "textos, as apresenta\xe7\xf5"
                            "es devem usar fontes & s\xed"
                            "mbolos.",
                            {.fontName = "Arial", .size = 9});
        for (int row = 0; row < 7; ++row) {
            canvas.PrintImage("assento", 110, 30 + row * 20, 12, 8);
            for (int seat = 0; seat < 6; ++seat) {
                canvas.PrintImage("fila", 140 + seat * 8, 30 + row * 20, 7, 8);
            }
        }
        EXPECT_TRUE(canvas.EndPreviewPage());
        files << QString::fromStdString(name);
    }
    return files;
}

// Line drawings like the report's two embedded images.
NamedImageSource ReportImages() {
    NamedImageSource images;
    for (const auto& [name, size] :
         {std::pair{"assento", QSize(170, 230)}, std::pair{"fila", QSize(170, 136)}}) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 3));
        painter.drawRoundedRect(QRectF(20, 20, size.width() - 40, size.height() - 40), 20, 20);
        painter.drawEllipse(QPointF(size.width() / 2.0, size.height() / 3.0), 20, 20);
        painter.end();
        EXPECT_TRUE(images.Add(name, JpegOf(image)));
    }
    return images;
}

TEST(PageFilesSize, AReportOfTwoPagesStaysWellUnderOneMegabyte) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const NamedImageSource images = ReportImages();
    qint64 total = 0;
    for (const QString& file : WriteReportLikePages(dir.path(), images)) {
        total += QFileInfo(file).size();
    }
    EXPECT_LT(total, 1024 * 1024) << total << " bytes";
}

QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The pages of `files` saved to `target` through SavePages, as Qt names.
QStringList SaveFiles(const QStringList& files, const QString& target, QString* error,
                      const std::string& title = "") {
    PageSet set;
    set.title = title;
    for (const QString& file : files) {
        set.pages.push_back(ReadWholeFileBytes(QFile::encodeName(file).toStdString()));
    }
    std::string why;
    QStringList names;
    for (const std::string& name : SavePages(set, QFile::encodeName(target).toStdString(), &why)) {
        names << QFile::decodeName(QByteArray::fromStdString(name));
    }
    *error = QString::fromStdString(why);
    return names;
}

TEST(PageExport, PdfSvgAndPngFromTheSamePages) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        GTEST_SKIP() << "poppler-utils is not installed";
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const NamedImageSource images = ReportImages();
    QStringList pages = WriteReportLikePages(dir.path(), images);
    // A page file that cannot be read still gives its (blank) page.
    const QString broken = dir.filePath(QStringLiteral("00000530_kpv_print_preview_0003.Emf"));
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a metafile");
    }
    pages << broken;

    const QString pdf = dir.filePath(QStringLiteral("rel.pdf"));
    QString error;
    ASSERT_EQ(SaveFiles(pages, pdf, &error, "AUDITORIO_Calculo_Tela.pdf"), QStringList{pdf})
        << error.toStdString();
    const QString info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n"))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral(" pts (A4)"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("AUDITORIO_Calculo_Tela.pdf"))) << info.toStdString();
    const QString text =
        RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Relatório de Cálculo Página 1")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Relatório de Cálculo Página 2")));
    EXPECT_TRUE(text.contains(QStringLiteral("Linha 39 de texto com números 12.34 m")));
    EXPECT_TRUE(text.contains(QStringLiteral("fontes & símbolos")));
    const QString fonts = RunTool(QStringLiteral("pdffonts"), {pdf});
    EXPECT_TRUE(fonts.contains(QStringLiteral("LiberationSans"))) << fonts.toStdString();
    for (const QString& line : fonts.split(QLatin1Char('\n')).mid(2)) {
        if (!line.trimmed().isEmpty()) {
            EXPECT_TRUE(line.contains(QStringLiteral(" yes ")))
                << "not embedded: " << line.toStdString();
        }
    }
    // The title's position: 12 mm down, 20 mm across on the A4 page (points = mm / 25.4 * 72).
    const QString box =
        RunTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                 QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    const QRegularExpression word(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Relatório</word>"));
    const QRegularExpressionMatch m = word.match(box);
    ASSERT_TRUE(m.hasMatch()) << box.left(2000).toStdString();
    EXPECT_NEAR(m.captured(1).toDouble(), 20 / 25.4 * 72, 1.5);
    EXPECT_NEAR(m.captured(2).toDouble(), 12 / 25.4 * 72, 2.5);

    const QStringList svgs = SaveFiles(pages, dir.filePath(QStringLiteral("rel.svg")), &error);
    ASSERT_EQ(svgs.size(), 3) << error.toStdString();
    EXPECT_EQ(svgs[1], dir.filePath(QStringLiteral("rel_0002.svg")));
    QFile svg(svgs[0]);
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(svg.readAll()).contains(QStringLiteral("Linha 39 de texto")));

    const QStringList pngs = SaveFiles(pages, dir.filePath(QStringLiteral("rel.PNG")), &error);
    ASSERT_EQ(pngs.size(), 3) << error.toStdString();
    const QImage first(pngs[0]);
    EXPECT_EQ(first.size(), QSize(1240, 1754));                  // A4 at 150 dots per inch
    EXPECT_GT(DarkPixels(first, QRect(118, 50, 300, 40)), 100);  // the title
    const QImage blankPage(pngs[2]);
    EXPECT_EQ(DarkPixels(blankPage, blankPage.rect()), 0);

    const QStringList copies =
        SaveFiles(pages.mid(0, 2), dir.filePath(QStringLiteral("rel.emf")), &error);
    ASSERT_EQ(copies.size(), 2);
    EXPECT_EQ(copies[0], dir.filePath(QStringLiteral("rel_0001.emf")));
    EmfPlayer copy;
    EXPECT_TRUE(copy.Load(copies[1]));
}

// The SVG pages declare an A4 sheet of exactly 210 x 297 mm, drawn in tenths of a millimetre, and
// keep each pen's width in the page's own units under the page's scale, so lines grow when the
// picture is zoomed and a line of 4 units stays four times as wide as one of 1 unit.
TEST(PageExport, SvgSheetIsExactlyA4AndItsStrokesScaleWithThePicture) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EmfPageCanvas canvas(ReferenceDevice::A4());
    const std::string page = PageFileName(dir.path().toStdString() + "/", "00000530", 1);
    ASSERT_TRUE(canvas.StartPreviewPage(page));
    canvas.PrintLine(50, 20, 50, 190, 0.2, {0, 0, 255});       // 7 thou: 4 units at 600 dpi
    canvas.PrintRectangle(60, 20, 90, 190, 1.0, {255, 0, 0});  // 39 thou: 23 units
    canvas.PrintLine(100, 20, 100, 190, 0.05, {0, 128, 0});    // 1 thou: 0, the thinnest, 1 unit
    ASSERT_TRUE(canvas.EndPreviewPage());
    QString error;
    const QStringList svgs = SaveFiles({QString::fromStdString(page)},
                                       dir.filePath(QStringLiteral("folha.svg")), &error);
    ASSERT_EQ(svgs.size(), 1) << error.toStdString();
    QFile file(svgs[0]);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(svg.contains(QStringLiteral("<svg width=\"210mm\" height=\"297mm\"")))
        << svg.left(300).toStdString();
    // Drawn in tenths of a millimetre.
    EXPECT_TRUE(svg.contains(QStringLiteral("viewBox=\"0 0 2100 2970\"")));
    EXPECT_FALSE(svg.contains(QStringLiteral("non-scaling-stroke")));
    // One page unit is 210 / 4961 mm across.
    const double unitMm = 210.0 / 4961;
    for (const auto& [units, colour] :
         {std::pair{4, "#0000ff"}, std::pair{23, "#ff0000"}, std::pair{1, "#008000"}}) {
        const QRegularExpression group(
            QStringLiteral("<g [^>]*stroke=\"%1\"[^>]*stroke-width=\"%2\"[^>]*"
                           "transform=\"matrix\\(([0-9.]+),")
                .arg(QLatin1String(colour))
                .arg(units));
        const QRegularExpressionMatch m = group.match(svg);
        ASSERT_TRUE(m.hasMatch()) << units << " units in " << colour;
        EXPECT_NEAR(m.captured(1).toDouble() / 10, unitMm, 1e-6);
    }
}

// A page at 100 dots per inch of `pictures` small green pictures, each clipped to its rectangle as
// the recorder writes them, and one red 80 x 80 picture at (400, 600) whose clip keeps only its
// left half.
std::vector<uint8_t> ClippedPicturesPage(int pictures) {
    emf::RecordWriter records(Device100(), 1);
    const auto picture = [&](const DeviceRect& where, const DeviceRect& clip, uint8_t blue,
                             uint8_t green, uint8_t red) {
        records.SaveDc();
        records.IntersectClipRect(clip);
        records.StretchDiBits(where, emf::Dib{.width = 1,
                                              .height = 1,
                                              .bitCount = 24,
                                              .compression = 0,
                                              .palette = {},
                                              .bits = {blue, green, red, 0}});
        records.RestoreDc(-1);
    };
    for (int i = 0; i < pictures; ++i) {
        const int x = 20 + (i % 100) * 7;
        const int y = 20 + (i / 100) * 9;
        picture({x, y, x + 6, y + 8}, {x, y, x + 6, y + 8}, 0, 0xA0, 0);
    }
    picture({400, 600, 480, 680}, {400, 600, 440, 680}, 0, 0, 0xE0);
    return records.Finish();
}

// A device whose engine calls itself a PDF engine, draws nothing, and counts the clips and the
// pictures it is given.
class ClipCountingDevice : public QPaintDevice {
public:
    int Clips() const { return m_engine.clips; }
    int Pictures() const { return m_engine.pictures; }
    QPaintEngine* paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
                return 827;
            case PdmHeight:
                return 1169;
            case PdmWidthMM:
                return 210;
            case PdmHeightMM:
                return 297;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 100;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            default:
                return 32;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& state) override {
            if ((state.state() & (DirtyClipPath | DirtyClipRegion)) != 0) {
                ++clips;
            }
        }
        void drawPath(const QPainterPath&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { ++pictures; }
        void drawImage(const QRectF&, const QImage&, const QRectF&,
                       Qt::ImageConversionFlags) override {
            ++pictures;
        }
        Type type() const override { return QPaintEngine::Pdf; }
        int clips = 0;
        int pictures = 0;
    };
    mutable Engine m_engine;
};

// On PDF and SVG every clip is a graphics state of its own: a plan of thousands of seats, each
// clipped to its rectangle, gives its pictures without a clip apiece, while a picture that leaves
// its clip is still cut where the clip ends. A page of a few pictures keeps all its clips.
TEST(PageExport, PicturesInsideTheirClipCostNoClipOnPdf) {
    for (const int pictures : {2000, 20}) {
        SCOPED_TRACE(pictures);
        EmfPlayer player;
        ASSERT_TRUE(player.LoadData(ClippedPicturesPage(pictures)));
        ClipCountingDevice device;
        {
            QPainter painter(&device);
            PaintPageOnSheet(painter, player, QRectF(0, 0, 827, 1169));
        }
        EXPECT_EQ(device.Pictures(), pictures + 1);
        if (pictures > 1000) {
            EXPECT_LT(device.Clips(), 10);
        } else {
            EXPECT_GT(device.Clips(), pictures);
        }
    }

    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) {
        GTEST_SKIP() << "poppler-utils is not installed";
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string pdf = dir.filePath(QStringLiteral("clipped.pdf")).toStdString();
    std::string error;
    ASSERT_EQ(SavePages(PageSet{{ClippedPicturesPage(2000)}, "clipped"}, pdf, &error),
              std::vector<std::string>{pdf})
        << error;
    const QString png = dir.filePath(QStringLiteral("page"));
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"),
                       QStringLiteral("-singlefile"), QString::fromStdString(pdf), png});
    const QImage page(png + QStringLiteral(".png"));
    ASSERT_EQ(page.width(), 827);  // its height is rounded up to 1170
    EXPECT_TRUE(Near(page.pixel(23, 24), QColor(0, 0xA0, 0))) << std::hex << page.pixel(23, 24);
    EXPECT_TRUE(Near(page.pixel(420, 640), QColor(0xE0, 0, 0))) << std::hex << page.pixel(420, 640);
    EXPECT_TRUE(Near(page.pixel(460, 640), Qt::white)) << std::hex << page.pixel(460, 640);
}

// A shorter set saved over a longer one replaces it whole: the earlier pages past the new last
// page go (and are named), an earlier page keeps its permission bits, and a link at a numbered
// name is replaced itself while the file it pointed to stays as it was.
TEST(PageExport, AShorterSetReplacesTheEarlierSetWhole) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string target = dir.filePath(QStringLiteral("sala.svg")).toStdString();
    const std::string elsewhere = dir.filePath(QStringLiteral("notas.txt")).toStdString();
    std::ofstream(elsewhere) << "notes";
    for (int n = 1; n <= 13; ++n) {
        if (n != 2) {
            std::ofstream(NumberedPageFileName(target, n)) << "old page " << n;
        }
    }
    std::filesystem::create_symlink(elsewhere, NumberedPageFileName(target, 2));
    std::filesystem::permissions(NumberedPageFileName(target, 1),
                                 std::filesystem::perms(0640));
    const PageSet set{{ClippedPicturesPage(3), ClippedPicturesPage(4)}, "sala"};
    std::string error;
    std::vector<std::string> removed;
    const std::vector<std::string> written = SavePages(set, target, &error, {}, nullptr, &removed);
    ASSERT_EQ(written, (std::vector<std::string>{NumberedPageFileName(target, 1),
                                                 NumberedPageFileName(target, 2)}))
        << error;
    std::vector<std::string> gone;
    for (int n = 3; n <= 13; ++n) {
        gone.push_back(NumberedPageFileName(target, n));
        EXPECT_FALSE(std::filesystem::exists(gone.back())) << gone.back();
    }
    EXPECT_EQ(removed, gone);
    for (const std::string& page : written) {
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(page)));
        const std::vector<uint8_t> svg = ReadWholeFileBytes(page);
        EXPECT_TRUE(svg.size() > 100 && svg[0] == '<') << page;
    }
    EXPECT_EQ(std::filesystem::status(written[0]).permissions(), std::filesystem::perms(0640));
    const std::vector<uint8_t> notes = ReadWholeFileBytes(elsewhere);
    EXPECT_EQ(std::string(notes.begin(), notes.end()), "notes");
}

// Three hundred pages saved as SVG with a few dozen descriptors to spare: every page is written.
TEST(PageExport, HundredsOfPagesNeedFewDescriptors) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PageSet set{{}, "plataformas"};
    set.pages.assign(300, ClippedPicturesPage(2));
    const std::string target = dir.filePath(QStringLiteral("plataformas.svg")).toStdString();
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    rlimit low = limit;
    low.rlim_cur = static_cast<rlim_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                      std::filesystem::directory_iterator()) + 32);
    ASSERT_LT(low.rlim_cur, 300u);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::string error;
    const std::vector<std::string> written = SavePages(set, target, &error);
    setrlimit(RLIMIT_NOFILE, &limit);
    ASSERT_EQ(written.size(), 300u) << error;
    for (const std::string& page : written) {
        EXPECT_GT(std::filesystem::file_size(page), 100u) << page;
    }
}

}  // namespace
}  // namespace vm

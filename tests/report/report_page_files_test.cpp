// The report's page files as other programs get them: sizes, bitmaps that need no decoder, and a
// reading by emf2svg-conv, an EMF reader we did not write.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/dados_projeto.h"
#include "pagefile/emf_format.h"
#include "pagefile/emf_reader.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_images.h"
#include "report/report_images.h"
#include "report/report_pages.h"
#include "tests/report/report_test_support.h"
#include "tests/support/emf_commands.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tool_process.h"

namespace vm::test {
namespace {

namespace fs = std::filesystem;

class ReportPageFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegisterReportImages(m_images)); }

    // The report of `p` written as page files, as the print job writes them.
    std::vector<std::string> Write(const DadosProjeto& p, const std::string& prefix) {
        EmfPageCanvas canvas(ReferenceDevice::A4(), &m_images);
        const ReportPages pages = BuildReportPages(p, canvas, [&](int n) {
            return (m_dir / (prefix + "_kpv_print_preview_000" + std::to_string(n) + ".Emf"))
                .string();
        });
        EXPECT_TRUE(pages.complete);
        return pages.pageFiles;
    }

    TempFolder m_folder{"vm_page_files"};
    const fs::path m_dir = m_folder.path();
    NamedImageSource m_images;
};

// What the command printed; "exit status not 0" when it failed, which no check accepts.
std::string Capture(const std::string& command) {
    int status = 0;
    const std::string out = capture(command, &status);
    return status == 0 ? out : "exit status not 0";
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

TEST_F(ReportPageFiles, DefaultReportCarriesItsPicturesAsUncompressedBitmapsUnderOneMegabyte) {
    const std::vector<std::string> files = Write(Project(), "00000530");
    ASSERT_EQ(files.size(), 2u);
    uintmax_t total = 0;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        total += fs::file_size(file);
        std::string error;
        const std::optional<emf::Document> doc = emf::ReadEmfFile(file, &error);
        ASSERT_TRUE(doc) << error;
        const auto bitmaps = CommandsOf<emf::StretchBits>(*doc);
        // 7 seated figures and 7 rows of 6 seats.
        ASSERT_EQ(bitmaps.size(), 7u + 7u * 6u);
        for (const emf::StretchBits& b : bitmaps) {
            EXPECT_EQ(b.compression, emf::kBiRgb);
            EXPECT_EQ(b.bitCount, 1);
            EXPECT_EQ(b.palette, (std::vector<uint32_t>{0x000000, 0xFFFFFF}));
            EXPECT_EQ(b.width, 170);
            EXPECT_TRUE(b.height == 230 || b.height == 136) << b.height;
        }
    }
    EXPECT_LT(total, 1024u * 1024u) << total << " bytes";
}

// A hall of 2,280 seats (40 rows, 40 m wide): each seat of its two plans is stored at the size it
// is drawn at, so that the page files stay small.
TEST_F(ReportPageFiles, AHallsSeatsAreStoredAtTheSizeTheyAreDrawnAt) {
    const DadosProjeto hall = Project([](DadosProjeto& d) {
        d.nNumeroFilas = 40;
        d.nLargura = 40;
        d.nComprimento = 50;
    });
    const std::vector<std::string> files = Write(hall, "00000540");
    ASSERT_EQ(files.size(), 2u);
    uintmax_t total = 0;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        total += fs::file_size(file);
        const std::optional<emf::Document> doc = emf::ReadEmfFile(file);
        ASSERT_TRUE(doc);
        size_t seats = 0;
        for (const emf::StretchBits& b : CommandsOf<emf::StretchBits>(*doc)) {
            // Seats and seated figures alike: at most half the printer's pixels they cover.
            EXPECT_LE(b.width, (b.cxDest + 1) / 2);
            EXPECT_LE(b.height, (b.cyDest + 1) / 2);
            // A seat 3.4 x 2.38 mm is 79 x 55 printer pixels.
            seats += b.cxDest == 79 && b.cyDest == 55 && b.width == 40 && b.height == 28;
        }
        EXPECT_EQ(seats, 40u * 56u);
    }
    EXPECT_LE(total, 2'000'000u) << total << " bytes";
}

TEST_F(ReportPageFiles, EveryPageOfTheTestProjectsOpensInAnIndependentReader) {
    if (std::system("command -v emf2svg-conv > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "emf2svg-conv (Debian package emf2svg) is not installed";
    }
    struct Case {
        const char* name;
        DadosProjeto p;
        size_t pages;
    };
    const Case cases[] = {
        {"default", Project(), 2},
        {"3840 x 2160, 20 rows", Project([](DadosProjeto& d) {
             d.nImagemLargura = 3840;
             d.nImagemAltura = 2160;
             d.nNumeroFilas = 20;
         }),
         2},
        {"ceiling of 12 m, 100 rows", Project([](DadosProjeto& d) {
             d.nPeDireito = 12;
             d.nTelaTopo = 11;
             d.nNumeroFilas = 100;
         }),
         4},
        {"16 x 10 m", Project([](DadosProjeto& d) { d.nLargura = 16; }), 4},
        {"40 x 50 m, 40 rows: the seats stored smaller", Project([](DadosProjeto& d) {
             d.nNumeroFilas = 40;
             d.nLargura = 40;
             d.nComprimento = 50;
         }),
         2},
    };
    int job = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> files = Write(c.p, "0000053" + std::to_string(job++));
        ASSERT_EQ(files.size(), c.pages);
        for (const std::string& file : files) {
            SCOPED_TRACE(file);
            const std::optional<emf::Document> doc = emf::ReadEmfFile(file);
            ASSERT_TRUE(doc);
            const size_t bitmaps = CommandsOf<emf::StretchBits>(*doc).size();
            const std::string svg = Capture("emf2svg-conv -i '" + file + "' -o /dev/stdout");
            ASSERT_NE(svg.find("<svg"), std::string::npos) << svg.substr(0, 200);
            EXPECT_NE(svg.find("AUDITORIO_TERREO"), std::string::npos);
            EXPECT_EQ(Occurrences(svg, "<image"), bitmaps);
            // Each picture reaches the reader as a plain PNG it made from our bitmap.
            EXPECT_EQ(Occurrences(svg, "data:image/png;base64,"), bitmaps);
        }
    }
}

}  // namespace
}  // namespace vm::test

#include "report/analysis_pages.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/dados_projeto.h"
#include "core/text.h"
#include "pagefile/page_images.h"
#include "report/accessibility_pages.h"
#include "report/report_style.h"
#include "report/sightline_analysis_output.h"
#include "report/sightline_geometry.h"

namespace vm {

namespace {

constexpr Color kIdeal{0, 160, 0};
constexpr Color kAcceptable{240, 160, 0};
constexpr Color kOutside{220, 0, 0};
constexpr Color kExcellent{0, 110, 0};
constexpr Color kGood{90, 180, 0};
constexpr Color kFair{235, 150, 0};
constexpr Color kPoor{220, 0, 0};
constexpr Color kViewingArea{150, 0, 200};
constexpr Color kGrouped{0, 130, 220};

// The drawable part of a page: columns 20 to 190, rows 28 to 280 (the header and footer lie
// outside).
constexpr double kLeft = 20;
constexpr double kRight = 190;
constexpr double kTop = 28;
constexpr double kBottom = 280;

// The section takes at most this much height; the plan what is left above its legend.
constexpr double kSectionTop = 48;
constexpr double kSectionMaxHeight = 62;
constexpr double kPlanLowest = 266;

// The table: a line every 4.2 mm from row 54, continued on further pages.
constexpr double kTableFirstRow = 54;
constexpr double kTableLine = 4.2;
constexpr double kTableLowest = 268;

std::string Fixed(double value, int decimals) {
    return AllTrim(Str(value, 40, decimals));
}

std::string Fixed(const Figure& f, int decimals) {
    return f.value ? Fixed(*f.value, decimals) : "-";
}

// A C-value in millimetres: whole, or with its one decimal.
std::string Millimetres(double value) {
    return Fixed(value, value == std::round(value) ? 0 : 1) + " mm";
}

// A filled patch: a line as wide as the patch is high, with flat ends.
void Patch(Canvas& canvas, double row, double col, double height, double width, Color colour) {
    canvas.PrintLine(row + height / 2, col, row + height / 2, col + width, height, colour);
}

// A legend entry: a 3 x 3 mm patch and its text; returns the column after the text.
double LegendEntry(Canvas& canvas, double row, double col, Color colour, const std::string& text,
                   double textWidth) {
    Patch(canvas, row, col, 3, 3, colour);
    ReportText(canvas, row - 0.2, col + 4, 7, text);
    return col + 4 + textWidth;
}

// ---- Section ---------------------------------------------------------------------------------

struct Extent {
    double length = 0;  // along the room
    double height = 0;  // or width, in the plan
};

// How long and how high the section must be to hold the room and every row.
Extent SectionExtent(const DadosProjeto& p, const SightlineAnalysis& a) {
    Extent e{std::max(p.nComprimento, 0.0), std::max({p.nPeDireito, p.nTelaTopo, 0.0})};
    if (!a.rows.empty()) {
        e.length = std::max(e.length, a.rows.back().eyeDistance);
        for (const RowFigures& r : a.rows) {
            e.height = std::max(e.height, r.eyeHeight + 0.15);
        }
        // The grouped risers drawn for the seating shown may lift the floor higher still.
        if (const auto& g = CountingGroupedRisers(a)) {
            e.height = std::max(e.height, g->totalRise);
        }
    }
    return e;
}

// A scale that fits `extent` into width x height millimetres; 0 when the extent is empty or the
// figures are not finite.
double FitScale(Extent extent, double width, double height) {
    if (!(extent.length > 0) && !(extent.height > 0)) {
        return 0;
    }
    double scale = extent.length > 0 ? width / extent.length : height / extent.height;
    if (extent.height > 0) {
        scale = std::min(scale, height / extent.height);
    }
    return std::isfinite(scale) ? scale : 0;
}

Color RowColour(const SightlineAnalysis& a, const RowFigures& r) {
    const std::optional<CGrade>& grade = CountingGrade(a, r);
    return grade ? CGradeColour(*grade) : kGrey;
}

// The grade column: C2's grade, marked so, in staggered seating.
std::string GradeText(const SightlineAnalysis& a, const RowFigures& r) {
    const std::optional<CGrade>& grade = CountingGrade(a, r);
    if (!a.staggered) {
        return grade ? CGradeName(*grade) : "sem fila à frente";
    }
    return grade ? std::string("C2 ") + Fixed(r.c2ValueMm, 0) + ": " + CGradeName(*grade)
                 : "sem fila duas à frente";
}

// The room's section: the screen wall on the left, the stepped floor, the planned image, each
// row's eyes with the sight line from the image's bottom edge and its C-value. Returns the row
// below the drawing and sets `scale` to the drawing's millimetres per metre.
double DrawSection(const DadosProjeto& p, const SightlineAnalysis& a, Canvas& canvas,
                   double& scale) {
    ReportText(canvas, kSectionTop - 6, kLeft, 10,
               Cp1252("Corte: linhas de visão e valor C de cada fila"), kBlack, true);
    const Extent extent = SectionExtent(p, a);
    const double S = FitScale(extent, kRight - kLeft, kSectionMaxHeight);
    scale = S;
    const double floor = kSectionTop + extent.height * S;
    auto row = [&](double height) { return floor - height * S; };
    auto col = [&](double distance) { return kLeft + distance * S; };

    if (S > 0) {
        DrawRoomSection(p, a.rows.size(), a.screenTop, a.screenBottom, canvas, {floor, kLeft, S});
        // The grouped risers proposed for the seating shown, as a floor of their own.
        if (const std::optional<GroupedRisers>& g = CountingGroupedRisers(a)) {
            double previous = 0;
            for (size_t k = 0; k < g->floorRise.size(); ++k) {
                const double nFilaX = static_cast<double>(k);
                const double rise = g->floorRise[k];
                const double front = std::max(0.0, RowFrontDistance(p, nFilaX));
                canvas.PrintLine(row(previous), col(front), row(rise), col(front), 0.35, kGrouped);
                canvas.PrintLine(row(rise), col(front), row(rise), col(RowEyeDistance(p, nFilaX)),
                                 0.35, kGrouped);
                previous = rise;
            }
        }
        for (const RowFigures& r : a.rows) {
            const Color colour = RowColour(a, r);
            canvas.PrintLine(row(a.screenBottom), col(0) + 1.2, row(r.eyeHeight),
                             col(r.eyeDistance), 0.1, colour);
            Patch(canvas, row(r.eyeHeight) - 0.8, col(r.eyeDistance) - 0.8, 1.6, 1.6, colour);
            if (r.cValueMm.value) {
                ReportText(canvas, row(r.eyeHeight) - 4.2, col(r.eyeDistance), 5,
                           Fixed(*r.cValueMm.value, 0), colour, false, "CENTER");
            }
        }
        DrawAccessibilityInSection(a, canvas, {floor, kLeft, S});
    }

    double legendRow = floor + 3;
    if (a.rows.empty()) {
        ReportText(canvas, legendRow, kLeft, 7, Cp1252("Filas: - (" + a.rowsReason + ")"));
        return legendRow + 5;
    }
    double c = kLeft;
    ReportText(canvas, legendRow - 0.2, c, 7, Cp1252("Valor C (mm):"));
    c += 18;
    c = LegendEntry(canvas, legendRow, c, kExcellent, Cp1252("excelente (120 ou mais)"), 30);
    c = LegendEntry(canvas, legendRow, c, kGood, Cp1252("bom (80 a 120)"), 20);
    c = LegendEntry(canvas, legendRow, c, kFair, Cp1252("aceitável (60 a 80)"), 25);
    c = LegendEntry(canvas, legendRow, c, kPoor, Cp1252("ruim (abaixo de 60)"), 25);
    LegendEntry(canvas, legendRow, c, kGrey, Cp1252("1ª fila"), 10);
    const std::optional<GroupedRisers>& g = CountingGroupedRisers(a);
    if (g) {
        LegendEntry(canvas, legendRow + 4.5, kLeft + 18, kGrouped,
                    Cp1252("Degraus em blocos para " + Millimetres(a.risers.targetCmm) + ": " +
                           GroupedRisersSummary(*g, a.risers.ceiling)),
                    150);
        return legendRow + 9.5;
    }
    return legendRow + 5;
}

// ---- Plan ------------------------------------------------------------------------------------

}  // namespace

std::string SeatsLeftOutNote(std::int64_t drawn, std::int64_t seats) {
    return "Desenhados " + std::to_string(drawn) + " dos " + std::to_string(seats) +
           " assentos, da frente para trás: os " + std::to_string(seats - drawn) +
           " restantes deixariam o arquivo grande demais.";
}

namespace {

// A line from the screen wall at 45 degrees towards a side wall, ended where it meets that wall
// or the back wall: from lateral offset `from` (metres from the lower wall) going `direction`
// (+1 up towards the upper wall, -1 down).
void FanLine(Canvas& canvas, double lower, double S, double from, double direction, double width,
             double length, Color colour) {
    const double toWall = direction > 0 ? width - from : from;
    if (!(toWall > 0)) {
        return;
    }
    const double run = std::min(toWall, std::max(length, 0.0));
    canvas.PrintLine(lower - from * S, kLeft, lower - (from + direction * run) * S, kLeft + run * S,
                     0.1, colour);
}

// The plan under the section, at the section's scale unless it must be smaller to fit.
void DrawPlan(const DadosProjeto& p, const SightlineAnalysis& a, Canvas& canvas, double top,
              double sectionScale) {
    ReportText(canvas, top, kLeft, 10, Cp1252("Planta: cada assento pelo seu campo de visão"),
               kBlack, true);
    const double upper = top + 6;
    const Extent extent{SectionExtent(p, a).length, std::max(p.nLargura, 0.0)};
    double S = FitScale(extent, kRight - kLeft, kPlanLowest - upper);
    if (sectionScale > 0) {
        S = std::min(S, sectionScale);
    }
    const double lower = upper + extent.height * S;

    if (S > 0) {
        canvas.PrintRectangle(upper, kLeft, lower, kLeft + p.nComprimento * S, 0.2, kBlack);
        // A seat fills its width less a gap at each side, and the back 70 % of its row's depth
        // (the front is the walkway).
        const double seatWidth = p.nLarguraAssento * S;
        const double depth = std::abs(p.nDistEntreFilas) * S;
        const double gap = seatWidth * 0.08;
        const double seatDepth = depth * 0.7;
        std::int64_t drawn = 0;
        std::int64_t seats = 0;
        for (const SeatRowFigures& seatRow : a.seats.rows) {
            const double nFilaX = seatRow.row - 1;
            const double back =
                kLeft + std::max(RowFrontDistance(p, nFilaX), RowEyeDistance(p, nFilaX)) * S;
            for (const SeatRun& run : seatRow.runs) {
                seats += run.last - run.first + 1;
                for (std::int64_t seat = run.first; seat <= run.last && drawn < kMaxAnalysisSeats;
                     ++seat) {
                    const double near = SeatOffset(p, static_cast<double>(seat - 1)) * S;
                    canvas.PrintImage(SeatClassImage(run.seatClass), lower - near - seatWidth + gap,
                                      back - seatDepth, seatWidth - 2 * gap, seatDepth);
                    ++drawn;
                }
            }
        }
        if (drawn < seats) {
            ReportText(canvas, top + 3.7, kLeft, 7, Cp1252(SeatsLeftOutNote(drawn, seats)),
                       kOutside);
        }
        // The planned screen on its wall, and the lines that bound the fields: at 45 degrees
        // from the wall's centre (Ideal) and from the image's edges (Aceitável).
        const double d = ScreenWallOffset(p);
        canvas.PrintLine(lower - (p.nLargura - d) * S, kLeft + 0.6, lower - d * S, kLeft + 0.6, 1.2,
                         kBlue);
        const double length = extent.length;
        FanLine(canvas, lower, S, p.nLargura / 2, 1, p.nLargura, length, kBlack);
        FanLine(canvas, lower, S, p.nLargura / 2, -1, p.nLargura, length, kBlack);
        FanLine(canvas, lower, S, p.nLargura - d, 1, p.nLargura, length, kBlue);
        FanLine(canvas, lower, S, d, -1, p.nLargura, length, kBlue);
        // DISCAS's viewing area: up to 60 degrees off the normal to the image's far edge.
        const auto polygon = ViewingAreaPolygon(p.nTelaLargura, p.nLargura, p.nComprimento);
        const double axis = lower - p.nLargura / 2 * S;
        for (size_t k = 1; k < polygon.size(); ++k) {
            canvas.PrintLine(axis - polygon[k - 1].second * S, kLeft + polygon[k - 1].first * S,
                             axis - polygon[k].second * S, kLeft + polygon[k].first * S, 0.35,
                             kViewingArea);
        }
        DrawAccessibilityInPlan(p, a, canvas, lower, kLeft, S);
    }

    const double legendRow = lower + 4;
    const SeatFigures& s = a.seats;
    if (!s.shares[0].value) {
        const std::string why = s.seatsPerRow.value
                                    ? (s.total.value ? s.shares[0].reason : s.total.reason)
                                    : s.seatsPerRow.reason;
        ReportText(canvas, legendRow, kLeft, 7, Cp1252("Assentos: - (" + why + ")"));
        return;
    }
    double c = kLeft;
    ReportText(canvas, legendRow - 0.2, c, 7, Cp1252(Fixed(*s.total.value, 0) + " assentos:"));
    c += 24;
    const char* const labels[3] = {"Ideal (90°)", "Aceitável (135°)", "Fora"};
    const SeatClass classes[3] = {SeatClass::Ideal, SeatClass::Aceitavel, SeatClass::Fora};
    for (int k = 0; k < 3; ++k) {
        c = LegendEntry(canvas, legendRow, c, SeatClassColour(classes[k]),
                        Cp1252(std::string(labels[k]) + ": " + std::to_string(s.counts[k]) + " (" +
                               Fixed(*s.shares[k].value, 1) + " %)"),
                        44);
    }
    const DiscasFigures& dd = a.discas;
    ReportText(canvas, legendRow + 4.5, kLeft + 24, 7,
               Cp1252("Área de visão DISCAS (AVIXA V202.01:2016, até 60° da normal à borda oposta "
                      "da imagem): " +
                      (dd.seatsOutsideArea.value ? Fixed(*dd.seatsOutsideArea.value, 0) +
                                                       " assentos fora"
                                                 : "- (" + dd.seatsOutsideArea.reason + ")")),
               kViewingArea);
}

// ---- Table -----------------------------------------------------------------------------------

// Right edges of the table's columns, and the left edge of the grade.
constexpr double kColRow = 28;
constexpr double kColDistance = 46;
constexpr double kColEyes = 66;
constexpr double kColAngle = 86;
constexpr double kColC = 104;
constexpr double kColGrade = 108;
constexpr double kColIsoEyes = 148;
constexpr double kColIsoStep = 168;
constexpr double kColIsoRise = 190;

void TableHeading(const SightlineAnalysis& a, Canvas& canvas) {
    const double r = kTableFirstRow - 12;
    ReportTextBox(canvas, r - 4, 130, r, kColIsoRise, 7,
                  Cp1252("Isóptica para " + Millimetres(a.risers.targetCmm) +
                         (a.staggered ? " (C2)" : "")),
                  kBlack, true,
                  "CENTER");
    canvas.PrintLine(r, 132, r, kColIsoRise, 0.1, kBlack);
    struct Heading {
        double right;
        double width;
        const char* text;
        const char* align;
    };
    const Heading headings[] = {
        {kColRow, 8, "Fila", "RIGHT"},
        {kColDistance, 17, "Distância (m)", "RIGHT"},
        {kColEyes, 19, "Altura dos olhos (m)", "RIGHT"},
        {kColAngle, 19, "Ângulo ao topo (°)", "RIGHT"},
        {kColC, 17, "Valor C (mm)", "RIGHT"},
        {kColGrade + 20, 20, "Avaliação", ""},
        {kColIsoEyes, 19, "Altura dos olhos (m)", "RIGHT"},
        {kColIsoStep, 18, "Degrau (m)", "RIGHT"},
        {kColIsoRise, 19, "Elevação do piso (m)", "RIGHT"},
    };
    for (const Heading& h : headings) {
        ReportTextBox(canvas, r + 1, h.right - h.width, r + 8, h.right, 7, Cp1252(h.text), kBlack,
                      true, h.align);
    }
    canvas.PrintLine(kTableFirstRow - 1.5, kLeft, kTableFirstRow - 1.5, kRight, 0.1, kBlack);
}

void TableLine(const SightlineAnalysis& a, size_t index, Canvas& canvas, double r) {
    const RowFigures& row = a.rows[index];
    const Color colour = RowColour(a, row);
    ReportText(canvas, r, kColRow, 8, std::to_string(row.number), kBlack, false, "RIGHT");
    ReportText(canvas, r, kColDistance, 8, Fixed(row.eyeDistance, 2), kBlack, false, "RIGHT");
    ReportText(canvas, r, kColEyes, 8, Fixed(row.eyeHeight, 2), kBlack, false, "RIGHT");
    ReportText(canvas, r, kColAngle, 8, Fixed(row.angleToTop, 2), kBlack, false, "RIGHT");
    ReportText(canvas, r, kColC, 8, Fixed(row.cValueMm, 1), colour, false, "RIGHT");
    ReportText(canvas, r, kColGrade, 8, Cp1252(GradeText(a, row)), colour);
    if (a.risers.isoptic && index < a.risers.isoptic->size()) {
        const IsopticRow& iso = (*a.risers.isoptic)[index];
        ReportText(canvas, r, kColIsoEyes, 8, Fixed(iso.eyeHeight, 3), kBlack, false, "RIGHT");
        ReportText(canvas, r, kColIsoStep, 8, Fixed(iso.step, 3), kBlack, false, "RIGHT");
        ReportText(canvas, r, kColIsoRise, 8, Fixed(iso.floorRise, 3), kBlack, false, "RIGHT");
    }
}

// Room for one summary line wrapped to two lines of the text column.
constexpr double kSummaryLine = 9.5;

// Returns the row after the summary.
double RisersSummary(const SightlineAnalysis& a, Canvas& canvas, double r) {
    const RiserDesign& d = a.risers;
    const std::string target = Millimetres(d.targetCmm);
    // Staggered seating: every figure of the design goes by C2 over the row two ahead.
    const char* measure = a.staggered ? "C2" : "C";
    std::string constant = d.constantStep.value ? Fixed(*d.constantStep.value, 3) + " m"
                                                : "- (" + d.constantStep.reason + ")";
    if (d.flatFloorSuffices) {
        constant += " (piso plano basta)";
    }
    std::vector<std::string> lines = {
        std::string("Degrau constante para um valor ") + measure + " de " + target +
            " (arredondado para cima ao milímetro): " + constant,
        "Degrau do projeto (Altura do degrau da Fila 2): " + Fixed(d.currentStep, 3) + " m",
        "Filas abaixo de " + target + (a.staggered ? " (C2)" : "") + " com o degrau do projeto: " +
            (d.rowsBelowTarget ? RowList(*d.rowsBelowTarget)
                               : "- (" + d.rowsBelowTargetReason + ")"),
    };
    if (!d.isoptic && d.isopticReason != a.rowsReason) {
        lines.push_back("Isóptica: - (" + d.isopticReason + ")");
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        // Each line wraps within the text column instead of running off the page.
        ReportTextBox(canvas, r, kLeft, r + kSummaryLine - 0.5, kRight, 9, Cp1252(lines[i]), kBlack,
                      i == 0);
        r += kSummaryLine;
    }
    return r;
}

void TablePageTitle(const SightlineAnalysis& a, Canvas& canvas, bool continued) {
    ReportText(canvas, kTop, kLeft, 12,
               Cp1252(continued ? "Filas e degraus (continuação)" : "Filas e degraus"), kBlack,
               true);
    ReportText(canvas, kTop + 6, kLeft, 8,
               Cp1252("Valor C de cada fila sobre a da frente, com foco na borda inferior da "
                      "imagem (" +
                      Fixed(a.screenBottom, 2) +
                      " m do piso); ângulo ao topo da imagem a partir dos olhos."));
}

}  // namespace

void DrawRoomSection(const DadosProjeto& p, size_t rows, double screenTop, double screenBottom,
                     Canvas& canvas, const SectionPlacement& at) {
    const auto row = [&](double height) { return at.floor - height * at.scale; };
    const auto col = [&](double distance) { return at.wall + distance * at.scale; };
    canvas.PrintRectangle(row(p.nPeDireito), col(0), at.floor, col(p.nComprimento), 0.2, kBlack);
    // The floor: each row's tread, and the riser in front of it.
    double previousRise = 0;
    for (size_t k = 0; k < rows; ++k) {
        const double nFilaX = static_cast<double>(k);
        const double rise = RowRise(p, nFilaX);
        const double front = std::max(0.0, RowFrontDistance(p, nFilaX));
        canvas.PrintLine(row(previousRise), col(front), row(rise), col(front), 0.2, kBlack);
        canvas.PrintLine(row(rise), col(front), row(rise), col(RowEyeDistance(p, nFilaX)), 0.2,
                         kBlack);
        previousRise = rise;
    }
    canvas.PrintLine(row(screenTop), col(0) + 0.6, row(screenBottom), col(0) + 0.6, 1.2, kBlue);
}

Color SeatClassColour(SeatClass c) {
    switch (c) {
        case SeatClass::Ideal:
            return kIdeal;
        case SeatClass::Aceitavel:
            return kAcceptable;
        case SeatClass::Fora:
            break;
    }
    return kOutside;
}

Color CGradeColour(CGrade grade) {
    switch (grade) {
        case CGrade::Excelente:
            return kExcellent;
        case CGrade::Bom:
            return kGood;
        case CGrade::Aceitavel:
            return kFair;
        case CGrade::Ruim:
            break;
    }
    return kPoor;
}

std::string_view SeatClassImage(SeatClass c) {
    switch (c) {
        case SeatClass::Ideal:
            return "assento_ideal";
        case SeatClass::Aceitavel:
            return "assento_aceitavel";
        case SeatClass::Fora:
            break;
    }
    return "assento_fora";
}

void RegisterAnalysisImages(NamedImageSource& images) {
    for (SeatClass c : {SeatClass::Ideal, SeatClass::Aceitavel, SeatClass::Fora}) {
        const Color colour = SeatClassColour(c);
        EncodedImage patch;
        patch.format = EncodedImage::Format::Bgr24;
        patch.width = 1;
        patch.height = 1;
        patch.data = {static_cast<uint8_t>(colour.blue), static_cast<uint8_t>(colour.green),
                      static_cast<uint8_t>(colour.red)};
        images.Add(SeatClassImage(c), std::move(patch));
    }
}

ReportPages BuildAnalysisPages(const DadosProjeto& p, const SightlineAnalysis& a, Canvas& canvas,
                               const PageFileNamer& namer, int firstPageNumber,
                               std::string_view cAutoria) {
    PageFlow pages(p, canvas, namer, firstPageNumber, cAutoria);

    // Page 1: the drawings.
    pages.NextPage();
    ReportText(canvas, kTop, kLeft, 12, "Visibilidade dos Assentos", kBlack, true);
    ReportText(canvas, kTop + 6, kLeft, 8,
               Cp1252("Tela pretendida " + Fixed(a.screenWidth, 2) + " x " +
                      Fixed(a.screenHeight, 2) + " m, topo a " + Fixed(a.screenTop, 2) +
                      " m e borda inferior a " + Fixed(a.screenBottom, 2) +
                      " m do piso; valor C desejado " + Millimetres(a.risers.targetCmm) +
                      (a.staggered ? "; assentos alternados (avaliação pelo C2)." : ".")));
    const DiscasFigures& d = a.discas;
    const std::string eh = Fixed(d.elementPercent, d.elementPercent == std::round(d.elementPercent)
                                                       ? 0
                                                       : 2);
    ReportText(canvas, kTop + 10, kLeft, 7,
               Cp1252("DISCAS (AVIXA V202.01:2016): FV até a borda oposta da imagem " +
                      (d.farthestViewerEdge.value ? Fixed(*d.farthestViewerEdge.value, 2) + " m"
                                                  : "- (" + d.farthestViewerEdge.reason + ")") +
                      "; menor elemento " + eh + " % da altura (regra FV / 200): " +
                      (d.bdmImageHeight.value
                           ? "altura mínima " + Fixed(*d.bdmImageHeight.value, 2) + " m, " +
                                 (d.bdmMet && *d.bdmMet ? "a tela basta." : "a tela não basta.")
                           : "-")));
    double scale = 0;
    const double below = DrawSection(p, a, canvas, scale);
    DrawPlan(p, a, canvas, below + 5, scale);
    pages.EndPage();

    // Then the table, as many pages as it takes, and the risers under it.
    pages.NextPage();
    TablePageTitle(a, canvas, false);
    double r = kTableFirstRow;
    if (a.rows.empty()) {
        ReportText(canvas, r, kLeft, 9, Cp1252("Filas: - (" + a.rowsReason + ")"));
        r += 6;
    } else {
        TableHeading(a, canvas);
        for (size_t i = 0; i < a.rows.size(); ++i) {
            if (r > kTableLowest) {
                pages.Break();
                TablePageTitle(a, canvas, true);
                TableHeading(a, canvas);
                r = kTableFirstRow;
            }
            TableLine(a, i, canvas, r);
            r += kTableLine;
        }
        r += 4;
    }
    if (r + 4 * kSummaryLine > kBottom) {
        pages.Break();
        TablePageTitle(a, canvas, true);
        r = kTableFirstRow;
    }
    r = RisersSummary(a, canvas, r);
    // DISCAS's closest viewer and the ADM farthest viewer with their verdicts, then the wheelchair
    // spaces' checks and the interpreter's window, continued on a page of their own where the
    // table's page is full.
    const DiscasFigures& dv = a.discas;
    std::vector<std::pair<std::string, bool>> summary = {
        {std::string(kClosestViewerLabel) + ": " + ClosestViewerText(dv),
         dv.firstRowFarEnough == false},
        {std::string(kAnalyticalFarthestLabel) + ": " + AnalyticalFarthestText(dv),
         dv.rowsBeyondAnalytical && !dv.rowsBeyondAnalytical->empty()},
    };
    for (const std::string& line : AccessibilityListLines(a)) {
        summary.emplace_back(line, line.find("NÃO") != std::string::npos ||
                                       line.find("AVISO") != std::string::npos);
    }
    for (const auto& [line, fails] : summary) {
        if (r + kSummaryLine > kBottom) {
            pages.Break();
            TablePageTitle(a, canvas, true);
            r = kTableFirstRow;
        }
        ReportTextBox(canvas, r, kLeft, r + kSummaryLine - 0.5, kRight, 8, Cp1252(line),
                      fails ? kOutside : kBlack);
        r += kSummaryLine;
    }
    pages.EndPage();
    return pages.Finish();
}

}  // namespace vm

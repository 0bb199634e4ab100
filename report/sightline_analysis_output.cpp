#include "report/sightline_analysis_output.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "core/text.h"
#include "report/accessibility_output.h"
#include "report/figure_output.h"
#include "report/sightline_analysis.h"

namespace vm {

namespace {

using Json = OrderedJson;

// A seat map is shown for rows of at most this many seats; longer rows show their runs only.
constexpr double kMaxSeatsInMap = 80;

void RowsSection(const SightlineAnalysis& a, std::ostringstream& out) {
    out << "Filas (olhos de cada fila; ângulos para cima positivos; valor C sobre a fila da "
           "frente, com foco na borda inferior da imagem)\n";
    if (a.rows.empty()) {
        out << " - (" << a.rowsReason << ")\n";
        return;
    }
    std::vector<std::string> heads = {
        "Fila",        "Distância (m)", "Altura (m)", "Ângulo topo (°)", "Ângulo base (°)",
        "Valor C (mm)"};
    if (a.staggered) {
        out << "Assentos alternados: cada fila avaliada pelo C2, sobre a fila duas à frente\n";
        heads.push_back("C2 (mm)");
    }
    heads.push_back("Avaliação");
    TextTable t(heads, a.staggered ? "RRRRRRRL" : "RRRRRRL");
    for (const RowFigures& r : a.rows) {
        const Figure& counted = a.staggered ? r.c2ValueMm : r.cValueMm;
        const std::optional<CGrade>& grade = CountingGrade(a, r);
        std::string verdict = grade ? CGradeName(*grade) : counted.reason;
        for (const Figure* angle : {&r.angleToTop, &r.angleToBottom}) {
            if (!angle->value && angle->reason != r.cValueMm.reason &&
                verdict.find(angle->reason) == std::string::npos) {
                verdict += "; " + angle->reason;
            }
        }
        std::vector<std::string> cells = {std::to_string(r.number), Num(r.eyeDistance, 2),
                                          Num(r.eyeHeight, 2),      Num(r.angleToTop, 2),
                                          Num(r.angleToBottom, 2),  Num(r.cValueMm, 1)};
        if (a.staggered) {
            cells.push_back(Num(r.c2ValueMm, 1));
        }
        cells.push_back(verdict);
        t.Add(cells);
    }
    out << t.Text();
}

void CategoriesSection(const SightlineAnalysis& a, std::ostringstream& out) {
    out << "Categorias (distância máxima = divisor x altura da tela)\n";
    TextTable t({"Categoria", "Divisor", "Distância máxima (m)", "Filas além dela"}, "LRRL");
    for (const CategoryFigures& c : a.categories) {
        t.Add({c.name, Num(c.divisor, 0), Num(c.farthestServed, 2),
               RowList(c.rowsBeyond, c.rowsBeyondReason)});
    }
    out << t.Text();
}

}  // namespace

const char* const kClosestViewerLabel = "Espectador mais próximo (CV = 1.732 x (IH + IO))";

std::string ClosestViewerText(const DiscasFigures& d) {
    std::string cv = WithReason(d.closestViewer, 2, "m");
    if (d.closestViewer.value) {
        cv += "; primeira fila a " + WithReason(d.firstRowDistance, 2, "m");
        if (d.firstRowFarEnough) {
            cv += *d.firstRowFarEnough ? ": distância suficiente" : ": perto demais";
        }
    }
    return cv;
}

const char* const kAnalyticalFarthestLabel = "ADM: distância máxima (1 pixel = 1 minuto de arco)";

std::string AnalyticalFarthestText(const DiscasFigures& d) {
    std::string adm = WithReason(d.analyticalFarthest, 2, "m");
    if (d.analyticalFarthest.value) {
        adm +=
            "; filas além dela: " + RowList(d.rowsBeyondAnalytical, d.rowsBeyondAnalyticalReason);
    }
    return adm;
}

namespace {

void DiscasSection(const SightlineAnalysis& a, std::ostringstream& out) {
    const DiscasFigures& d = a.discas;
    out << "DISCAS (AVIXA V202.01:2016)\n";
    std::string bdm = WithReason(d.elementHeightMm, 1, "mm");
    if (d.elementHeightMm.value) {
        bdm += d.percentElementHeight.value
                   ? " = " + Num(*d.percentElementHeight.value, 2) + " % da altura da imagem (%EH)"
                   : "; %EH - (" + d.percentElementHeight.reason + ")";
    }
    std::string bdmHeight = WithReason(d.bdmImageHeight, 2, "m");
    if (d.bdmMet) {
        bdmHeight += std::string("; a tela pretendida (") + Num(a.screenHeight, 2) + " m) " +
                     (*d.bdmMet ? "basta" : "não basta");
    }
    std::string area = WithReason(d.seatsOutsideArea, 0, "assentos fora");
    if (d.viewingAreaApex.value) {
        area += "; as bordas da área se cruzam a " + Num(*d.viewingAreaApex.value, 2) + " m";
    }
    const std::string eh =
        Num(d.elementPercent, d.elementPercent == std::round(d.elementPercent) ? 0 : 2);
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"Espectador mais distante (FV)", WithReason(d.farthestViewer, 2, "m")},
        {"FV até a borda oposta da imagem (FV_borda)", WithReason(d.farthestViewerEdge, 2, "m")},
        {"BDM: menor elemento legível (regra FV_borda / 200)", bdm},
        {"BDM: altura mínima para EH de " + eh + " % (FV_borda / (200 x EH))", bdmHeight},
        {"EH dos divisores 4 / 6 / 8 (divisor / 200)", "2 % / 3 % / 4 %"},
        {kAnalyticalFarthestLabel, AnalyticalFarthestText(d)},
        {"Borda inferior acima da linha dos olhos (IO)", Num(d.imageOffset, 2) + " m"},
        {kClosestViewerLabel, ClosestViewerText(d)},
        {"Área de visão (até 60° da normal à borda oposta)", area},
    };
    out << LabelledLines(lines);
}

// One mark per seat of the row: its class, or "C" where it made way for a wheelchair space.
std::string SeatMap(const SeatRowFigures& row, std::int64_t seatsPerRow) {
    std::string map(static_cast<size_t>(seatsPerRow), 'C');
    for (const SeatRun& run : row.runs) {
        const char mark = run.seatClass == SeatClass::Ideal       ? 'I'
                          : run.seatClass == SeatClass::Aceitavel ? 'A'
                                                                  : '.';
        map.replace(static_cast<size_t>(run.first - 1),
                    static_cast<size_t>(run.last - run.first + 1),
                    static_cast<size_t>(run.last - run.first + 1), mark);
    }
    return map;
}

// "1-3, 6": ranges of seats.
std::string SeatList(const std::vector<std::pair<std::int64_t, std::int64_t>>& seats) {
    std::string out;
    for (const auto& [first, last] : seats) {
        out += (out.empty() ? "" : ", ") + std::to_string(first);
        if (last > first) {
            out += "-" + std::to_string(last);
        }
    }
    return out;
}

std::string Runs(const SeatRowFigures& row) {
    std::string out;
    for (const SeatRun& run : row.runs) {
        out += out.empty() ? "" : "; ";
        out += std::to_string(run.first);
        if (run.last > run.first) {
            out += "-" + std::to_string(run.last);
        }
        out += std::string(" ") + SeatClassName(run.seatClass);
    }
    if (!row.wheelchairSeats.empty()) {
        out += (out.empty() ? "" : "; ") + SeatList(row.wheelchairSeats) + " cadeira de rodas";
    }
    return out;
}

void SeatsSection(const SightlineAnalysis& a, std::ostringstream& out) {
    const SeatFigures& s = a.seats;
    out << "Assentos da planta: ";
    if (!s.seatsPerRow.value) {
        out << "- (" << s.seatsPerRow.reason << ")\n";
        return;
    }
    out << Num(*s.seatsPerRow.value, 0) << " por fila, "
        << (s.total.value ? Num(*s.total.value, 0) + " ao todo" : "- (" + s.total.reason + ")");
    if (s.wheelchairSeats > 0) {
        out << " (" << s.wheelchairSeats
            << (s.wheelchairSeats == 1 ? " assento deu lugar" : " assentos deram lugar")
            << " aos espaços para cadeira de rodas)";
    }
    out << "; o assento 1 fica junto à parede à esquerda de quem olha a tela\n";
    if (!s.shares[0].value) {
        out << " - (" << s.shares[0].reason << ")\n";
        return;
    }
    TextTable shares({"Campo", "Assentos", "Parcela (%)"}, "LRR");
    const char* const labels[3] = {"Ideal (90°)", "Aceitável (135°)", "Fora"};
    for (int c = 0; c < 3; ++c) {
        shares.Add({labels[c], std::to_string(s.counts[c]), Num(*s.shares[c].value, 1)});
    }
    out << shares.Text();
    const bool map = *s.seatsPerRow.value <= kMaxSeatsInMap;
    TextTable rows =
        map ? TextTable(
                  {"Fila", "Mapa (I Ideal, A Aceitável, . Fora, C cadeira de rodas)", "Assentos"},
                  "RLL")
            : TextTable({"Fila", "Assentos"}, "RL");
    for (const SeatRowFigures& row : s.rows) {
        if (map) {
            rows.Add({std::to_string(row.row),
                      SeatMap(row, static_cast<std::int64_t>(*s.seatsPerRow.value)), Runs(row)});
        } else {
            rows.Add({std::to_string(row.row), Runs(row)});
        }
    }
    out << rows.Text();
}

void RisersSection(const SightlineAnalysis& a, std::ostringstream& out) {
    const RiserDesign& r = a.risers;
    const char* measure = a.staggered ? "C2" : "C";
    out << "Degraus para um valor " << measure << " de "
        << Num(r.targetCmm, r.targetCmm == std::round(r.targetCmm) ? 0 : 1)
        << (a.staggered ? " mm (isóptica com assentos alternados: cada fila vê sobre a segunda à "
                          "frente com exatamente esse valor)\n"
                        : " mm (isóptica: cada fila vê sobre a da frente com exatamente esse "
                          "valor)\n");
    if (r.isoptic) {
        TextTable t({"Fila", "Altura dos olhos (m)", "Degrau (m)", "Elevação do piso (m)"}, "RRRR");
        for (const IsopticRow& row : *r.isoptic) {
            t.Add({std::to_string(row.row), Num(row.eyeHeight, 3), Num(row.step, 3),
                   Num(row.floorRise, 3)});
        }
        out << t.Text();
    } else {
        out << " - (" << r.isopticReason << ")\n";
    }
    std::string constant = WithReason(r.constantStep, 3, "m");
    if (r.flatFloorSuffices) {
        constant += " (piso plano basta)";
    }
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"Degrau constante (arredondado para cima ao milímetro)", constant},
        {"Degrau do projeto (Altura do degrau da Fila 2)", Num(r.currentStep, 3) + " m"},
        {std::string("Filas abaixo do valor ") + measure + " com o degrau do projeto",
         RowList(r.rowsBelowTarget, r.rowsBelowTargetReason)},
    };
    out << LabelledLines(lines);
    out << "Degraus em blocos de filas (um degrau por bloco, ao milímetro)\n";
    if (!r.grouped && !r.groupedStaggered) {
        out << " - (" << r.groupedReason << ")\n";
        return;
    }
    std::vector<std::pair<std::string, std::string>> grouped;
    for (const std::optional<GroupedRisers>* g : {&r.grouped, &r.groupedStaggered}) {
        const std::string label = (*g && (*g)->staggered) || g == &r.groupedStaggered
                                      ? "Assentos alternados (C2)"
                                      : "Sobre a fila da frente (C)";
        grouped.push_back(
            {label, *g ? GroupedRisersText(**g, r.ceiling) : "- (" + r.groupedReason + ")"});
    }
    out << LabelledLines(grouped);
}

Json GroupedJson(const GroupedRisers& g, double ceiling) {
    Json j;
    j["block_rows"] = g.blockRows;
    j["staggered"] = g.staggered;
    Json blocks = Json::array();
    for (const RiserBlock& b : g.blocks) {
        blocks.push_back({{"first_row", b.firstRow}, {"last_row", b.lastRow}, {"step_m", b.step}});
    }
    j["blocks"] = std::move(blocks);
    j["floor_rise_m"] = g.floorRise;
    j["total_rise_m"] = g.totalRise;
    j["headroom_m"] = ceiling - g.totalRise;
    return j;
}

}  // namespace

// The room left over the last row's floor, or by how much the floor passes the ceiling.
std::string Headroom(const GroupedRisers& g, double ceiling) {
    const double left = ceiling - g.totalRise;
    return left >= 0 ? Num(left, 2) + " m livres até o teto"
                     : "o piso passa " + Num(-left, 2) + " m do teto";
}

std::string GroupedRisersSummary(const GroupedRisers& g, double ceiling) {
    double least = INFINITY;
    double most = 0;
    for (const RiserBlock& b : g.blocks) {
        least = std::min(least, b.step);
        most = std::max(most, b.step);
    }
    return "blocos de " + std::to_string(g.blockRows) + ": degraus de " + Num(least, 3) + " a " +
           Num(most, 3) + " m; elevação total " + Num(g.totalRise, 3) + " m, " +
           Headroom(g, ceiling);
}

std::string GroupedRisersText(const GroupedRisers& g, double ceiling) {
    std::string text = "blocos de " + std::to_string(g.blockRows) + ":";
    for (const RiserBlock& b : g.blocks) {
        text += " " + std::to_string(b.firstRow) +
                (b.lastRow > b.firstRow ? "-" + std::to_string(b.lastRow) : std::string()) + " " +
                Num(b.step, 3) + " m;";
    }
    return text + " elevação total " + Num(g.totalRise, 3) + " m, " + Headroom(g, ceiling);
}

const char* const kAnalysisJsonHelp =
    "--analysis prints the sightline analysis of the planned screen as a table, instead of the "
    "summary (after it with --summary). Row k's eyes stand nDistOlhos1 + (k - 1) x "
    "nDistEntreFilas from the screen and nAlturaOlhos1 + (k - 1) x nAlturaFila2 above the floor; "
    "the seats stand where the report's plan draws them; a seat is Ideal within 45 degrees either "
    "side of the screen's centre, Aceitável within 45 degrees outside the image's edges, else "
    "Fora. With --json the analysis goes into the JSON object under \"analysis\" instead:\n"
    "  project; screen {top_m, bottom_m, width_m, height_m, image_lines};\n"
    "  rows [{row, eye_distance_m, eye_height_m, angle_top_deg, angle_bottom_deg (degrees, "
    "upwards positive), c_mm (C-value over the row in front, focal point the image's bottom "
    "edge), c_grade (excelente >= 120, bom >= 80, aceitável >= 60, ruim), c2_mm (C2 over the "
    "row two ahead, for staggered seats; null for rows 1 and 2), c2_grade, grade (the grade "
    "that counts: c2_grade with --staggered, c_grade otherwise)}], rows_reason, staggered;\n"
    "  categories [{category (G, A, F), name, divisor (4, 6, 8), farthest_served_m (divisor x "
    "nTelaAltura), rows_beyond [row numbers]}];\n"
    "  discas {farthest_viewer_m (the last row's eyes), element_height_mm (FV_edge / 200, "
    "FV_edge being farthest_viewer_edge_m), percent_eh (FV_edge / (IH x 200) x 100), "
    "adm_farthest_viewer_m (IH x 3438 / nImagemAltura), adm_rows_beyond, image_offset_m "
    "(IO, image bottom above nAlturaOlhos1), closest_viewer_m (1.732 x (IH + IO)), first_row_m, "
    "first_row_far_enough, farthest_viewer_edge_m (the farthest seat to the image's far edge, "
    "sqrt(D^2 + (|x| + W/2)^2)), element_percent (EH, --element-height, default 4), "
    "bdm_image_height_m (farthest_viewer_edge_m / (200 x EH)), bdm_met, divisor_element_percent "
    "(the EH that the divisors 4, 6, 8 imply: 2, 3, 4 %), viewing_area_apex_m (W / (2 tan 60)), "
    "seats_outside_viewing_area (seats whose line to the image's far edge is more than 60 "
    "degrees off the screen's normal: |x| > D x tan 60 - W/2), standard (AVIXA "
    "V202.01:2016)};\n"
    "  seats {per_row, total (less the seats that make way for wheelchair spaces), "
    "wheelchair_seats (those seats: every seat under a 0.80 x 1.20 m space, even in part), "
    "ideal, acceptable, outside (seat counts), ideal_percent, acceptable_percent, "
    "outside_percent, classes_reason, rows [{row, runs [{class (Ideal, Aceitável, Fora), "
    "first, last}], wheelchair_seats [{first, last}]}]}, seats numbered from 1 at the wall on "
    "the left of a viewer facing the screen;\n"
    "  risers {target_c_mm (--target-c, default 90), isoptic [{row, eye_height_m, step_m, "
    "floor_rise_m}] (each row sees over the one in front with exactly the target: E_k = F + "
    "(E_k-1 - F + C) x D_k / D_k-1, F the image's bottom edge, but never below E_k-1: a floor "
    "does not descend towards the back; with --staggered each row over the row two ahead with "
    "exactly the target C2, row 2 level with row 1), constant_step_m (the smallest step, 0 or "
    "more, the same for every row that gives every row at least the target, C2 with "
    "--staggered, rounded up to the millimetre), flat_floor_suffices (a level floor already "
    "gives the target), current_step_m (nAlturaFila2), rows_below_target [rows whose c_mm, "
    "c2_mm with --staggered, with current_step_m is below the target], block_rows_asked "
    "(--riser-block, or best), grouped and "
    "grouped_staggered {block_rows, staggered, blocks [{first_row, last_row, step_m}] (rows in "
    "blocks of 3 to 5 that share one step, each the least whole millimetre that gives every row "
    "of its block the target over the row in front, or C2 over the row two ahead when "
    "staggered), floor_rise_m [every row], total_rise_m, headroom_m (ceiling_m - total_rise_m)}, "
    "grouped_reason, ceiling_m};\n"
    "  accessibility {capacity (n: the seats left and the wheelchair spaces placed), seats, "
    "wheelchair_spaces, reduced_mobility_seats, obese_seats, companion_seats} (Decreto "
    "5.296/2004 art. 23 as of Decreto 9.404/2018, counted against the capacity), with positions "
    "[{row (null on a platform), side (left, right: the row's end by the aisle at that side "
    "wall), platform {height_m, distance_m} or null, by_default (the first row on the room's "
    "floor when no --wheelchair or --wheelchair-platform is given), floor_m, eye_m (floor + "
    "1.15), distance_m (eyes from the screen, the 0.80 x 1.20 m space's back edge), needed_m "
    "(1.732 x (image top - floor - 1.15), 0 or more), thirty_degrees_ok (distance_m >= "
    "needed_m), row_in_front, c_mm (C-value of the line to the image's bottom edge over that "
    "row's eyes), clears_row_in_front (c_mm >= 120: over the head, eyes + 0.12 m; true with no "
    "row in front), near_wall_m (the space's edge nearest the left wall), row_behind, c_behind_mm, "
    "row_behind_ok and c_behind_grade (the first row behind the space: its C-value over the "
    "space's user's eyes, whether it reaches the target C, null without a row behind; a space "
    "whose row behind falls short fails and is drawn red), seats_taken [{row, first, last}] (the "
    "seats under the "
    "space, its own row first), reach_in_front_m (1.20 m less the row distance: how far a "
    "space in a row reaches in front of it) and rows_reached (the rows in front whose seats "
    "make way), reason (a place the "
    "project lacks: its figures are null)}], spaces_placed, spaces_missing (the spaces the "
    "capacity asks for that have no place on the plan), interpreter {width_percent, "
    "height_percent, corner (lower right or lower left as the audience sees the image), "
    "content_scale (max(1 - width, 1 - height): the content kept whole beside or "
    "above the window), text_height_mm (EH x IH x content_scale), smallest_legible_mm (FV / "
    "200), legible} or null without --interpreter; accessibility_reason.\n"
    "  Lengths in metres unless the key says mm. A figure that the project makes meaningless (no "
    "rows, seat width 0, image of no height or no resolution, eyes in the plane of the screen) "
    "is null, and its companion key NAME_reason says why (NAME_reason is null when the figure "
    "has a value); c_grade is null with c_mm, and ideal, acceptable, outside and the rows' runs "
    "are null or empty when classes_reason is set.\n";

Json AnalysisJson(const SightlineAnalysis& a) {
    Json j;
    j["project"] = a.project;
    j["screen"] = {{"top_m", a.screenTop},
                   {"bottom_m", a.screenBottom},
                   {"width_m", a.screenWidth},
                   {"height_m", a.screenHeight},
                   {"image_lines", a.imageLines}};

    Json rows = Json::array();
    for (const RowFigures& r : a.rows) {
        Json row;
        row["row"] = r.number;
        row["eye_distance_m"] = r.eyeDistance;
        row["eye_height_m"] = r.eyeHeight;
        PutFigure(row, "angle_top_deg", r.angleToTop);
        PutFigure(row, "angle_bottom_deg", r.angleToBottom);
        PutFigure(row, "c_mm", r.cValueMm);
        row["c_grade"] = r.grade ? Json(CGradeName(*r.grade)) : Json(nullptr);
        PutFigure(row, "c2_mm", r.c2ValueMm);
        row["c2_grade"] = r.c2Grade ? Json(CGradeName(*r.c2Grade)) : Json(nullptr);
        const std::optional<CGrade>& counted = CountingGrade(a, r);
        row["grade"] = counted ? Json(CGradeName(*counted)) : Json(nullptr);
        rows.push_back(std::move(row));
    }
    j["rows"] = a.rowsReason.empty() ? std::move(rows) : Json(nullptr);
    j["rows_reason"] = ReasonJson(a.rowsReason);
    j["staggered"] = a.staggered;

    Json categories = Json::array();
    for (const CategoryFigures& c : a.categories) {
        Json cat;
        cat["category"] = std::string(1, c.letter);
        cat["name"] = c.name;
        cat["divisor"] = static_cast<int>(c.divisor);
        PutFigure(cat, "farthest_served_m", c.farthestServed);
        PutRows(cat, "rows_beyond", c.rowsBeyond, c.rowsBeyondReason);
        categories.push_back(std::move(cat));
    }
    j["categories"] = std::move(categories);

    const DiscasFigures& d = a.discas;
    Json discas;
    PutFigure(discas, "farthest_viewer_m", d.farthestViewer);
    PutFigure(discas, "element_height_mm", d.elementHeightMm);
    PutFigure(discas, "percent_eh", d.percentElementHeight);
    PutFigure(discas, "adm_farthest_viewer_m", d.analyticalFarthest);
    PutRows(discas, "adm_rows_beyond", d.rowsBeyondAnalytical, d.rowsBeyondAnalyticalReason);
    discas["image_offset_m"] = d.imageOffset;
    PutFigure(discas, "closest_viewer_m", d.closestViewer);
    PutFigure(discas, "first_row_m", d.firstRowDistance);
    discas["first_row_far_enough"] =
        d.firstRowFarEnough ? Json(*d.firstRowFarEnough) : Json(nullptr);
    discas["first_row_far_enough_reason"] = ReasonJson(d.firstRowFarEnoughReason);
    PutFigure(discas, "farthest_viewer_edge_m", d.farthestViewerEdge);
    discas["element_percent"] = d.elementPercent;
    PutFigure(discas, "bdm_image_height_m", d.bdmImageHeight);
    discas["bdm_met"] = d.bdmMet ? Json(*d.bdmMet) : Json(nullptr);
    discas["bdm_met_reason"] = ReasonJson(d.bdmMetReason);
    discas["divisor_element_percent"] = {{"4", 2}, {"6", 3}, {"8", 4}};
    PutFigure(discas, "viewing_area_apex_m", d.viewingAreaApex);
    PutCount(discas, "seats_outside_viewing_area", d.seatsOutsideArea);
    discas["standard"] = "AVIXA V202.01:2016";
    j["discas"] = std::move(discas);

    const SeatFigures& s = a.seats;
    Json seats;
    PutCount(seats, "per_row", s.seatsPerRow);
    PutCount(seats, "total", s.total);
    seats["wheelchair_seats"] = s.wheelchairSeats;
    const bool classified = s.shares[0].value.has_value();
    const char* const names[3] = {"ideal", "acceptable", "outside"};
    for (int c = 0; c < 3; ++c) {
        seats[names[c]] = classified ? Json(s.counts[c]) : Json(nullptr);
    }
    for (int c = 0; c < 3; ++c) {
        seats[std::string(names[c]) + "_percent"] = NullableJson(s.shares[c].value);
    }
    seats["classes_reason"] = ReasonJson(s.shares[0].reason);
    Json seatRows = Json::array();
    for (const SeatRowFigures& row : s.rows) {
        Json runs = Json::array();
        for (const SeatRun& run : row.runs) {
            runs.push_back({{"class", SeatClassName(run.seatClass)},
                            {"first", run.first},
                            {"last", run.last}});
        }
        Json wheelchair = Json::array();
        for (const auto& [first, last] : row.wheelchairSeats) {
            wheelchair.push_back({{"first", first}, {"last", last}});
        }
        seatRows.push_back({{"row", row.row},
                            {"runs", std::move(runs)},
                            {"wheelchair_seats", std::move(wheelchair)}});
    }
    seats["rows"] = std::move(seatRows);
    j["seats"] = std::move(seats);

    const RiserDesign& r = a.risers;
    Json risers;
    risers["target_c_mm"] = r.targetCmm;
    Json isoptic = Json::array();
    for (const IsopticRow& row : r.isoptic.value_or(std::vector<IsopticRow>{})) {
        Json entry;
        entry["row"] = row.row;
        entry["eye_height_m"] = row.eyeHeight;
        PutFigure(entry, "step_m", row.step);
        entry["floor_rise_m"] = row.floorRise;
        isoptic.push_back(std::move(entry));
    }
    risers["isoptic"] = r.isoptic ? std::move(isoptic) : Json(nullptr);
    risers["isoptic_reason"] = ReasonJson(r.isopticReason);
    PutFigure(risers, "constant_step_m", r.constantStep);
    risers["flat_floor_suffices"] = r.flatFloorSuffices;
    risers["current_step_m"] = r.currentStep;
    PutRows(risers, "rows_below_target", r.rowsBelowTarget, r.rowsBelowTargetReason);
    risers["block_rows_asked"] = r.blockRowsAsked == 0 ? Json("best") : Json(r.blockRowsAsked);
    risers["grouped"] = r.grouped ? GroupedJson(*r.grouped, r.ceiling) : Json(nullptr);
    risers["grouped_staggered"] =
        r.groupedStaggered ? GroupedJson(*r.groupedStaggered, r.ceiling) : Json(nullptr);
    risers["grouped_reason"] = ReasonJson(r.grouped && r.groupedStaggered ? "" : r.groupedReason);
    risers["ceiling_m"] = r.ceiling;
    j["risers"] = std::move(risers);
    if (a.accessibility) {
        const AccessibilityCounts& c = *a.accessibility;
        j["accessibility"] = {{"capacity", c.capacity},
                              {"seats", static_cast<std::int64_t>(a.seats.total.value.value_or(0))},
                              {"wheelchair_spaces", c.wheelchairSpaces},
                              {"reduced_mobility_seats", c.reducedMobilitySeats},
                              {"obese_seats", c.obeseSeats},
                              {"companion_seats", c.companionSeats}};
        PutAccessibilityPlaces(j["accessibility"], a);
    } else {
        j["accessibility"] = nullptr;
    }
    j["accessibility_reason"] = ReasonJson(a.accessibilityReason);
    return j;
}

std::string AnalysisTable(const SightlineAnalysis& a) {
    std::ostringstream out;
    out << "Análise das linhas de visão: " << a.project << "\n";
    out << "Tela pretendida: " << Num(a.screenWidth, 2) << " x " << Num(a.screenHeight, 2)
        << " m, topo a " << Num(a.screenTop, 2) << " m e borda inferior a "
        << Num(a.screenBottom, 2) << " m do piso; imagem com " << Num(a.imageLines, 0)
        << " linhas\n\n";
    RowsSection(a, out);
    out << "\n";
    CategoriesSection(a, out);
    out << "\n";
    DiscasSection(a, out);
    out << "\n";
    SeatsSection(a, out);
    out << "\n";
    RisersSection(a, out);
    if (a.accessibility) {
        const AccessibilityCounts& c = *a.accessibility;
        // "1 espaço", "2 espaços": the noun agrees with its count.
        const auto count = [](std::int64_t n, const char* one, const char* many) {
            return std::to_string(n) + " " + (n == 1 ? one : many);
        };
        const auto seats = static_cast<std::int64_t>(a.seats.total.value.value_or(0));
        out << "Acessibilidade (Decreto 9.404/2018) para a lotação de "
            << count(c.capacity, "lugar", "lugares") << " (" << count(seats, "assento", "assentos")
            << " e " << count(c.capacity - seats, "espaço", "espaços")
            << " para cadeira de rodas): " << count(c.wheelchairSpaces, "espaço", "espaços")
            << " para cadeira de rodas (0,80 x 1,20 m), "
            << count(c.reducedMobilitySeats, "assento", "assentos") << " para mobilidade reduzida ("
            << c.obeseSeats << " para pessoas obesas), "
            << count(c.companionSeats, "assento", "assentos") << " de acompanhante\n";
        out << AccessibilityPlacesTable(a);
    } else {
        out << "Acessibilidade: - (" << a.accessibilityReason << ")\n";
    }
    return out.str();
}

}  // namespace vm

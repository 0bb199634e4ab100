#include "report/accessibility_output.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>

#include "report/figure_output.h"
#include "report/sightline_analysis.h"

namespace vm {

namespace {

// "; fila de trás 2: C 268 mm (excelente)", or nothing without a row behind.
std::string RowBehindText(const WheelchairPosition& w) {
    if (!w.cBehindMm) {
        return "";
    }
    return "; fila de trás " + std::to_string(w.rowBehind) + ": C " + Num(*w.cBehindMm, 0) +
           " mm (" + CGradeName(GradeOfCValue(*w.cBehindMm)) + ")" +
           (w.rowBehindOk == false ? ", NÃO atinge o C alvo" : "");
}

// "1-2 da fila 2 e 1-2 da fila 1".
std::string SpansText(const std::vector<SeatSpan>& spans) {
    std::string out;
    for (size_t i = 0; i < spans.size(); ++i) {
        const SeatSpan& s = spans[i];
        out += i == 0 ? "" : i + 1 == spans.size() ? " e " : ", ";
        out += std::to_string(s.first) + (s.last > s.first ? "-" + std::to_string(s.last) : "") +
               " da fila " + std::to_string(s.row);
    }
    return out;
}

// "; no lugar dos assentos 1-2 da fila 2 e 1-2 da fila 1; o espaço de 1.20 m avança 0.20 m
// sobre a fila 1", or nothing for a space that takes no seat and reaches over no other row.
std::string SeatsTakenText(const WheelchairPosition& w) {
    std::string out;
    if (!w.seatsTaken.empty()) {
        const bool one = w.seatsTaken.size() == 1 && w.seatsTaken[0].first == w.seatsTaken[0].last;
        out += std::string("; no lugar ") + (one ? "do assento " : "dos assentos ") +
               SpansText(w.seatsTaken);
    }
    // Into the free floor before the first row it takes nothing: no note.
    if (w.reachInFront > 0 && !w.rowsReached.empty()) {
        out += "; o espaço de " + Num(kWheelchairSpaceDepth, 2) + " m avança " +
               Num(w.reachInFront, 2) + " m " +
               (w.rowsReached.size() == 1 ? "sobre a fila " : "sobre as filas ") +
               RowList(w.rowsReached);
    }
    return out;
}

std::string Percent(double value) {
    return Num(value, value == static_cast<long long>(value) ? 0 : 1) + " %";
}

}  // namespace

const char* const kWheelchairRule =
    "olhos a 1.15 m do piso do espaço (0.80 x 1.20 m); 30° até o topo da imagem: distância >= "
    "1.732 x (topo - piso - 1.15); a linha até a borda inferior passa sobre a cabeça da fila da "
    "frente (olhos + 0.12 m: valor C >= 120 mm)";

std::string WheelchairPlaceText(const WheelchairPosition& w) {
    const std::string side = AisleSideName(w.place.side);
    if (w.place.row > 0) {
        return "fila " + std::to_string(w.place.row) + ", " + side;
    }
    return "plataforma a " + Num(w.place.platformHeight, 2) + " m, " +
           Num(w.place.platformDistance, 2) + " m da tela, " + side;
}

std::string WheelchairLine(const WheelchairPosition& w) {
    std::string line = WheelchairPlaceText(w) + (w.byDefault ? " (padrão)" : "") + ": ";
    if (!w.reason.empty()) {
        return line + "- (" + w.reason + ")";
    }
    line += "olhos a " + Num(w.eye, 2) + " m, " + Num(w.distance, 2) + " m da tela; 30°: mínimo " +
            Num(w.neededDistance, 2) + " m, ";
    line += w.thirtyDegreesOk ? "atende" : "NÃO atende";
    line += "; fila da frente: ";
    if (w.rowInFront == 0) {
        return line + "nenhuma, atende" + RowBehindText(w) + SeatsTakenText(w);
    }
    line += std::to_string(w.rowInFront) + ", C ";
    if (!w.cValueMm) {
        return line + "- (" + w.cValueReason + ")" + SeatsTakenText(w);
    }
    return line + Num(*w.cValueMm, 0) + " mm, " +
           (w.clearsRowInFront ? "passa sobre a cabeça" : "NÃO passa sobre a cabeça") +
           RowBehindText(w) + SeatsTakenText(w);
}

std::string InterpreterLine(const InterpreterFigures& f) {
    std::string line = "Janela do intérprete de Libras " + Percent(f.window.widthPercent) + " x " +
                       Percent(f.window.heightPercent) + " da imagem, no canto inferior " +
                       InterpreterCornerName(f.window) + ": o conteúdo fica com " +
                       Percent(f.contentScale * 100) + " do tamanho; menor elemento ";
    if (!f.textHeightMm) {
        return line + "- (" + f.reason + ")";
    }
    line += Num(*f.textHeightMm, 1) + " mm";
    if (!f.legible) {
        return line + ", legível - (" + f.reason + ")";
    }
    line += " contra " + Num(*f.smallestLegibleMm, 1) + " mm legíveis (regra FV_borda / 200): ";
    return line + (*f.legible ? "legível" : "AVISO: texto menor que o menor elemento legível");
}

std::int64_t SpacesMissing(const SightlineAnalysis& a) {
    if (!a.accessibility) {
        return 0;
    }
    const auto placed = std::count_if(a.wheelchairs.begin(), a.wheelchairs.end(),
                                      [](const WheelchairPosition& w) { return w.reason.empty(); });
    return std::max<std::int64_t>(0, a.accessibility->wheelchairSpaces - placed);
}

std::string MissingSpacesLine(const SightlineAnalysis& a) {
    const std::int64_t missing = SpacesMissing(a);
    if (missing == 0) {
        return "";
    }
    const std::int64_t required = a.accessibility->wheelchairSpaces;
    return "AVISO: o plano tem " + std::to_string(required - missing) + " dos " +
           std::to_string(required) +
           " espaços para cadeira de rodas que a lotação exige; indique lugares para os " +
           std::to_string(missing) + " que faltam";
}

std::string AccessibilityPlacesTable(const SightlineAnalysis& a) {
    std::ostringstream out;
    out << "Espaços para cadeira de rodas (" << kWheelchairRule << ")\n";
    TextTable t({"Lugar", "Piso (m)", "Olhos (m)", "Distância (m)", "Mínima 30° (m)", "30°",
                 "Fila à frente", "C (mm)", "Sobre a cabeça", "Fila de trás", "C de trás (mm)",
                 "No lugar dos assentos"},
                "LRRRRLRRLRLL");
    for (const WheelchairPosition& w : a.wheelchairs) {
        const std::string place = WheelchairPlaceText(w) + (w.byDefault ? " (padrão)" : "");
        if (!w.reason.empty()) {
            t.Add({place, "-", "-", "-", "-", "- (" + w.reason + ")", "", "", "", "", "", ""});
            continue;
        }
        t.Add({place, Num(w.floor, 2), Num(w.eye, 2), Num(w.distance, 2), Num(w.neededDistance, 2),
               w.thirtyDegreesOk ? "sim" : "não",
               w.rowInFront ? std::to_string(w.rowInFront) : "nenhuma",
               w.cValueMm ? Num(*w.cValueMm, 1) : "-", w.clearsRowInFront ? "sim" : "não",
               w.rowBehind ? std::to_string(w.rowBehind) : "nenhuma",
               w.cBehindMm ? Num(*w.cBehindMm, 1) + " " + CGradeName(GradeOfCValue(*w.cBehindMm)) +
                                 (w.rowBehindOk == false ? ", abaixo do alvo" : "")
                           : "-",
               w.seatsTaken.empty() ? "nenhum" : SpansText(w.seatsTaken)});
    }
    out << t.Text();
    if (const std::string missing = MissingSpacesLine(a); !missing.empty()) {
        out << missing << "\n";
    }
    if (a.interpreter) {
        out << InterpreterLine(*a.interpreter) << "\n";
    }
    return out.str();
}

void PutAccessibilityPlaces(nlohmann::ordered_json& accessibility, const SightlineAnalysis& a) {
    using Json = nlohmann::ordered_json;
    Json positions = Json::array();
    for (const WheelchairPosition& w : a.wheelchairs) {
        Json j;
        j["row"] = w.place.row > 0 ? Json(w.place.row) : Json(nullptr);
        j["side"] = w.place.side == AisleSide::Left ? "left" : "right";
        j["platform"] = w.place.row > 0 ? Json(nullptr)
                                        : Json({{"height_m", w.place.platformHeight},
                                                {"distance_m", w.place.platformDistance}});
        j["by_default"] = w.byDefault;
        const bool figures = w.reason.empty();
        const auto put = [&](const char* key, Json value) {
            j[key] = figures ? std::move(value) : Json(nullptr);
        };
        put("floor_m", w.floor);
        put("eye_m", w.eye);
        put("distance_m", w.distance);
        put("needed_m", w.neededDistance);
        put("thirty_degrees_ok", w.thirtyDegreesOk);
        put("row_in_front", w.rowInFront > 0 ? Json(w.rowInFront) : Json(nullptr));
        put("c_mm", w.cValueMm ? Json(*w.cValueMm) : Json(nullptr));
        j["c_mm_reason"] = ReasonJson(!figures ? w.reason : w.cValueMm ? "" : w.cValueReason);
        put("clears_row_in_front", w.clearsRowInFront);
        put("near_wall_m", w.nearWall);
        put("row_behind", w.rowBehind > 0 ? Json(w.rowBehind) : Json(nullptr));
        put("c_behind_mm", w.cBehindMm ? Json(*w.cBehindMm) : Json(nullptr));
        put("row_behind_ok", w.rowBehindOk ? Json(*w.rowBehindOk) : Json(nullptr));
        put("c_behind_grade",
            w.cBehindMm ? Json(CGradeName(GradeOfCValue(*w.cBehindMm))) : Json(nullptr));
        Json taken = Json::array();
        for (const SeatSpan& span : w.seatsTaken) {
            taken.push_back({{"row", span.row}, {"first", span.first}, {"last", span.last}});
        }
        j["seats_taken"] = std::move(taken);
        put("reach_in_front_m", w.reachInFront);
        j["rows_reached"] = w.rowsReached;
        j["reason"] = ReasonJson(w.reason);
        positions.push_back(std::move(j));
    }
    accessibility["positions"] = std::move(positions);
    accessibility["spaces_placed"] = a.wheelchairs.size();
    accessibility["spaces_missing"] = SpacesMissing(a);
    if (!a.interpreter) {
        accessibility["interpreter"] = nullptr;
        return;
    }
    const InterpreterFigures& f = *a.interpreter;
    accessibility["interpreter"] = {
        {"width_percent", f.window.widthPercent},
        {"height_percent", f.window.heightPercent},
        {"corner", f.window.left ? "lower_left" : "lower_right"},
        {"content_scale", f.contentScale},
        {"text_height_mm", NullableJson(f.textHeightMm)},
        {"smallest_legible_mm", NullableJson(f.smallestLegibleMm)},
        {"legible", f.legible ? Json(*f.legible) : Json(nullptr)},
        {"legible_reason", ReasonJson(f.reason)},
    };
}

}  // namespace vm

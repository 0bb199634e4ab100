#include "report/projection_output.h"

#include <cmath>
#include <sstream>

#include "report/projection.h"

namespace vm {

namespace {

Figure Rounded(const Figure& f) {
    return f.value ? Figure::Of(std::round(*f.value)) : f;
}

OrderedJson InputsJson(const ProjectionInputs& in) {
    OrderedJson j;
    j["ambient_lux"] = NullableJson(in.ambientLux);
    j["contrast"] = in.contrast;
    j["gain"] = in.gain;
    j["lens_derating"] = in.lensDerating;
    j["ageing_derating"] = in.ageingDerating;
    j["throw_ratio_min"] = NullableJson(in.throwRatioMin);
    j["throw_ratio_max"] = NullableJson(in.throwRatioMax ? in.throwRatioMax : in.throwRatioMin);
    j["lens_offset"] = in.lensOffset;
    j["lens_height_m"] = NullableJson(in.lensHeight);
    j["throw_distance_m"] = NullableJson(in.throwDistance);
    j["led_pitch_mm"] = NullableJson(in.ledPitchMm);
    j["led_tile_width_m"] = NullableJson(in.ledTileWidth);
    j["led_tile_height_m"] = NullableJson(in.ledTileHeight);
    return j;
}

std::string LumensText(const Figure& f) {
    return f.value ? Lumens(*f.value) + " lm" : "- (" + f.reason + ")";
}

std::string ContrastText(double contrast) {
    return Num(contrast, contrast == std::round(contrast) ? 0 : 1) + ":1";
}

void BrightnessSection(const ProjectionFigures& f, std::ostringstream& out) {
    const ProjectionInputs& in = f.inputs;
    out << "Brilho do projetor (L = C x E x A / (G x Dl x Dr))\n";
    if (f.images.empty()) {
        out << " - (" << f.brightnessReason << ")\n";
        return;
    }
    out << LabelledLines({
        {"Iluminação ambiente na tela (E)", Num(*in.ambientLux, 0) + " lx"},
        {"Contraste (C)", ContrastText(in.contrast) + " (" +
                              (f.category ? f.category->name : "abaixo de visualização passiva") +
                              ")"},
        {"Ganho da tela (G)", Num(in.gain, 2)},
        {"Fatores da lente (Dl) e de envelhecimento (Dr)",
         Num(in.lensDerating, 2) + " e " + Num(in.ageingDerating, 2)},
    });
    TextTable images({"Imagem", "Largura (m)", "Altura (m)", "Área (m²)", "Lúmens",
                      "Lúmens com (C - 1)"},
                     "LRRRRR");
    for (const ImageBrightness& b : f.images) {
        images.Add({b.name, Num(b.width, 2), Num(b.height, 2), Num(b.area, 2),
                    LumensText(b.lumens), LumensText(b.lumensExact)});
    }
    out << images.Text();
    out << "Imagem planejada por categoria de visualização (ANSI/INFOCOMM 3M-2011)\n";
    TextTable categories({"Categoria", "Contraste", "Lúmens", "Lúmens com (C - 1)"}, "LRRR");
    for (const CategoryBrightness& c : f.categories) {
        categories.Add({c.category->name, ContrastText(c.category->contrast),
                        LumensText(c.lumens), LumensText(c.lumensExact)});
    }
    out << categories.Text();
}

void ThrowSection(const ProjectionFigures& f, std::ostringstream& out) {
    out << "Distância de projeção e feixe\n";
    if (!f.throwFigures) {
        out << " - (" << f.throwReason << ")\n";
        return;
    }
    out << LabelledLines(ThrowLines(f));
    for (const std::string& w : f.throwFigures->warnings) {
        out << " Aviso: " << w << "\n";
    }
}

void LedSection(const ProjectionFigures& f, std::ostringstream& out) {
    out << "Painel de LED\n";
    if (!f.led) {
        out << " - (" << f.ledReason << ")\n";
        return;
    }
    out << LabelledLines(LedLines(f));
}

}  // namespace

std::string Lumens(double lumens) {
    std::string digits = Num(std::round(lumens), 0);
    const size_t start = digits[0] == '-' ? 1 : 0;
    for (size_t i = digits.size(); i > start + 3; i -= 3) {
        digits.insert(i - 3, " ");
    }
    return digits;
}

std::vector<std::pair<std::string, std::string>> ThrowLines(const ProjectionFigures& f) {
    const ThrowFigures& t = *f.throwFigures;
    const ProjectionInputs& in = f.inputs;
    const bool zoom = in.throwRatioMax && *in.throwRatioMax != *in.throwRatioMin;
    std::string ratio = Num(*in.throwRatioMin, 2);
    std::string distance = Num(t.distanceMin, 2);
    if (zoom) {
        ratio += " a " + Num(*in.throwRatioMax, 2);
        distance += " a " + Num(t.distanceMax, 2);
    }
    std::string height = Num(t.lensHeight, 2) + " m do piso";
    if (!t.lensHeightSet) {
        height += " (base da imagem + " + Num(in.lensOffset, 2) + " x sua altura)";
    }
    return {
        {"Razão de projeção", ratio},
        {"Distância da lente à tela", distance + " m"},
        {"Lente a", Num(t.lensDistance, 2) + " m da tela"},
        {"Altura do centro da lente", height},
        {"Filas cuja cabeça corta o feixe", RowList(t.rowsInBeam, f.rowsReason)},
        {"Filas que veem o projetor", RowList(t.rowsSeeingProjector, f.rowsReason)},
    };
}

std::vector<std::pair<std::string, std::string>> LedLines(const ProjectionFigures& f) {
    const LedFigures& l = *f.led;
    const auto tiles = [](const Figure& n, const Figure& rest) {
        if (!n.value) {
            return "- (" + n.reason + ")";
        }
        std::string text = Num(*n.value, 0);
        if (rest.value && *rest.value > 0) {
            text += " (sobram " + Num(*rest.value, 3) + " m)";
        }
        return text;
    };
    return {
        {"Pitch", Num(l.pitchMm, 2) + " mm"},
        {"Resolução", l.pixelsAcross.value
                          ? Num(l.pixelsAcross, 0) + " x " + Num(l.pixelsDown, 0) + " pixels"
                          : "- (" + l.pixelsAcross.reason + ")"},
        {"Módulos na largura", tiles(l.tilesAcross, l.remainderAcross)},
        {"Módulos na altura", tiles(l.tilesDown, l.remainderDown)},
        {"1 pixel = 1 minuto de arco a", Num(l.acuityDistance, 2) + " m (3.438 x pitch)"},
        {"Filas mais perto (veem os pixels)", RowList(l.rowsCloser, l.rowsCloserReason)},
        {"Maior pitch para a primeira fila", WithReason(l.largestPitchFirstRowMm, 2, "mm")},
    };
}

std::string ProjectionTable(const ProjectionFigures& f) {
    std::ostringstream out;
    BrightnessSection(f, out);
    out << "\n";
    ThrowSection(f, out);
    out << "\n";
    LedSection(f, out);
    return out.str();
}

OrderedJson ProjectionJson(const ProjectionFigures& f) {
    OrderedJson j;
    j["inputs"] = InputsJson(f.inputs);
    if (f.category) {
        j["category"] = f.category->key;
        j["category_name"] = f.category->name;
    } else {
        j["category"] = nullptr;
        j["category_name"] = nullptr;
    }
    if (f.images.empty()) {
        j["brightness"] = nullptr;
    } else {
        OrderedJson b;
        OrderedJson images = OrderedJson::array();
        for (const ImageBrightness& i : f.images) {
            OrderedJson image;
            image["image"] = i.key;
            image["name"] = i.name;
            image["width_m"] = i.width;
            image["height_m"] = i.height;
            image["area_m2"] = i.area;
            PutFigure(image, "lumens", Rounded(i.lumens));
            PutFigure(image, "lumens_exact", Rounded(i.lumensExact));
            images.push_back(image);
        }
        b["images"] = images;
        OrderedJson categories = OrderedJson::array();
        for (const CategoryBrightness& c : f.categories) {
            OrderedJson category;
            category["category"] = c.category->key;
            category["name"] = c.category->name;
            category["contrast"] = c.category->contrast;
            PutFigure(category, "lumens", Rounded(c.lumens));
            PutFigure(category, "lumens_exact", Rounded(c.lumensExact));
            categories.push_back(category);
        }
        b["categories"] = categories;
        j["brightness"] = b;
    }
    j["brightness_reason"] = ReasonJson(f.brightnessReason);

    if (!f.throwFigures) {
        j["throw"] = nullptr;
    } else {
        const ThrowFigures& t = *f.throwFigures;
        OrderedJson tj;
        PutFigure(tj, "distance_min_m", t.distanceMin);
        PutFigure(tj, "distance_max_m", t.distanceMax);
        PutFigure(tj, "lens_distance_m", t.lensDistance);
        PutFigure(tj, "lens_height_m", t.lensHeight);
        PutRows(tj, "rows_in_beam", t.rowsInBeam, t.rowsInBeam ? "" : f.rowsReason);
        PutRows(tj, "rows_seeing_projector", t.rowsSeeingProjector,
                t.rowsSeeingProjector ? "" : f.rowsReason);
        OrderedJson rows = OrderedJson::array();
        for (const BeamRow& r : t.beamRows) {
            rows.push_back({{"row", r.row},
                            {"eye_distance_m", r.eyeDistance},
                            {"head_height_m", r.headHeight},
                            {"beam_lower_edge_m", r.beamLowerEdge},
                            {"cuts_beam", r.headHeight > r.beamLowerEdge}});
        }
        tj["rows"] = rows;
        OrderedJson behind = OrderedJson::array();
        for (const ViewRow& v : t.viewRows) {
            behind.push_back({{"row", v.row},
                              {"eye_distance_m", v.eyeDistance},
                              {"view_bottom_m", v.viewBottom},
                              {"view_top_m", v.viewTop},
                              {"sees_projector", v.seesProjector}});
        }
        tj["rows_behind"] = behind;
        tj["warnings"] = t.warnings;
        j["throw"] = tj;
    }
    j["throw_reason"] = ReasonJson(f.throwReason);

    if (!f.led) {
        j["led"] = nullptr;
    } else {
        const LedFigures& l = *f.led;
        OrderedJson lj;
        lj["pitch_mm"] = l.pitchMm;
        PutCount(lj, "pixels_across", l.pixelsAcross);
        PutCount(lj, "pixels_down", l.pixelsDown);
        PutCount(lj, "tiles_across", l.tilesAcross);
        PutCount(lj, "tiles_down", l.tilesDown);
        PutFigure(lj, "remainder_across_m", l.remainderAcross);
        PutFigure(lj, "remainder_down_m", l.remainderDown);
        lj["acuity_distance_m"] = l.acuityDistance;
        PutRows(lj, "rows_closer", l.rowsCloser, l.rowsCloserReason);
        PutFigure(lj, "largest_pitch_first_row_mm", l.largestPitchFirstRowMm);
        j["led"] = lj;
    }
    j["led_reason"] = ReasonJson(f.ledReason);
    return j;
}

const char* const kProjectionJsonHelp =
    "--ambient-lux, --contrast, --gain, --lens-derating, --ageing-derating, --throw-ratio, "
    "--lens-offset, --lens-height, --throw-distance, --led-pitch and --led-tile size the "
    "projector or the LED wall for the planned screen; with any of them the output carries the "
    "projection figures: a table after the result lines, or with --json an object under "
    "\"projection\":\n"
    "  inputs {ambient_lux, contrast, gain, lens_derating, ageing_derating, throw_ratio_min, "
    "throw_ratio_max, lens_offset, lens_height_m, throw_distance_m, led_pitch_mm, "
    "led_tile_width_m, led_tile_height_m}; category (passive 7:1, basic 15:1, analytical 50:1, "
    "video 80:1: the most demanding that --contrast meets), category_name;\n"
    "  brightness {images [{image (planned, G, A, F), name, width_m, height_m, area_m2, lumens "
    "(C x E x A / (G x Dl x Dr), rounded to the lumen), lumens_exact (the same with C - 1)}], "
    "categories [{category, name, contrast, lumens, lumens_exact}] (the planned image)};\n"
    "  throw {distance_min_m, distance_max_m (throw ratio x image width), lens_distance_m "
    "(--throw-distance, else the shortest), lens_height_m (--lens-height, else the image's "
    "bottom + --lens-offset image heights), rows_in_beam [rows whose head, eyes + 0.12 m, cuts "
    "the beam], rows_seeing_projector [rows behind the lens whose view of the image, between the "
    "sight lines to its bottom and top edges at the lens's distance, overlaps the projector's "
    "body, 0.25 m high centred on the lens], rows [{row, eye_distance_m, head_height_m, "
    "beam_lower_edge_m, cuts_beam}] (between screen and lens), rows_behind [{row, "
    "eye_distance_m, view_bottom_m, view_top_m, sees_projector}] (behind the lens), "
    "warnings [texts]};\n"
    "  led {pitch_mm, pixels_across, pixels_down, tiles_across, tiles_down, remainder_across_m, "
    "remainder_down_m, acuity_distance_m (3.438 x pitch), rows_closer [rows nearer than it], "
    "largest_pitch_first_row_mm (first row's distance / 3.438)}.\n"
    "A part that cannot be computed is null and its KEY_reason says why.\n";

}  // namespace vm

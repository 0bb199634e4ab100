#include "report/projection_page.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/dados_projeto.h"
#include "report/analysis_pages.h"
#include "report/figure_output.h"
#include "report/projection_output.h"
#include "report/report_style.h"

namespace vm {

namespace {

constexpr Color kCutting{220, 0, 0};

// The drawable part of the page (the header and footer lie outside).
constexpr double kLeft = 20;
constexpr double kRight = 190;
constexpr double kTop = 28;
constexpr double kSectionTop = 48;
constexpr double kSectionMaxHeight = 70;
constexpr double kLine = 4.2;
constexpr double kLowest = 272;

// A filled square of `size` millimetres centred on (row, col).
void Dot(Canvas& canvas, double row, double col, double size, Color colour) {
    canvas.PrintLine(row, col - size / 2, row, col + size / 2, size, colour);
}

// The section with the lens and its beam; returns the row below it.
double DrawSection(const DadosProjeto& p, const ProjectionFigures& f, Canvas& canvas) {
    ReportText(canvas, kSectionTop - 6, kLeft, 10, Cp1252("Corte: a lente, o feixe e as cabeças"),
               kBlack, true);
    double length = std::max(f.roomLength, 0.0);
    double height = std::max({f.ceiling, f.screenTop, 0.0});
    for (const RowFigures& r : f.rows) {
        length = std::max(length, r.eyeDistance);
        height = std::max(height, r.eyeHeight + kHeadAboveEyes);
    }
    const ThrowFigures* t = f.throwFigures ? &*f.throwFigures : nullptr;
    if (t) {
        length = std::max({length, *t->lensDistance.value, *t->distanceMax.value});
        height = std::max(height, *t->lensHeight.value);
    }
    double lowest = 0;
    if (t) {
        lowest = std::min(lowest, *t->lensHeight.value);
    }
    const double span = height - lowest;
    double S = length > 0 ? (kRight - kLeft) / length : 0;
    if (span > 0) {
        S = S > 0 ? std::min(S, kSectionMaxHeight / span) : kSectionMaxHeight / span;
    }
    if (!(S > 0) || !std::isfinite(S)) {
        ReportText(canvas, kSectionTop, kLeft, 8, Cp1252("- (a sala não tem medidas)"));
        return kSectionTop + 6;
    }
    const double floor = kSectionTop + height * S;
    const auto row = [&](double h) { return floor - h * S; };
    const auto col = [&](double d) { return kLeft + d * S; };

    DrawRoomSection(p, f.rows.size(), f.screenTop, f.screenBottom, canvas, {floor, kLeft, S});

    // Red: the rows whose heads cut the beam and those behind the lens that have it in view.
    std::vector<int> red;
    if (t && t->rowsInBeam) {
        red = *t->rowsInBeam;
    }
    if (t && t->rowsSeeingProjector) {
        red.insert(red.end(), t->rowsSeeingProjector->begin(), t->rowsSeeingProjector->end());
    }
    for (const RowFigures& r : f.rows) {
        const bool cuts = std::find(red.begin(), red.end(), r.number) != red.end();
        const Color colour = cuts ? kCutting : kGrey;
        Dot(canvas, row(r.eyeHeight), col(r.eyeDistance), 1.2, colour);
        canvas.PrintLine(row(r.eyeHeight), col(r.eyeDistance), row(r.eyeHeight + kHeadAboveEyes),
                         col(r.eyeDistance), cuts ? 0.8 : 0.4, colour);
    }
    if (t) {
        const double x = *t->lensDistance.value;
        const double y = *t->lensHeight.value;
        canvas.PrintLine(row(y), col(*t->distanceMin.value), row(y), col(*t->distanceMax.value), 0.6,
                         kGrey);
        canvas.PrintLine(row(y), col(x), row(f.screenTop), col(0) + 1.2, 0.25, kBeamColour);
        canvas.PrintLine(row(y), col(x), row(f.screenBottom), col(0) + 1.2, 0.25, kBeamColour);
        Dot(canvas, row(y), col(x), 2.4, kBeamColour);
        ReportText(canvas, row(y) + 1.5, col(x) + 2, 6, "Projetor", kBeamColour);
    }
    return floor + 4;
}

// Lines of text, `kLine` apart, each at most one line of the column; returns the row after them.
double Lines(Canvas& canvas, double r, const std::vector<std::pair<std::string, std::string>>& lines,
             Color colour = kBlack) {
    for (const auto& [label, value] : lines) {
        ReportText(canvas, r, kLeft + 2, 8, Cp1252(label), colour);
        ReportText(canvas, r, kLeft + 62, 8, Cp1252(value), colour);
        r += kLine;
    }
    return r;
}

std::string LumensText(const Figure& f) {
    return f.value ? Lumens(*f.value) + " lm" : "-";
}

double Brightness(const ProjectionFigures& f, Canvas& canvas, double r) {
    ReportText(canvas, r, kLeft, 10, Cp1252("Brilho do projetor"), kBlack, true);
    r += 5;
    if (f.images.empty()) {
        return Lines(canvas, r, {{"-", f.brightnessReason}});
    }
    const ProjectionInputs& in = f.inputs;
    const std::string contrast = Num(in.contrast, in.contrast == std::round(in.contrast) ? 0 : 1);
    ReportText(canvas, r, kLeft + 2, 8,
               Cp1252("L = C x E x A / (G x Dl x Dr): E " + Num(*in.ambientLux, 0) + " lx, C " +
                      contrast + ":1 (" +
                      (f.category ? f.category->name : "abaixo de visualização passiva") +
                      "), G " + Num(in.gain, 2) + ", Dl " + Num(in.lensDerating, 2) + ", Dr " +
                      Num(in.ageingDerating, 2)));
    r += kLine + 1;
    // A line of the table: a name on the left, three figures right-aligned in their columns.
    const auto line = [&](const std::string& name, const std::string& a, const std::string& b,
                          const std::string& c, bool bold) {
        ReportText(canvas, r, kLeft + 2, 8, Cp1252(name), kBlack, bold);
        const double rights[] = {kLeft + 83, kLeft + 123, kLeft + 163};
        const std::string* cells[] = {&a, &b, &c};
        for (int k = 0; k < 3; ++k) {
            ReportText(canvas, r, rights[k], 8, Cp1252(*cells[k]), kBlack, bold, "RIGHT");
        }
        r += kLine;
    };
    line("Imagem", "Tamanho (m)", "Lúmens", "Com (C - 1)", true);
    for (const ImageBrightness& b : f.images) {
        line(b.name, Num(b.width, 2) + " x " + Num(b.height, 2), LumensText(b.lumens),
             LumensText(b.lumensExact), false);
    }
    r += 1;
    line("Imagem planejada por categoria (ANSI/INFOCOMM 3M-2011)", "", "", "", true);
    for (const CategoryBrightness& c : f.categories) {
        line(c.category->name, Num(c.category->contrast, 0) + ":1", LumensText(c.lumens),
             LumensText(c.lumensExact), false);
    }
    return r;
}

double Throw(const ProjectionFigures& f, Canvas& canvas, double r) {
    ReportText(canvas, r, kLeft, 10, Cp1252("Distância de projeção e feixe"), kBlack, true);
    r += 5;
    if (!f.throwFigures) {
        return Lines(canvas, r, {{"-", f.throwReason}});
    }
    const ThrowFigures& t = *f.throwFigures;
    r = Lines(canvas, r, ThrowLines(f));
    for (const std::string& w : t.warnings) {
        if (r > kLowest) {
            break;
        }
        ReportTextBox(canvas, r - 0.5, kLeft + 2, r + kLine, kRight, 8, Cp1252("Aviso: " + w),
                      kCutting);
        r += kLine;
    }
    return r;
}

double Led(const ProjectionFigures& f, Canvas& canvas, double r) {
    ReportText(canvas, r, kLeft, 10, Cp1252("Painel de LED"), kBlack, true);
    r += 5;
    if (!f.led) {
        return Lines(canvas, r, {{"-", f.ledReason}});
    }
    return Lines(canvas, r, LedLines(f));
}

}  // namespace

ReportPages BuildProjectionPage(const DadosProjeto& p, const ProjectionFigures& f, Canvas& canvas,
                                const PageFileNamer& namer, int firstPageNumber,
                                std::string_view cAutoria) {
    PageFlow pages(p, canvas, namer, firstPageNumber, cAutoria);
    pages.NextPage();
    ReportText(canvas, kTop, kLeft, 12, Cp1252("Projeção"), kBlack, true);
    ReportText(canvas, kTop + 6, kLeft, 8,
               Cp1252("Tela pretendida " + Num(f.screenWidth, 2) + " x " + Num(f.screenHeight, 2) +
                      " m (" + Num(f.screenWidth * f.screenHeight, 2) + " m²), topo a " +
                      Num(f.screenTop, 2) + " m e borda inferior a " + Num(f.screenBottom, 2) +
                      " m do piso."));
    double r = DrawSection(p, f, canvas);
    r = Brightness(f, canvas, r + 2);
    r = Throw(f, canvas, r + 3);
    Led(f, canvas, r + 3);
    pages.EndPage();
    return pages.Finish();
}

}  // namespace vm

#include "report/accessibility_pages.h"

#include "core/dados_projeto.h"
#include "report/accessibility_output.h"
#include "report/report_style.h"
#include "report/sightline_geometry.h"

namespace vm {

namespace {

constexpr Color kPasses{0, 150, 0};
constexpr Color kFails{220, 0, 0};
constexpr Color kSpace{0, 90, 200};
constexpr Color kInterpreter{200, 100, 0};
constexpr Color kWhite{255, 255, 255};

}  // namespace

void DrawAccessibilityInSection(const SightlineAnalysis& a, Canvas& canvas,
                                const SectionPlacement& at) {
    const auto row = [&](double height) { return at.floor - height * at.scale; };
    const auto col = [&](double distance) { return at.wall + distance * at.scale; };
    for (const WheelchairPosition& w : a.wheelchairs) {
        if (!w.reason.empty()) {
            continue;
        }
        const double front = w.distance - kWheelchairSpaceDepth;
        canvas.PrintLine(row(w.floor), col(front), row(w.floor), col(w.distance), 0.5, kSpace);
        if (w.place.row == 0 && w.floor > 0) {
            canvas.PrintLine(row(0), col(front), row(w.floor), col(front), 0.3, kSpace);
        }
        const Color colour = SpacePasses(w) ? kPasses : kFails;
        canvas.PrintLine(row(w.eye), col(w.distance), row(a.screenTop), col(0) + 1.2, 0.15, colour);
        canvas.PrintLine(row(w.eye), col(w.distance), row(a.screenBottom), col(0) + 1.2, 0.15,
                         colour);
        canvas.PrintRectangle(row(w.eye) - 0.8, col(w.distance) - 0.8, row(w.eye) + 0.8,
                              col(w.distance) + 0.8, 0.3, kSpace);
    }
    if (a.interpreter) {
        const double top =
            a.screenBottom + a.screenHeight * a.interpreter->window.heightPercent / 100;
        canvas.PrintLine(row(a.screenBottom), col(0) + 2, row(top), col(0) + 2, 1.2, kInterpreter);
    }
}

void DrawAccessibilityInPlan(const DadosProjeto& p, const SightlineAnalysis& a, Canvas& canvas,
                             double lowerWall, double wall, double scale) {
    for (const WheelchairPosition& w : a.wheelchairs) {
        if (!w.reason.empty()) {
            continue;
        }
        // The space takes the seats' place: blank under its outline.
        const double across = kWheelchairSpaceWidth * scale;
        canvas.PrintLine(lowerWall - (w.nearWall + kWheelchairSpaceWidth / 2) * scale,
                         wall + (w.distance - kWheelchairSpaceDepth) * scale,
                         lowerWall - (w.nearWall + kWheelchairSpaceWidth / 2) * scale,
                         wall + w.distance * scale, across, kWhite);
        canvas.PrintRectangle(lowerWall - (w.nearWall + kWheelchairSpaceWidth) * scale,
                              wall + (w.distance - kWheelchairSpaceDepth) * scale,
                              lowerWall - w.nearWall * scale, wall + w.distance * scale, 0.35,
                              SpacePasses(w) ? kPasses : kFails);
    }
    if (a.interpreter) {
        // The window in the image's right part, seen from the seats, lies towards the upper
        // wall; in its left part towards the lower wall.
        const double width = a.screenWidth * a.interpreter->window.widthPercent / 100;
        const double edge =
            a.interpreter->window.left ? ScreenWallOffset(p) : p.nLargura - ScreenWallOffset(p);
        const double inner = a.interpreter->window.left ? edge + width : edge - width;
        canvas.PrintLine(lowerWall - edge * scale, wall + 2, lowerWall - inner * scale, wall + 2,
                         1.2, kInterpreter);
    }
}

std::vector<std::string> AccessibilityListLines(const SightlineAnalysis& a) {
    std::vector<std::string> lines = {std::string("Espaços para cadeira de rodas: ") +
                                      kWheelchairRule + "."};
    for (const WheelchairPosition& w : a.wheelchairs) {
        lines.push_back(WheelchairLine(w));
    }
    if (const std::string missing = MissingSpacesLine(a); !missing.empty()) {
        lines.push_back(missing);
    }
    if (a.interpreter) {
        lines.push_back(InterpreterLine(*a.interpreter));
    }
    return lines;
}

}  // namespace vm

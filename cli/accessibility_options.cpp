#include "cli/accessibility_options.h"

#include <string>

#include "core/dados_projeto.h"
#include "report/figure_output.h"

namespace vm {

void AddAccessibilityOptions(CLI::App& app, AccessibilityOptionTexts& t) {
    // Each occurrence of --wheelchair and --wheelchair-platform takes one place; the words after
    // it are project files.
    app.add_option(
           "--wheelchair", t.rows,
           std::string(
               "a wheelchair space (0.80 x 1.20 m) at the end of row ROW by the aisle on the "
               "left or right of a viewer facing the screen (default left); repeatable, each "
               "one space beside the last at that end (at most ") +
               std::to_string(kMaxWheelchairPlaces) +
               " places with --wheelchair-platform); without it and --wheelchair-platform "
               "the spaces the hall must keep stand in the first row on the room's floor; "
               "needs --analysis or a .dxf output")
        ->type_name("ROW[:left|right]")
        ->allow_extra_args(false);
    app.add_option("--wheelchair-platform", t.platforms,
                   "a wheelchair space on a level platform HEIGHT metres above the front row's "
                   "floor (0 to 100), its user's eyes DISTANCE metres from the screen (above 0 up "
                   "to 1000); repeatable; needs --analysis or a .dxf output")
        ->type_name("HEIGHT@DISTANCE[:left|right]")
        ->allow_extra_args(false);
    app.add_option("--interpreter", t.interpreter,
                   "a sign-language interpreter's window in the image's lower right corner (or "
                   "lower left with :left, as the audience sees the image), W % "
                   "of the image's width by H % of its height (each above 0, below 100): the "
                   "content shrinks to fit beside or above it, and the analysis warns when its "
                   "smallest element (--element-height) becomes smaller than the farthest viewer "
                   "reads (FV_edge / 200, the farthest seat to the image's far edge); needs "
                   "--analysis or a .dxf output")
        ->type_name("W%xH%[:left|right]");
}

bool HasAccessibilityOptions(const CLI::App& app) {
    return app.count("--wheelchair") + app.count("--wheelchair-platform") +
               app.count("--interpreter") >
           0;
}

bool ParseAccessibilityOptions(const CLI::App& app, const AccessibilityOptionTexts& t,
                               AccessibilityInputs& inputs, std::string* error) {
    const size_t places = t.rows.size() + t.platforms.size();
    if (places > static_cast<size_t>(kMaxWheelchairPlaces)) {
        *error = "--wheelchair and --wheelchair-platform: " + std::to_string(places) +
                 " places; a project holds at most " + std::to_string(kMaxWheelchairPlaces) +
                 " (a hall of 100,000 seats asks 1,010)";
        return false;
    }
    for (const std::string& text : t.rows) {
        const std::optional<WheelchairPlace> place = WheelchairRowFromText(text);
        if (!place) {
            *error =
                "--wheelchair " + text + ": expected a row from 1 to 999, then :left or :right";
            return false;
        }
        inputs.wheelchairs.push_back(*place);
    }
    for (const std::string& text : t.platforms) {
        const std::optional<WheelchairPlace> place = WheelchairPlatformFromText(text);
        if (!place) {
            *error = "--wheelchair-platform " + text +
                     ": expected HEIGHT@DISTANCE in metres (height 0 to 100, distance above 0 up "
                     "to 1000), then :left or :right";
            return false;
        }
        inputs.wheelchairs.push_back(*place);
    }
    if (app.count("--interpreter") > 0) {
        inputs.interpreter = InterpreterWindowFromText(t.interpreter);
        if (!inputs.interpreter) {
            *error = "--interpreter " + t.interpreter +
                     ": expected W%xH%, shares of the image's width and height above 0 and below "
                     "100 (25x30 or 25%x30%), then :left or :right";
            return false;
        }
    }
    return true;
}

std::vector<std::string> WheelchairOptionTexts(const AccessibilityOptionTexts& t) {
    std::vector<std::string> out;
    for (const std::string& text : t.rows) {
        out.push_back("--wheelchair " + text);
    }
    for (const std::string& text : t.platforms) {
        out.push_back("--wheelchair-platform " + text);
    }
    return out;
}

bool WheelchairPlacesFit(const DadosProjeto& p, const AccessibilityInputs& inputs,
                         const std::vector<std::string>& optionTexts, std::string* error) {
    if (inputs.wheelchairs.empty()) {
        return true;
    }
    const std::vector<WheelchairPosition> ws = PlaceWheelchairs(p, inputs.wheelchairs, 0);
    const WheelchairPosition* w = FirstMisfit(ws);
    if (!w) {
        return true;
    }
    const auto typed = [&](size_t index) {
        return index < optionTexts.size() ? optionTexts[index]
                                          : "place " + std::to_string(index + 1);
    };
    *error = typed(static_cast<size_t>(w - ws.data())) + ": ";
    switch (w->misfit) {
        case WheelchairMisfit::OutsideRoom:
            // Spaces at one end stand side by side from its wall.
            *error += "the space would stand " + Num(w->nearWall, 2) + " to " +
                      Num(w->nearWall + kWheelchairSpaceWidth, 2) +
                      " m from the left wall, outside the room's width of " + Num(p.nLargura, 2) +
                      " m";
            break;
        case WheelchairMisfit::Overlaps:
            *error += "overlaps the space of " + typed(static_cast<size_t>(w->misfitWith)) +
                      " (each space is 0.80 x 1.20 m)";
            break;
        case WheelchairMisfit::SameSpot:
            *error += "stands on the same spot as " + typed(static_cast<size_t>(w->misfitWith));
            break;
        case WheelchairMisfit::None:
            break;
    }
    return false;
}

}  // namespace vm

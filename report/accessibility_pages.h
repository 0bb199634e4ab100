#pragma once
// The wheelchair spaces and the interpreter's window on the analysis pages: the spaces with their
// users' eyes and sight lines in the section, the spaces in the plan, and the pass/fail list.

#include <string>
#include <vector>

#include "report/analysis_pages.h"

namespace vm {

// In the section placed by `at`: each space's floor (and a platform's front), its user's eyes
// and the lines to the image's top and bottom edges, green where both checks pass, red where one
// fails; the interpreter's window beside the screen's lower edge.
void DrawAccessibilityInSection(const SightlineAnalysis& a, Canvas& canvas,
                                const SectionPlacement& at);

// In the plan, whose lower side wall lies on row `lowerWall` and screen wall on column `wall`, at
// `scale` millimetres per metre: each space as a 0.80 x 1.20 m box in its verdict's colour, and
// the interpreter's window on the screen at its corner (the lower right one, as the audience
// sees the image, towards the upper wall; the lower left one towards the lower wall).
void DrawAccessibilityInPlan(const DadosProjeto& p, const SightlineAnalysis& a, Canvas& canvas,
                             double lowerWall, double wall, double scale);

// The lines of the pass/fail list (UTF-8): a heading with the rule, each space, the interpreter.
std::vector<std::string> AccessibilityListLines(const SightlineAnalysis& a);

}  // namespace vm

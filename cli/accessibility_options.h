#pragma once
// The tool's options for the wheelchair spaces and the interpreter's window: --wheelchair,
// --wheelchair-platform and --interpreter.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "report/wheelchair_positions.h"

namespace vm {

struct DadosProjeto;

// The options' texts as typed.
struct AccessibilityOptionTexts {
    std::vector<std::string> rows, platforms;
    std::string interpreter;
};

void AddAccessibilityOptions(CLI::App& app, AccessibilityOptionTexts& texts);

// Whether any of the options was given.
bool HasAccessibilityOptions(const CLI::App& app);

// The places and the window the options give (rows first, then platforms, each in the order
// typed); false when one is wrong, with `error` naming the option, its text and what it takes.
bool ParseAccessibilityOptions(const CLI::App& app, const AccessibilityOptionTexts& texts,
                               AccessibilityInputs& inputs, std::string* error);

// Each place of the options as typed, its option first ("--wheelchair 3:left"), in the order
// ParseAccessibilityOptions gives the places.
std::vector<std::string> WheelchairOptionTexts(const AccessibilityOptionTexts& texts);

// Whether the places the options give fit project `p`'s hall: false when a space reaches past a
// side wall, overlaps another one or stands on its spot, with `error` naming the option.
bool WheelchairPlacesFit(const DadosProjeto& p, const AccessibilityInputs& inputs,
                         const std::vector<std::string>& optionTexts, std::string* error);

}  // namespace vm

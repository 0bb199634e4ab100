#pragma once
// The tool's options for the wheelchair spaces and the interpreter's window: --wheelchair,
// --wheelchair-platform and --interpreter.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "report/wheelchair_positions.h"

namespace vm {

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

}  // namespace vm

#pragma once
// What the two programs' command lines share: the version line and help text that fits the
// terminal.

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

namespace vm {

// "NAME 1.05": the program's name and version, as --version prints it.
std::string VersionLine(const std::string& program);

// The width help is wrapped to: the terminal's columns when standard output is one, else
// $COLUMNS, else 80; never below 40.
int HelpColumns();

// The text with every line longer than `width` broken at blanks; a broken line's continuation
// keeps the line's own indentation. A word longer than the width stays whole.
std::string WrapText(const std::string& text, int width);

// CLI11's help formatter that wraps the description, the options' descriptions and the footer to
// `width` columns.
std::shared_ptr<CLI::Formatter> WrappingFormatter(int width);

}  // namespace vm

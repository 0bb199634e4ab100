#pragma once
// The part of start-up that needs no window: program-wide values, date settings, the error log's
// first name, the project folder, the default printer, the default project and the initial
// calculation. The program and vistametra-report both start this way.

#include <functional>
#include <string>

#include "core/dados_projeto.h"

namespace vm {

// Runs the window-less start-up steps in their order and leaves the default project calculated.
// `defaultPrinter` names the system's default printer ("" when there is none); without it
// PrintX stays empty.
void StartWithoutWindow(const std::function<std::string()>& defaultPrinter = {});

}  // namespace vm

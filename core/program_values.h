#pragma once
// The program-wide values that start-up sets and any operation may read.

#include <string>

namespace vm {

// The program's version number; QTV_VERSAO carries it as characters 12 to 15 and the package and
// --version use it too (the build checks that CMake's project version agrees).
inline constexpr const char* kVersaoPrograma = "1.05";

struct ProgramValues {
    std::string QTV_VERSAO =
        std::string("Vistametra ") + kVersaoPrograma;  // the version is characters 12 to 15
    std::string QTV_DATA = "10/01/2016";
    std::string cAutoria;
    std::string cSobre = " ";
    std::string DirPdf;  // the folder projects are saved in, ending in "/" (file-system bytes)
    std::string PrintX;  // the printer the report opens; empty when there is none
};

// The values in force for this process.
ProgramValues& programValues();

// The maker's rights notice printed at the foot of every report page.
std::string defaultAutoria();

}  // namespace vm

#pragma once
// The installed printers, the default printer, the printer choice dialog and the opening of a
// printer with the settings a job asks for.
//
// The printers are the CUPS queues that Qt lists plus the built-in printer "PDF", which writes a
// PDF file (print/print_job.h). A CUPS queue that is itself called "PDF" is not listed: the name
// always means the built-in printer. Names are Windows-1252 bytes.

#include <QPrinter>
#include <memory>
#include <string>
#include <vector>

#include "pagefile/device_units.h"

namespace vm {

// The value that leaves a setting of SetPrinterProperties as the printer has it.
inline constexpr int kLeaveAsIs = -999;

// Values of the settings, as the report asks for them.
inline constexpr int kOrientationPortrait = 1;
inline constexpr int kOrientationLandscape = 2;
inline constexpr int kPaperA4 = 9;
inline constexpr int kDuplexSimplex = 1;

// The installed printers: the CUPS queues in the order Qt lists them, then "PDF". Never empty.
std::vector<std::string> aPrinters();

// The system's default printer: the CUPS default, or "PDF" when there is none.
std::string GetDefaultPrinter();

// Whether `name` is the built-in printer "PDF".
bool IsPdfPrinter(const std::string& name);

// The printer choice dialog: the printers sorted by name, the default one selected (none when it
// is not in the list), "Ok" and "Cancelar". Returns the selected printer on "Ok" ("" when none is
// selected) and "" on "Cancelar" or Escape. Runs through RunModalDialog with the purpose
// "GetPrinter"; creates the job record (InitPrintMessages) for its texts when none exists.
std::string GetPrinter();

// What opening a printer gives.
struct PrinterProperties {
    std::unique_ptr<QPrinter> printer;  // null on failure
    std::string name;                   // "" on failure
    int copies = 0;                     // the printer's copies setting; 0 on failure
    int collate = 0;                    // 1 when copies are collated; 0 on failure
    ReferenceDevice device;             // the printer's capabilities for page files
};

// Opens printer `name` with the settings given; each kLeaveAsIs leaves that setting as the printer
// has it. orientation 1 portrait, 2 landscape; paperSize a Windows paper number (1 Letter, 5 Legal,
// 7 Executive, 8 A3, 9 A4, 11 A5, 13 B5); paperLength and paperWidth in millimetres (both given:
// a paper of that size instead of paperSize); copies at least 1; defaultSource a Windows bin
// number; quality a resolution in dots per inch (the Windows draft to high qualities, -1 to -4,
// are hints the printer keeps as it has them); colour 1 monochrome, 2 colour; duplex 1 simplex,
// 2 long edge, 3 short edge; collate 0 or 1.
//
// On failure shows a stop box titled "Error!" and returns a null printer, an empty name and zeros:
// "Printer Configuration Failed! (001)" when there is no printer of that name, "(004)" when its
// information cannot be read, "(008)" when it does not take a requested setting. The printer's
// stored settings are never changed; the settings live only in the returned printer.
PrinterProperties SetPrinterProperties(const std::string& name, int orientation, int paperSize,
                                       int paperLength, int paperWidth, int copies,
                                       int defaultSource, int quality, int colour, int duplex,
                                       int collate);

// The document name under which the spooler lists the job: `name` as it is.
std::string SetJobName(const std::string& name);

// The capabilities that page files drawn for `printer` record: its resolution, its sheet and the
// printable area the printer leaves on it.
ReferenceDevice PrinterReferenceDevice(const QPrinter& printer);

}  // namespace vm

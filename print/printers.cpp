#include "print/printers.h"

#include <QComboBox>
#include <QDialog>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <optional>

#include "print/print_job.h"
#include "ui/dialogs.h"
#include "ui/qt_text.h"
#include "ui/screen_fit.h"

namespace vm {

namespace {

// The resolution of the built-in "PDF" printer, as ReferenceDevice::A4 assumes.
constexpr int kPdfPrinterDpi = 600;

// The failure box of step `code` and the empty result. (On Linux the steps that can fail are
// finding the printer, 001, reading it, 004, and taking the settings, 008.)
PrinterProperties Failed(const std::string& code) {
    MsgStop("Printer Configuration Failed! (" + code + ")", "Error!");
    return {};
}

std::optional<QPageSize::PageSizeId> PaperFromWindows(int paperSize) {
    switch (paperSize) {
        case 1:
            return QPageSize::Letter;
        case 5:
            return QPageSize::Legal;
        case 7:
            return QPageSize::Executive;
        case 8:
            return QPageSize::A3;
        case 9:
            return QPageSize::A4;
        case 11:
            return QPageSize::A5;
        case 13:
            return QPageSize::B5;
        default:
            return std::nullopt;
    }
}

std::optional<QPrinter::PaperSource> SourceFromWindows(int bin) {
    // Windows bins 1 to 11 follow Qt's paper sources in the same order; 14 and 15 are the
    // cassette and the form source.
    if (bin >= 1 && bin <= 11) {
        return static_cast<QPrinter::PaperSource>(bin - 1);
    }
    if (bin == 14) {
        return QPrinter::Cassette;
    }
    if (bin == 15) {
        return QPrinter::FormSource;
    }
    return std::nullopt;
}

// Applies the requested settings; false when the printer does not take one of them.
bool ApplySettings(QPrinter& printer, int orientation, int paperSize, int paperLength,
                   int paperWidth, int copies, int defaultSource, int quality, int colour,
                   int duplex, int collate) {
    if (paperLength != kLeaveAsIs && paperWidth != kLeaveAsIs) {
        if (paperLength <= 0 || paperWidth <= 0 ||
            !printer.setPageSize(
                QPageSize(QSizeF(paperWidth, paperLength), QPageSize::Millimeter))) {
            return false;
        }
    } else if (paperLength != kLeaveAsIs || paperWidth != kLeaveAsIs) {
        return false;  // a paper needs both its sides
    } else if (paperSize != kLeaveAsIs) {
        const std::optional<QPageSize::PageSizeId> id = PaperFromWindows(paperSize);
        if (!id || !printer.setPageSize(QPageSize(*id))) {
            return false;
        }
    }
    if (orientation != kLeaveAsIs) {
        if (orientation != kOrientationPortrait && orientation != kOrientationLandscape) {
            return false;
        }
        if (!printer.setPageOrientation(orientation == kOrientationPortrait
                                            ? QPageLayout::Portrait
                                            : QPageLayout::Landscape)) {
            return false;
        }
    }
    if (copies != kLeaveAsIs) {
        if (copies < 1) {
            return false;
        }
        printer.setCopyCount(copies);
    }
    if (defaultSource != kLeaveAsIs) {
        const std::optional<QPrinter::PaperSource> source = SourceFromWindows(defaultSource);
        if (!source) {
            return false;
        }
        printer.setPaperSource(*source);
    }
    if (quality != kLeaveAsIs) {
        if (quality > 0) {
            printer.setResolution(quality);
        } else if (quality < -4) {
            return false;
        }
    }
    if (colour != kLeaveAsIs) {
        if (colour != 1 && colour != 2) {
            return false;
        }
        printer.setColorMode(colour == 1 ? QPrinter::GrayScale : QPrinter::Color);
    }
    if (duplex != kLeaveAsIs) {
        switch (duplex) {
            case kDuplexSimplex:
                printer.setDuplex(QPrinter::DuplexNone);
                break;
            case 2:
                printer.setDuplex(QPrinter::DuplexLongSide);
                break;
            case 3:
                printer.setDuplex(QPrinter::DuplexShortSide);
                break;
            default:
                return false;
        }
    }
    if (collate != kLeaveAsIs) {
        if (collate != 0 && collate != 1) {
            return false;
        }
        printer.setCollateCopies(collate == 1);
    }
    return true;
}

}  // namespace

bool IsPdfPrinter(const std::string& name) {
    return name == kPdfPrinterName;
}

std::vector<std::string> aPrinters() {
    std::vector<std::string> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        std::string printer = fromQt(name);
        if (!IsPdfPrinter(printer)) {
            names.push_back(std::move(printer));
        }
    }
    names.emplace_back(kPdfPrinterName);
    return names;
}

std::string GetDefaultPrinter() {
    const QString name = QPrinterInfo::defaultPrinterName();
    return name.isEmpty() ? std::string(kPdfPrinterName) : fromQt(name);
}

std::string GetPrinter() {
    if (!HasPrintJob()) {
        InitPrintMessages();
    }
    const PrintJob& job = printJob();

    std::vector<std::string> printers = aPrinters();
    std::sort(printers.begin(), printers.end());
    const std::string defaultPrinter = GetDefaultPrinter();

    QDialog dialog(DialogOwner());
    dialog.setObjectName(QStringLiteral("GetPrinter"));
    dialog.setWindowTitle(toQt(job.Message(PrintMessage::SelectPrinter)));
    dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    dialog.setModal(true);
    dialog.setFixedSize(345, 100);

    auto* list = new QComboBox(&dialog);
    list->setObjectName(QStringLiteral("Printers"));
    list->setGeometry(10, 15, 320, list->sizeHint().height());
    for (const std::string& printer : printers) {
        list->addItem(toQt(printer));
    }
    const auto found = std::find(printers.begin(), printers.end(), defaultPrinter);
    list->setCurrentIndex(found == printers.end() ? -1
                                                  : static_cast<int>(found - printers.begin()));

    auto* ok = new QPushButton(toQt(job.Message(PrintMessage::Ok)), &dialog);
    ok->setObjectName(QStringLiteral("Ok"));
    ok->setGeometry(65, 53, 100, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(toQt(job.Message(PrintMessage::Cancel)), &dialog);
    cancel->setObjectName(QStringLiteral("Cancel"));
    cancel->setGeometry(175, 53, 100, 28);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    // Centred on the screen rather than on the window that asked.
    if (const QScreen* screen = dialog.screen()) {
        QRect frame = dialog.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        dialog.move(frame.topLeft());
    }
    KeepWithinScreen(&dialog);
    list->setFocus();

    if (RunModalDialog(dialog, "GetPrinter") != QDialog::Accepted || list->currentIndex() < 0) {
        return {};
    }
    return fromQt(list->currentText());
}

PrinterProperties SetPrinterProperties(const std::string& name, int orientation, int paperSize,
                                       int paperLength, int paperWidth, int copies,
                                       int defaultSource, int quality, int colour, int duplex,
                                       int collate) {
    std::unique_ptr<QPrinter> printer;
    if (IsPdfPrinter(name)) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setResolution(kPdfPrinterDpi);
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setPageOrientation(QPageLayout::Portrait);
    } else {
        const QPrinterInfo info =
            name.empty() ? QPrinterInfo() : QPrinterInfo::printerInfo(toQt(name));
        if (info.isNull()) {
            return Failed("001");
        }
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        if (!printer->isValid() || printer->outputFormat() != QPrinter::NativeFormat) {
            return Failed("004");
        }
    }
    if (!ApplySettings(*printer, orientation, paperSize, paperLength, paperWidth, copies,
                       defaultSource, quality, colour, duplex, collate)) {
        return Failed("008");
    }

    PrinterProperties result;
    result.device = PrinterReferenceDevice(*printer);
    result.name = name;
    result.copies = printer->copyCount();
    result.collate = printer->collateCopies() ? 1 : 0;
    result.printer = std::move(printer);
    return result;
}

std::string SetJobName(const std::string& name) {
    return name;
}

ReferenceDevice PrinterReferenceDevice(const QPrinter& printer) {
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QRectF sheet = layout.fullRect(QPageLayout::Millimeter);
    // What the printer cannot print on; the page layout's own margins are only a suggestion.
    const QMarginsF margins = layout.minimumMargins();
    const int dpi = printer.resolution();
    return ReferenceDevice::ForSheet(dpi, dpi, sheet.width(), sheet.height(), margins.left(),
                                     margins.top(), margins.right(), margins.bottom());
}

}  // namespace vm

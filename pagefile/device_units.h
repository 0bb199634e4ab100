#pragma once
// The printer that a page is drawn for, and the rule that turns millimetres into its pixels.

#include <cstdint>
#include <optional>

namespace vm {

// The device capabilities that drawing on a page asks for. The page files use the printer as
// their reference device, so a page file and a page drawn on the printer come out the same.
struct ReferenceDevice {
    int logPixelsX = 600;     // dots per inch across
    int logPixelsY = 600;     // dots per inch down
    int physicalOffsetX = 0;  // pixels from the sheet's left edge to the printable area
    int physicalOffsetY = 0;  // pixels from the sheet's top edge to the printable area
    int horzRes = 4961;       // printable width in pixels
    int vertRes = 7016;       // printable height in pixels
    int horzSizeMm = 210;     // printable width in whole millimetres
    int vertSizeMm = 297;     // printable height in whole millimetres

    // A printer with `dpiX` x `dpiY` dots per inch on a sheet of `paperWidthMm` x `paperHeightMm`
    // whose printable area leaves the given margins (millimetres). Pixel figures are rounded to
    // the nearest pixel, sizes to the nearest millimetre. Resolutions below 1 count as 1; margins
    // that leave no printable area leave one pixel.
    static ReferenceDevice ForSheet(int dpiX, int dpiY, double paperWidthMm, double paperHeightMm,
                                    double marginLeftMm = 0, double marginTopMm = 0,
                                    double marginRightMm = 0, double marginBottomMm = 0);

    // An A4 sheet (210 x 297 mm) printed to its edges at 600 dots per inch: the built-in "PDF"
    // printer and the default of every page file that names no printer.
    static ReferenceDevice A4() { return ReferenceDevice{}; }

    friend bool operator==(const ReferenceDevice&, const ReferenceDevice&) = default;
};

// A rectangle in device pixels (left, top, right, bottom), as the records of a page file carry
// it.
struct DeviceRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Millimetres as whole thousandths of an inch, truncated towards zero: INT(mm * 10000 / 254).
// Values beyond the int range are held at its ends; NaN gives 0.
int64_t MmToThou(double mm);

// A column in millimetres from the sheet's left edge as a device x: the thousandths of an inch
// times LOGPIXELSX / 1000, truncated, minus PHYSICALOFFSETX. The sheet's corner is thus the
// origin although device coordinates start at the printable area's corner.
int32_t ColToDeviceX(double col, const ReferenceDevice& device);
// A row in millimetres from the sheet's top edge as a device y (LOGPIXELSY, PHYSICALOFFSETY).
int32_t RowToDeviceY(double row, const ReferenceDevice& device);
// A width or height in millimetres as pixels, without offset.
int32_t WidthToDevice(double mm, const ReferenceDevice& device);
int32_t HeightToDevice(double mm, const ReferenceDevice& device);
// A line width as pixels: thousandths of an inch times LOGPIXELSX / 1000 for both directions;
// no width means kDefaultLineWidthThou. 0 pixels stands for the thinnest line the device has.
int32_t LineWidthToDevice(std::optional<double> widthMm, const ReferenceDevice& device);

// The em height in pixels of a font of `points` (the character height of the font that a text
// of that size asks for): points * LOGPIXELSY / 72, rounded half away from zero.
int32_t FontEmHeight(double points, const ReferenceDevice& device);

}  // namespace vm

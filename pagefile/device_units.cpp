#include "pagefile/device_units.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "pagefile/canvas.h"

namespace vm {

namespace {

int32_t Clamp32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Thousandths of an inch to pixels at `dpi`, truncated towards zero (integer division).
int64_t ThouToPixels(int64_t thou, int dpi) {
    return thou * dpi / 1000;
}

int RoundPositive(double value) {
    return static_cast<int>(std::floor(value + 0.5));
}

}  // namespace

ReferenceDevice ReferenceDevice::ForSheet(int dpiX, int dpiY, double paperWidthMm,
                                          double paperHeightMm, double marginLeftMm,
                                          double marginTopMm, double marginRightMm,
                                          double marginBottomMm) {
    ReferenceDevice d;
    d.logPixelsX = std::max(1, dpiX);
    d.logPixelsY = std::max(1, dpiY);
    const double printableW = std::max(0.0, paperWidthMm - marginLeftMm - marginRightMm);
    const double printableH = std::max(0.0, paperHeightMm - marginTopMm - marginBottomMm);
    d.physicalOffsetX = RoundPositive(std::max(0.0, marginLeftMm) * d.logPixelsX / 25.4);
    d.physicalOffsetY = RoundPositive(std::max(0.0, marginTopMm) * d.logPixelsY / 25.4);
    d.horzRes = std::max(1, RoundPositive(printableW * d.logPixelsX / 25.4));
    d.vertRes = std::max(1, RoundPositive(printableH * d.logPixelsY / 25.4));
    d.horzSizeMm = std::max(1, RoundPositive(printableW));
    d.vertSizeMm = std::max(1, RoundPositive(printableH));
    return d;
}

int64_t MmToThou(double mm) {
    const double thou = mm * 10000 / 254;
    if (std::isnan(thou)) {
        return 0;
    }
    // Far beyond any sheet; keeps the later products inside 64 bits.
    constexpr double kLimit = 1e12;
    return static_cast<int64_t>(std::clamp(thou, -kLimit, kLimit));
}

int32_t ColToDeviceX(double col, const ReferenceDevice& device) {
    return Clamp32(ThouToPixels(MmToThou(col), device.logPixelsX) - device.physicalOffsetX);
}

int32_t RowToDeviceY(double row, const ReferenceDevice& device) {
    return Clamp32(ThouToPixels(MmToThou(row), device.logPixelsY) - device.physicalOffsetY);
}

int32_t WidthToDevice(double mm, const ReferenceDevice& device) {
    return Clamp32(ThouToPixels(MmToThou(mm), device.logPixelsX));
}

int32_t HeightToDevice(double mm, const ReferenceDevice& device) {
    return Clamp32(ThouToPixels(MmToThou(mm), device.logPixelsY));
}

int32_t LineWidthToDevice(std::optional<double> widthMm, const ReferenceDevice& device) {
    const int64_t thou = widthMm ? MmToThou(*widthMm) : kDefaultLineWidthThou;
    return Clamp32(ThouToPixels(thou, device.logPixelsX));
}

int32_t FontEmHeight(double points, const ReferenceDevice& device) {
    const double px = points * device.logPixelsY / 72.0;
    if (!(std::abs(px) < 1e6)) {
        return 0;
    }
    return static_cast<int32_t>(px < 0 ? -std::floor(-px + 0.5) : std::floor(px + 0.5));
}

}  // namespace vm

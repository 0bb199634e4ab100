#include "preview/preview_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace vm {

namespace {

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

}  // namespace

PreviewRect PreviewPageRect(int clientWidth, int clientHeight, const PreviewView& view) {
    // A scale that is no number or absurdly large shows nothing rather than overflowing.
    double scaled = view.scale * 10000;
    if (!std::isfinite(scaled) || scaled < 0) {
        scaled = 0;
    }
    const int64_t s = static_cast<int64_t>(std::min(scaled, 1e9));
    const int64_t horz = view.horzSizeMm;
    const int64_t vert = view.vertSizeMm;
    const int64_t pw = horz * s / 10000;
    const int64_t ph = vert * s / 10000;
    const int64_t zx = int64_t{view.zoom} * horz / 750;
    const int64_t zy = int64_t{view.zoom} * vert / 750;
    const int64_t mx = (clientWidth - pw) / 2;
    const int64_t my = (clientHeight - ph) / 2;
    return PreviewRect{ClampToInt(view.offsetX + mx - zx), ClampToInt(view.offsetY + my - zy),
                       ClampToInt(pw + mx + view.offsetX + zx),
                       ClampToInt(ph + my + view.offsetY + zy)};
}

double PreviewScale(int screenHeight, int vertSizeMm, bool thumbnailsShown) {
    if (vertSizeMm < 1) {
        return 0;
    }
    return static_cast<double>(screenHeight) / vertSizeMm * (thumbnailsShown ? 0.58 : 0.63);
}

int ZoomDelta(int vertSizeMm) {
    return vertSizeMm > 370 ? -250 : 0;
}

OffsetStep StepOffset(int offset, int delta) {
    const int64_t next = int64_t{offset} + delta;
    if (next >= kOffsetLimit) {
        return {kOffsetLimit, true};
    }
    if (next <= -kOffsetLimit) {
        return {-kOffsetLimit, true};
    }
    return {static_cast<int>(next), false};
}

int OffsetForScrollPosition(int position) {
    return -(position - 50) * 10;
}

std::vector<BarPlace> BarButtonPlaces(const std::vector<int>& cols, int size, int row,
                                      int clientWidth) {
    std::vector<BarPlace> places;
    places.reserve(cols.size());
    int shift = 0;  // how far the buttons of the current row moved left
    int top = row;
    for (const int col : cols) {
        if (col - shift + size > clientWidth && col - shift > cols.front()) {
            shift = col - cols.front();
            top += size + row;
        }
        places.push_back({col - shift, top});
    }
    return places;
}

int BarRows(const std::vector<BarPlace>& places) {
    int rows = 0;
    int top = 0;
    for (const BarPlace& place : places) {
        if (rows == 0 || place.row != top) {
            ++rows;
            top = place.row;
        }
    }
    return rows;
}

ThumbnailSize ThumbnailSizeFor(int horzSizeMm, int vertSizeMm) {
    const double factor = IsPortrait(horzSizeMm, vertSizeMm) ? 0.44 : 0.3;
    return {static_cast<int>(horzSizeMm * factor), static_cast<int>(vertSizeMm * factor)};
}

int ThumbnailTop(int page, int thumbnailHeight) {
    return page * (thumbnailHeight + 10) - thumbnailHeight;
}

bool StripScrolls(int pageCount, int thumbnailHeight, int scrollBarHeight, int captionHeight,
                  int frameWidth, int screenHeight) {
    const int64_t needed = int64_t{pageCount} * (thumbnailHeight + 10) + scrollBarHeight +
                           captionHeight + 2 * int64_t{frameWidth} + 7;
    return needed > int64_t{screenHeight} - 103;
}

int StripScrollPosition(int page, int pageCount, int thumbnailHeight, int stripMaximum) {
    if (page >= pageCount) {
        return stripMaximum;
    }
    if (page <= 1) {
        return 0;
    }
    return std::clamp(ThumbnailTop(page, thumbnailHeight) - 9, 0, std::max(0, stripMaximum));
}

}  // namespace vm

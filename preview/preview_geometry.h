#pragma once
// The print preview's arithmetic: where the page lies on screen, the zoom, the scroll offsets and
// the thumbnails. Plain integers with divisions that truncate towards zero, so the page lands on
// the same pixels whatever paints it.

#include <vector>

namespace vm {

// Pixels on the screen. right and bottom are the far edges (a rectangle from left to right is
// right - left pixels wide).
struct PreviewRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const PreviewRect&, const PreviewRect&) = default;
};

// Where the preview shows a page and how far it is moved.
struct PreviewView {
    double scale = 0;    // screen pixels per millimetre of the printable area (nScale)
    int zoom = 0;        // 0: the whole page; 1000 + ZoomDelta when zoomed (nZoom)
    int offsetX = 0;     // shift of the page in pixels, -500 to 500 (nOffsetX)
    int offsetY = 0;     // (nOffsetY)
    int horzSizeMm = 0;  // printable width of the printer in millimetres (HORZSIZE)
    int vertSizeMm = 0;  // printable height (VERTSIZE)
};

// The page's rectangle in a client area of clientWidth x clientHeight pixels: the printable area
// at S = INT(scale * 10000) ten-thousandths of a pixel per millimetre, centred, grown by
// zoom * size / 750 on each side and shifted by the offsets.
PreviewRect PreviewPageRect(int clientWidth, int clientHeight, const PreviewView& view);

// Screen pixels per millimetre: the screen's height over the printable height, times 0.63, or
// 0.58 while the thumbnails are shown. 0 for a printable height below 1 mm.
double PreviewScale(int screenHeight, int vertSizeMm, bool thumbnailsShown);

// -250 for a printable height above 370 mm (a larger sheet would grow too far), else 0.
int ZoomDelta(int vertSizeMm);

// A portrait page is taller than wide.
inline bool IsPortrait(int horzSizeMm, int vertSizeMm) {
    return vertSizeMm > horzSizeMm;
}

// The offsets move in steps of this many pixels and stay within +-kOffsetLimit.
inline constexpr int kScrollStep = 10;
inline constexpr int kOffsetLimit = 500;

// One scroll step: `offset` + `delta`; a result that reaches the limit is held there and asks for
// the beep.
struct OffsetStep {
    int offset = 0;
    bool beep = false;
};
OffsetStep StepOffset(int offset, int delta);

// The offset for a scroll box dragged to `position` (0 to 100, 50 in the middle):
// -(position - 50) * 10.
int OffsetForScrollPosition(int position);

// Where a button of the navigation bar stands in the bar's client area.
struct BarPlace {
    int col = 0;
    int row = 0;
    friend bool operator==(const BarPlace&, const BarPlace&) = default;
};

// The bar's square buttons, `size` pixels, at their columns `cols` (ascending) on `row`, in a bar
// `clientWidth` pixels wide. Buttons that would reach past its right edge wrap, in their order, to
// further rows `size` + `row` pixels apart, each starting at the first button's column and keeping
// the gaps between the buttons; a bar wide enough keeps one row as given.
std::vector<BarPlace> BarButtonPlaces(const std::vector<int>& cols, int size, int row,
                                      int clientWidth);

// How many rows the places use.
int BarRows(const std::vector<BarPlace>& places);

// A thumbnail's size in pixels: the printable area at 0.44 pixels per millimetre for a portrait
// page, 0.3 for a landscape one (whole pixels, truncated).
struct ThumbnailSize {
    int width = 0;
    int height = 0;
};
ThumbnailSize ThumbnailSizeFor(int horzSizeMm, int vertSizeMm);

// Top of thumbnail `page` (1-based) in the strip: page * (height + 10) - height, so 10 pixels
// above the first one and between each two.
int ThumbnailTop(int page, int thumbnailHeight);

// Whether the thumbnails of `pageCount` pages are taller together than the strip shows, so the
// strip scrolls: pageCount * (height + 10) plus a horizontal scroll bar, a caption, two window
// frames and 7 pixels, against the strip's height (the screen's height - 103).
bool StripScrolls(int pageCount, int thumbnailHeight, int scrollBarHeight, int captionHeight,
                  int frameWidth, int screenHeight);

// Where the strip scrolls to show `page`: its top on the first page, its end (`stripMaximum`) on
// the last, otherwise the thumbnail's top minus 9 pixels, or the end when that is nearer.
int StripScrollPosition(int page, int pageCount, int thumbnailHeight, int stripMaximum);

}  // namespace vm

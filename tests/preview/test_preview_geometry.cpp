// The preview's arithmetic: the page's rectangle with its margins, zoom growth and offsets in
// truncating integer division, the scroll limits, the thumbnails and the strip.
#include <gtest/gtest.h>

#include "preview/preview_geometry.h"

namespace vm {
namespace {

TEST(PreviewGeometry, PageRectangleFollowsTheIntegerArithmetic) {
    struct Case {
        const char* title;
        int w, h;
        PreviewView view;
        PreviewRect expected;
    };
    // A 1024 x 768 screen shows A4 (210 x 297 printable) at 768 / 297 * 0.63 px/mm:
    // S = INT(16290.9...) = 16290, pw = 210 * 16290 / 10000 = 342, ph = 297 * 16290 / 10000 = 483.
    const double a4Scale = 768.0 / 297 * 0.63;
    const Case cases[] = {
        {"whole page, centred",
         903,
         600,
         {a4Scale, 0, 0, 0, 210, 297},
         {(903 - 342) / 2, (600 - 483) / 2, 342 + (903 - 342) / 2, 483 + (600 - 483) / 2}},
        // Zoom by the button: 1000 * 210 / 750 = 280 and 1000 * 297 / 750 = 396 on each side,
        // shifted 100 right and 400 down.
        {"button zoom, A4 portrait",
         903,
         600,
         {a4Scale, 1000, 100, 400, 210, 297},
         {100 + 280 - 280, 400 + 58 - 396, 342 + 280 + 100 + 280, 483 + 58 + 400 + 396}},
        // Odd margins truncate towards zero: (10 - 342) / 2 = -166, not -167.
        {"client narrower than the page",
         10,
         10,
         {a4Scale, 0, 0, 0, 210, 297},
         {-166, -236, 342 - 166, 483 - 236}},
        {"negative offsets",
         903,
         600,
         {a4Scale, 0, -500, -30, 210, 297},
         {280 - 500, 58 - 30, 342 + 280 - 500, 483 + 58 - 30}},
        // A3 printable (297 x 420) zooms by 1000 - 250: 750 * 297 / 750 = 297, 750 * 420 / 750.
        {"A3 zoom with its delta",
         800,
         600,
         {1.0, 750, 0, 0, 297, 420},
         {(800 - 297) / 2 - 297, (600 - 420) / 2 - 420, 297 + 251 + 297, 420 + 90 + 420}},
        {"no scale", 100, 100, {0.0, 0, 0, 0, 210, 297}, {50, 50, 50, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const PreviewRect r = PreviewPageRect(c.w, c.h, c.view);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
}

TEST(PreviewGeometry, ScaleAndZoomDeltaFollowThePrintableHeight) {
    EXPECT_DOUBLE_EQ(PreviewScale(768, 297, false), 768.0 / 297 * 0.63);
    EXPECT_DOUBLE_EQ(PreviewScale(768, 297, true), 768.0 / 297 * 0.58);
    EXPECT_EQ(PreviewScale(768, 0, false), 0);
    EXPECT_EQ(ZoomDelta(370), 0);
    EXPECT_EQ(ZoomDelta(371), -250);
    EXPECT_TRUE(IsPortrait(210, 297));
    EXPECT_FALSE(IsPortrait(297, 210));
    EXPECT_FALSE(IsPortrait(200, 200));
}

TEST(PreviewGeometry, ScrollStepsStopAtTheLimitsWithABeep) {
    struct Case {
        int offset, delta;
        OffsetStep expected;
    };
    const Case cases[] = {
        {0, 10, {10, false}},      {480, 10, {490, false}},   {490, 10, {500, true}},
        {500, 10, {500, true}},    {500, -10, {490, false}},  {-490, -10, {-500, true}},
        {-500, -10, {-500, true}}, {-500, 10, {-490, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.offset << " + " << c.delta);
        const OffsetStep step = StepOffset(c.offset, c.delta);
        EXPECT_EQ(step.offset, c.expected.offset);
        EXPECT_EQ(step.beep, c.expected.beep);
    }
    EXPECT_EQ(OffsetForScrollPosition(50), 0);
    EXPECT_EQ(OffsetForScrollPosition(0), 500);
    EXPECT_EQ(OffsetForScrollPosition(100), -500);
    EXPECT_EQ(OffsetForScrollPosition(10), 400);
    EXPECT_EQ(OffsetForScrollPosition(40), 100);
}

TEST(PreviewGeometry, ThumbnailsAndTheirStrip) {
    // Portrait at 0.44: 210 * 0.44 = 92.4, 297 * 0.44 = 130.68; landscape at 0.3.
    EXPECT_EQ(ThumbnailSizeFor(210, 297).width, 92);
    EXPECT_EQ(ThumbnailSizeFor(210, 297).height, 130);
    EXPECT_EQ(ThumbnailSizeFor(297, 210).width, 89);
    EXPECT_EQ(ThumbnailSizeFor(297, 210).height, 63);
    EXPECT_EQ(ThumbnailTop(1, 130), 10);
    EXPECT_EQ(ThumbnailTop(2, 130), 150);
    EXPECT_EQ(ThumbnailTop(4, 130), 430);

    // 4 pages: 4 * 140 + 17 + 20 + 2 * 4 + 7 = 612 against a strip of 768 - 103 = 665 pixels.
    EXPECT_FALSE(StripScrolls(4, 130, 17, 20, 4, 768));
    EXPECT_FALSE(StripScrolls(4, 130, 17, 20, 4, 612 + 103));  // exactly fits
    EXPECT_TRUE(StripScrolls(4, 130, 17, 20, 4, 612 + 102));
    EXPECT_TRUE(StripScrolls(5, 130, 17, 20, 4, 768));

    // Strip of 6 pages whose scroll range ends at 300.
    EXPECT_EQ(StripScrollPosition(1, 6, 130, 300), 0);
    EXPECT_EQ(StripScrollPosition(6, 6, 130, 300), 300);
    EXPECT_EQ(StripScrollPosition(2, 6, 130, 300), 150 - 9);
    EXPECT_EQ(StripScrollPosition(3, 6, 130, 300), 290 - 9);
    EXPECT_EQ(StripScrollPosition(4, 6, 130, 300), 300);  // 430 - 9 lies beyond the end
}

TEST(PreviewGeometry, BarButtonsWrapInTheirOrderWhenTheBarIsNarrow) {
    const std::vector<int> cols{2, 32, 62, 92, 126, 156, 186, 216, 246, 280};
    struct Case {
        int clientWidth;
        int rows;
        std::vector<BarPlace> expected;
    };
    const Case cases[] = {
        // Wide enough, even to the pixel: the columns as given, one row.
        {312,
         1,
         {{2, 2},
          {32, 2},
          {62, 2},
          {92, 2},
          {126, 2},
          {156, 2},
          {186, 2},
          {216, 2},
          {246, 2},
          {280, 2}}},
        // One pixel short: the last button goes to a second row, 34 pixels lower.
        {309,
         2,
         {{2, 2},
          {32, 2},
          {62, 2},
          {92, 2},
          {126, 2},
          {156, 2},
          {186, 2},
          {216, 2},
          {246, 2},
          {2, 34}}},
        // Under half the width: three rows, the gap of 4 pixels before "Fechar" kept.
        {150,
         3,
         {{2, 2},
          {32, 2},
          {62, 2},
          {92, 2},
          {2, 34},
          {32, 34},
          {62, 34},
          {92, 34},
          {2, 66},
          {36, 66}}},
        // Narrower than one button: one button a row, none lost.
        {20,
         10,
         {{2, 2},
          {2, 34},
          {2, 66},
          {2, 98},
          {2, 130},
          {2, 162},
          {2, 194},
          {2, 226},
          {2, 258},
          {2, 290}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clientWidth);
        const std::vector<BarPlace> places = BarButtonPlaces(cols, 30, 2, c.clientWidth);
        EXPECT_EQ(places, c.expected);
        EXPECT_EQ(BarRows(places), c.rows);
    }
}

}  // namespace
}  // namespace vm

#pragma once
// Where the wheelchair spaces stand and whether their users see the image, and the window of a
// sign-language interpreter on the screen with what it leaves for the content.
//
// A space is 0.80 m wide and 1.20 m deep and stands either at an end of a row, by the aisle
// between the row and a side wall (the plan's seats run from wall to wall, so the row's end
// nearest a wall is its aisle end), or on a level platform at a given height and distance.
// Its user's eyes are 1.15 m above the space's floor at the space's back edge, as a row's eyes
// stand at the back of its seats on the drawings. Two checks for each space:
//   - the image's top is at most 30 degrees above the eyes: d >= 1.732 x (top - floor - 1.15);
//   - the line from the eyes to the image's bottom edge passes over the head of the row in front
//     (its eyes + 0.12 m): a C-value of 120 mm or more over that row. A wheelchair user cannot
//     shift in the seat to look between heads, so the head itself must be cleared.
// Besides, the row behind the space: its C-value over the space's user's eyes, which must reach
// the analysis's target C (a raised platform can hide the image from the row behind).
// Without places given, the spaces stand by the aisles of the first row on the room's own floor,
// as many as the hall must keep (up to what the row's width holds), alternately at its left and
// right end.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vm {

struct DadosProjeto;

inline constexpr double kWheelchairSpaceWidth = 0.80;
inline constexpr double kWheelchairSpaceDepth = 1.20;
// Eyes of a person in a wheelchair above the floor.
inline constexpr double kWheelchairEyeHeight = 1.15;
// A seated head over its eyes.
inline constexpr double kSeatedHeadAboveEyes = 0.12;
// tan 60 degrees: a viewer this many times the height of the image's top above the eyes away
// sees the top at 30 degrees.
inline constexpr double kThirtyDegreesDistanceFactor = 1.732;

// The end of a row: left of a viewer facing the screen (the plan's lower wall) or right.
enum class AisleSide { Left, Right };
// "esquerda" or "direita".
const char* AisleSideName(AisleSide side);

struct WheelchairPlace {
    int row = 0;  // 1 for the front row; 0 for a platform
    AisleSide side = AisleSide::Left;
    double platformHeight = 0;    // the platform's floor above the front row's floor
    double platformDistance = 0;  // from the screen wall to the eyes on it
};

// The interpreter's window: shares of the image's width and height, in percent (above 0, below
// 100), in the image's lower right corner or, `left`, its lower left one, as the audience sees
// the image (left: towards the plan's lower wall).
struct InterpreterWindow {
    double widthPercent = 0;
    double heightPercent = 0;
    bool left = false;
};

// "direito" or "esquerdo": the interpreter's corner of the image.
const char* InterpreterCornerName(const InterpreterWindow& window);

struct AccessibilityInputs {
    std::vector<WheelchairPlace> wheelchairs;  // none: the hall's spaces in one row
    int spacesRow = 0;                         // that row; 0 the first on the room's floor
    std::optional<AisleSide> spacesSide;       // their end of it; none: left and right in turn
    std::optional<InterpreterWindow> interpreter;
};

// Seats first to last (numbered from 1 at the plan's lower wall) of one row.
struct SeatSpan {
    int row = 0;
    std::int64_t first = 1;
    std::int64_t last = 1;
};

// Why a space does not fit the hall: it reaches past a side wall, it overlaps another space on
// the plan, or it stands exactly where another one does.
enum class WheelchairMisfit { None, OutsideRoom, Overlaps, SameSpot };

struct WheelchairPosition {
    WheelchairPlace place;
    bool byDefault = false;  // placed by the program in the first row on the room's floor
    std::string reason;      // why the place has no figures (a row the project lacks); else empty
    // A space that does not fit has no figures either (its reason says why), takes no seats and
    // is no place of the capacity; `misfitWith` is the index of the space it overlaps or shares
    // its spot with (an earlier one), else -1.
    WheelchairMisfit misfit = WheelchairMisfit::None;
    int misfitWith = -1;
    double floor = 0;        // above the front row's floor
    double eye = 0;          // floor + 1.15
    double distance = 0;     // screen wall to eyes: the space's back edge
    double nearWall = 0;     // lateral: the space's edge nearest the plan's lower wall
    double neededDistance = 0;       // 1.732 x (image top - eyes), 0 or more
    bool thirtyDegreesOk = false;    // distance >= neededDistance
    int rowInFront = 0;              // 0 for none
    std::optional<double> cValueMm;  // over the row in front's eyes; none with cValueReason
    std::string cValueReason;
    bool clearsRowInFront = false;  // the sight line passes over the head in front (or none)
    // The row behind the space, whose line to the image's bottom edge must pass over this
    // user's eyes (a raised platform can hide the image from it): its C-value over them, in
    // millimetres, graded as the rows' C-values are; none when no row stands behind.
    int rowBehind = 0;
    std::optional<double> cBehindMm;
    // Whether that C-value reaches the analysis's target C (set by the analysis, which knows the
    // target); none with cBehindMm.
    std::optional<bool> rowBehindOk;
    // The seats of the plan under the space's 0.80 x 1.20 m, which make way for it (its own
    // row's first), set by TakeSeatsForWheelchairs (report/wheelchair_seats.h).
    std::vector<SeatSpan> seatsTaken;
    // A space in a row shallower than 1.20 m reaches this far in front of the row's depth, over
    // the rows `rowsReached` (none: the free floor before the first row); 0 on a platform.
    double reachInFront = 0;
    std::vector<int> rowsReached;
};

// Whether the row behind keeps at least targetCmm millimetres of C-value over the space's user's
// eyes; none without a row behind (or its C-value).
std::optional<bool> RowBehindKeepsTarget(const WheelchairPosition& w, double targetCmm);

// Whether the space passes every check: it has figures, its user sees the image's top within 30
// degrees and over the head in front, and the row behind (if any) keeps the target C.
bool SpacePasses(const WheelchairPosition& w);

// At most this many spaces are placed by default.
inline constexpr std::int64_t kMaxDefaultSpaces = 40;

// The most wheelchair places (rows' ends and platforms together) a project holds: a hall of
// 100,000 seats asks 1,010 spaces, and every place adds lines to the analysis's pages.
inline constexpr int kMaxWheelchairPlaces = 2000;
static_assert(kMaxDefaultSpaces <= kMaxWheelchairPlaces);

// The positions for the first kMaxWheelchairPlaces of `places`, or the default ones for
// `defaultSpaces` spaces when none is given (no more than the first row's width holds, nor
// kMaxDefaultSpaces) in row `spacesRow` (0: the first on the room's floor) at its `spacesSide` end
// (none: left and right in turn); rows and the image as the report's drawings place them. A place
// the project lacks (a row beyond its rows, eyes not in front of the screen) carries its reason,
// and so does one that does not fit (its `misfit`): each space on the plan is a place once.
std::vector<WheelchairPosition> PlaceWheelchairs(const DadosProjeto& p,
                                                 const std::vector<WheelchairPlace>& places,
                                                 std::int64_t defaultSpaces, int spacesRow = 0,
                                                 std::optional<AisleSide> spacesSide = {});

// The first space of `ws` that does not fit the hall, or nothing.
const WheelchairPosition* FirstMisfit(const std::vector<WheelchairPosition>& ws);

// The row of the default places: the first whose floor is the room's own (no step up to it).
// 0 when the project has no rows.
int FirstLevelRow(const DadosProjeto& p);

struct InterpreterFigures {
    InterpreterWindow window;
    // The content, kept whole and in its proportions, shrinks to fit beside or above the window,
    // whichever leaves it larger: max(1 - width share, 1 - height share).
    double contentScale = 1;
    // The content's smallest element on the reduced image (EH x IH x scale) against the smallest
    // element the farthest viewer reads (DISCAS: the farthest viewer's distance to the image's far
    // edge / 200), in millimetres.
    std::optional<double> textHeightMm;
    std::optional<double> smallestLegibleMm;
    std::optional<bool> legible;
    std::string reason;  // why there is no verdict; else empty
};

// The interpreter's window on an image imageHeight high whose content's smallest element is
// elementPercent of that height; smallestLegibleMm none with `legibleReason`.
InterpreterFigures CheckInterpreterWindow(const InterpreterWindow& window, double imageHeight,
                                          double elementPercent,
                                          std::optional<double> smallestLegibleMm,
                                          const std::string& legibleReason);

// "25x30", "25%x30%", "25,5x30", "25x30:left": the window's shares typed by the user, each above
// 0 and below 100, and its corner (right when not said; "left", "right", "esquerda", "direita").
// Nothing for anything else.
std::optional<InterpreterWindow> InterpreterWindowFromText(const std::string& text);

// "3", "3:left", "3:direita": a row and its end (left when not said). Nothing for anything else
// (rows 1 to 999).
std::optional<WheelchairPlace> WheelchairRowFromText(const std::string& text);

// "0.6@6.7", "0,6@6,7:right": a platform's height (0 to 100 m) and its eyes' distance (above 0
// up to 1000 m), and its end. Nothing for anything else.
std::optional<WheelchairPlace> WheelchairPlatformFromText(const std::string& text);

}  // namespace vm

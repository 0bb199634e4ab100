#pragma once
// Seat-by-seat sightline analysis of the planned screen: for every row its eye point, its angles
// to the screen and its C-value; per content category the farthest distance that the screen
// serves; the DISCAS figures (AVIXA V202.01:2016); and for every seat of the plan whether
// it lies in the ideal or the acceptable viewing field.
//
// The geometry is that of the report's drawings (report/sightline_geometry.h): row k's eyes at
// nDistOlhos1 + k x nDistEntreFilas from the screen and nAlturaOlhos1 + k x nAlturaFila2 above the
// floor; the planned screen with its top at nTelaTopo, nTelaLargura by nTelaAltura, centred on the
// screen wall; the seats where the plan draws them. Only input fields are read, so the analysis
// does not depend on the calculation having run. Lengths are metres unless a name says otherwise.
//
// A figure that the project's inputs make meaningless (no rows, a seat width of 0, an image of no
// height or no resolution, a row in the plane of the screen) has no value and carries the reason
// instead; it is never a number that a division by zero made up.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/closest_viewer.h"
#include "report/accessibility_counts.h"
#include "report/grouped_risers.h"
#include "report/wheelchair_positions.h"

namespace vm {

struct DadosProjeto;

// More rows than this (the most that the main window and the program's project files hold) are
// not analysed: every figure that needs the rows carries a reason instead.
inline constexpr double kMaxAnalysedRows = 999;
// More seats in one row than this are not classified (no hall holds them; beyond it the counts
// would stop being exact).
inline constexpr double kMaxAnalysedSeatsPerRow = 1e9;

// A number, or the reason why the project gives none. Reasons are Portuguese, in UTF-8.
struct Figure {
    std::optional<double> value;
    std::string reason;  // empty when there is a value

    static Figure Of(double v) { return {v, {}}; }
    static Figure None(std::string why) { return {std::nullopt, std::move(why)}; }
};

// Grades of a C-value in millimetres: excelente >= 120, bom 80 to 120, aceitável 60 to 80,
// ruim below 60 (each lower bound belongs to its grade).
enum class CGrade { Excelente, Bom, Aceitavel, Ruim };
CGrade GradeOfCValue(double cMillimetres);
// "excelente", "bom", "aceitável" or "ruim" (UTF-8).
const char* CGradeName(CGrade grade);

// Classes of a seat in the plan.
enum class SeatClass {
    Ideal,      // within the 90-degree fan from the screen's centre
    Aceitavel,  // otherwise within the lines at 135 degrees from the image's edges
    Fora,       // outside both
};
// "Ideal", "Aceitável" or "Fora" (UTF-8).
const char* SeatClassName(SeatClass c);

// The class of a viewer at horizontal distance `distance` from the screen wall and lateral offset
// `lateral` from the wall's centre line, before a screen `screenWidth` wide. On a line counts as
// inside.
SeatClass ClassifyViewer(double distance, double lateral, double screenWidth);

// C = D x (N + R) / (D + T) - R: the clearance, in the units given, of a sight line from the focal
// point to the eyes of a row over the eyes of the row in front, where D and R are the distance and
// height of the front row's eyes from the focal point, N the riser and T the row depth. Nothing
// when D + T is 0.
std::optional<double> CValue(double D, double R, double N, double T);

// DISCAS, Basic Decision Making: the smallest element height that the farthest viewer (distance
// farthest) reads, as a percentage of the image height: farthest / (imageHeight x 200) x 100.
// Nothing for an image height of 0 or less.
std::optional<double> PercentElementHeight(double farthest, double imageHeight);

// DISCAS, Analytical Decision Making: the farthest distance at which one of the image's `lines`
// pixel rows still subtends one minute of arc, imageHeight x 3438 / lines, in imageHeight's unit.
// Nothing for an image height or line count of 0 or less.
std::optional<double> AnalyticalFarthestViewer(double imageHeight, double lines);


struct RowFigures {
    int number = 0;               // 1 for the row nearest the screen
    double eyeDistance = 0;       // horizontal, screen wall to eyes
    double eyeHeight = 0;         // above the floor
    Figure angleToTop;            // degrees, upwards positive
    Figure angleToBottom;         // degrees to the image's bottom edge, upwards positive
    Figure cValueMm;              // over the row in front, focal point the image's bottom edge
    std::optional<CGrade> grade;  // with cValueMm
    // Staggered seating: each viewer looks between the heads of the row in front, over the row
    // two ahead (rise and depth of two rows); none for rows 1 and 2.
    Figure c2ValueMm;
    std::optional<CGrade> c2Grade;  // with c2ValueMm
};

struct CategoryFigures {
    char letter = 'G';                           // G detail, A computer, F video
    const char* name = "";                       // "Detalhes", "Computador", "Vídeo"
    double divisor = 4;                          // 4, 6, 8
    Figure farthestServed;                       // divisor x nTelaAltura
    std::optional<std::vector<int>> rowsBeyond;  // with farthestServed and rows
    std::string rowsBeyondReason;
};

// The smallest element as a share of the image height, in percent, that the basic method assumes
// unless told otherwise: the share the divisor 8 implies (8 / 200 = 4 %; 6 gives 3 %, 4 gives 2 %).
inline constexpr double kDefaultElementPercent = 4;

// A seat sees the image well when its line to the image's far edge is at most this many degrees
// off the screen's normal.
inline constexpr double kViewingAreaDegrees = 60;

// The lateral offset, from the screen's axis, up to which a viewer at `distance` from the screen
// wall lies in the viewing area: distance x tan 60° - screenWidth / 2 (negative: nobody there).
double ViewingAreaHalfWidth(double distance, double screenWidth);

// The viewing area within the room as a closed polygon of (distance from the screen wall, lateral
// offset from the screen's axis) corners, from the point where its two edges meet on the axis;
// empty when the area does not reach into the room or a size is negative.
std::vector<std::pair<double, double>> ViewingAreaPolygon(double screenWidth, double roomWidth,
                                                          double roomLength);

struct DiscasFigures {
    Figure farthestViewer;  // eye distance of the last row
    // The basic method's figures, of farthestViewerEdge (the farthest viewer's distance to the
    // image's far edge): that distance / 200 in millimetres, and as a share of the image height.
    Figure elementHeightMm;
    Figure percentElementHeight;  // %EH of the basic method
    Figure analyticalFarthest;    // farthest viewer of the analytical method
    std::optional<std::vector<int>> rowsBeyondAnalytical;
    std::string rowsBeyondAnalyticalReason;
    double imageOffset = 0;                 // image bottom above the front row's eye line
    Figure closestViewer;                   // 1.732 x (IH + IO)
    Figure firstRowDistance;                // the front row's eye distance
    std::optional<bool> firstRowFarEnough;  // first row's distance >= closest viewer
    std::string firstRowFarEnoughReason;
    // The seats of the plan: the farthest seat's distance to the image's far edge, the largest of
    // sqrt(D^2 + (|x| + W/2)^2) with x the seat's centre across the room (0 on the axis).
    Figure farthestViewerEdge;
    double elementPercent = kDefaultElementPercent;  // EH, the content's smallest element
    Figure bdmImageHeight;                           // FV_edge / (200 x EH): the least image height
    std::optional<bool> bdmMet;                      // the planned image is at least that high
    std::string bdmMetReason;
    Figure viewingAreaApex;   // W / (2 tan 60°): where the area's two edges meet on the axis
    Figure seatsOutsideArea;  // seats farther than 60° off the normal to the far image edge
};

// Consecutive seats of one row with the same class; seats numbered from 1 at the plan's lower wall.
struct SeatRun {
    SeatClass seatClass = SeatClass::Fora;
    std::int64_t first = 1;
    std::int64_t last = 1;
};

struct SeatRowFigures {
    int row = 0;
    // In seat order: at most five, and more where wheelchair spaces take seats out of them.
    std::vector<SeatRun> runs;
    // The seats that make way for wheelchair spaces, first to last, in order.
    std::vector<std::pair<std::int64_t, std::int64_t>> wheelchairSeats;
};

struct SeatFigures {
    Figure seatsPerRow;  // as the plan draws them; 0 when none fits
    Figure total;        // seats per row x rows, less those that make way for wheelchair spaces
    std::int64_t wheelchairSeats = 0;  // seats that make way for wheelchair spaces
    // Seats of each class (by SeatClass) and their percentage of all seats; the seats are
    // classified only when the shares have values.
    std::int64_t counts[3] = {0, 0, 0};
    Figure shares[3];
    std::vector<SeatRowFigures> rows;  // every row's runs when the shares have values
};

// Row k's eyes on an isoptic floor: each row sees over the row in front with exactly the target
// C-value, the focal point being the image's bottom edge; in staggered seating over the row two
// ahead with exactly the target C2 (row 2, looking between the heads of row 1, stays level).
struct IsopticRow {
    int row = 0;           // 1 for the row nearest the screen
    double eyeHeight = 0;  // above the front row's floor
    Figure step;           // over the row in front, 0 or more; none for the first row
    double floorRise = 0;  // floor above the front row's floor: eyeHeight - nAlturaOlhos1
};

// The C-value that the analysis aims at unless told otherwise, in millimetres.
inline constexpr double kDefaultTargetCmm = 90;
// A C-value this close below the target (in millimetres) still meets it: the figures are sums of
// decimals, which binary arithmetic holds only to about 1e-15 of their size.
inline constexpr double kCValueTolerance = 1e-6;

// How high the risers must be for a target C-value (metres unless the name says mm). In staggered
// seating the isoptic floor, the constant step and the rows below the target go by C2.
struct RiserDesign {
    double targetCmm = kDefaultTargetCmm;
    std::optional<std::vector<IsopticRow>> isoptic;  // every row; none with isopticReason
    std::string isopticReason;
    // The smallest step that, the same for every row, gives every row at least the target,
    // rounded up to the millimetre; never below 0 (a floor does not fall towards the back).
    Figure constantStep;
    bool flatFloorSuffices = false;  // a level floor already gives every row the target
    double currentStep = 0;          // the project's own, nAlturaFila2
    // Rows whose C-value (C2 in staggered seating) with the project's own step is below the target.
    std::optional<std::vector<int>> rowsBelowTarget;
    std::string rowsBelowTargetReason;
    // Risers that can be built, in blocks of rows (grouped_risers.h): over the row in front, and
    // in staggered seating over the row two ahead; none with groupedReason.
    std::optional<GroupedRisers> grouped;
    std::optional<GroupedRisers> groupedStaggered;
    std::string groupedReason;
    int blockRowsAsked = 0;  // 3 to 5, or 0 for the best of them
    double ceiling = 0;      // nPeDireito, against the total rise
};

struct SightlineAnalysis {
    std::string project;  // cProjeto in UTF-8
    // The planned screen.
    double screenTop = 0;
    double screenBottom = 0;  // nTelaTopo - nTelaAltura
    double screenWidth = 0;
    double screenHeight = 0;
    double imageLines = 0;   // nImagemAltura
    double rowCount = 0;     // rows of the project, 0 when none or too many
    std::string rowsReason;  // why there are no rows to analyse; empty when there are
    std::vector<RowFigures> rows;
    CategoryFigures categories[3];
    DiscasFigures discas;
    SeatFigures seats;
    RiserDesign risers;
    bool staggered = false;  // seats alternate row by row: rows are graded by C2
    // Places kept for people with disabilities, by the capacity (the seats and the wheelchair
    // spaces placed); none with the reason.
    std::optional<AccessibilityCounts> accessibility;
    std::string accessibilityReason;
    // The wheelchair spaces where the user placed them (or by default) with their sight lines,
    // and the interpreter's window when one is asked for.
    std::vector<WheelchairPosition> wheelchairs;
    std::optional<InterpreterFigures> interpreter;
};

// The grade that counts for a row: C2's in staggered seating, the C-value's otherwise.
inline const std::optional<CGrade>& CountingGrade(const SightlineAnalysis& a, const RowFigures& r) {
    return a.staggered ? r.c2Grade : r.grade;
}

// The clearance that counts for a row, in millimetres: C2 in staggered seating, C otherwise.
inline const Figure& CountingCValue(const SightlineAnalysis& a, const RowFigures& r) {
    return a.staggered ? r.c2ValueMm : r.cValueMm;
}

// The grouped risers proposed for the seating analysed: the staggered design (C2) in staggered
// seating, the design over the row in front otherwise. Every output that draws or sums the
// proposed floor takes it from here.
inline const std::optional<GroupedRisers>& CountingGroupedRisers(const SightlineAnalysis& a) {
    return a.staggered ? a.risers.groupedStaggered : a.risers.grouped;
}

// Rows as a reader writes them: "3, 5-7" for rows 3, 5, 6 and 7; "nenhuma" for none.
std::string RowList(const std::vector<int>& rows);

// A target C-value in millimetres typed by the user: a number as a project file holds it, with ","
// or "." before the decimals, from kMinTargetCmm to kMaxTargetCmm. Nothing when the text is
// anything else.
inline constexpr double kMinTargetCmm = 1;
inline constexpr double kMaxTargetCmm = 300;
std::optional<double> TargetCFromText(std::string text);

// The analysis of the project's inputs, the risers designed for a C-value of targetCmm
// millimetres. Never fails: what cannot be worked out carries a reason.
// With `staggered`, the seats alternate row by row and each row is graded by C2.
// `elementPercent` is the content's smallest element as a share of the image height (DISCAS's EH).
// `blockRows` is the rows per block of the grouped risers (3 to 5; 0 the best of them).
// `accessibility` places the wheelchair spaces and the interpreter's window.
SightlineAnalysis AnalyseSightlines(const DadosProjeto& p, double targetCmm = kDefaultTargetCmm,
                                    bool staggered = false,
                                    double elementPercent = kDefaultElementPercent,
                                    int blockRows = 0,
                                    const AccessibilityInputs& accessibility = {});

// A content's smallest element in percent typed by the user: "," or "." before the decimals,
// above 0 up to 100. Nothing when the text is anything else.
std::optional<double> ElementPercentFromText(std::string text);

// The smallest step s, the same for every row, that gives rows 2 to n at least the C-value c
// (metres) over the row in front: for row k, s x D_1 >= c x D_k + (E_1 - F) x T, D_k being the
// eye distances, E_1 the front row's eye height, F the focal height and T the row depth. So s is
// the largest of (c x D_k + (E_1 - F) x T) / D_1, which is row n's for c, T >= 0. Not rounded.
// With `staggered`, rows 3 to n must have C2 >= c over the row two ahead (rise 2s, depth 2T):
// 2s x D_1 >= c x D_k + 2 (E_1 - F) x T; with fewer than 3 rows no row asks for a step (0).
// Nothing for fewer than 2 distances or D_1 <= 0.
std::optional<double> ConstantStep(const std::vector<double>& eyeDistances, double eyeHeight1,
                                   double focalHeight, double rowDepth, double c,
                                   bool staggered = false);

// A length in metres rounded up to the next whole millimetre (a length that is a whole number of
// millimetres but for the binary error of its sum stays as it is).
double RoundUpToMillimetre(double metres);

}  // namespace vm

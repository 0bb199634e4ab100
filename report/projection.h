#pragma once
// From the sized screen to the equipment: how bright a projector must be for the room's ambient
// light, where it hangs for its lens's throw ratio and whether a head cuts its beam, or which
// pixel pitch an LED wall of the same size needs for the rows in front of it.
//
// Brightness: a projected image keeps a contrast ratio C in ambient light E (lux, vertical on the
// screen) when the image adds (C - 1) x E of its own; the field's rule of thumb asks C x E. The
// projector's lumens are that illuminance over the image area A, divided by the screen gain G and
// the deratings of the lens (Dl) and of the lamp's ageing (Dr): L = C x E x A / (G x Dl x Dr).
// The minimum ratios by viewing category are those of ANSI/INFOCOMM 3M-2011 (now AVIXA's image
// system contrast ratio): passive viewing 7:1, basic decision making 15:1, analytical decision
// making 50:1, full-motion video 80:1.
//
// Throw: a lens of throw ratio TR stands TR x W from a screen W wide. In the section the lens
// centre stands lensOffset image heights above the image's bottom edge (or at the height the user
// sets); the beam runs from it to the image's top and bottom edges. A row's head (its eyes +
// 0.12 m) cuts the beam when it reaches above the beam's lower edge between screen and lens.
// A row behind the lens has the projector in view when, at the lens's distance, the band between
// its sight lines to the image's bottom and top edges overlaps the projector's body
// (kProjectorBodyHeight high, centred on the lens).
//
// LED wall: a pixel pitch p (millimetres) subtends one minute of arc at 3.438 x p metres; rows
// nearer than that see the pixel structure.
//
// Lengths are metres unless a name says otherwise. Texts are Portuguese, in UTF-8.

#include <optional>
#include <string>
#include <vector>

#include "core/projection_inputs.h"
#include "report/sightline_analysis.h"

namespace vm {

struct DadosProjeto;

struct ViewingCategory {
    const char* key;   // "passive", "basic", "analytical", "video"
    const char* name;  // "Visualização passiva", ...
    double contrast;   // the minimum ratio N of N:1
};

// The four categories, from the least demanding.
inline constexpr ViewingCategory kViewingCategories[4] = {
    {"passive", "Visualização passiva", 7},
    {"basic", "Decisão básica", 15},
    {"analytical", "Decisão analítica", 50},
    {"video", "Vídeo em movimento", 80},
};

// The most demanding category whose minimum a contrast ratio meets; nullptr below 7:1.
const ViewingCategory* CategoryOfContrast(double contrast);

// A head reaches this far above the eyes.
inline constexpr double kHeadAboveEyes = 0.12;
// The projector's body, centred on the lens, is this high.
inline constexpr double kProjectorBodyHeight = 0.25;
// A pixel pitch of p millimetres subtends one minute of arc at kArcMinuteMetresPerMm x p metres.
inline constexpr double kArcMinuteMetresPerMm = 3.438;

// ---- The figures ------------------------------------------------------------------------------

struct ImageBrightness {
    std::string key;    // "planned", "G", "A", "F"
    std::string name;   // "Planejada", "Detalhes", "Computador", "Vídeo"
    double width = 0;
    double height = 0;
    double area = 0;    // m²
    Figure lumens;      // C x E x A / (G x Dl x Dr)
    Figure lumensExact; // (C - 1) x E x A / (G x Dl x Dr)
};

struct CategoryBrightness {
    const ViewingCategory* category = nullptr;
    Figure lumens;       // for the planned image
    Figure lumensExact;
};

struct BeamRow {
    int row = 0;
    double eyeDistance = 0;
    double headHeight = 0;
    double beamLowerEdge = 0;  // the beam's lower edge above the row
};

// A row behind the lens: where its sight lines to the image's edges pass at the lens's distance.
struct ViewRow {
    int row = 0;
    double eyeDistance = 0;
    double eyeHeight = 0;
    double viewBottom = 0;  // the sight line to the image's bottom edge, at the lens's distance
    double viewTop = 0;     // the sight line to the image's top edge, there
    bool seesProjector = false;
};

// Whether a viewer whose eyes stand eyeDistance from the screen and eyeHeight above the floor,
// behind a lens at lensDistance (nearer the screen) and lensHeight, has the projector's body
// between the sight lines to the image's edges at screenBottom and screenTop. Fills `view` with
// where those lines pass at the lens's distance. A band that only touches the body does not count;
// nothing is in view unless the lens stands between the screen and the eyes.
bool SeesProjector(double eyeDistance, double eyeHeight, double lensDistance, double lensHeight,
                   double screenBottom, double screenTop, ViewRow* view = nullptr);

struct ThrowFigures {
    Figure distanceMin;   // TR_min x W
    Figure distanceMax;   // TR_max x W
    Figure lensDistance;  // where the lens stands: throwDistance or distanceMin
    Figure lensHeight;
    bool lensHeightSet = false;  // the user's height, not the offset's
    // Rows between screen and lens whose heads cut the beam; none with the throw's reason.
    std::optional<std::vector<int>> rowsInBeam;
    std::vector<BeamRow> beamRows;  // every row between screen and lens
    // Rows behind the lens with the projector's body in their view of the image; none with the
    // rows' reason.
    std::optional<std::vector<int>> rowsSeeingProjector;
    std::vector<ViewRow> viewRows;  // every row behind the lens
    std::vector<std::string> warnings;
};

struct LedFigures {
    double pitchMm = 0;
    Figure pixelsAcross;
    Figure pixelsDown;
    Figure tilesAcross;
    Figure tilesDown;
    Figure remainderAcross;   // image width left over beyond the whole tiles
    Figure remainderDown;
    double acuityDistance = 0;  // 3.438 x p
    std::optional<std::vector<int>> rowsCloser;  // rows nearer than the acuity distance
    std::string rowsCloserReason;
    Figure largestPitchFirstRowMm;  // D_1 / 3.438
};

struct ProjectionFigures {
    ProjectionInputs inputs;
    const ViewingCategory* category = nullptr;  // of inputs.contrast
    double screenTop = 0;
    double screenBottom = 0;
    double screenWidth = 0;
    double screenHeight = 0;
    double roomLength = 0;
    double ceiling = 0;
    std::vector<RowFigures> rows;  // as the analysis has them
    std::string rowsReason;
    // Brightness; none with brightnessReason (no ambient light given).
    std::vector<ImageBrightness> images;      // the planned image, then G, A, F
    std::vector<CategoryBrightness> categories;  // the four, for the planned image
    std::string brightnessReason;
    std::optional<ThrowFigures> throwFigures;
    std::string throwReason;
    std::optional<LedFigures> led;
    std::string ledReason;
};

// The figures for the project's planned screen, its minimum images (the calculation must have
// run) and the rows of the analysis `a`. Never fails: what cannot be worked out carries a reason.
ProjectionFigures ComputeProjection(const DadosProjeto& p, const SightlineAnalysis& a,
                                    const ProjectionInputs& in);

// The required lumens: contrast x lux x area / (gain x lens derating x ageing derating); nothing
// when the divisor is not above 0.
std::optional<double> RequiredLumens(double contrast, double lux, double area, double gain,
                                     double lensDerating, double ageingDerating);

}  // namespace vm

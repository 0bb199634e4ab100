#pragma once
// What the planner tells about the projector or the LED wall: the ambient light, the contrast the
// image must keep, the screen's gain, the lens's and the lamp's deratings, the lens's throw ratio
// and position, the LED wall's pixel pitch and tile. They travel with the project; one table of
// limits serves every place where they are typed.

#include <optional>
#include <string>
#include <vector>

namespace vm {

inline constexpr double kDefaultContrast = 15;
inline constexpr double kDefaultGain = 1;
inline constexpr double kDefaultLensDerating = 1;
inline constexpr double kShortLongLensDerating = 0.8;
inline constexpr double kDefaultAgeingDerating = 0.75;
inline constexpr double kDefaultLensOffset = 1;  // the lens level with the image's top edge

struct ProjectionInputs {
    std::optional<double> ambientLux;  // vertical illuminance on the screen
    double contrast = kDefaultContrast;
    double gain = kDefaultGain;
    double lensDerating = kDefaultLensDerating;
    double ageingDerating = kDefaultAgeingDerating;
    std::optional<double> throwRatioMin;
    std::optional<double> throwRatioMax;  // the same as the minimum for a fixed lens
    double lensOffset = kDefaultLensOffset;  // lens centre above the image bottom, image heights
    std::optional<double> lensHeight;        // above the floor; wins over lensOffset
    std::optional<double> throwDistance;     // screen to lens; TR_min x W when not set
    std::optional<double> ledPitchMm;
    std::optional<double> ledTileWidth;
    std::optional<double> ledTileHeight;
    // The planner gave the inputs (an option of the tool, the group of a project file), even
    // when every one of them equals its default: `--contrast 15` asks for the figures too.
    bool given = false;
};

// ---- The inputs' limits: one table for the window and the tool ------------------------------

struct ProjectionInputLimit {
    const char* key;      // the JSON name and the tool's option without "--", e.g. "ambient-lux"
    const char* label;    // the window's name for it, UTF-8
    double lowest;        // the smallest value allowed ...
    bool lowestIncluded;  // ... itself allowed, or only more than it
    double highest;       // the largest allowed, included
};

const std::vector<ProjectionInputLimit>& projectionInputLimits();
const ProjectionInputLimit& projectionInputLimit(const char* key);
// True when the value lies within the limit and fits a number (FitsANumberField: a subnormal
// double lies outside).
bool WithinLimit(const ProjectionInputLimit& limit, double value);
// "de 0 a 200000", "maior que 0, até 10" (UTF-8), numbers with the given decimal mark.
std::string LimitInWords(const ProjectionInputLimit& limit, char decimalMark = '.');

// A number typed with "." or "," before the decimals; nothing for any other text.
std::optional<double> ProjectionNumberFromText(std::string text);

// Why `in` cannot be used (the input's label and its range), or empty when every value lies in
// its limits and the throw ratios make a range (a maximum not below the minimum). A maximum
// without a minimum, or a tile with one side only, is not there yet: the figures say so.
std::string CheckProjectionInputs(const ProjectionInputs& in);

// True when the inputs were given, or any input differs from a fresh ProjectionInputs: the
// planner has said something.
bool HasProjectionInputs(const ProjectionInputs& in);

}  // namespace vm

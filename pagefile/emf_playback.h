#pragma once
// Playing a page file's records onto a QPainter: the device context that the records change (pen,
// brush, font, colours, text alignment, current position, saved states) and one handler per record
// type, in pagefile/emf_playback.cpp. EmfPlayer::Paint maps the page onto its target and plays the
// records through PlayRecords.

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

class QPainter;

namespace vm {

namespace emf {
struct Document;
}

// A font as the player draws it, made once per font record.
struct PlayedFont {
    QFont font;
    QFontMetricsF metrics;
};

// A bitmap decoded once per bitmap record.
struct DecodedBitmap {
    bool decoded = false;
    QImage image;
};

// What playing a document makes once and keeps for the next time it is played: its fonts and its
// decoded bitmaps. It belongs to one document.
struct PlaybackCache {
    std::unordered_map<size_t, PlayedFont> fonts;       // by command index
    std::unordered_map<size_t, DecodedBitmap> bitmaps;  // by command index
    std::optional<PlayedFont> defaultFont;              // for text without a font selected
    // Decoded bitmaps by their bytes (views into the document, which outlives the cache).
    std::map<
        std::tuple<uint32_t, int32_t, int32_t, uint16_t, std::vector<uint32_t>, std::string_view>,
        QImage>
        byContent;
};

// How the painter's device draws the page.
struct PlaybackDevice {
    // One logical unit of the page in device pixels.
    double unitPixels = 1;
    // SVG and PDF: a device without pixels, on which every pen keeps its own width.
    bool vectorOutput = false;
};

// Plays every command of `document`, in order, onto `painter`, whose transformation already maps
// the page's logical units onto the target. The painter's state is left as it was found, whatever
// the records saved and restored.
void PlayRecords(QPainter& painter, const emf::Document& document, PlaybackCache& cache,
                 PlaybackDevice device);

}  // namespace vm

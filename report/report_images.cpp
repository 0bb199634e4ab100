#include "report/report_images.h"

#include <cstddef>
#include <string_view>
#include <vector>

#include "pagefile/page_images.h"
#include "report/report_drawings.h"

// Generated from resources/images/*.pbm at build time.
namespace vm::embedded_images {
extern const unsigned char assento[];
extern const std::size_t assento_size;
extern const unsigned char fila[];
extern const std::size_t fila_size;
}  // namespace vm::embedded_images

namespace vm {

std::span<const uint8_t> SeatedFigurePbm() {
    return {embedded_images::assento, embedded_images::assento_size};
}

std::span<const uint8_t> SeatPbm() {
    return {embedded_images::fila, embedded_images::fila_size};
}

bool RegisterReportImages(NamedImageSource& images) {
    auto add = [&images](std::string_view name, std::span<const uint8_t> bytes) {
        return images.Add(name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    };
    const bool figure = add(kSeatedFigureImage, SeatedFigurePbm());
    const bool seat = add(kSeatImage, SeatPbm());
    return figure && seat;
}

}  // namespace vm

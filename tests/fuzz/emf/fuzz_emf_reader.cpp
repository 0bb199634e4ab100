// Feeds arbitrary bytes to the page-file reader and walks everything the player would touch:
// strings, advances and bitmap rows, so that a read outside the data shows up under the
// sanitizers.

#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

#include "pagefile/emf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::optional<vm::emf::Document> doc =
        vm::emf::ParseEmf(std::vector<uint8_t>(data, data + size));
    if (!doc) {
        return 0;
    }
    volatile uint32_t sink = 0;
    for (const vm::emf::Command& command : doc->commands) {
        if (const auto* text = std::get_if<vm::emf::TextOut>(&command)) {
            for (char16_t c : text->text) {
                sink = sink + c;
            }
            for (int32_t d : text->dx) {
                sink = sink + static_cast<uint32_t>(d);
            }
        } else if (const auto* bits = std::get_if<vm::emf::StretchBits>(&command)) {
            if (bits->bitsSize > 0) {
                sink = sink + doc->bytes.at(bits->bitsOffset) +
                       doc->bytes.at(bits->bitsOffset + bits->bitsSize - 1);
            }
            if (const std::optional<size_t> stride = vm::emf::BitmapStride(*bits);
                stride && *stride > 0) {
                const size_t rows =
                    static_cast<size_t>(bits->height < 0 ? -int64_t{bits->height} : bits->height);
                sink = sink + doc->bytes.at(bits->bitsOffset + *stride * rows - 1);
            }
            for (uint32_t entry : bits->palette) {
                sink = sink + entry;
            }
        } else if (const auto* font = std::get_if<vm::emf::CreateFont>(&command)) {
            for (char16_t c : font->face) {
                sink = sink + c;
            }
        }
    }
    return 0;
}

#pragma once
// The images that PrintImage draws, found by name, kept as they are stored (JPEG or PNG bytes) or
// as plain pixels (bilevel PBM, or blue-green-red), with their pixel size.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

struct EncodedImage {
    enum class Format { Jpeg, Png, Bilevel, Bgr24 };
    Format format = Format::Jpeg;
    int width = 0;
    int height = 0;
    // Jpeg, Png: the file's bytes. Bilevel: rows from the top, one bit a pixel with the leftmost
    // pixel in the most significant bit, each row padded to a whole byte; a set bit is black, a
    // clear one white. Bgr24: rows from the top, 3 bytes (blue, green, red) a pixel, no padding.
    std::vector<uint8_t> data;
};

// The image in JPEG, PNG or binary PBM ("P4") bytes with its size read from the data; nullopt
// when the bytes are none of these (a JPEG needs a frame header, a PNG an image header, a PBM all
// its rows), or the size is 0. A PBM becomes a Bilevel image of its rows alone.
std::optional<EncodedImage> SniffImage(std::vector<uint8_t> bytes);

class ImageSource {
public:
    virtual ~ImageSource() = default;
    // The image of that name; nullopt when there is none (it is then not drawn).
    virtual std::optional<EncodedImage> Find(std::string_view name) const = 0;
};

// Images registered by name (compared without regard to case), then a file of that name (a regular
// file no larger than a page file that can be read back: a FIFO or a device is not waited for or
// read without end).
class NamedImageSource final : public ImageSource {
public:
    // Returns false (and registers nothing) when the bytes are no JPEG, PNG or PBM.
    bool Add(std::string_view name, std::vector<uint8_t> bytes);
    void Add(std::string_view name, EncodedImage image);
    std::optional<EncodedImage> Find(std::string_view name) const override;

private:
    std::map<std::string, EncodedImage> m_images;  // keys in upper case
};

}  // namespace vm

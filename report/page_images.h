#pragma once
// The images that PrintImage draws, found by name, kept as they are stored (JPEG or PNG bytes) or
// as plain pixels, with their pixel size.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

struct EncodedImage {
    enum class Format { Jpeg, Png, Bgr24 };
    Format format = Format::Jpeg;
    int width = 0;
    int height = 0;
    // Jpeg, Png: the file's bytes. Bgr24: rows from the top, 3 bytes (blue, green, red) a pixel,
    // no padding.
    std::vector<uint8_t> data;
};

// The image in JPEG or PNG bytes with its size read from the data; nullopt when the bytes are
// neither a JPEG with a frame header nor a PNG with an image header, or the size is 0.
std::optional<EncodedImage> SniffImage(std::vector<uint8_t> bytes);

class ImageSource {
public:
    virtual ~ImageSource() = default;
    // The image of that name; nullopt when there is none (it is then not drawn).
    virtual std::optional<EncodedImage> Find(std::string_view name) const = 0;
};

// Images registered by name (compared without regard to case), then a file of that name.
class NamedImageSource final : public ImageSource {
public:
    // Returns false (and registers nothing) when the bytes are no JPEG or PNG.
    bool Add(std::string_view name, std::vector<uint8_t> bytes);
    void Add(std::string_view name, EncodedImage image);
    std::optional<EncodedImage> Find(std::string_view name) const override;

private:
    std::map<std::string, EncodedImage> m_images;  // keys in upper case
};

}  // namespace vm

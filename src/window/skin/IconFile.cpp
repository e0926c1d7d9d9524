#include "IconFile.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace orvandel {

namespace {

    constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1A\n";
    constexpr std::size_t kDirectorySize = 6;
    constexpr std::size_t kEntrySize = 16;
    constexpr std::size_t kBitmapHeaderSize = 40; // BITMAPINFOHEADER; later headers are longer

    std::uint32_t Little(std::string_view bytes, std::size_t at, std::size_t length)
    {
        std::uint32_t value = 0;
        for (std::size_t i = length; i > 0; --i)
            value = (value << 8) | static_cast<unsigned char>(bytes[at + i - 1]);
        return value;
    }

    std::uint32_t Big32(std::string_view bytes, std::size_t at)
    {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
        return value;
    }

    // The size a PNG image's header tells.
    std::optional<IconImage> PngImage(std::string_view bytes)
    {
        // The signature, then the first chunk, IHDR: its length, its type, width and height.
        if (bytes.size() < 24 || bytes.substr(0, kPngSignature.size()) != kPngSignature
            || bytes.substr(12, 4) != "IHDR")
            return std::nullopt;
        const std::uint32_t width = Big32(bytes, 16);
        const std::uint32_t height = Big32(bytes, 20);
        if (width == 0 || height == 0 || width > kMaxDecodedIconSide || height > kMaxDecodedIconSide)
            return std::nullopt;
        IconImage image;
        image.kind = IconImage::Kind::Png;
        image.bytes = bytes;
        image.width = static_cast<int>(width);
        image.height = static_cast<int>(height);
        return image;
    }

    // A bitmap's size from its header, when the entry holds the colours that it promises.
    std::optional<IconImage> BitmapImage(std::string_view bytes)
    {
        if (bytes.size() < kBitmapHeaderSize)
            return std::nullopt;
        const std::uint32_t headerSize = Little(bytes, 0, 4);
        const auto width = static_cast<std::int32_t>(Little(bytes, 4, 4));
        // The height covers the colours and the mask below them.
        const auto doubleHeight = static_cast<std::int32_t>(Little(bytes, 8, 4));
        const std::uint32_t bitsPerPixel = Little(bytes, 14, 2);
        if (headerSize < kBitmapHeaderSize || headerSize > bytes.size() || width <= 0
            || width > kMaxDecodedIconSide || doubleHeight < 2 || doubleHeight / 2 > kMaxDecodedIconSide)
            return std::nullopt;
        switch (bitsPerPixel) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return std::nullopt;
        }
        const int height = doubleHeight / 2;
        const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
        if (headerSize + rowBytes * static_cast<std::uint64_t>(height) > bytes.size())
            return std::nullopt;
        IconImage image;
        image.kind = IconImage::Kind::Bitmap;
        image.bytes = bytes;
        image.width = width;
        image.height = height;
        return image;
    }

    bool Fits(const IconImage& image, int side)
    {
        return image.width <= side && image.height <= side;
    }

} // namespace

IconImage ChooseIconImage(std::string_view file)
{
    if (file.substr(0, kPngSignature.size()) == kPngSignature) {
        if (auto image = PngImage(file))
            return *image;
        throw IconFileError("The PNG image is damaged or larger than " + std::to_string(kMaxDecodedIconSide)
                            + " pixels a side.");
    }
    if (file.size() < kDirectorySize || Little(file, 0, 2) != 0
        || (Little(file, 2, 2) != 1 && Little(file, 2, 2) != 2))
        throw IconFileError("This is no icon or cursor file.");
    const bool cursor = Little(file, 2, 2) == 2;
    const std::size_t count = Little(file, 4, 2);
    std::optional<IconImage> larger; // the first image to be scaled down, should none fit
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kDirectorySize + i * kEntrySize;
        if (entry + kEntrySize > file.size())
            break;
        const std::size_t size = Little(file, entry + 8, 4);
        const std::size_t offset = Little(file, entry + 12, 4);
        if (offset > file.size() || size > file.size() - offset)
            continue;
        const std::string_view bytes = file.substr(offset, size);
        std::optional<IconImage> image
            = bytes.substr(0, kPngSignature.size()) == kPngSignature ? PngImage(bytes) : BitmapImage(bytes);
        if (!image)
            continue;
        image->cursor = cursor;
        if (cursor) {
            image->hotX = std::min(static_cast<int>(Little(file, entry + 4, 2)), image->width - 1);
            image->hotY = std::min(static_cast<int>(Little(file, entry + 6, 2)), image->height - 1);
        }
        if (Fits(*image, kMaxPointerSide))
            return *image;
        if (!larger)
            larger = image;
    }
    if (larger)
        return *larger;
    throw IconFileError(count == 0 ? "The icon file holds no image."
                                   : "The icon file holds no image of at most "
                                + std::to_string(kMaxDecodedIconSide) + " pixels a side that can be read.");
}

std::string SingleImageIconFile(const IconImage& image)
{
    std::string file;
    const auto put = [&](std::uint32_t value, std::size_t length) {
        for (std::size_t i = 0; i < length; ++i)
            file += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(0, 2);
    put(1, 2); // an icon: the hot spot has been taken
    put(1, 2);
    put(image.width >= 256 ? 0 : static_cast<std::uint32_t>(image.width), 1);
    put(image.height >= 256 ? 0 : static_cast<std::uint32_t>(image.height), 1);
    put(0, 1); // colours in the palette: as the image says
    put(0, 1);
    put(1, 2); // planes
    put(image.kind == IconImage::Kind::Bitmap ? Little(image.bytes, 14, 2) : 32, 2);
    put(static_cast<std::uint32_t>(image.bytes.size()), 4);
    put(static_cast<std::uint32_t>(kDirectorySize + kEntrySize), 4);
    file.append(image.bytes);
    return file;
}

} // namespace orvandel

#include "ImageType.h"

#include "util/AsciiText.h"

#include <array>
#include <cstdint>
#include <string>

namespace orvandel {

namespace {

    std::uint8_t At(std::string_view bytes, std::size_t index)
    {
        return static_cast<std::uint8_t>(bytes[index]);
    }

    bool StartsWith(std::string_view bytes, std::string_view prefix, std::size_t at = 0)
    {
        return bytes.size() >= at + prefix.size() && bytes.substr(at, prefix.size()) == prefix;
    }

    std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at)
    {
        return std::uint32_t(At(bytes, at)) | (std::uint32_t(At(bytes, at + 1)) << 8)
            | (std::uint32_t(At(bytes, at + 2)) << 16) | (std::uint32_t(At(bytes, at + 3)) << 24);
    }

    std::uint32_t BigEndian32(std::string_view bytes, std::size_t at)
    {
        return (std::uint32_t(At(bytes, at)) << 24) | (std::uint32_t(At(bytes, at + 1)) << 16)
            | (std::uint32_t(At(bytes, at + 2)) << 8) | std::uint32_t(At(bytes, at + 3));
    }

    // "BM" alone is too weak a sign: the size of the header that follows the file header must
    // be one of the sizes that the bitmap formats use.
    bool IsBmp(std::string_view bytes)
    {
        if (!StartsWith(bytes, "BM") || bytes.size() < 18)
            return false;
        const std::uint32_t infoSize = LittleEndian32(bytes, 14);
        for (const std::uint32_t known : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u}) {
            if (infoSize == known)
                return true;
        }
        return false;
    }

    ImageType BrandType(std::string_view brand)
    {
        if (brand == "avif" || brand == "avis")
            return ImageType::Avif;
        if (brand == "heic" || brand == "heix" || brand == "hevc" || brand == "hevx" || brand == "heim"
            || brand == "heis")
            return ImageType::Heic;
        if (brand == "mif1" || brand == "msf1")
            return ImageType::Heif;
        return ImageType::Unknown;
    }

    // An ISO media file: a box size, "ftyp", the major brand, a version, then compatible brands.
    ImageType SniffFileTypeBox(std::string_view bytes)
    {
        if (!StartsWith(bytes, "ftyp", 4) || bytes.size() < 12)
            return ImageType::Unknown;
        const ImageType major = BrandType(bytes.substr(8, 4));
        if (major == ImageType::Avif || major == ImageType::Heic)
            return major;
        // A general major brand ("mif1") says more through the compatible brands.
        const std::size_t boxEnd = std::min<std::size_t>(BigEndian32(bytes, 0), bytes.size());
        ImageType found = major;
        for (std::size_t at = 16; at + 4 <= boxEnd; at += 4) {
            const ImageType compatible = BrandType(bytes.substr(at, 4));
            if (compatible == ImageType::Avif || compatible == ImageType::Heic)
                return compatible;
            if (compatible == ImageType::Heif)
                found = compatible;
        }
        return found;
    }

    // A declared type without the blanks and quotes around it.
    std::string_view Trimmed(std::string_view text)
    {
        return TrimCharacters(text, " \t\"");
    }

    struct DeclaredName
    {
        std::string_view name;
        ImageType type;
    };

    constexpr std::array<DeclaredName, 18> kDeclaredNames {{
        {"jpeg", ImageType::Jpeg},
        {"jpg", ImageType::Jpeg},
        {"jpe", ImageType::Jpeg},
        {"pjpeg", ImageType::Jpeg},
        {"jfif", ImageType::Jpeg},
        {"png", ImageType::Png},
        {"x-png", ImageType::Png},
        {"gif", ImageType::Gif},
        {"bmp", ImageType::Bmp},
        {"x-bmp", ImageType::Bmp},
        {"x-ms-bmp", ImageType::Bmp},
        {"tiff", ImageType::Tiff},
        {"tif", ImageType::Tiff},
        {"webp", ImageType::WebP},
        {"heic", ImageType::Heic},
        {"heic-sequence", ImageType::Heic},
        {"heif", ImageType::Heif},
        {"avif", ImageType::Avif},
    }};

} // namespace

ImageType SniffImageType(std::string_view bytes)
{
    if (bytes.size() >= 3 && At(bytes, 0) == 0xFF && At(bytes, 1) == 0xD8 && At(bytes, 2) == 0xFF)
        return ImageType::Jpeg;
    if (StartsWith(bytes, "\x89PNG\r\n\x1A\n"))
        return ImageType::Png;
    if (StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a"))
        return ImageType::Gif;
    if (StartsWith(bytes, std::string_view("II*\0", 4)) || StartsWith(bytes, std::string_view("MM\0*", 4)))
        return ImageType::Tiff;
    if (StartsWith(bytes, "RIFF") && StartsWith(bytes, "WEBP", 8))
        return ImageType::WebP;
    if (IsBmp(bytes))
        return ImageType::Bmp;
    return SniffFileTypeBox(bytes);
}

ImageType ImageTypeFromDeclared(std::string_view declared)
{
    std::string name = AsciiLower(Trimmed(declared));
    if (name.rfind("image/", 0) == 0)
        name.erase(0, 6);
    // A media type may carry parameters: "image/jpeg; q=0.9".
    if (const auto semicolon = name.find(';'); semicolon != std::string::npos)
        name = AsciiLower(Trimmed(std::string_view(name).substr(0, semicolon)));
    for (const auto& known : kDeclaredNames) {
        if (known.name == name)
            return known.type;
    }
    return ImageType::Unknown;
}

std::string_view ImageTypeName(ImageType type)
{
    switch (type) {
    case ImageType::Jpeg:
        return "jpeg";
    case ImageType::Png:
        return "png";
    case ImageType::Gif:
        return "gif";
    case ImageType::Bmp:
        return "bmp";
    case ImageType::Tiff:
        return "tiff";
    case ImageType::WebP:
        return "webp";
    case ImageType::Heic:
        return "heic";
    case ImageType::Heif:
        return "heif";
    case ImageType::Avif:
        return "avif";
    case ImageType::Unknown:
        break;
    }
    return "";
}

std::string_view ImageTypeExtension(ImageType type)
{
    switch (type) {
    case ImageType::Jpeg:
        return ".jpg";
    case ImageType::Png:
        return ".png";
    case ImageType::Gif:
        return ".gif";
    case ImageType::Bmp:
        return ".bmp";
    case ImageType::Tiff:
        return ".tif";
    case ImageType::WebP:
        return ".webp";
    case ImageType::Heic:
        return ".heic";
    case ImageType::Heif:
        return ".heif";
    case ImageType::Avif:
        return ".avif";
    case ImageType::Unknown:
        break;
    }
    return ".bin";
}

bool ImageTypesDisagree(ImageType sniffed, ImageType declared)
{
    if (sniffed == ImageType::Unknown || declared == ImageType::Unknown)
        return false;
    const auto family = [](ImageType type) { return type == ImageType::Heif ? ImageType::Heic : type; };
    return family(sniffed) != family(declared);
}

} // namespace orvandel

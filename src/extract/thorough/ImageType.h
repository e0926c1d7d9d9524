#pragma once

#include <cstddef>
#include <string_view>

namespace orvandel {

enum class ImageType
{
    Unknown,
    Jpeg,
    Png,
    Gif,
    Bmp,
    Tiff,
    WebP,
    Heic,
    Heif, // the HEIF container without a more telling brand
    Avif,
};

// How many leading bytes SniffImageType looks at; fewer are fine for a short file.
inline constexpr std::size_t kImageSniffLength = 64;

// The type that the first bytes of an image show, or Unknown.
ImageType SniffImageType(std::string_view firstBytes);

// The type a card declares: a TYPE value ("JPEG", "jpg", "PNG"), a media type ("image/png",
// "image/x-png") or a bare parameter; case does not matter. Unknown when it names no image
// type that this program knows.
ImageType ImageTypeFromDeclared(std::string_view declared);

// "jpeg", "png", ... ; "" for Unknown.
std::string_view ImageTypeName(ImageType type);
// ".jpg", ".png", ... ; ".bin" for Unknown.
std::string_view ImageTypeExtension(ImageType type);

// True when a declared type does not match the type the bytes show. HEIC and HEIF count as
// one family; an unknown side never disagrees.
bool ImageTypesDisagree(ImageType sniffed, ImageType declared);

} // namespace orvandel

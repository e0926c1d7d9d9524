#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvandel {

// A file that is no icon or cursor, or none whose image a pointer can be made of.
class IconFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The sides of a pointer: the window system takes no larger one.
inline constexpr int kMaxPointerSide = 256;
// The sides of an image that is decoded to be scaled down to a pointer: a few bytes of PNG can
// stand for an image of gigabytes.
inline constexpr int kMaxDecodedIconSide = 4096;

// The image of a Windows icon (.ico) or cursor (.cur) file that a pointer is made from: one of
// its entries, a PNG image or a bitmap as the file holds it, with the size that the image's own
// header tells (an entry's directory may say otherwise). A PNG file on its own counts as an icon
// of one image.
struct IconImage
{
    enum class Kind
    {
        Png, // a PNG image, signature and all
        Bitmap, // a device-independent bitmap without its file header: colours, then the mask
    };
    Kind kind = Kind::Png;
    std::string_view bytes; // within the file's bytes
    int width = 0;
    int height = 0;
    int hotX = -1; // a cursor's hot spot, within the image; -1 for an icon's
    int hotY = -1;
    bool cursor = false;
};

// Chooses the image to make a pointer from: the first entry whose image is at most
// kMaxPointerSide on each side, else the first one of at most kMaxDecodedIconSide (to be scaled
// down). Entries that lie outside the file or whose image header does not make sense are passed
// over. Throws IconFileError when the bytes are no icon, cursor or PNG file, or none of their
// entries will do.
IconImage ChooseIconImage(std::string_view file);

// An icon file that holds `image` alone, for a reader of icon files (a bitmap has no header of its
// own that such a reader knows).
std::string SingleImageIconFile(const IconImage& image);

} // namespace orvandel

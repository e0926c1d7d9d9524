// Image-type sniffing and the declared types on any bytes: sniffing the first kImageSniffLength
// bytes (as the thorough run does) or all of them reads nothing beyond them and gives a known
// type, every type has a name and an extension that belong together, and the name of a type,
// declared by a card, is read back as that type.

#include "extract/thorough/ImageType.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvandel;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ImageType sniffed = SniffImageType(bytes.substr(0, kImageSniffLength));
    const ImageType whole = SniffImageType(bytes);
    const ImageType declared = ImageTypeFromDeclared(bytes);
    for (const ImageType type : {sniffed, whole, declared}) {
        Check(type >= ImageType::Unknown && type <= ImageType::Avif);
        const std::string_view name = ImageTypeName(type);
        const std::string_view extension = ImageTypeExtension(type);
        Check(extension.size() >= 2 && extension[0] == '.');
        Check(name.empty() == (type == ImageType::Unknown));
        if (!name.empty())
            Check(ImageTypeFromDeclared(name) == type
                  || ImageTypeFromDeclared("image/" + std::string(name)) == type);
        // A type never disagrees with itself or with what is not known.
        Check(!ImageTypesDisagree(type, type) && !ImageTypesDisagree(type, ImageType::Unknown)
              && !ImageTypesDisagree(ImageType::Unknown, type));
    }
    return 0;
}

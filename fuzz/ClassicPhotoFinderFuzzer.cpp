// The classic photo finder on any card file: it finds nothing or a photo that stands on a line
// of the file, whose data holds no blank or line break; decoding that data decodes or throws.

#include "extract/Base64.h"
#include "extract/ClassicPhotoFinder.h"
#include "util/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto lines = orvandel::TextLines::fromBytes(std::string(reinterpret_cast<const char*>(data), size));
    const auto photo = orvandel::FindClassicPhoto(lines);
    if (!photo)
        return 0;
    if (photo->lineIndex >= lines.lineCount() || !orvandel::IsClassicPhotoHeader(photo->header))
        std::abort();
    if (photo->data.find_first_of(" \r\n") != std::string::npos)
        std::abort();
    try {
        orvandel::Base64Decode(photo->data);
    } catch (const orvandel::Base64Error&) {
    }
    return 0;
}

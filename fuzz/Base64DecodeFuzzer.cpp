// Base64Decode on any text: it decodes or throws Base64Error with one of its numbers, and never
// gives more bytes than three for every four characters. Base64DecodeInPlace gives the same
// bytes or throws the same error.

#include "extract/Base64.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string inPlace(text);
    int inPlaceError = 0;
    try {
        orvandel::Base64DecodeInPlace(inPlace);
    } catch (const orvandel::Base64Error& error) {
        inPlaceError = error.number();
    }
    std::string bytes;
    try {
        bytes = orvandel::Base64Decode(text);
    } catch (const orvandel::Base64Error& error) {
        if (error.number() != 1 && error.number() != 2 && error.number() != 5)
            std::abort();
        if (inPlaceError != error.number())
            std::abort();
        return 0;
    }
    if (bytes.size() > size / 4 * 3)
        std::abort();
    if (inPlaceError != 0 || inPlace != bytes)
        std::abort();
    return 0;
}

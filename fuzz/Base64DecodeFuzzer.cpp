// Base64Decode on any text: it decodes or throws Base64Error with one of its numbers, and never
// gives more bytes than three for every four characters.

#include "extract/Base64.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string bytes;
    try {
        bytes = orvandel::Base64Decode(text);
    } catch (const orvandel::Base64Error& error) {
        if (error.number() != 1 && error.number() != 2 && error.number() != 5)
            std::abort();
        return 0;
    }
    if (bytes.size() > size / 4 * 3)
        std::abort();
    return 0;
}

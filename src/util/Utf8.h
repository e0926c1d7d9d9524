#pragma once

#include <cstddef>
#include <string_view>

namespace orvandel {

// One character of UTF-8 text.
struct Utf8Char
{
    std::size_t length; // bytes: 1 to 4; an invalid or cut-off sequence counts as one byte
    bool valid; // false for such a byte
    char32_t code; // the code point, when valid
};

// The character that starts at `at` (which must lie inside `text`). Overlong forms, surrogates
// and values beyond Unicode are not characters.
Utf8Char DecodeUtf8At(std::string_view text, std::size_t at);

} // namespace orvandel

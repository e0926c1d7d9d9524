#include "NameRules.h"

#include <algorithm>

namespace orvandel {

namespace {

    // The length of the UTF-8 sequence at `at` and its code point; an invalid or cut-off
    // sequence is one byte long and gives no code point.
    struct Utf8Char
    {
        std::size_t length;
        bool valid;
        char32_t code;
    };

    Utf8Char DecodeAt(std::string_view text, std::size_t at)
    {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80)
            return {1, true, lead};
        std::size_t length = 0;
        char32_t code = 0;
        char32_t smallest = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
            smallest = 0x10000;
        } else {
            return {1, false, 0};
        }
        if (at + length > text.size())
            return {1, false, 0};
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[at + k]);
            if ((next & 0xC0) != 0x80)
                return {1, false, 0};
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not characters.
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return {1, false, 0};
        return {length, true, code};
    }

    unsigned char Capital(unsigned char c)
    {
        return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
    }

} // namespace

std::size_t CountCharacters(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); at += DecodeAt(text, at).length)
        ++count;
    return count;
}

bool HasInvalidChars(std::string_view name)
{
    for (std::size_t at = 0; at < name.size();) {
        const Utf8Char c = DecodeAt(name, at);
        if (!c.valid || c.code < 32 || (c.code >= 127 && c.code <= 159) || c.code == U'?')
            return true;
        at += c.length;
    }
    return false;
}

bool ListingOrderLess(std::string_view a, std::string_view b)
{
    // Only ASCII letters are folded; other characters compare by their UTF-8 bytes, which is
    // the order of their code points.
    const auto folded = [](char x, char y) {
        return Capital(static_cast<unsigned char>(x)) < Capital(static_cast<unsigned char>(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded))
        return false;
    return a < b;
}

} // namespace orvandel

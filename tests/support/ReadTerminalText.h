#pragma once

#include <string>
#include <string_view>

namespace orvandel::test {

// The bytes that a text written by TerminalText stands for: "\\", "\t", "\n", "\r" and "\xHH"
// read back.
inline std::string ReadTerminalText(std::string_view shown)
{
    std::string bytes;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] != '\\' || i + 1 == shown.size()) {
            bytes += shown[i];
            continue;
        }
        const char kind = shown[++i];
        if (kind == 'x' && i + 2 < shown.size()) {
            bytes += static_cast<char>(std::stoi(std::string(shown.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            bytes += kind == 't' ? '\t' : kind == 'n' ? '\n' : kind == 'r' ? '\r' : kind;
        }
    }
    return bytes;
}

// True when `text` is valid UTF-8 and holds no control character (C0, DEL, C1) other than those
// in `allowed`.
inline bool IsCleanText(std::string_view text, std::string_view allowed)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if ((c < 0x20 || c == 0x7F) && allowed.find(static_cast<char>(c)) == std::string_view::npos)
                return false;
            ++i;
            continue;
        }
        std::size_t length = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        char32_t code = c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code <= 0x9F)
            return false;
        i += length;
    }
    return true;
}

} // namespace orvandel::test

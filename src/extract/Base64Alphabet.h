#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace orvandel {

// The standard Base64 alphabet (RFC 4648, section 4): a character's value is its position.
inline constexpr std::string_view kBase64Alphabet
    = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// A table from byte to value: 0 to 63 for the alphabet's characters, `other` for every other byte.
constexpr std::array<std::uint8_t, 256> Base64ValueTable(std::uint8_t other)
{
    std::array<std::uint8_t, 256> table {};
    for (auto& value : table)
        value = other;
    for (std::size_t i = 0; i < kBase64Alphabet.size(); ++i)
        table[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<std::uint8_t>(i);
    return table;
}

} // namespace orvandel

#include "AsciiText.h"

#include <cstdio>

namespace orvandel {

std::string AsciiUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = AsciiUpper(c);
    return out;
}

std::string AsciiLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    }
    return true;
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) noexcept
{
    return text.size() >= prefix.size() && EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimCharacters(std::string_view text, std::string_view characters) noexcept
{
    const std::size_t start = text.find_first_not_of(characters);
    if (start == std::string_view::npos)
        return text.substr(text.size());
    return text.substr(start, text.find_last_not_of(characters) - start + 1);
}

std::string_view TrimBlanks(std::string_view text) noexcept
{
    return TrimCharacters(text, " \t");
}

void AppendHexByte(std::string& out, unsigned char byte)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
}

std::string DescribeByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F)
        return std::string("\"") + c + "\"";
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return std::string("the byte ") + text;
}

std::string DescribeCharacter(char c)
{
    const std::string described = DescribeByte(c);
    return described.front() == '"' ? "the character " + described : described;
}

} // namespace orvandel

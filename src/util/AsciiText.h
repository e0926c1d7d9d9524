#pragma once

#include <string>
#include <string_view>

namespace orvandel {

// Text whose rules are ASCII's whatever the locale: vCard names and parameters, charset and type
// names, file name patterns. Bytes beyond ASCII (UTF-8 or not) pass through as they are.

constexpr bool IsAsciiLetter(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

constexpr bool IsAsciiDigit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

constexpr char AsciiUpper(char c) noexcept
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char AsciiLower(char c) noexcept
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept;
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) noexcept;

// The text without the blanks (spaces and tabs) at its two ends.
std::string_view TrimBlanks(std::string_view text) noexcept;
// The text without any of `characters` at its two ends.
std::string_view TrimCharacters(std::string_view text, std::string_view characters) noexcept;

// The value of a hexadecimal digit, either case; -1 for any other character.
constexpr int HexValue(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Appends the byte's two lower-case hexadecimal digits ("0a", "ff").
void AppendHexByte(std::string& out, unsigned char byte);

// A byte as an error message names it: a printable ASCII character in quotes ("%"), any other
// byte by its value ("the byte 0x0A").
std::string DescribeByte(char c);
// The same as a subject: "the character "%"", or "the byte 0x0A" for any other byte.
std::string DescribeCharacter(char c);

} // namespace orvandel

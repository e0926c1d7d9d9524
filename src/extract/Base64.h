#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace orvandel {

// A Base64 text that cannot be decoded. number() is 1 for a length that is not a multiple of
// four, 2 for a character outside the alphabet, 5 for a group of four "=".
class Base64Error : public std::runtime_error
{
public:
    Base64Error(int number, const std::string& description);
    int number() const noexcept { return m_number; }
    static constexpr const char* source() noexcept { return "Base64Decode"; }

private:
    int m_number;
};

// Decodes standard Base64 (RFC 4648, section 4). CR LF pairs, tabs and spaces are ignored
// (a lone CR or LF is not); "=" may stand anywhere in a group of four and counts as six zero
// bits that shorten the group's output by one byte. Throws Base64Error; never returns part
// of a result. Cleaning and decoding are one pass: runs of whole groups go to the processor's
// Base64Kernel, everything else is taken a character at a time, with the same outcome whichever
// kernel runs.
std::string Base64Decode(std::string_view text);

// Decodes `text` as Base64Decode does, within its own buffer: afterwards `text` holds the bytes.
// No second copy of the text is made, so a photo of any size needs no more memory than its
// text. Throws Base64Error, and then leaves `text` holding no result: what it holds is partly
// decoded, partly what is left of the text it was.
void Base64DecodeInPlace(std::string& text);

} // namespace orvandel

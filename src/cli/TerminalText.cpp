#include "TerminalText.h"

#include "util/AsciiText.h"
#include "util/Utf8.h"

namespace orvandel {

namespace {

#if defined(_WIN32)
    // A backslash is the separator of every path there, and Windows names hold no control
    // character: it stays as it is.
    constexpr std::string_view kBackslash = "\\";
#else
    constexpr std::string_view kBackslash = "\\\\";
#endif

} // namespace

std::string TerminalText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    const auto escapeByte = [&out](unsigned char byte) {
        out += "\\x";
        AppendHexByte(out, byte);
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\\') {
            out += kBackslash;
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            escapeByte(c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            const Utf8Char character = DecodeUtf8At(text, i);
            if (!character.valid) {
                escapeByte(c);
            } else if (character.code <= 0x9F) {
                // A C1 control: each of its two bytes.
                escapeByte(c);
                escapeByte(static_cast<unsigned char>(text[i + 1]));
            } else {
                out.append(text.substr(i, character.length));
            }
            i += character.length;
            continue;
        }
        ++i;
    }
    return out;
}

} // namespace orvandel

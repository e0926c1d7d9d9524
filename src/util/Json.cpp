#include "Json.h"

#include "AsciiText.h"
#include "Utf8.h"

namespace orvandel {

std::string JsonQuote(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    const auto appendEscape = [&out](char32_t code) {
        out += "\\u00";
        AppendHexByte(out, static_cast<unsigned char>(code));
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            appendEscape(c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const Utf8Char character = DecodeUtf8At(text, i); !character.valid) {
            // A byte that is no part of UTF-8 becomes a lone low surrogate, U+DC80 to U+DCFF,
            // so that the exact bytes can be had back (Python's "surrogateescape" reads it so).
            out += "\\udc";
            AppendHexByte(out, c);
        } else if (character.code <= 0x9F) {
            appendEscape(character.code); // the C1 controls, U+0080 to U+009F
            i += character.length - 1;
        } else {
            out.append(text.substr(i, character.length));
            i += character.length - 1;
        }
    }
    out += '"';
    return out;
}

void JsonObject::key(std::string_view key)
{
    if (m_text.size() > 1)
        m_text += ',';
    m_text += JsonQuote(key);
    m_text += ':';
}

JsonObject& JsonObject::add(std::string_view name, std::string_view value)
{
    key(name);
    m_text += JsonQuote(value);
    return *this;
}

JsonObject& JsonObject::addNumber(std::string_view name, long long value)
{
    key(name);
    m_text += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::add(std::string_view name, bool value)
{
    key(name);
    m_text += value ? "true" : "false";
    return *this;
}

} // namespace orvandel

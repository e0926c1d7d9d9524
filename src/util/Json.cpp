#include "Json.h"

#include <cstdint>

namespace orvandel {

namespace {

    // Length of the valid UTF-8 sequence at `at`, or 0 when the bytes there are not one.
    std::size_t Utf8SequenceLength(std::string_view text, std::size_t at)
    {
        const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
        const std::uint8_t lead = byte(at);
        std::size_t length = 0;
        std::uint32_t min = 0;
        std::uint32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            min = 0x80;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            min = 0x800;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            min = 0x10000;
            code = lead & 0x07;
        } else {
            return 0;
        }
        if (at + length > text.size())
            return 0;
        for (std::size_t i = 1; i < length; ++i) {
            if ((byte(at + i) & 0xC0) != 0x80)
                return 0;
            code = (code << 6) | (byte(at + i) & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return 0;
        return length;
    }

} // namespace

std::string JsonQuote(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
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
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const std::size_t length = Utf8SequenceLength(text, i); length > 0) {
            out.append(text.substr(i, length));
            i += length - 1;
        } else {
            out += "\xEF\xBF\xBD";
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

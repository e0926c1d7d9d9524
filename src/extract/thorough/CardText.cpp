#include "CardText.h"

#include "Charset.h"

namespace orvandel {

namespace {

    int HexValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    }

    std::string_view Trim(std::string_view text)
    {
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix(1);
        return text;
    }

} // namespace

std::string AsciiUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string DecodeQuotedPrintable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0
            && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string UnescapeCardText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[i + 1];
        if (next == ',' || next == ';' || next == ':' || next == '\\') {
            out += next;
            ++i;
        } else if (next == 'n' || next == 'N') {
            out += '\n';
            ++i;
        } else {
            out += '\\';
        }
    }
    return out;
}

std::string UnescapeSeparators(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()
            && (text[i + 1] == ',' || text[i + 1] == ';' || text[i + 1] == ':' || text[i + 1] == '\\'))
            ++i;
        out += text[i];
    }
    return out;
}

std::string DecodeCardTextValue(std::string_view raw, std::string_view encoding, std::string_view charset)
{
    std::string text
        = AsciiUpper(encoding) == "QUOTED-PRINTABLE" ? DecodeQuotedPrintable(raw) : std::string(raw);
    if (!Trim(charset).empty())
        text = CharsetToUtf8(text, Trim(charset));
    return std::string(Trim(UnescapeCardText(text)));
}

} // namespace orvandel

#include "CardText.h"

#include "Charset.h"
#include "util/AsciiText.h"

namespace orvandel {

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

std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == separator && !quoted) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::string DecodeCardTextValue(std::string_view raw, std::string_view encoding, std::string_view charset)
{
    std::string text = EqualsIgnoringAsciiCase(encoding, "QUOTED-PRINTABLE") ? DecodeQuotedPrintable(raw)
                                                                             : std::string(raw);
    if (!TrimBlanks(charset).empty())
        text = CharsetToUtf8(text, TrimBlanks(charset));
    return std::string(TrimBlanks(UnescapeCardText(text)));
}

} // namespace orvandel

#include "PhotoNames.h"

#include "util/AsciiText.h"
#include "util/Utf8.h"

namespace orvandel {

namespace {

    constexpr std::size_t kMaxNameBytes = 150;

    bool IsForbidden(char c)
    {
        switch (c) {
        case '/':
        case '\\':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return true;
        default:
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        }
    }

    bool IsReservedDeviceName(std::string_view base)
    {
        const std::string lower = AsciiLower(base);
        for (const char* name : {"con", "prn", "aux", "nul"}) {
            if (lower == name)
                return true;
        }
        return lower.size() == 4 && (lower.rfind("com", 0) == 0 || lower.rfind("lpt", 0) == 0)
            && lower[3] >= '0' && lower[3] <= '9';
    }

    void TrimEnd(std::string& name)
    {
        while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
            name.pop_back();
    }

} // namespace

NameTemplate::NameTemplate()
    : m_text("{fn}")
    , m_pieces {{Field::Fn, {}}}
{
}

NameTemplate NameTemplate::parse(std::string_view text)
{
    NameTemplate result;
    result.m_text = std::string(text);
    result.m_pieces.clear();
    std::string literal;
    const auto flush = [&] {
        if (!literal.empty())
            result.m_pieces.push_back({Field::Literal, std::move(literal)});
        literal.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c == '{' || c == '}') && i + 1 < text.size() && text[i + 1] == c) {
            literal += c;
            ++i;
            continue;
        }
        if (c == '}')
            throw NameTemplateError("a \"}\" without its \"{\" (write \"}}\" for a brace)");
        if (c != '{') {
            literal += c;
            continue;
        }
        const auto close = text.find('}', i);
        if (close == std::string_view::npos)
            throw NameTemplateError("a \"{\" without its \"}\" (write \"{{\" for a brace)");
        const std::string_view name = text.substr(i + 1, close - i - 1);
        Field field;
        if (name == "file")
            field = Field::File;
        else if (name == "fn")
            field = Field::Fn;
        else if (name == "n")
            field = Field::Number;
        else if (name == "uid")
            field = Field::Uid;
        else
            throw NameTemplateError("unknown field {" + std::string(name)
                                    + "}: use {file}, {fn}, {n} or {uid}");
        flush();
        result.m_pieces.push_back({field, {}});
        i = close;
    }
    flush();
    return result;
}

std::string NameTemplate::expandRaw(const NameFields& fields) const
{
    std::string out;
    for (const Piece& piece : m_pieces) {
        switch (piece.field) {
        case Field::Literal:
            out += piece.literal;
            break;
        case Field::File:
            out += fields.file;
            break;
        case Field::Fn:
            if (!fields.fn.empty())
                out += fields.fn;
            else
                out += fields.file + "-" + std::to_string(fields.number);
            break;
        case Field::Number:
            out += std::to_string(fields.number);
            break;
        case Field::Uid:
            out += fields.uid;
            break;
        }
    }
    return out;
}

std::string NameTemplate::expand(const NameFields& fields) const
{
    std::string name = MakeSafeFileName(expandRaw(fields));
    if (name.empty())
        name = MakeSafeFileName(fields.file + "-" + std::to_string(fields.number));
    return name;
}

std::string MakeSafeFileName(std::string_view text)
{
    std::string name;
    name.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const Utf8Char character = DecodeUtf8At(text, i);
        if (!character.valid) {
            name += '_';
            ++i;
        } else if (character.length > 1) {
            if (character.code <= 0x9F)
                name += '_'; // a C1 control character
            else
                name.append(text.substr(i, character.length));
            i += character.length;
        } else {
            if (c == '\t' || c == '\n' || c == '\r')
                name += ' ';
            else
                name += IsForbidden(c) ? '_' : c;
            ++i;
        }
    }

    const auto first = name.find_first_not_of(' ');
    name.erase(0, first == std::string::npos ? name.size() : first);
    if (name.size() > kMaxNameBytes) {
        std::size_t cut = kMaxNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    TrimEnd(name);
    if (!name.empty() && name.front() == '.')
        name.front() = '_';

    // Windows reserves the device names before any extension: "con.x" is the console too.
    std::size_t baseEnd = name.find('.');
    if (baseEnd == std::string::npos)
        baseEnd = name.size();
    std::size_t reservedEnd = baseEnd;
    while (reservedEnd > 0 && name[reservedEnd - 1] == ' ')
        --reservedEnd;
    if (IsReservedDeviceName(std::string_view(name).substr(0, reservedEnd)))
        name.insert(reservedEnd, "_");
    return name;
}

} // namespace orvandel

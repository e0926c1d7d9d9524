#include "PhotoNames.h"

namespace orvandel {

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

} // namespace orvandel

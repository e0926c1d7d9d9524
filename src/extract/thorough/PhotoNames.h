#pragma once

#include "extract/SafeFileName.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel {

// What a name template can draw on for one card.
struct NameFields
{
    std::string file; // the input's file name without its extension
    std::string fn; // the card's FN; empty when it has none
    std::size_t number = 0; // the card's number in its file, from 1
    std::string uid; // the card's UID; empty when it has none
};

// A wrong name template: an unknown field or an unclosed brace.
class NameTemplateError : public std::invalid_argument
{
public:
    using std::invalid_argument::invalid_argument;
};

// A file name made of text and the fields {file}, {fn}, {n} and {uid}; "{{" and "}}" stand for
// braces. The default is "{fn}". A card without FN gives "{file}-{n}" wherever {fn} stands.
class NameTemplate
{
public:
    NameTemplate();
    // Throws NameTemplateError.
    static NameTemplate parse(std::string_view text);

    // The name for one card, made safe for a file name (see MakeSafeFileName) and without
    // extension. When nothing is left of it, the card is named "{file}-{n}".
    std::string expand(const NameFields& fields) const;

    const std::string& text() const noexcept { return m_text; }

private:
    enum class Field
    {
        Literal,
        File,
        Fn,
        Number,
        Uid,
    };
    struct Piece
    {
        Field field;
        std::string literal;
    };

    std::string expandRaw(const NameFields& fields) const;

    std::string m_text;
    std::vector<Piece> m_pieces;
};

} // namespace orvandel

#pragma once

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

// A text turned into a file name that Linux and Windows both accept: "/", "\", ":", "*", "?",
// quote, "<", ">", "|", control characters (C0, DEL and C1, U+0080 to U+009F) and broken UTF-8
// become "_" (line breaks and tabs a blank); a leading dot becomes "_" so that the file is not hidden; blanks
// at either end and dots at the end go; a reserved device name (CON, PRN, AUX, NUL, COM0-9, LPT0-9, in any
// case and before any dot) gets "_" appended; a name longer than 150 bytes is cut at a character boundary.
// The result may be empty.
std::string MakeSafeFileName(std::string_view text);

} // namespace orvandel

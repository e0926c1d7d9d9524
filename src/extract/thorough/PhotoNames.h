#pragma once

#include "util/FingerprintTable.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel {

class ReplacingFile;
class WrittenFiles;

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

// The names written in one run. A name already taken gets " (2)", " (3)" and so on before its
// extension. Names compare without regard to ASCII case, so that they stay apart on file
// systems that ignore it; place() also asks the disk, for every other rule a file system may
// have. The table keeps a fingerprint for each name and each folder once, so that a million
// photos take about 16 MB (names that repeat take some more, for their next number).
class PhotoNames
{
public:
    // `folder` ends with "/". Returns folder + name.
    std::string claim(const std::string& folder, std::string_view stem, std::string_view extension);
    // Gives back a name whose file was not written after all.
    void release(const std::string& path);

    // Gives the complete `file` the first name for `stem` and `extension` that is free in this
    // table and on the disk (see WrittenFiles), in the file's folder. A name where something
    // stands that cannot be replaced (a folder, a protected file) is passed over for the next
    // number. Returns the path. Throws FileError when the file cannot be written.
    std::string
    place(ReplacingFile& file, WrittenFiles& written, std::string_view stem, std::string_view extension);

    // The bytes the table holds.
    std::size_t memoryBytes() const noexcept;

private:
    std::uint64_t folderSalt(const std::string& folder, bool add);

    std::vector<std::string> m_folders; // folded, each once
    FingerprintSet m_taken; // folded names, salted by their folder
    FingerprintTable<std::uint32_t> m_nextNumber; // folded stem and extension -> the next number to try
};

} // namespace orvandel

#include "PhotoNames.h"

#include "util/FileError.h"
#include "util/Fingerprint.h"
#include "util/ReplacingFile.h"
#include "util/Utf8.h"
#include "util/WrittenFiles.h"

#include <array>
#include <cstdint>

namespace orvandel {

namespace {

    constexpr std::size_t kMaxNameBytes = 150;

    std::string AsciiLower(std::string_view text)
    {
        std::string out(text);
        for (char& c : out) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return out;
    }

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

std::uint64_t PhotoNames::folderSalt(const std::string& folder, bool add)
{
    const std::string folded = AsciiLower(folder);
    for (std::size_t i = 0; i < m_folders.size(); ++i) {
        if (m_folders[i] == folded)
            return i + 1;
    }
    if (!add)
        return 0;
    m_folders.push_back(folded);
    return m_folders.size();
}

std::string PhotoNames::claim(const std::string& folder, std::string_view stem, std::string_view extension)
{
    const std::uint64_t salt = folderSalt(folder, true);
    // No file name holds a NUL, so this key never meets a name's.
    const std::uint64_t base
        = Fingerprint(AsciiLower(std::string(stem) + '\0' + std::string(extension)), salt);
    std::uint32_t* next = m_nextNumber.find(base);
    for (std::uint32_t n = next ? *next : 1;; ++n) {
        std::string name(stem);
        if (n > 1)
            name += " (" + std::to_string(n) + ")";
        name += extension;
        if (!m_taken.insert(Fingerprint(AsciiLower(name), salt)))
            continue;
        // Only a name that is claimed again keeps its next number.
        if (n > 1)
            m_nextNumber.at(base) = n + 1;
        return folder + name;
    }
}

void PhotoNames::release(const std::string& path)
{
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::uint64_t salt = folderSalt(folder, false);
    if (salt != 0)
        m_taken.erase(Fingerprint(AsciiLower(path.substr(folder.size())), salt));
}

std::string PhotoNames::place(ReplacingFile& file,
                              WrittenFiles& written,
                              std::string_view stem,
                              std::string_view extension)
{
    constexpr int kMaxTries = 10000;
    const std::string folder = file.folder()->path();
    for (int tries = 0; tries < kMaxTries; ++tries) {
        std::string target = claim(folder, stem, extension);
        file.retarget(target);
        WrittenFiles::Placement placement;
        try {
            placement = written.put(file);
        } catch (...) {
            release(target);
            throw;
        }
        if (placement.outcome == WrittenFiles::Outcome::Written)
            return target;
        // Taken or obstructed: the name stays claimed, so that no later photo tries it again.
    }
    file.discard();
    throw FileError(FileErrorKind::CreateFailed,
                    "No free name for the photo after " + std::to_string(kMaxTries)
                        + " tries: " + file.target());
}

std::size_t PhotoNames::memoryBytes() const noexcept
{
    std::size_t bytes = m_taken.memoryBytes() + m_nextNumber.memoryBytes();
    for (const std::string& folder : m_folders)
        bytes += sizeof folder + folder.capacity();
    return bytes;
}

} // namespace orvandel

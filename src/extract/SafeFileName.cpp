#include "SafeFileName.h"

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

    void TrimEnd(std::string& name)
    {
        while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
            name.pop_back();
    }

    // At most kMaxNameBytes, cut at a character's start, without blanks and dots at the end.
    void CutToLength(std::string& name)
    {
        if (name.size() > kMaxNameBytes) {
            std::size_t cut = kMaxNameBytes;
            while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
                --cut;
            name.resize(cut);
        }
        TrimEnd(name);
    }

} // namespace

bool IsReservedDeviceName(std::string_view base)
{
    const std::string lower = AsciiLower(base);
    for (const char* name : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
        if (lower == name)
            return true;
    }
    if (lower.rfind("com", 0) != 0 && lower.rfind("lpt", 0) != 0)
        return false;
    // COM0 to COM9 and LPT0 to LPT9, and with the superscript digits ¹, ² and ³ (in UTF-8), which
    // Windows takes for digits there.
    const std::string_view number = std::string_view(lower).substr(3);
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9"
        || number == "\xC2\xB2" || number == "\xC2\xB3";
}

std::string MakeSafeFileName(std::string_view text, bool keepLeadingDot)
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
    CutToLength(name);
    if (!name.empty() && name.front() == '.' && !keepLeadingDot)
        name.front() = '_';

    // Windows reserves the device names before any extension: "con.x" is the console too.
    std::size_t baseEnd = name.find('.');
    if (baseEnd == std::string::npos)
        baseEnd = name.size();
    std::size_t reservedEnd = baseEnd;
    while (reservedEnd > 0 && name[reservedEnd - 1] == ' ')
        --reservedEnd;
    if (IsReservedDeviceName(std::string_view(name).substr(0, reservedEnd))) {
        name.insert(name.begin() + static_cast<std::ptrdiff_t>(reservedEnd), '_');
        CutToLength(name); // "con.<146 bytes>" is one byte longer now
    }
    return name;
}

} // namespace orvandel

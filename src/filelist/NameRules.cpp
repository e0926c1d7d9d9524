#include "NameRules.h"

#include "util/AsciiText.h"
#include "util/Utf8.h"

#include <algorithm>

namespace orvandel {

namespace {

    // How long a path or name is by the system's measure: characters on Windows, bytes elsewhere.
    std::size_t SystemLength(std::string_view text)
    {
#if defined(_WIN32)
        return CountCharacters(text);
#else
        return text.size();
#endif
    }

} // namespace

std::size_t CountCharacters(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); at += DecodeUtf8At(text, at).length)
        ++count;
    return count;
}

bool FolderPathTooLong(std::string_view path)
{
    return SystemLength(path) >= kMaxFolderPath;
}

bool FolderNameTooLong(std::string_view name)
{
    return SystemLength(name) >= kMaxFolderName;
}

bool HasInvalidChars(std::string_view name)
{
    for (std::size_t at = 0; at < name.size();) {
        const Utf8Char c = DecodeUtf8At(name, at);
        if (!c.valid || c.code < 32 || (c.code >= 127 && c.code <= 159) || c.code == U'?')
            return true;
        at += c.length;
    }
    return false;
}

bool ListingOrderLess(std::string_view a, std::string_view b)
{
    // Only ASCII letters are folded; other characters compare by their UTF-8 bytes, which is
    // the order of their code points.
    const auto folded = [](char x, char y) {
        return static_cast<unsigned char>(AsciiUpper(x)) < static_cast<unsigned char>(AsciiUpper(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded))
        return false;
    return a < b;
}

} // namespace orvandel

#include "NameRules.h"

#include "util/AsciiText.h"
#include "util/Utf8.h"

#include <algorithm>

#if defined(_WIN32)
#include "util/WideText.h"

#include <windows.h>
#endif

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

#if defined(_WIN32)

bool HasInvalidChars(std::string_view name)
{
    // Each character as the system's ANSI code page has it: one it cannot represent turns into
    // "?", and one of two bytes (an East Asian code page) counts as a negative code.
    const std::wstring wide = Utf8ToWide(name);
    for (std::size_t at = 0; at < wide.size();) {
        const bool pair
            = at + 1 < wide.size() && IS_HIGH_SURROGATE(wide[at]) && IS_LOW_SURROGATE(wide[at + 1]);
        const int units = pair ? 2 : 1;
        char bytes[8] = {};
        BOOL usedDefault = FALSE;
        const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data() + at, units, bytes,
                                                 sizeof bytes, "?", &usedDefault);
        at += static_cast<std::size_t>(units);
        if (length != 1 || usedDefault)
            return true;
        const auto code = static_cast<unsigned char>(bytes[0]);
        if (code < 32 || (code >= 127 && code <= 159) || code == '?')
            return true;
    }
    return false;
}

#else

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

#endif

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

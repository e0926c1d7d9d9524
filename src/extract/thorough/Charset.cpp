#include "Charset.h"

#include "util/AsciiText.h"
#include "util/Utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>

#if defined(ORVANDEL_HAVE_ICONV)
#include <cerrno>
#include <iconv.h>
#endif

namespace orvandel {

namespace {

    constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    constexpr std::size_t kMaxCharsetName = 64;

    void AppendUtf8(std::string& out, char32_t code)
    {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    // Windows-1252 at 0x80 to 0x9F; 0 where it has no character. Every other byte is the
    // character of the same number, as in ISO 8859-1.
    constexpr std::array<char16_t, 32> kWindows1252 {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
    };

    enum class BuiltIn
    {
        None,
        Utf8,
        Ascii,
        Latin1,
        Windows1252,
    };

    // The name in upper case without "-", "_", blanks and quotes: "iso_8859-1" gives "ISO88591".
    std::string Folded(std::string_view charset)
    {
        std::string out;
        for (char c : charset) {
            if (c == '-' || c == '_' || c == ' ' || c == '\t' || c == '"')
                continue;
            out += AsciiUpper(c);
        }
        return out;
    }

    BuiltIn FindBuiltIn(std::string_view charset)
    {
        const std::string name = Folded(charset);
        if (name == "UTF8")
            return BuiltIn::Utf8;
        if (name == "USASCII" || name == "ASCII")
            return BuiltIn::Ascii;
        if (name == "ISO88591" || name == "LATIN1" || name == "L1" || name == "ISOLATIN1" || name == "CP819"
            || name == "IBM819")
            return BuiltIn::Latin1;
        if (name == "WINDOWS1252" || name == "CP1252" || name == "WIN1252" || name == "XCP1252"
            || name == "MSANSI")
            return BuiltIn::Windows1252;
        return BuiltIn::None;
    }

    std::string Utf8Checked(std::string_view bytes)
    {
        std::string out;
        out.reserve(bytes.size());
        for (std::size_t i = 0; i < bytes.size();) {
            const Utf8Char character = DecodeUtf8At(bytes, i);
            if (character.valid)
                out.append(bytes.substr(i, character.length));
            else
                out += kReplacement;
            i += character.length;
        }
        return out;
    }

    std::string SingleBytes(std::string_view bytes, BuiltIn set)
    {
        std::string out;
        out.reserve(bytes.size());
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80)
                out += c;
            else if (set == BuiltIn::Ascii)
                out += kReplacement;
            else if (set != BuiltIn::Windows1252 || byte >= 0xA0)
                AppendUtf8(out, byte);
            else if (kWindows1252[byte - 0x80] != 0)
                AppendUtf8(out, kWindows1252[byte - 0x80]);
            else
                out += kReplacement;
        }
        return out;
    }

    // The system's UTF-8 as it should be: its conversions from UCS-4 give values beyond Unicode
    // and surrogates in the old long forms; each such sequence becomes one U+FFFD.
    [[maybe_unused]] std::string OnlyUnicode(std::string text)
    {
        std::size_t i = 0;
        while (i < text.size() && DecodeUtf8At(text, i).valid)
            i += DecodeUtf8At(text, i).length;
        if (i == text.size())
            return text;
        std::string out = text.substr(0, i);
        while (i < text.size()) {
            const Utf8Char character = DecodeUtf8At(text, i);
            if (character.valid) {
                out.append(text, i, character.length);
                i += character.length;
                continue;
            }
            out += kReplacement;
            ++i;
            while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
                ++i;
        }
        return out;
    }

    // Only names made of letters, digits and a few marks go to the system: no "//" suffixes, no
    // empty name (which would mean the system's own set).
    [[maybe_unused]] bool IsPlainCharsetName(std::string_view charset)
    {
        if (charset.empty() || charset.size() > kMaxCharsetName)
            return false;
        for (const char c : charset) {
            const bool plain = IsAsciiLetter(c) || IsAsciiDigit(c) || c == '-' || c == '_' || c == '.'
                || c == ':' || c == '+' || c == '(' || c == ')';
            if (!plain)
                return false;
        }
        return true;
    }

    // "UTF-16" alone leaves the byte order to a byte-order mark. Without one, text that is mostly
    // ASCII shows its order by where its zero bytes stand; else it is big-endian.
    std::string WithByteOrder(std::string_view bytes, std::string_view charset)
    {
        if (Folded(charset) != "UTF16" || bytes.size() < 2)
            return std::string(charset);
        const auto first = static_cast<unsigned char>(bytes[0]);
        const auto second = static_cast<unsigned char>(bytes[1]);
        if ((first == 0xFE && second == 0xFF) || (first == 0xFF && second == 0xFE))
            return std::string(charset);
        std::size_t evenZeros = 0;
        std::size_t oddZeros = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] != '\0')
                continue;
            if (i % 2 == 0)
                ++evenZeros;
            else
                ++oddZeros;
        }
        return oddZeros > evenZeros ? "UTF-16LE" : "UTF-16BE";
    }

} // namespace

std::optional<std::string> BuiltInCharsetToUtf8(std::string_view bytes, std::string_view charset)
{
    switch (FindBuiltIn(charset)) {
    case BuiltIn::None:
        return std::nullopt;
    case BuiltIn::Utf8:
        return Utf8Checked(bytes);
    case BuiltIn::Ascii:
        return SingleBytes(bytes, BuiltIn::Ascii);
    case BuiltIn::Latin1:
        return SingleBytes(bytes, BuiltIn::Latin1);
    case BuiltIn::Windows1252:
        return SingleBytes(bytes, BuiltIn::Windows1252);
    }
    return std::nullopt;
}

#if defined(ORVANDEL_HAVE_ICONV)

std::optional<std::string> SystemCharsetToUtf8(std::string_view bytes, std::string_view charset)
{
    if (!IsPlainCharsetName(charset))
        return std::nullopt;
    const std::string from(charset);
    const iconv_t conversion = ::iconv_open("UTF-8", from.c_str());
    if (conversion == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    struct Closer
    {
        iconv_t conversion;
        ~Closer() { ::iconv_close(conversion); }
    } closer {conversion};

    // UTF-16 and UTF-32 are read in units of two and four bytes.
    const std::string name = Folded(charset);
    const std::size_t unit = name.starts_with("UTF16") || name.starts_with("UCS2") ? 2
        : name.starts_with("UTF32") || name.starts_with("UCS4")                    ? 4
                                                                                   : 1;
    std::string out;
    char buffer[1024];
    char* in = const_cast<char*>(bytes.data()); // iconv reads through it, never writes
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* write = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t done = ::iconv(conversion, &in, &inLeft, &write, &room);
        const int error = errno;
        out.append(buffer, static_cast<std::size_t>(write - buffer));
        if (done != static_cast<std::size_t>(-1) || error == E2BIG)
            continue;
        out += kReplacement;
        if (error == EINVAL)
            break; // a sequence cut off at the end
        // A sequence the set does not define: its first unit goes.
        const std::size_t skipped = std::min(unit, inLeft);
        in += skipped;
        inLeft -= skipped;
    }
    // A set with shift states may have one more sequence to give.
    char* write = buffer;
    std::size_t room = sizeof buffer;
    ::iconv(conversion, nullptr, nullptr, &write, &room);
    out.append(buffer, static_cast<std::size_t>(write - buffer));
    return OnlyUnicode(std::move(out));
}

bool HasSystemCharsets() noexcept
{
    return true;
}

#else

std::optional<std::string> SystemCharsetToUtf8(std::string_view, std::string_view)
{
    return std::nullopt;
}

bool HasSystemCharsets() noexcept
{
    return false;
}

#endif

std::string CharsetToUtf8(std::string_view bytes, std::string_view charset)
{
    std::optional<std::string> text = BuiltInCharsetToUtf8(bytes, charset);
    if (!text)
        text = SystemCharsetToUtf8(bytes, WithByteOrder(bytes, charset));
    if (!text)
        text = SingleBytes(bytes, BuiltIn::Latin1);
    if (std::string_view(*text).substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text->erase(0, kByteOrderMark.size());
    return std::move(*text);
}

} // namespace orvandel

#include "Base64.h"

#include "Base64Alphabet.h"

#include <array>
#include <cstdint>

namespace orvandel {

Base64Error::Base64Error(int number, const std::string& description)
    : std::runtime_error(description)
    , m_number(number)
{
}

namespace {

    constexpr std::uint8_t kPad = 64;
    constexpr std::uint8_t kBad = 255;

    constexpr std::array<std::uint8_t, 256> MakeTable()
    {
        auto table = Base64ValueTable(kBad);
        table['='] = kPad;
        return table;
    }

    constexpr auto kTable = MakeTable();

    // CR LF pairs go first, judged on the original text, then tabs and spaces: a CR and an LF
    // with a tab between them are not a pair and both stay.
    std::string Clean(std::string_view text)
    {
        std::string out(text.size(), '\0');
        char* write = out.data();
        const char* read = text.data();
        const char* const end = read + text.size();
        while (read != end) {
            const char c = *read++;
            if (c == '\t' || c == ' ')
                continue;
            if (c == '\r' && read != end && *read == '\n') {
                ++read;
                continue;
            }
            *write++ = c;
        }
        out.resize(static_cast<std::size_t>(write - out.data()));
        return out;
    }

    [[noreturn]] void ThrowBadCharacter()
    {
        throw Base64Error(2, "Bad character In Base64 string.");
    }

} // namespace

std::string Base64Decode(std::string_view text)
{
    const std::string clean = Clean(text);
    if (clean.size() % 4 != 0)
        throw Base64Error(1, "Bad Base64 string.");

    std::string out(clean.size() / 4 * 3, '\0');
    char* write = out.data();
    const auto* read = reinterpret_cast<const unsigned char*>(clean.data());
    const auto* end = read + clean.size();
    for (; read != end; read += 4) {
        const std::uint8_t a = kTable[read[0]];
        const std::uint8_t b = kTable[read[1]];
        const std::uint8_t c = kTable[read[2]];
        const std::uint8_t d = kTable[read[3]];
        if ((a | b | c | d) < kPad) {
            // The common case: four alphabet characters, three bytes.
            const std::uint32_t group
                = (std::uint32_t(a) << 18) | (std::uint32_t(b) << 12) | (std::uint32_t(c) << 6) | d;
            write[0] = static_cast<char>(group >> 16);
            write[1] = static_cast<char>(group >> 8);
            write[2] = static_cast<char>(group);
            write += 3;
            continue;
        }
        int count = 3;
        std::uint32_t group = 0;
        for (const std::uint8_t value : {a, b, c, d}) {
            if (value == kBad)
                ThrowBadCharacter();
            if (value == kPad)
                --count;
            group = (group << 6) | (value == kPad ? 0u : value);
        }
        if (count < 0)
            throw Base64Error(5, "Invalid procedure call or argument");
        const char bytes[3]
            = {static_cast<char>(group >> 16), static_cast<char>(group >> 8), static_cast<char>(group)};
        for (int i = 0; i < count; ++i)
            *write++ = bytes[i];
    }
    out.resize(static_cast<std::size_t>(write - out.data()));
    return out;
}

} // namespace orvandel

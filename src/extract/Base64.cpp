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

    // Copies `[read, end)` to `write` without its CR LF pairs, tabs and spaces, and returns the
    // end of what it wrote. The pairs are judged on the original text (a CR and an LF with a tab
    // between them are not a pair and both stay), which holds when `write` is `read` too: the
    // writing never overtakes the reading.
    char* Clean(const char* read, const char* const end, char* write)
    {
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
        return write;
    }

    [[noreturn]] void ThrowBadCharacter()
    {
        throw Base64Error(2, "Bad character In Base64 string.");
    }

    // Decodes the cleaned text `[read, end)`, whose length is a multiple of four, to `write`, and
    // returns the end of what it wrote. `write` may be `read`: each group is taken whole before
    // its at most three bytes are written, and those never reach the next group.
    char* DecodeGroups(const unsigned char* read, const unsigned char* const end, char* write)
    {
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
        return write;
    }

    [[noreturn]] void ThrowBadLength()
    {
        throw Base64Error(1, "Bad Base64 string.");
    }

} // namespace

std::string Base64Decode(std::string_view text)
{
    std::string clean(text.size(), '\0');
    clean.resize(
        static_cast<std::size_t>(Clean(text.data(), text.data() + text.size(), clean.data()) - clean.data()));
    if (clean.size() % 4 != 0)
        ThrowBadLength();

    std::string out(clean.size() / 4 * 3, '\0');
    const auto* read = reinterpret_cast<const unsigned char*>(clean.data());
    out.resize(static_cast<std::size_t>(DecodeGroups(read, read + clean.size(), out.data()) - out.data()));
    return out;
}

void Base64DecodeInPlace(std::string& text)
{
    char* const start = text.data();
    text.resize(static_cast<std::size_t>(Clean(start, start + text.size(), start) - start));
    if (text.size() % 4 != 0)
        ThrowBadLength();
    const auto* read = reinterpret_cast<const unsigned char*>(start);
    text.resize(static_cast<std::size_t>(DecodeGroups(read, read + text.size(), start) - start));
}

} // namespace orvandel

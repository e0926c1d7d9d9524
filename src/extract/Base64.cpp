#include "Base64.h"

#include "Base64Alphabet.h"
#include "base64/Base64Kernel.h"

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

    constexpr int kBadLength = 1;
    constexpr int kBadCharacter = 2;
    constexpr int kFourPads = 5;

    [[noreturn]] void Throw(int number)
    {
        switch (number) {
        case kBadLength:
            throw Base64Error(kBadLength, "Bad Base64 string.");
        case kBadCharacter:
            throw Base64Error(kBadCharacter, "Bad character In Base64 string.");
        default:
            throw Base64Error(kFourPads, "Invalid procedure call or argument");
        }
    }

    // True for what cleaning takes out at `read`: a tab, a space, or the CR of a CR LF pair.
    bool IsCleanedAway(const unsigned char* read, const unsigned char* end)
    {
        return *read == ' ' || *read == '\t' || (*read == '\r' && read + 1 != end && read[1] == '\n');
    }

    // How many characters of `[read, end)` are left once its CR LF pairs, tabs and spaces are
    // taken out. The pairs are judged on the text as it is: a CR and an LF with a tab between
    // them are not a pair, and both stay.
    std::size_t CleanedLength(const unsigned char* read, const unsigned char* const end)
    {
        std::size_t length = 0;
        while (read != end) {
            if (IsCleanedAway(read, end)) {
                read += *read == '\r' ? 2 : 1;
                continue;
            }
            ++length;
            ++read;
        }
        return length;
    }

    // Decodes one group of four table codes to `write`; 0, or the error it raises.
    int DecodeGroup(const std::uint8_t (&codes)[4], char*& write)
    {
        int count = 3;
        std::uint32_t group = 0;
        for (const std::uint8_t code : codes) {
            if (code == kBad)
                return kBadCharacter;
            if (code == kPad)
                --count;
            group = (group << 6) | (code == kPad ? 0u : code);
        }
        if (count < 0)
            return kFourPads;
        const char bytes[3]
            = {static_cast<char>(group >> 16), static_cast<char>(group >> 8), static_cast<char>(group)};
        for (int i = 0; i < count; ++i)
            *write++ = bytes[i];
        return 0;
    }

    // Cleans and decodes `[read, end)` to `write` in one pass, and returns the end of what it
    // wrote. Runs of whole groups of alphabet characters go to the kernel; every other
    // character is taken here, one at a time: a tab, a space or a CR LF pair is passed over, and
    // what is left makes up the groups. The errors are those of cleaning the whole text first:
    // a cleaned length that is not a multiple of four fails before anything else, so an error
    // in a group waits until the rest of the text is counted.
    //
    // `write` may be the start of `[read, end)`: it never overtakes the reading, since each group
    // gives its at most three bytes once its four characters are read.
    char*
    Decode(const unsigned char* read, const unsigned char* const end, char* write, const Base64Kernel& kernel)
    {
        std::uint8_t codes[4];
        int have = 0;
        int error = 0;
        while (read != end) {
            if (have == 0 && kTable[*read] < kPad) {
                const std::size_t groups = static_cast<std::size_t>(end - read) / 4;
                const std::size_t decoded
                    = kernel.decode(read, groups, reinterpret_cast<unsigned char*>(write));
                read += 4 * decoded;
                write += 3 * decoded;
                if (read == end)
                    break;
            }
            if (IsCleanedAway(read, end)) {
                read += *read == '\r' ? 2 : 1;
                continue;
            }
            codes[have++] = kTable[*read++];
            if (have < 4)
                continue;
            have = 0;
            error = DecodeGroup(codes, write);
            if (error != 0)
                break;
        }
        if (error != 0) {
            // The groups so far make a multiple of four; the rest decides.
            if (CleanedLength(read, end) % 4 != 0)
                Throw(kBadLength);
            Throw(error);
        }
        if (have != 0)
            Throw(kBadLength);
        return write;
    }

} // namespace

std::string Base64Decode(std::string_view text)
{
    // Three bytes for every four characters at most, blanks and line breaks counted.
    std::string out(text.size() / 4 * 3, '\0');
    const auto* read = reinterpret_cast<const unsigned char*>(text.data());
    out.resize(static_cast<std::size_t>(Decode(read, read + text.size(), out.data(), CurrentBase64Kernel())
                                        - out.data()));
    return out;
}

void Base64DecodeInPlace(std::string& text)
{
    char* const start = text.data();
    const auto* read = reinterpret_cast<const unsigned char*>(start);
    text.resize(
        static_cast<std::size_t>(Decode(read, read + text.size(), start, CurrentBase64Kernel()) - start));
}

} // namespace orvandel

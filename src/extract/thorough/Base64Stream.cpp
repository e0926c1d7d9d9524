#include "Base64Stream.h"

#include "extract/Base64Alphabet.h"
#include "extract/base64/Base64Kernel.h"
#include "util/AsciiText.h"

#include <array>

namespace orvandel {

namespace {

    constexpr std::size_t kOutSize = 64 * 1024;

    // 0 to 63: the value of an alphabet character. Everything else has a meaning of its own.
    enum Code : std::uint8_t
    {
        kPad = 64,
        kBlank = 65,
        kBreak = 66,
        kUrlMinus = 67,
        kUrlUnderscore = 68,
        kBad = 255,
    };

    constexpr std::array<std::uint8_t, 256> MakeTable()
    {
        auto table = Base64ValueTable(kBad);
        table['='] = kPad;
        table[' '] = kBlank;
        table['\t'] = kBlank;
        table['\r'] = kBreak;
        table['\n'] = kBreak;
        table['-'] = kUrlMinus;
        table['_'] = kUrlUnderscore;
        return table;
    }

    constexpr auto kTable = MakeTable();

} // namespace

Base64Stream::Base64Stream()
    : m_out(kOutSize)
{
}

void Base64Stream::start(PhotoOutput* output)
{
    m_output = output;
    m_outLength = 0;
    m_bits = 0;
    m_have = 0;
    m_afterPad = false;
    m_failed = false;
    m_repaired = false;
    m_error.clear();
    m_bytesDecoded = 0;
}

void Base64Stream::flush()
{
    if (m_outLength > 0 && m_output)
        m_output->write(std::string_view(m_out.data(), m_outLength));
    m_bytesDecoded += m_outLength;
    m_outLength = 0;
}

void Base64Stream::fail(std::string description)
{
    m_failed = true;
    m_error = std::move(description);
    m_outLength = 0;
}

void Base64Stream::push(std::uint32_t value)
{
    m_afterPad = false;
    m_bits = (m_bits << 6) | value;
    if (++m_have < 4)
        return;
    if (m_outLength + 3 > kOutSize)
        flush();
    char* out = m_out.data() + m_outLength;
    out[0] = static_cast<char>(m_bits >> 16);
    out[1] = static_cast<char>(m_bits >> 8);
    out[2] = static_cast<char>(m_bits);
    m_outLength += 3;
    m_have = 0;
    m_bits = 0;
}

// The bytes of a group that ends early: two characters give one byte, three give two.
void Base64Stream::emitPartial()
{
    if (m_outLength + 2 > kOutSize)
        flush();
    char* out = m_out.data() + m_outLength;
    if (m_have == 2) {
        out[0] = static_cast<char>(m_bits >> 4);
        m_outLength += 1;
    } else if (m_have == 3) {
        out[0] = static_cast<char>(m_bits >> 10);
        out[1] = static_cast<char>(m_bits >> 2);
        m_outLength += 2;
    }
    m_have = 0;
    m_bits = 0;
}

void Base64Stream::pad()
{
    switch (m_have) {
    case 0:
        // The second "=" of a pair is expected; any other is stray and dropped.
        if (!m_afterPad)
            m_repaired = true;
        break;
    case 1:
        fail("a group of its Base64 data breaks off after one character");
        return;
    default:
        emitPartial();
        m_afterPad = true;
        break;
    }
}

const char* Base64Stream::decodeLine(const char* begin, const char* end)
{
    const auto* p = reinterpret_cast<const unsigned char*>(begin);
    const auto* stop = reinterpret_cast<const unsigned char*>(end);
    const Base64Kernel& kernel = CurrentBase64Kernel();
    while (p < stop) {
        if (m_failed) {
            while (p < stop && *p != '\r' && *p != '\n')
                ++p;
            break;
        }
        if (m_have == 0 && kTable[*p] < 64) {
            // The common case: whole groups of four alphabet characters, three bytes each.
            const std::size_t room = (kOutSize - m_outLength) / 3;
            std::size_t groups = static_cast<std::size_t>(stop - p) / 4;
            if (groups > room)
                groups = room;
            const std::size_t decoded
                = kernel.decode(p, groups, reinterpret_cast<unsigned char*>(m_out.data() + m_outLength));
            if (decoded > 0)
                m_afterPad = false;
            p += 4 * decoded;
            m_outLength += 3 * decoded;
            if (m_outLength + 3 > kOutSize)
                flush();
            if (p == stop)
                break;
            if (decoded == groups && groups > 0)
                continue; // the buffer was full, or fewer than four characters are left
        }
        // One character at a time until the groups line up again.
        const std::uint8_t code = kTable[*p];
        if (code < 64) {
            push(code);
        } else if (code == kBlank) {
            // skipped
        } else if (code == kBreak) {
            break;
        } else if (code == kPad) {
            pad();
        } else if (code == kUrlMinus || code == kUrlUnderscore) {
            m_repaired = true;
            push(code == kUrlMinus ? 62 : 63);
        } else {
            fail(DescribeCharacter(static_cast<char>(*p)) + " is not Base64");
            continue;
        }
        ++p;
    }
    return reinterpret_cast<const char*>(p);
}

bool Base64Stream::finish()
{
    if (!m_failed) {
        if (m_have == 1) {
            fail("its Base64 data ends with a single character, which makes no byte");
        } else if (m_have > 1) {
            // The padding was lost.
            m_repaired = true;
            emitPartial();
        }
    }
    if (m_failed)
        return false;
    flush();
    return true;
}

} // namespace orvandel

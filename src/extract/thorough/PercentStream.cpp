#include "PercentStream.h"

#include "util/AsciiText.h"

namespace orvandel {

namespace {

    constexpr std::size_t kOutSize = 64 * 1024;

} // namespace

PercentStream::PercentStream()
    : m_out(kOutSize)
{
}

void PercentStream::start(PhotoOutput* output)
{
    m_output = output;
    m_outLength = 0;
    m_escape = -1;
    m_high = 0;
    m_failed = false;
    m_error.clear();
    m_bytesDecoded = 0;
}

void PercentStream::put(char byte)
{
    if (m_outLength == kOutSize)
        flush();
    m_out[m_outLength++] = byte;
}

void PercentStream::flush()
{
    if (m_outLength > 0 && m_output)
        m_output->write(std::string_view(m_out.data(), m_outLength));
    m_bytesDecoded += m_outLength;
    m_outLength = 0;
}

void PercentStream::fail(std::string description)
{
    m_failed = true;
    m_error = std::move(description);
    m_outLength = 0;
}

void PercentStream::decode(const char* begin, const char* end)
{
    for (const char* p = begin; p < end && !m_failed; ++p) {
        const char c = *p;
        if (m_escape < 0) {
            if (c == '%')
                m_escape = 0;
            else
                put(c);
            continue;
        }
        const int value = HexValue(c);
        if (value < 0) {
            fail("its data: address holds a \"%\" followed by " + DescribeByte(c)
                 + ", not by two hexadecimal digits");
            return;
        }
        if (m_escape == 0) {
            m_high = value;
            m_escape = 1;
        } else {
            put(static_cast<char>(m_high * 16 + value));
            m_escape = -1;
        }
    }
}

bool PercentStream::finish()
{
    if (!m_failed && m_escape >= 0)
        fail("its data: address ends inside a \"%\" escape");
    if (m_failed)
        return false;
    flush();
    return true;
}

} // namespace orvandel

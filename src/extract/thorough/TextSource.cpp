#include "TextSource.h"

#include <algorithm>
#include <cstring>

namespace orvandel {

namespace {

    constexpr std::size_t kRawSize = 64 * 1024;
    // How many bytes the detection looks at when there is no byte-order mark.
    constexpr std::size_t kDetectionLength = 512;
    constexpr std::uint32_t kReplacement = 0xFFFD;

    std::size_t PutUtf8(char* out, std::uint32_t code)
    {
        if (code < 0x80) {
            out[0] = static_cast<char>(code);
            return 1;
        }
        if (code < 0x800) {
            out[0] = static_cast<char>(0xC0 | (code >> 6));
            out[1] = static_cast<char>(0x80 | (code & 0x3F));
            return 2;
        }
        if (code < 0x10000) {
            out[0] = static_cast<char>(0xE0 | (code >> 12));
            out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out[2] = static_cast<char>(0x80 | (code & 0x3F));
            return 3;
        }
        out[0] = static_cast<char>(0xF0 | (code >> 18));
        out[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out[3] = static_cast<char>(0x80 | (code & 0x3F));
        return 4;
    }

} // namespace

TextSource::TextSource(ByteSource& bytes)
    : m_bytes(bytes)
    , m_raw(kRawSize)
{
}

bool TextSource::fillRaw()
{
    if (m_rawAtEnd)
        return false;
    if (m_rawPos > 0) {
        std::memmove(m_raw.data(), m_raw.data() + m_rawPos, rawAvailable());
        m_rawEnd -= m_rawPos;
        m_rawPos = 0;
    }
    const std::size_t got = m_bytes.read(m_raw.data() + m_rawEnd, m_raw.size() - m_rawEnd);
    if (got == 0) {
        m_rawAtEnd = true;
        return false;
    }
    m_rawEnd += got;
    m_bytesTaken += got;
    return true;
}

void TextSource::detect()
{
    m_detected = true;
    while (rawAvailable() < kDetectionLength && fillRaw()) { }
    const auto* raw = reinterpret_cast<const unsigned char*>(m_raw.data());
    const std::size_t size = rawAvailable();
    if (size >= 3 && raw[0] == 0xEF && raw[1] == 0xBB && raw[2] == 0xBF) {
        m_byteOrderMark = true;
        m_rawPos = 3;
        return;
    }
    if (size >= 2 && ((raw[0] == 0xFF && raw[1] == 0xFE) || (raw[0] == 0xFE && raw[1] == 0xFF))) {
        m_byteOrderMark = true;
        m_encoding = raw[0] == 0xFF ? TextEncoding::Utf16LittleEndian : TextEncoding::Utf16BigEndian;
        m_rawPos = 2;
        return;
    }
    // Card text is mostly ASCII: in UTF-16 every other byte is zero. UTF-8 text has none.
    const std::size_t pairs = std::min(size, kDetectionLength) / 2;
    std::size_t zerosFirst = 0;
    std::size_t zerosSecond = 0;
    for (std::size_t i = 0; i < pairs; ++i) {
        zerosFirst += raw[2 * i] == 0;
        zerosSecond += raw[2 * i + 1] == 0;
    }
    if (zerosSecond > 0 && zerosSecond * 4 >= pairs && zerosFirst * 4 < zerosSecond)
        m_encoding = TextEncoding::Utf16LittleEndian;
    else if (zerosFirst > 0 && zerosFirst * 4 >= pairs && zerosSecond * 4 < zerosFirst)
        m_encoding = TextEncoding::Utf16BigEndian;
}

std::size_t TextSource::read(char* into, std::size_t size)
{
    if (!m_detected)
        detect();
    if (m_encoding != TextEncoding::Utf8)
        return readUtf16(into, size);
    if (rawAvailable() > 0) {
        const std::size_t take = std::min(size, rawAvailable());
        std::memcpy(into, m_raw.data() + m_rawPos, take);
        m_rawPos += take;
        return take;
    }
    if (m_rawAtEnd)
        return 0;
    // Past the first bytes, UTF-8 goes straight from the source to the reader.
    const std::size_t got = m_bytes.read(into, size);
    m_bytesTaken += got;
    if (got == 0)
        m_rawAtEnd = true;
    return got;
}

std::size_t TextSource::readUtf16(char* into, std::size_t size)
{
    const bool little = m_encoding == TextEncoding::Utf16LittleEndian;
    std::size_t written = 0;
    while (written + 4 <= size) {
        if (rawAvailable() < 2 && !fillRaw()) {
            // The end: an odd last byte and a high surrogate without its pair are broken text.
            if (rawAvailable() == 1 || m_highSurrogate != 0) {
                written += PutUtf8(into + written, kReplacement);
                m_rawPos = m_rawEnd;
                m_highSurrogate = 0;
                continue;
            }
            break;
        }
        if (rawAvailable() < 2)
            continue;
        const auto* raw = reinterpret_cast<const unsigned char*>(m_raw.data() + m_rawPos);
        const std::uint32_t unit
            = little ? (raw[0] | (std::uint32_t(raw[1]) << 8)) : ((std::uint32_t(raw[0]) << 8) | raw[1]);
        m_rawPos += 2;
        if (m_highSurrogate != 0) {
            const std::uint32_t high = m_highSurrogate;
            m_highSurrogate = 0;
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                written += PutUtf8(into + written, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
                continue;
            }
            written += PutUtf8(into + written, kReplacement);
            if (written + 4 > size) {
                m_rawPos -= 2; // this unit is looked at again in the next read
                break;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDBFF)
            m_highSurrogate = unit;
        else if (unit >= 0xDC00 && unit <= 0xDFFF)
            written += PutUtf8(into + written, kReplacement);
        else
            written += PutUtf8(into + written, unit);
    }
    return written;
}

} // namespace orvandel

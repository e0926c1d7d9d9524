#pragma once

#include "ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvandel {

enum class TextEncoding
{
    Utf8,
    Utf16LittleEndian,
    Utf16BigEndian,
};

// The text of an input as UTF-8, whatever it was written in. The encoding is told by a
// byte-order mark (which is dropped) or, without one, by where the zero bytes stand in the first
// bytes: "B\0E\0" is UTF-16 little-endian, "\0B\0E" big-endian, anything else is taken as UTF-8
// and passed on as it is. Broken UTF-16 (a lone surrogate, an odd last byte) becomes U+FFFD.
class TextSource
{
public:
    explicit TextSource(ByteSource& bytes);

    // Reads up to `size` bytes of UTF-8 text (`size` at least 4); 0 only at the end.
    // Throws FileError.
    std::size_t read(char* into, std::size_t size);

    // Known after the first read.
    TextEncoding encoding() const noexcept { return m_encoding; }
    bool hadByteOrderMark() const noexcept { return m_byteOrderMark; }
    // How many bytes of the input have been taken so far.
    std::uint64_t bytesTaken() const noexcept { return m_bytesTaken; }

private:
    void detect();
    bool fillRaw();
    std::size_t readUtf16(char* into, std::size_t size);
    std::size_t rawAvailable() const noexcept { return m_rawEnd - m_rawPos; }

    ByteSource& m_bytes;
    std::vector<char> m_raw;
    std::size_t m_rawPos = 0;
    std::size_t m_rawEnd = 0;
    bool m_rawAtEnd = false;
    bool m_detected = false;
    TextEncoding m_encoding = TextEncoding::Utf8;
    bool m_byteOrderMark = false;
    std::uint32_t m_highSurrogate = 0; // waiting for its low half
    std::uint64_t m_bytesTaken = 0;
};

} // namespace orvandel

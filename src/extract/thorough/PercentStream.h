#pragma once

#include "PhotoOutput.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvandel {

// Decodes the percent-encoded data of a data: address as it streams past: "%FF" is the byte
// 0xFF, every other character stands for its own byte. A "%" that is not followed by two
// hexadecimal digits fails the photo. The bytes go out a bounded piece at a time.
class PercentStream
{
public:
    PercentStream();

    // Begins a photo; its bytes go to `output` (nowhere when null).
    void start(PhotoOutput* output);
    // Decodes the text from `begin` to `end`, all of it.
    void decode(const char* begin, const char* end);
    // The photo's text is complete: hands out the last bytes. False when it could not be decoded.
    bool finish();

    bool failed() const noexcept { return m_failed; }
    // What could not be decoded, when failed().
    const std::string& error() const noexcept { return m_error; }
    std::uint64_t bytesDecoded() const noexcept { return m_bytesDecoded; }

private:
    void put(char byte);
    void flush();
    void fail(std::string description);

    PhotoOutput* m_output = nullptr;
    std::vector<char> m_out;
    std::size_t m_outLength = 0;
    int m_escape = -1; // -1 outside an escape; else how many of its digits have come (0 or 1)
    int m_high = 0; // the first digit's value
    bool m_failed = false;
    std::string m_error;
    std::uint64_t m_bytesDecoded = 0;
};

} // namespace orvandel

#pragma once

#include "PhotoOutput.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvandel {

// Decodes a photo's Base64 text as it streams past, with the repairs that real exports need:
// blanks anywhere are skipped, lost padding at the end is made up, "=" inside the data ends one
// group (as when two pieces were joined), stray "=" are dropped, and the URL alphabet ("-",
// "_") is read as well. What cannot be decoded (a character outside the alphabet, a group that
// breaks off after one character) fails the photo; its bytes up to there are not worth keeping.
// Runs of whole groups go to the Base64Kernel of the processor; every other character is taken
// here, so the outcome is the same with every kernel.
class Base64Stream
{
public:
    Base64Stream();

    // Begins a photo; its bytes go to `output` (nowhere when null).
    void start(PhotoOutput* output);
    // Decodes the text from `begin` up to the first CR or LF, or to `end` when there is none.
    // Returns where it stopped: at that CR or LF, or `end`.
    const char* decodeLine(const char* begin, const char* end);
    // The photo's text is complete: decodes what is left and hands out the last bytes.
    // False when the text could not be decoded.
    bool finish();

    bool failed() const noexcept { return m_failed; }
    // What could not be decoded, when failed().
    const std::string& error() const noexcept { return m_error; }
    // True when something had to be repaired.
    bool repaired() const noexcept { return m_repaired; }
    std::uint64_t bytesDecoded() const noexcept { return m_bytesDecoded; }

private:
    void flush();
    void fail(std::string description);
    void push(std::uint32_t value);
    void pad();
    void emitPartial();

    PhotoOutput* m_output = nullptr;
    std::vector<char> m_out;
    std::size_t m_outLength = 0;
    std::uint32_t m_bits = 0;
    int m_have = 0; // characters of the current group, 0 to 3
    bool m_afterPad = false;
    bool m_failed = false;
    bool m_repaired = false;
    std::string m_error;
    std::uint64_t m_bytesDecoded = 0;
};

} // namespace orvandel

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel {

// A text file read whole, its bytes as they are (no decoding). CR LF and LF end lines, a lone
// CR does not. The text holds the lines joined with "\n"; a final line break adds no line and
// an empty file has one empty line.
class TextLines
{
public:
    TextLines();
    // Splits `bytes`; the result owns its copy.
    static TextLines fromBytes(std::string bytes);

    const std::string& text() const noexcept { return m_text; }
    std::size_t lineCount() const noexcept { return m_starts.size(); }
    std::size_t lineStart(std::size_t index) const { return m_starts[index]; }
    std::string_view line(std::size_t index) const;
    // The index of the first line that starts after `offset`, or lineCount() when none does.
    std::size_t firstLineAfter(std::size_t offset) const;
    // Hands the text over without copying it; what is left is an empty file's one empty line.
    std::string takeText();

private:
    std::string m_text;
    std::vector<std::size_t> m_starts;
};

// Reads the file at `path` whole. Refuses anything that is not a regular file (a folder, a pipe,
// a device) without blocking on it. Throws FileError.
std::string ReadWholeFile(const std::string& path);

// Reads the file at `path` whole when it is a regular file of at most `limit` bytes: for the small
// files that the program reads beside itself or the user's settings, which anyone may have put
// there. It is opened without blocking and refused when it is anything else: a pipe, a device, a
// folder (also through a link), or a file of more than `limit` bytes, also one that grows beyond
// them while it is read. Throws FileError (NotFound, AccessDenied, NotRegularFile, TooLarge or
// ReadFailed); a caller that treats a refused file as absent catches it.
std::string ReadRegularFileUpTo(const std::string& path, std::size_t limit);

// The file's lines, numbered from 0, without their line breaks. Throws FileError.
TextLines ReadTextLines(const std::string& path);
// The same lines as texts of their own: the reader's plain form, which the tests hold to how a
// card file is read (line ends, an empty file, a file that is not there). The run reads
// ReadTextLines, which keeps the card's text whole for its photo search.
std::vector<std::string> ReadFileLines(const std::string& path);

} // namespace orvandel

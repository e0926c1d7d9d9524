#include "TextFile.h"

#include "FileError.h"
#include "RegularFile.h"

#include <algorithm>
#include <cstdint>

namespace orvandel {

TextLines::TextLines()
    : m_starts {0}
{
}

TextLines TextLines::fromBytes(std::string bytes)
{
    TextLines result;
    // Turn every CR LF into LF in place; lone CRs stay part of their line.
    std::size_t out = 0;
    const std::size_t size = bytes.size();
    for (std::size_t in = 0; in < size; ++in) {
        char c = bytes[in];
        if (c == '\r' && in + 1 < size && bytes[in + 1] == '\n') {
            c = '\n';
            ++in;
        }
        bytes[out++] = c;
        if (c == '\n')
            result.m_starts.push_back(out);
    }
    bytes.resize(out);
    // A final line break ends the last line; it does not begin an empty one.
    if (out > 0 && bytes[out - 1] == '\n') {
        bytes.pop_back();
        result.m_starts.pop_back();
    }
    result.m_text = std::move(bytes);
    return result;
}

std::string_view TextLines::line(std::size_t index) const
{
    const std::size_t start = m_starts[index];
    const std::size_t end = index + 1 < m_starts.size() ? m_starts[index + 1] - 1 : m_text.size();
    return std::string_view(m_text).substr(start, end - start);
}

std::size_t TextLines::firstLineAfter(std::size_t offset) const
{
    return static_cast<std::size_t>(std::upper_bound(m_starts.begin(), m_starts.end(), offset)
                                    - m_starts.begin());
}

std::string TextLines::takeText()
{
    std::string text = std::move(m_text);
    m_text.clear();
    m_starts.assign(1, 0);
    return text;
}

std::string ReadWholeFile(const std::string& path)
{
    RegularFile file(path);
    // One byte more than the size promised: a read that comes back short has met the end, so a
    // file read whole takes one read. One that grew meanwhile is read on to its end.
    const auto promised = static_cast<std::size_t>(file.size());
    std::string bytes(promised + 1, '\0');
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size())
            bytes.resize(bytes.size() + std::max<std::size_t>(bytes.size() / 2, 4096));
        const std::size_t room = bytes.size() - done;
        const std::size_t got = file.read(bytes.data() + done, room);
        done += got;
        if (got == 0 || (got < room && done == promised))
            break;
    }
    bytes.resize(done);
    return bytes;
}

std::string ReadRegularFileUpTo(const std::string& path, std::size_t limit)
{
    RegularFile file(path);
    const auto tooLarge = [&] {
        return FileError(FileErrorKind::TooLarge,
                         "The file is larger than " + std::to_string(limit) + " bytes: " + path);
    };
    if (file.size() > limit)
        throw tooLarge();
    // One byte more than the limit tells a file that grew beyond it.
    std::string bytes(std::min<std::uint64_t>(file.size(), limit) + 1, '\0');
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (done > limit)
                throw tooLarge();
            bytes.resize(std::min(limit + 1, std::max<std::size_t>(done * 2, 4096)));
        }
        const std::size_t got = file.read(bytes.data() + done, bytes.size() - done);
        if (got == 0)
            break;
        done += got;
    }
    if (done > limit)
        throw tooLarge();
    bytes.resize(done);
    return bytes;
}

TextLines ReadTextLines(const std::string& path)
{
    return TextLines::fromBytes(ReadWholeFile(path));
}

std::vector<std::string> ReadFileLines(const std::string& path)
{
    const TextLines lines = ReadTextLines(path);
    std::vector<std::string> result;
    result.reserve(lines.lineCount());
    for (std::size_t i = 0; i < lines.lineCount(); ++i)
        result.emplace_back(lines.line(i));
    return result;
}

} // namespace orvandel

#include "TextFile.h"

#include "FileError.h"
#include "PathHelpers.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define ORVANDEL_POSIX_IO 1
#endif

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

namespace {

    FileError NotARegularFile(const std::string& path)
    {
        const std::string what
            = IsDirectory(path) ? "This is a folder, not a file: " : "This is not a regular file: ";
        return FileError(FileErrorKind::NotRegularFile, what + path);
    }

} // namespace

#if defined(ORVANDEL_POSIX_IO)

std::string ReadWholeFile(const std::string& path)
{
    // O_NONBLOCK keeps the open from waiting for a writer when the path is a pipe.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw FileError::fromSystem(FileErrorKind::ReadFailed, path, {errno, std::generic_category()});
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } closer {fd};

    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0)
        throw FileError::fromSystem(FileErrorKind::ReadFailed, path, {errno, std::generic_category()});
    if (!S_ISREG(info.st_mode))
        throw NotARegularFile(path);

    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    char spill[4096];
    for (;;) {
        // Fill what the size promised, then keep reading in case the file grew or reports no size.
        char* target = done < bytes.size() ? bytes.data() + done : spill;
        const std::size_t room = done < bytes.size() ? bytes.size() - done : sizeof spill;
        const ssize_t got = ::read(fd, target, room);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw FileError::fromSystem(FileErrorKind::ReadFailed, path, {errno, std::generic_category()});
        }
        if (got == 0)
            break;
        if (target == spill) {
            bytes.resize(done);
            bytes.append(spill, static_cast<std::size_t>(got));
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

#else

std::string ReadWholeFile(const std::string& path)
{
    const auto fsPath = ToFsPath(path);
    std::error_code ec;
    const auto status = std::filesystem::status(fsPath, ec);
    if (ec)
        throw FileError::fromSystem(FileErrorKind::ReadFailed, path, ec);
    if (!std::filesystem::is_regular_file(status))
        throw NotARegularFile(path);
    std::ifstream in(fsPath, std::ios::binary);
    if (!in)
        throw FileError(FileErrorKind::ReadFailed, "Cannot open the file: " + path);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw FileError(FileErrorKind::ReadFailed, "Cannot read the file: " + path);
    return bytes;
}

#endif

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

#include "RegularFile.h"

#include "FileError.h"
#include "PathHelpers.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvandel {

namespace {

    FileError NotARegularFile(const std::string& path)
    {
        const std::string what
            = IsDirectory(path) ? "This is a folder, not a file: " : "This is not a regular file: ";
        return FileError(FileErrorKind::NotRegularFile, what + path);
    }

    std::error_code LastError()
    {
        return {errno, std::generic_category()};
    }

} // namespace

#if defined(__unix__) || defined(__APPLE__)

RegularFile::RegularFile(std::string path)
    : m_path(std::move(path))
{
    // O_NONBLOCK keeps the open from waiting for a writer when the path is a pipe; O_NOCTTY keeps
    // a terminal from becoming the program's.
    m_fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0)
        throw FileError::fromSystem(FileErrorKind::ReadFailed, m_path, LastError());
    struct stat info
    {
    };
    if (::fstat(m_fd, &info) != 0) {
        const auto error = LastError();
        ::close(m_fd);
        throw FileError::fromSystem(FileErrorKind::ReadFailed, m_path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(m_fd);
        throw NotARegularFile(m_path);
    }
    m_size = static_cast<std::uint64_t>(info.st_size);
}

RegularFile::~RegularFile()
{
    ::close(m_fd);
}

std::size_t RegularFile::read(char* into, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::read(m_fd, into, size);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            throw FileError::fromSystem(FileErrorKind::ReadFailed, m_path, LastError());
    }
}

void RegularFile::expectSequentialReading() noexcept
{
#if defined(POSIX_FADV_SEQUENTIAL)
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

#else

RegularFile::RegularFile(std::string path)
    : m_path(std::move(path))
{
    const auto fsPath = ToFsPath(m_path);
    std::error_code ec;
    const auto status = std::filesystem::status(fsPath, ec);
    if (ec)
        throw FileError::fromSystem(FileErrorKind::ReadFailed, m_path, ec);
    if (!std::filesystem::is_regular_file(status))
        throw NotARegularFile(m_path);
    const auto size = std::filesystem::file_size(fsPath, ec);
    m_size = ec ? 0 : static_cast<std::uint64_t>(size);
#if defined(_WIN32)
    m_file = _wfopen(fsPath.c_str(), L"rb");
#else
    m_file = std::fopen(m_path.c_str(), "rb");
#endif
    if (!m_file)
        throw FileError::fromSystem(FileErrorKind::ReadFailed, m_path, LastError());
}

RegularFile::~RegularFile()
{
    std::fclose(static_cast<std::FILE*>(m_file));
}

std::size_t RegularFile::read(char* into, std::size_t size)
{
    auto* file = static_cast<std::FILE*>(m_file);
    const std::size_t got = std::fread(into, 1, size, file);
    if (got == 0 && std::ferror(file))
        throw FileError(FileErrorKind::ReadFailed, "Cannot read the file: " + m_path);
    return got;
}

void RegularFile::expectSequentialReading() noexcept { }

#endif

} // namespace orvandel

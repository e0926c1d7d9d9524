// A regular file on POSIX: opened without blocking, read through its descriptor.
#include "FileError.h"
#include "PathHelpers.h"
#include "RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace orvandel {

namespace {

    std::error_code LastError()
    {
        return {errno, std::generic_category()};
    }

} // namespace

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
        throw notRegular(m_path);
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

} // namespace orvandel

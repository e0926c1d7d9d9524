#include "FolderHolds.h"

#include <algorithm>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvandel {

namespace {
    constexpr std::size_t kMostHeld = 4096;
}

#if defined(_WIN32)

FolderHolds::FolderHolds() = default;
FolderHolds::~FolderHolds() = default;

void FolderHolds::hold(const std::string&, const FolderId&) { }

#else

FolderHolds::FolderHolds()
{
    struct rlimit limit
    {
    };
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0)
        m_budget = limit.rlim_cur == RLIM_INFINITY ? kMostHeld
                                                   : std::min<std::size_t>(limit.rlim_cur / 4, kMostHeld);
}

FolderHolds::~FolderHolds()
{
    for (const int fd : m_held)
        ::close(fd);
}

void FolderHolds::hold(const std::string& path, const FolderId& id)
{
    if (id.hasBirth() || m_held.size() >= m_budget)
        return;
#if defined(O_PATH)
    const int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
#endif
    if (fd < 0)
        return;
    // Held only when it is still the folder that was probed.
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || static_cast<std::uint64_t>(info.st_dev) != id.device
        || static_cast<std::uint64_t>(info.st_ino) != id.inode) {
        ::close(fd);
        return;
    }
    m_held.push_back(fd);
}

#endif

} // namespace orvandel

#include "FolderListing.h"

#include "NameRules.h"
#include "util/FileError.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#error "The folder scan needs the POSIX folder calls (opendir, readdir, fstatat)."
#endif

namespace orvandel {

namespace {

    DIR* AsDir(void* dir)
    {
        return static_cast<DIR*>(dir);
    }

    FolderId IdOf(const struct stat& info)
    {
        return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    }

    FileError ListingError(const std::string& path, int error)
    {
        const std::error_code code(error, std::generic_category());
        return FileError(FileErrorKind::ReadFailed,
                         "Cannot read the folder (" + code.message() + "): " + path, code);
    }

    bool IsDotOrDotDot(const char* name)
    {
        return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
    }

} // namespace

FolderProbe ProbeFolder(const std::string& path)
{
    struct stat info
    {
    };
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    return {true, IdOf(info)};
}

FolderListing::~FolderListing()
{
    close();
}

void FolderListing::close() noexcept
{
    if (m_dir)
        ::closedir(AsDir(m_dir));
    m_dir = nullptr;
}

FolderListing::Opened FolderListing::open(const std::string& path)
{
    close();
    m_path = path;
    // The system opens a folder without waiting, should the path have turned into a pipe.
    DIR* dir = ::opendir(path.c_str());
    if (!dir) {
        const int error = errno;
        if (error == EACCES || error == EPERM)
            return Opened::AccessDenied;
        if (error == ENOENT || error == ENOTDIR || error == ELOOP)
            return Opened::Gone;
        throw ListingError(path, error);
    }
    m_dir = dir;
    return Opened::Yes;
}

FolderListing::Entries FolderListing::read(const NamePattern* filePattern)
{
    if (!m_dir)
        throw ListingError(m_path, EBADF);
    DIR* dir = AsDir(m_dir);
    ::rewinddir(dir);
    const int fd = ::dirfd(dir);
    Entries entries;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                throw ListingError(m_path, errno);
            break;
        }
        const char* name = entry->d_name;
        if (IsDotOrDotDot(name))
            continue;
        const bool matches = filePattern && filePattern->matches(name);
        switch (entry->d_type) {
        case DT_DIR:
            entries.subfolders.emplace_back(name);
            break;
        case DT_REG:
            if (matches)
                entries.files.emplace_back(name);
            break;
        case DT_LNK:
        case DT_UNKNOWN: {
            // Follow the link: what counts is what it leads to. A broken link leads nowhere.
            struct stat info
            {
            };
            if (::fstatat(fd, name, &info, 0) != 0)
                break;
            if (S_ISDIR(info.st_mode))
                entries.subfolders.emplace_back(name);
            else if (S_ISREG(info.st_mode) && matches)
                entries.files.emplace_back(name);
            break;
        }
        default: // pipes, sockets, devices
            break;
        }
    }
    const auto byListingOrder
        = [](const std::string& a, const std::string& b) { return ListingOrderLess(a, b); };
    std::sort(entries.subfolders.begin(), entries.subfolders.end(), byListingOrder);
    std::sort(entries.files.begin(), entries.files.end(), byListingOrder);
    return entries;
}

} // namespace orvandel

#include "FolderListing.h"

#include "NameRules.h"
#include "util/FileError.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#if defined(_WIN32)
#include "util/PathHelpers.h"
#include "util/WideText.h"
#include "util/WindowsPath.h"

#include <utility>
#include <windows.h>
#elif defined(__unix__) || defined(__APPLE__)
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#if defined(__linux__)
#include <sys/sysmacros.h>
#endif
#include <unistd.h>
#else
#error "The folder scan needs the POSIX folder calls (opendir, readdir, fstatat) or Win32's."
#endif

namespace orvandel {

FolderScanSeams& ScanSeams()
{
    static FolderScanSeams seams;
    return seams;
}

namespace {

    bool IsDotOrDotDot(const char* name)
    {
        return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
    }

    void SortEntries(FolderListing::Entries& entries)
    {
        const auto byListingOrder
            = [](const std::string& a, const std::string& b) { return ListingOrderLess(a, b); };
        std::sort(entries.subfolders.begin(), entries.subfolders.end(), byListingOrder);
        if (entries.fileAttributes.empty()) {
            std::sort(entries.files.begin(), entries.files.end(), byListingOrder);
            return;
        }
        // The attributes travel with their names.
        std::vector<std::pair<std::string, std::uint32_t>> files;
        files.reserve(entries.files.size());
        for (std::size_t i = 0; i < entries.files.size(); ++i)
            files.emplace_back(std::move(entries.files[i]), entries.fileAttributes[i]);
        std::sort(files.begin(), files.end(),
                  [&](const auto& a, const auto& b) { return byListingOrder(a.first, b.first); });
        for (std::size_t i = 0; i < files.size(); ++i) {
            entries.files[i] = std::move(files[i].first);
            entries.fileAttributes[i] = files[i].second;
        }
    }

} // namespace

#if defined(_WIN32)

namespace {

    // What the directory search found in a folder, read once as the folder is opened.
    struct FoundEntries
    {
        std::vector<std::pair<std::string, std::uint32_t>> entries; // name, attribute value
        DWORD failure = ERROR_SUCCESS; // an error that ended the search early
    };

    FoundEntries* AsFound(void* dir)
    {
        return static_cast<FoundEntries*>(dir);
    }

    FileError ListingError(const std::string& path, DWORD error)
    {
        const std::error_code code(static_cast<int>(error), std::system_category());
        return FileError(FileErrorKind::ReadFailed,
                         "Cannot read the folder (" + code.message() + "): " + path, code);
    }

} // namespace

bool IsDriveRoot(const std::string& path)
{
    std::string_view text(path);
    while (text.size() > 1 && IsSeparator(text.back()))
        text.remove_suffix(1);
    // "C:" (and "C:\", "C:\\" before the separators went)
    if (text.size() == 2 && text[1] == ':')
        return true;
    // "\\server\share": two names after the network prefix.
    if (text.size() > 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
        text.remove_prefix(2);
        const auto server = text.find_first_of("\\/");
        if (server == std::string_view::npos || server == 0)
            return false;
        const std::string_view share = text.substr(server + 1);
        return !share.empty() && share.find_first_of("\\/") == std::string_view::npos;
    }
    return false;
}

std::uint32_t FileAttributeValue(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? 0 : static_cast<std::uint32_t>(attributes);
}

FolderProbe ProbeFolder(const std::string& path)
{
    if (path.empty())
        return {};
    const std::wstring wide = LongPath(path);
    // The attributes of the folder itself: a link keeps its own (1024) here.
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    // Its identity through the link: opened without any access, only to ask.
    const HANDLE handle
        = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {}; // a link that leads nowhere
    BY_HANDLE_FILE_INFORMATION info {};
    const bool told = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    FolderProbe probe;
    probe.isFolder = true;
    probe.attributes = static_cast<std::uint32_t>(attributes);
    probe.driveRoot = IsDriveRoot(path);
    if (told) {
        probe.id = {info.dwVolumeSerialNumber,
                    (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    } else {
        // A file system that tells no index: the path stands for the folder, on a volume of
        // its own that no real one has.
        probe.id = {~std::uint64_t(0), std::hash<std::string>()(path)};
    }
    return probe;
}

FolderListing::~FolderListing()
{
    close();
}

void FolderListing::close() noexcept
{
    delete AsFound(m_dir);
    m_dir = nullptr;
}

FolderListing::Opened FolderListing::open(const std::string& path)
{
    close();
    m_path = path;
    // Through the "\\?\" form: a folder named "folder." or past 260 characters is read as it is.
    std::wstring pattern = LongPath(path.empty() ? std::string(".") : path);
    if (pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data {};
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                             nullptr, FIND_FIRST_EX_LARGE_FETCH);
    auto found = std::make_unique<FoundEntries>();
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        switch (error) {
        case ERROR_ACCESS_DENIED:
            return Opened::AccessDenied;
        case ERROR_FILE_NOT_FOUND:
            // A drive's root has no "." and "..": an empty one finds nothing at all.
            if (ProbeFolder(path).isFolder) {
                m_dir = found.release();
                return Opened::Yes;
            }
            return Opened::Gone;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return Opened::Gone;
        default:
            throw ListingError(path, error);
        }
    }
    do {
        found->entries.emplace_back(WideToUtf8(data.cFileName),
                                    static_cast<std::uint32_t>(data.dwFileAttributes));
    } while (::FindNextFileW(search, &data));
    if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES)
        found->failure = error;
    ::FindClose(search);
    m_dir = found.release();
    return Opened::Yes;
}

FolderListing::Entries FolderListing::read(const NamePattern* filePattern)
{
    const FoundEntries* found = AsFound(m_dir);
    if (!found)
        throw ListingError(m_path, ERROR_INVALID_HANDLE);
    if (found->failure != ERROR_SUCCESS)
        throw ListingError(m_path, found->failure);
    Entries entries;
    for (const auto& [name, attributes] : found->entries) {
        if (name.empty() || IsDotOrDotDot(name.c_str()))
            continue;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            entries.subfolders.push_back(name);
        } else if (!(attributes & FILE_ATTRIBUTE_DEVICE) && filePattern && filePattern->matches(name)) {
            entries.files.push_back(name);
            entries.fileAttributes.push_back(attributes);
        }
    }
    SortEntries(entries);
    return entries;
}

#else

namespace {

    DIR* AsDir(void* dir)
    {
        return static_cast<DIR*>(dir);
    }

    FolderId IdOf(const struct stat& info)
    {
        return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    }

    // The id of the folder at `path`, with its birth time where the system tells it; false when
    // the path leads to no folder.
    bool StatFolder(const std::string& path, FolderId& id)
    {
#if defined(__linux__) && defined(STATX_BTIME)
        struct statx extended
        {
        };
        if (::statx(AT_FDCWD, path.c_str(), 0, STATX_TYPE | STATX_INO | STATX_BTIME, &extended) == 0) {
            if (!S_ISDIR(extended.stx_mode))
                return false;
            id = {static_cast<std::uint64_t>(makedev(extended.stx_dev_major, extended.stx_dev_minor)),
                  static_cast<std::uint64_t>(extended.stx_ino)};
            if ((extended.stx_mask & STATX_BTIME) && !ScanSeams().noBirthTimes) {
                id.birthSeconds = extended.stx_btime.tv_sec;
                id.birthNanoseconds = extended.stx_btime.tv_nsec;
            }
            return true;
        }
        if (errno != ENOSYS)
            return false;
#endif
        struct stat info
        {
        };
        if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            return false;
        id = IdOf(info);
        return true;
    }

    FileError ListingError(const std::string& path, int error)
    {
        const std::error_code code(error, std::generic_category());
        return FileError(FileErrorKind::ReadFailed,
                         "Cannot read the folder (" + code.message() + "): " + path, code);
    }

} // namespace

bool IsDriveRoot(const std::string&)
{
    return false;
}

std::uint32_t FileAttributeValue(const std::string&)
{
    return 0;
}

FolderProbe ProbeFolder(const std::string& path)
{
    FolderProbe probe;
    if (!path.empty())
        probe.isFolder = StatFolder(path, probe.id);
    return probe;
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
    SortEntries(entries);
    return entries;
}

#endif

} // namespace orvandel

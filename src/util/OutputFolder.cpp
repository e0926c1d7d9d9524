#include "OutputFolder.h"

#include "FileError.h"
#include "PathHelpers.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

#if !defined(ORVANDEL_PORTABLE_FOLDERS) && (defined(__unix__) || defined(__APPLE__))
#define ORVANDEL_POSIX_FOLDERS 1
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#elif !defined(ORVANDEL_PORTABLE_FOLDERS) && defined(_WIN32)
#define ORVANDEL_WIN32_FOLDERS 1
#include "WideText.h"

#include <windows.h>
#elif defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#endif

namespace orvandel {

OutputFolderSeams& FolderSeams()
{
    static OutputFolderSeams seams;
    return seams;
}

namespace {

    [[maybe_unused]] std::error_code LastError()
    {
        return {errno, std::generic_category()};
    }

    std::string RandomSuffix()
    {
        if (FolderSeams().temporarySuffix)
            return FolderSeams().temporarySuffix();
        static std::mt19937_64 generator {std::random_device {}()};
        static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        std::string suffix(8, '0');
        for (char& c : suffix)
            c = kDigits[generator() % (sizeof kDigits - 1)];
        return suffix;
    }

    // ".<hint>.<random>.part": hidden, and telling what it was. The hint is cut at a character
    // so that file systems which check names for UTF-8 accept it.
    std::string TemporaryName(std::string_view hint)
    {
        constexpr std::size_t kMaxHint = 100;
        std::string cut(hint.substr(0, kMaxHint));
        if (hint.size() > kMaxHint) {
            while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80)
                cut.pop_back();
            if (!cut.empty() && static_cast<unsigned char>(cut.back()) >= 0xC0)
                cut.pop_back();
        }
        for (char& c : cut) {
            if (c == '/' || c == '\\')
                c = '_';
        }
        return "." + cut + "." + RandomSuffix() + ".part";
    }

    std::error_code CallFlushSeam(const std::string& path)
    {
        return FolderSeams().flush(path);
    }

} // namespace

#if defined(ORVANDEL_POSIX_FOLDERS)

namespace {

    std::optional<FileIdentity> IdentityOf(const struct stat& status)
    {
        return FileIdentity {static_cast<std::uint64_t>(status.st_dev),
                             static_cast<std::uint64_t>(status.st_ino)};
    }

    // Linux can give a name to an unnamed file through its entry in /proc.
    bool CanNameUnnamedFiles()
    {
#if defined(O_TMPFILE)
        static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
        return usable;
#else
        return false;
#endif
    }

    std::string ProcPath(int fd)
    {
        return "/proc/self/fd/" + std::to_string(fd);
    }

    class PosixFolder final : public OutputFolder, public std::enable_shared_from_this<PosixFolder>
    {
    public:
        PosixFolder(std::string path, int fd)
            : OutputFolder(std::move(path))
            , m_fd(fd)
        {
            struct stat status
            {
            };
            if (::fstat(m_fd, &status) == 0)
                m_opened = IdentityOf(status);
        }
        ~PosixFolder() override { ::close(m_fd); }

        int fd() const noexcept { return m_fd; }
        // True once the folder has been removed while held (some file systems then refuse new
        // files with other reasons than a missing folder).
        bool removed() const noexcept
        {
            struct stat status
            {
            };
            return ::fstat(m_fd, &status) == 0 && status.st_nlink == 0;
        }

        std::unique_ptr<Temporary> createTemporary(std::string_view hint, std::error_code& error) override;
        FolderEntry lookup(std::string_view name) override;
        std::error_code forEachName(const std::function<void(std::string_view)>& visit) override;
        std::error_code flush() override;
        bool isAtItsPath() const override
        {
            struct stat status
            {
            };
            const std::string& text = path();
            return m_opened && ::stat(text.empty() ? "." : text.c_str(), &status) == 0
                && S_ISDIR(status.st_mode) && IdentityOf(status) == m_opened;
        }
        std::optional<FileIdentity> identity() const override
        {
            struct stat status
            {
            };
            if (::fstat(m_fd, &status) != 0)
                return std::nullopt;
            return IdentityOf(status);
        }

        // Renames `from` to `to` unless something stands at `to`.
        std::error_code renameNew(const std::string& from, const std::string& to);
        // Links the unnamed file open as `fd` under `name`; file_exists when something stands there.
        std::error_code linkUnnamed(int fd, const std::string& name);

    private:
        int m_fd;
        std::optional<FileIdentity> m_opened; // the folder's identity when it was opened
        bool m_noReplaceUnsupported = false;
        bool m_unnamedUnsupported = false;
    };

    // Writes `bytes` to `fd` whole, as far as the system lets it.
    std::error_code WriteAll(int fd, std::string_view bytes)
    {
        while (!bytes.empty()) {
            const ssize_t done = ::write(fd, bytes.data(), bytes.size());
            if (done < 0) {
                if (errno == EINTR)
                    continue;
                return LastError();
            }
            bytes.remove_prefix(static_cast<std::size_t>(done));
        }
        return {};
    }

    // A temporary file written through its descriptor, with no buffer of its own: its writers
    // hand it whole images or large pieces, so each piece is one write, and a full disk or a file
    // size limit shows at the write that meets it.
    class PosixTemporary final : public OutputFolder::Temporary
    {
    public:
        PosixTemporary(std::shared_ptr<PosixFolder> folder, int fd, std::string name, std::string hint)
            : m_folder(std::move(folder))
            , m_fd(fd)
            , m_name(std::move(name))
            , m_hint(std::move(hint))
        {
            struct stat status
            {
            };
            if (::fstat(m_fd, &status) == 0)
                m_identity = IdentityOf(status);
        }
        ~PosixTemporary() override { discard(); }

        std::error_code write(std::string_view bytes) override
        {
            if (!m_writing)
                return std::make_error_code(std::errc::bad_file_descriptor);
            return WriteAll(m_fd, bytes);
        }

        std::error_code finish() override
        {
            if (!m_writing)
                return std::make_error_code(std::errc::bad_file_descriptor);
            m_writing = false;
            // An unnamed file lives as long as a handle on it: its handle stays for placing it.
            // A named one is closed, so that a writer holding many keeps few handles open.
            if (!m_name.empty())
                return CloseHandle();
            return {};
        }

        std::error_code placeNew(std::string_view name) override
        {
            if (m_writing || m_placed)
                return std::make_error_code(std::errc::bad_file_descriptor);
            const std::string target(name);
            const std::error_code error
                = m_name.empty() ? m_folder->linkUnnamed(m_fd, target) : m_folder->renameNew(m_name, target);
            if (!error)
                placed();
            return error;
        }

        std::error_code replace(std::string_view name) override
        {
            if (m_writing || m_placed)
                return std::make_error_code(std::errc::bad_file_descriptor);
            // An unnamed file gets a hidden name first: a link cannot replace, a rename can.
            if (m_name.empty()) {
                for (int attempt = 0;; ++attempt) {
                    std::string hidden = TemporaryName(m_hint);
                    const std::error_code error = m_folder->linkUnnamed(m_fd, hidden);
                    if (!error) {
                        m_name = std::move(hidden);
                        CloseHandle();
                        break;
                    }
                    if (error != std::errc::file_exists || attempt == 100)
                        return error;
                }
            }
            if (::renameat(m_folder->fd(), m_name.c_str(), m_folder->fd(), std::string(name).c_str()) != 0)
                return LastError();
            placed();
            return {};
        }

        void discard() noexcept override
        {
            m_writing = false;
            CloseHandle();
            if (!m_placed && !m_name.empty())
                ::unlinkat(m_folder->fd(), m_name.c_str(), 0);
            m_name.clear();
        }

        std::optional<FileIdentity> identity() const override { return m_identity; }
        const std::string& temporaryName() const noexcept override { return m_name; }

    private:
        // Closes the handle; a write error that the file system held back shows here.
        std::error_code CloseHandle() noexcept
        {
            if (m_fd < 0)
                return {};
            const int fd = m_fd;
            m_fd = -1;
            if (::close(fd) != 0 && errno != EINTR)
                return LastError();
            return {};
        }

        void placed()
        {
            m_placed = true;
            m_name.clear();
            CloseHandle();
        }

        std::shared_ptr<PosixFolder> m_folder;
        int m_fd; // until finish() for a named file; until placed for an unnamed one
        bool m_writing = true;
        std::string m_name; // empty while unnamed, and once placed
        std::string m_hint;
        bool m_placed = false;
        std::optional<FileIdentity> m_identity;
    };

    std::unique_ptr<OutputFolder::Temporary> PosixFolder::createTemporary(std::string_view hint,
                                                                          std::error_code& error)
    {
        error.clear();
#if defined(O_TMPFILE)
        if (!m_unnamedUnsupported && !FolderSeams().namedTemporariesOnly && CanNameUnnamedFiles()) {
            const int fd = ::openat(m_fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
            if (fd >= 0)
                return std::make_unique<PosixTemporary>(shared_from_this(), fd, std::string(),
                                                        std::string(hint));
            // File systems without unnamed files say so in several ways; anything else is a
            // real failure (a full disk, a folder gone or read-only).
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOSYS) {
                error = removed() ? std::make_error_code(std::errc::no_such_file_or_directory) : LastError();
                return nullptr;
            }
            m_unnamedUnsupported = true;
        }
#endif
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = TemporaryName(hint);
            // Exclusive: a name that exists already, a link among them, is never opened.
            const int fd
                = ::openat(m_fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd < 0) {
                if (errno == EEXIST)
                    continue;
                error = LastError();
                return nullptr;
            }
            return std::make_unique<PosixTemporary>(shared_from_this(), fd, std::move(name),
                                                    std::string(hint));
        }
        error = std::make_error_code(std::errc::file_exists);
        return nullptr;
    }

    FolderEntry PosixFolder::lookup(std::string_view name)
    {
        struct stat status
        {
        };
        FolderEntry entry;
        if (::fstatat(m_fd, std::string(name).c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
            entry.exists = true;
            entry.directory = S_ISDIR(status.st_mode);
            entry.identity = IdentityOf(status);
        } else if (errno != ENOENT && errno != ENOTDIR) {
            entry.exists = true; // something is there that cannot be looked at
        }
        return entry;
    }

    std::error_code PosixFolder::forEachName(const std::function<void(std::string_view)>& visit)
    {
        const int fd = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return LastError();
        DIR* listing = ::fdopendir(fd);
        if (!listing) {
            const auto error = LastError();
            ::close(fd);
            return error;
        }
        std::error_code error;
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(listing);
            if (!entry) {
                if (errno != 0)
                    error = LastError();
                break;
            }
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                visit(name);
        }
        ::closedir(listing);
        return error;
    }

    std::error_code PosixFolder::flush()
    {
        if (FolderSeams().flush)
            return CallFlushSeam(path());
#if defined(__linux__)
        if (::syncfs(m_fd) == 0)
            return {};
        if (errno != EBADF)
            return LastError();
        ::sync(); // a folder held without reading rights
#else
        ::sync();
#endif
        return {};
    }

    std::error_code PosixFolder::renameNew(const std::string& from, const std::string& to)
    {
#if defined(__linux__)
        if (!m_noReplaceUnsupported) {
            if (::renameat2(m_fd, from.c_str(), m_fd, to.c_str(), RENAME_NOREPLACE) == 0)
                return {};
            if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
                return LastError();
            m_noReplaceUnsupported = true; // FUSE and some others answer EINVAL
        }
#endif
        // Without an exclusive rename, a look first; only a file made in between is at risk.
        struct stat status
        {
        };
        if (::fstatat(m_fd, to.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0)
            return std::make_error_code(std::errc::file_exists);
        if (::renameat(m_fd, from.c_str(), m_fd, to.c_str()) != 0)
            return LastError();
        return {};
    }

    std::error_code PosixFolder::linkUnnamed(int fd, const std::string& name)
    {
#if defined(__linux__) && defined(AT_EMPTY_PATH)
        // Since Linux 6.10 the process that made an unnamed file may name it by its handle, which
        // spares the walk through /proc; before, only privileged processes may (ENOENT else).
        static bool byHandle = true;
        if (byHandle && !FolderSeams().unnamedNamedThroughProc) {
            if (::linkat(fd, "", m_fd, name.c_str(), AT_EMPTY_PATH) == 0)
                return {};
            if (errno != ENOENT && errno != EPERM && errno != EINVAL)
                return LastError();
            byHandle = false;
        }
#endif
        if (::linkat(AT_FDCWD, ProcPath(fd).c_str(), m_fd, name.c_str(), AT_SYMLINK_FOLLOW) != 0)
            return LastError();
        return {};
    }

} // namespace

bool FoldersAreHeldOpen() noexcept
{
    return true;
}

std::shared_ptr<OutputFolder>
OutputFolder::open(const std::string& folderText, const std::string& describeAs, Place)
{
    const std::string described = describeAs.empty() ? folderText : describeAs;
    const char* path = folderText.empty() ? "." : folderText.c_str();
    int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#if defined(O_PATH)
    // A folder that may be written but not read is held without reading rights; it then cannot
    // be listed, and only the whole file system can be flushed.
    if (fd < 0 && errno == EACCES)
        fd = ::open(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
#endif
    if (fd < 0)
        throw FileError::fromSystem(FileErrorKind::CreateFailed, described, LastError());
    return std::make_shared<PosixFolder>(WithTrailingSeparator(folderText), fd);
}

#elif defined(ORVANDEL_WIN32_FOLDERS) // Windows: paths, and the Win32 calls on them

namespace {

    // A Win32 error as the error the rest of the program knows ("File exists", "Permission
    // denied", ...), where there is one.
    std::error_code Win32Error(DWORD error)
    {
        const std::error_code code(static_cast<int>(error), std::system_category());
        const std::error_condition condition = code.default_error_condition();
        if (condition.category() == std::generic_category())
            return {condition.value(), std::generic_category()};
        return code;
    }

    std::error_code LastWin32Error()
    {
        return Win32Error(::GetLastError());
    }

    std::optional<FileIdentity> IdentityOf(HANDLE handle)
    {
        BY_HANDLE_FILE_INFORMATION info {};
        if (!::GetFileInformationByHandle(handle, &info))
            return std::nullopt;
        return FileIdentity {info.dwVolumeSerialNumber,
                             (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    }

    // The identity of what stands at `path`, a link itself rather than what it leads to.
    std::optional<FileIdentity> IdentityAt(const std::wstring& path)
    {
        const HANDLE handle = ::CreateFileW(
            path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return std::nullopt;
        auto identity = IdentityOf(handle);
        ::CloseHandle(handle);
        return identity;
    }

    class WinFolder;

    // Created exclusively (CREATE_NEW) and hidden, under a name starting with "."; written
    // through its handle with a buffer of its own, and placed with MoveFileExW.
    class WinTemporary final : public OutputFolder::Temporary
    {
    public:
        WinTemporary(std::shared_ptr<const WinFolder> folder, HANDLE handle, std::string name);
        ~WinTemporary() override { discard(); }

        std::error_code write(std::string_view bytes) override
        {
            if (m_handle == INVALID_HANDLE_VALUE)
                return std::make_error_code(std::errc::bad_file_descriptor);
            if (m_buffer.size() + bytes.size() > kBufferSize) {
                if (const auto error = writeOut())
                    return error;
            }
            if (bytes.size() >= kBufferSize)
                return writeAll(bytes);
            m_buffer.append(bytes);
            return {};
        }

        std::error_code finish() override
        {
            if (m_handle == INVALID_HANDLE_VALUE)
                return std::make_error_code(std::errc::bad_file_descriptor);
            std::error_code error = writeOut();
            m_identity = IdentityOf(m_handle);
            if (!::CloseHandle(m_handle) && !error)
                error = LastWin32Error();
            m_handle = INVALID_HANDLE_VALUE;
            return error;
        }

        std::error_code placeNew(std::string_view name) override { return place(name, 0); }

        std::error_code replace(std::string_view name) override
        {
            return place(name, MOVEFILE_REPLACE_EXISTING);
        }

        void discard() noexcept override
        {
            if (m_handle != INVALID_HANDLE_VALUE) {
                ::CloseHandle(m_handle);
                m_handle = INVALID_HANDLE_VALUE;
            }
            if (!m_placed && !m_name.empty()) {
                ::DeleteFileW(pathOf(m_name).c_str());
                m_name.clear();
            }
        }

        std::optional<FileIdentity> identity() const override
        {
            if (m_handle != INVALID_HANDLE_VALUE)
                return IdentityOf(m_handle);
            return m_identity;
        }
        const std::string& temporaryName() const noexcept override { return m_name; }

    private:
        static constexpr std::size_t kBufferSize = 1 << 16;

        std::wstring pathOf(std::string_view name) const;

        std::error_code writeAll(std::string_view bytes)
        {
            while (!bytes.empty()) {
                const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
                DWORD written = 0;
                if (!::WriteFile(m_handle, bytes.data(), chunk, &written, nullptr))
                    return LastWin32Error();
                bytes.remove_prefix(written);
            }
            return {};
        }

        std::error_code writeOut()
        {
            const auto error = writeAll(m_buffer);
            m_buffer.clear();
            return error;
        }

        // MoveFileExW without MOVEFILE_REPLACE_EXISTING never replaces: a name that stands
        // there fails with "File exists". The placed file is no longer hidden.
        std::error_code place(std::string_view name, DWORD flags)
        {
            if (m_handle != INVALID_HANDLE_VALUE || m_placed || m_name.empty())
                return std::make_error_code(std::errc::bad_file_descriptor);
            const std::wstring from = pathOf(m_name);
            if (!::MoveFileExW(from.c_str(), pathOf(name).c_str(), flags)) {
                const DWORD error = ::GetLastError();
                if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
                    return std::make_error_code(std::errc::file_exists);
                // Windows denies replacing a folder; the reason is the folder.
                const DWORD standing = ::GetFileAttributesW(pathOf(name).c_str());
                if (error == ERROR_ACCESS_DENIED && standing != INVALID_FILE_ATTRIBUTES
                    && (standing & FILE_ATTRIBUTE_DIRECTORY))
                    return std::make_error_code(std::errc::is_a_directory);
                return Win32Error(error);
            }
            m_placed = true;
            ::SetFileAttributesW(pathOf(name).c_str(), FILE_ATTRIBUTE_ARCHIVE);
            return {};
        }

        std::shared_ptr<const WinFolder> m_folder;
        HANDLE m_handle;
        std::string m_name;
        std::string m_buffer;
        std::optional<FileIdentity> m_identity;
        bool m_placed = false;
    };

    // Kept in place, it is held by a handle opened without FILE_SHARE_DELETE: while the run uses
    // it, the folder can be neither renamed nor removed, so that no other folder or link takes its
    // place and its name goes on leading to it. Otherwise it is known by its identity.
    class WinFolder final : public OutputFolder, public std::enable_shared_from_this<WinFolder>
    {
    public:
        WinFolder(std::string path, HANDLE held, std::optional<FileIdentity> identity)
            : OutputFolder(std::move(path))
            , m_held(held)
            , m_identity(identity)
        {
        }
        ~WinFolder() override
        {
            if (m_held != INVALID_HANDLE_VALUE)
                ::CloseHandle(m_held);
        }
        WinFolder(const WinFolder&) = delete;
        WinFolder& operator=(const WinFolder&) = delete;

        std::wstring pathOf(std::string_view name) const
        {
            return Utf8ToWide(path().empty() ? std::string(name) : path() + std::string(name));
        }

        std::unique_ptr<Temporary> createTemporary(std::string_view hint, std::error_code& error) override
        {
            error.clear();
            for (int attempt = 0; attempt < 100; ++attempt) {
                std::string name = TemporaryName(hint);
                // CREATE_NEW: a name that exists already is never opened.
                const HANDLE handle
                    = ::CreateFileW(pathOf(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
                if (handle != INVALID_HANDLE_VALUE)
                    return std::make_unique<WinTemporary>(shared_from_this(), handle, std::move(name));
                const DWORD failure = ::GetLastError();
                if (failure != ERROR_FILE_EXISTS && failure != ERROR_ALREADY_EXISTS) {
                    error = Win32Error(failure);
                    return nullptr;
                }
            }
            error = std::make_error_code(std::errc::file_exists);
            return nullptr;
        }

        FolderEntry lookup(std::string_view name) override
        {
            const std::wstring path = pathOf(name);
            const DWORD attributes = ::GetFileAttributesW(path.c_str());
            FolderEntry entry;
            if (attributes == INVALID_FILE_ATTRIBUTES)
                return entry;
            entry.exists = true;
            entry.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
            entry.identity = IdentityAt(path);
            return entry;
        }

        std::error_code forEachName(const std::function<void(std::string_view)>& visit) override
        {
            WIN32_FIND_DATAW data {};
            const std::wstring pattern = pathOf("*");
            const HANDLE search
                = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
            if (search == INVALID_HANDLE_VALUE) {
                const DWORD error = ::GetLastError();
                return error == ERROR_FILE_NOT_FOUND ? std::error_code() : Win32Error(error);
            }
            do {
                const std::string name = WideToUtf8(data.cFileName);
                if (name != "." && name != "..")
                    visit(name);
            } while (::FindNextFileW(search, &data));
            const DWORD error = ::GetLastError();
            ::FindClose(search);
            return error == ERROR_NO_MORE_FILES ? std::error_code() : Win32Error(error);
        }

        std::error_code flush() override
        {
            // Windows brings the files to the disk in time; flushing a volume needs rights a
            // user does not have.
            return FolderSeams().flush ? CallFlushSeam(path()) : std::error_code();
        }

        std::optional<FileIdentity> identity() const override { return m_identity; }

        bool isAtItsPath() const override
        {
            if (!m_identity)
                return true;
            const HANDLE handle
                = ::CreateFileW(Utf8ToWide(path().empty() ? std::string(".") : path()).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            if (handle == INVALID_HANDLE_VALUE)
                return false;
            const auto now = IdentityOf(handle);
            ::CloseHandle(handle);
            return now == m_identity;
        }

    private:
        HANDLE m_held;
        std::optional<FileIdentity> m_identity;
    };

    WinTemporary::WinTemporary(std::shared_ptr<const WinFolder> folder, HANDLE handle, std::string name)
        : m_folder(std::move(folder))
        , m_handle(handle)
        , m_name(std::move(name))
    {
    }

    std::wstring WinTemporary::pathOf(std::string_view name) const
    {
        return m_folder->pathOf(name);
    }

} // namespace

bool FoldersAreHeldOpen() noexcept
{
    return false;
}

std::shared_ptr<OutputFolder>
OutputFolder::open(const std::string& folderText, const std::string& describeAs, Place place)
{
    const std::string described = describeAs.empty() ? folderText : describeAs;
    const std::wstring wide = Utf8ToWide(folderText.empty() ? std::string(".") : folderText);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        throw FileError::fromSystem(FileErrorKind::CreateFailed, described, LastWin32Error());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw FileError::fromSystem(FileErrorKind::CreateFailed, described,
                                    std::make_error_code(std::errc::not_a_directory));
    // A folder kept in place is held with a right to list it, so that its sharing counts:
    // without FILE_SHARE_DELETE nobody may rename or remove it meanwhile. Its identity, through
    // a link, tells where two folder texts lead to one folder.
    std::optional<FileIdentity> identity;
    HANDLE held = place == Place::Kept
        ? ::CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)
        : INVALID_HANDLE_VALUE;
    if (held != INVALID_HANDLE_VALUE) {
        identity = IdentityOf(held);
    } else {
        const HANDLE handle
            = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            identity = IdentityOf(handle);
            ::CloseHandle(handle);
        }
    }
    return std::make_shared<WinFolder>(WithTrailingSeparator(folderText), held, identity);
}

#else // the portable folder layer: paths and the standard library

namespace {

    namespace fs = std::filesystem;

    // Writes `bytes` to a temporary file's stream.
    std::error_code WriteTo(std::FILE* file, std::string_view bytes)
    {
        if (!file)
            return std::make_error_code(std::errc::bad_file_descriptor);
        if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
            return LastError();
        return {};
    }

    // Closes a temporary file's stream, `error` unless it went wrong before. Buffered bytes are
    // written at the close: a full disk shows here.
    std::error_code CloseWritten(std::FILE*& file, std::error_code error = {})
    {
        std::FILE* closing = file;
        file = nullptr;
        if (std::fflush(closing) != 0 && !error)
            error = LastError();
        if (std::fclose(closing) != 0 && !error)
            error = LastError();
        return error;
    }

    class PathFolder;

    class PathTemporary final : public OutputFolder::Temporary
    {
    public:
        PathTemporary(std::shared_ptr<const PathFolder> folder, std::FILE* file, std::string name);
        ~PathTemporary() override { discard(); }

        std::error_code write(std::string_view bytes) override { return WriteTo(m_file, bytes); }

        std::error_code finish() override
        {
            if (!m_file)
                return std::make_error_code(std::errc::bad_file_descriptor);
            return CloseWritten(m_file);
        }

        std::error_code placeNew(std::string_view name) override
        {
            std::error_code error;
            if (fs::exists(fs::symlink_status(pathOf(name), error)))
                return std::make_error_code(std::errc::file_exists);
            return replace(name);
        }

        std::error_code replace(std::string_view name) override
        {
            if (m_file || m_placed)
                return std::make_error_code(std::errc::bad_file_descriptor);
            std::error_code error;
            fs::rename(pathOf(m_name), pathOf(name), error);
            if (!error)
                m_placed = true;
            return error;
        }

        void discard() noexcept override
        {
            if (m_file) {
                std::fclose(m_file);
                m_file = nullptr;
            }
            if (!m_placed && !m_name.empty()) {
                std::error_code ignored;
                fs::remove(pathOf(m_name), ignored);
                m_name.clear();
            }
        }

        std::optional<FileIdentity> identity() const override { return std::nullopt; }
        const std::string& temporaryName() const noexcept override { return m_name; }

    private:
        fs::path pathOf(std::string_view name) const;

        std::shared_ptr<const PathFolder> m_folder;
        std::FILE* m_file;
        std::string m_name;
        bool m_placed = false;
    };

    class PathFolder final : public OutputFolder, public std::enable_shared_from_this<PathFolder>
    {
    public:
        explicit PathFolder(std::string path)
            : OutputFolder(std::move(path))
        {
        }

        fs::path pathOf(std::string_view name) const { return ToFsPath(path() + std::string(name)); }

        std::unique_ptr<Temporary> createTemporary(std::string_view hint, std::error_code& error) override
        {
            error.clear();
            for (int attempt = 0; attempt < 100; ++attempt) {
                std::string name = TemporaryName(hint);
                // "x" opens exclusively: a name that exists already is never opened.
#if defined(_WIN32)
                // The C library of Windows (msvcrt) takes no "x": _O_EXCL creates exclusively.
                int fd = -1;
                const errno_t opened
                    = _wsopen_s(&fd, pathOf(name).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                                _SH_DENYNO, _S_IREAD | _S_IWRITE);
                if (opened != 0)
                    errno = opened;
                std::FILE* file = opened == 0 ? _fdopen(fd, "wb") : nullptr;
                if (opened == 0 && !file)
                    _close(fd);
#else
                std::FILE* file = std::fopen(pathOf(name).c_str(), "wbx");
#endif
                if (file)
                    return std::make_unique<PathTemporary>(shared_from_this(), file, std::move(name));
                if (errno != EEXIST) {
                    error = LastError();
                    return nullptr;
                }
            }
            error = std::make_error_code(std::errc::file_exists);
            return nullptr;
        }

        FolderEntry lookup(std::string_view name) override
        {
            std::error_code error;
            const auto status = fs::symlink_status(pathOf(name), error);
            FolderEntry entry;
            entry.exists = fs::exists(status);
            entry.directory = fs::is_directory(status);
            return entry;
        }

        std::error_code forEachName(const std::function<void(std::string_view)>& visit) override
        {
            std::error_code error;
            for (fs::directory_iterator it(path().empty() ? fs::path(".") : ToFsPath(path()), error), end;
                 !error && it != end; it.increment(error))
                visit(FromFsPath(it->path().filename()));
            return error;
        }

        std::error_code flush() override
        {
            // The standard library cannot bring files to the disk; the system does it in time.
            return FolderSeams().flush ? CallFlushSeam(path()) : std::error_code();
        }

        std::optional<FileIdentity> identity() const override
        {
            return std::nullopt;
        }
    };

    PathTemporary::PathTemporary(std::shared_ptr<const PathFolder> folder, std::FILE* file, std::string name)
        : m_folder(std::move(folder))
        , m_file(file)
        , m_name(std::move(name))
    {
    }

    fs::path PathTemporary::pathOf(std::string_view name) const
    {
        return m_folder->pathOf(name);
    }

} // namespace

bool FoldersAreHeldOpen() noexcept
{
    return false;
}

std::shared_ptr<OutputFolder>
OutputFolder::open(const std::string& folderText, const std::string& describeAs, Place)
{
    const std::string described = describeAs.empty() ? folderText : describeAs;
    std::error_code error;
    const auto status = fs::status(folderText.empty() ? fs::path(".") : ToFsPath(folderText), error);
    if (error)
        throw FileError::fromSystem(FileErrorKind::CreateFailed, described, error);
    if (!fs::is_directory(status))
        throw FileError::fromSystem(FileErrorKind::CreateFailed, described,
                                    std::make_error_code(std::errc::not_a_directory));
    return std::make_shared<PathFolder>(WithTrailingSeparator(folderText));
}

#endif

} // namespace orvandel

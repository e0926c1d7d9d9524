// The folder layer on POSIX: a folder is held open by its descriptor, and its files are made,
// named and looked at relative to it (openat, renameat2, linkat).
#include "FileError.h"
#include "OutputFolder.h"
#include "OutputFolderCommon.h"
#include "PathHelpers.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvandel {

namespace {

    using folder_layer::LastError;
    using folder_layer::TemporaryName;

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
        std::unique_ptr<Temporary>
        made(int fd, std::string name, std::string_view hint, std::error_code& error);

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
        PosixTemporary(std::shared_ptr<PosixFolder> folder,
                       int fd,
                       std::string name,
                       std::string hint,
                       FileIdentity identity)
            : m_folder(std::move(folder))
            , m_fd(fd)
            , m_name(std::move(name))
            , m_hint(std::move(hint))
            , m_identity(identity)
        {
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
            // An unnamed file lives as long as a handle on it: its handle stays for placing it,
            // and a copy of it is closed instead, for the write error that a file system holds
            // back until a close (NFS, SMB) to show before the file has a name. A named one is
            // closed, so that a writer holding many keeps few handles open.
            if (!m_name.empty())
                return CloseHandle();
            const int copy = ::dup(m_fd);
            if (copy < 0)
                return LastError();
            if (::close(copy) != 0 && errno != EINTR)
                return LastError();
            return {};
        }

        std::error_code placeNew(std::string_view name) override
        {
            if (m_writing || m_placed)
                return std::make_error_code(std::errc::bad_file_descriptor);
            const std::string target(name);
            const std::error_code error
                = m_name.empty() ? m_folder->linkUnnamed(m_fd, target) : m_folder->renameNew(m_name, target);
            if (error)
                return error;
            return placed(target);
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
                        if (const auto closed = CloseHandle())
                            return closed; // discard() removes the hidden file
                        break;
                    }
                    if (error != std::errc::file_exists || attempt == 100)
                        return error;
                }
            }
            const std::string target(name);
            if (::renameat(m_folder->fd(), m_name.c_str(), m_folder->fd(), target.c_str()) != 0)
                return LastError();
            return placed(target);
        }

        void discard() noexcept override
        {
            m_writing = false;
            CloseHandle();
            if (!m_placed && !m_name.empty() && ::unlinkat(m_folder->fd(), m_name.c_str(), 0) != 0
                && errno != ENOENT)
                folder_layer::NoteLeftover(m_folder->path() + m_name, LastError());
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

        // The file has its name. A write error that the last close shows takes the name back:
        // what stands there is not the image that was written.
        std::error_code placed(const std::string& target)
        {
            m_placed = true;
            m_name.clear();
            const std::error_code error = CloseHandle();
            if (error) {
                struct stat status
                {
                };
                if (::fstatat(m_folder->fd(), target.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0
                    && IdentityOf(status) == m_identity)
                    ::unlinkat(m_folder->fd(), target.c_str(), 0);
            }
            return error;
        }

        std::shared_ptr<PosixFolder> m_folder;
        int m_fd; // until finish() for a named file; until placed for an unnamed one
        bool m_writing = true;
        std::string m_name; // empty while unnamed, and once placed
        std::string m_hint;
        bool m_placed = false;
        FileIdentity m_identity;
    };

    std::unique_ptr<OutputFolder::Temporary> PosixFolder::createTemporary(std::string_view hint,
                                                                          std::error_code& error)
    {
        error.clear();
#if defined(O_TMPFILE)
        if (!m_unnamedUnsupported && !FolderSeams().namedTemporariesOnly && CanNameUnnamedFiles()) {
            const int fd = ::openat(m_fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
            if (fd >= 0)
                return made(fd, std::string(), hint, error);
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
            return made(fd, std::move(name), hint, error);
        }
        error = std::make_error_code(std::errc::file_exists);
        return nullptr;
    }

    // The temporary file just opened as `fd`, named `name` (empty when unnamed). A file whose
    // identity cannot be told is given up: the run could not tell it from another at its name.
    std::unique_ptr<OutputFolder::Temporary>
    PosixFolder::made(int fd, std::string name, std::string_view hint, std::error_code& error)
    {
        struct stat status
        {
        };
        if (::fstat(fd, &status) != 0) {
            error = LastError();
            ::close(fd);
            if (!name.empty() && ::unlinkat(m_fd, name.c_str(), 0) != 0 && errno != ENOENT)
                folder_layer::NoteLeftover(path() + name, LastError());
            return nullptr;
        }
        return std::make_unique<PosixTemporary>(shared_from_this(), fd, std::move(name), std::string(hint),
                                                *IdentityOf(status));
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
            return FolderSeams().flush(path());
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

namespace folder_layer {

    std::error_code RemoveFile(const std::string& path)
    {
        if (::unlink(path.c_str()) != 0)
            return LastError();
        return {};
    }

} // namespace folder_layer

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
} // namespace orvandel

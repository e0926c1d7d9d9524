// The portable folder layer: paths and the standard library, where neither POSIX nor Win32 is
// used (-DORVANDEL_PORTABLE_FOLDERS=ON builds it everywhere).
#include "FileError.h"
#include "OutputFolder.h"
#include "OutputFolderCommon.h"
#include "PathHelpers.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#endif

namespace orvandel {

namespace {

    using folder_layer::LastError;
    using folder_layer::TemporaryName;

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
                std::error_code error;
                if (!fs::remove(pathOf(m_name), error) && error)
                    folder_layer::NoteLeftover(pathOf(m_name).string(), error);
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
            return FolderSeams().flush ? FolderSeams().flush(path()) : std::error_code();
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

namespace folder_layer {

    std::error_code RemoveFile(const std::string& path)
    {
        std::error_code error;
        if (!fs::remove(path, error) && !error)
            return std::make_error_code(std::errc::no_such_file_or_directory);
        return error;
    }

} // namespace folder_layer

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
} // namespace orvandel

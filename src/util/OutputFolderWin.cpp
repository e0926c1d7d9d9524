// The folder layer on Windows: paths, and the Win32 calls on them.
#include "FileError.h"
#include "OutputFolder.h"
#include "OutputFolderCommon.h"
#include "PathHelpers.h"
#include "WideText.h"
#include "WindowsPath.h"

#include <algorithm>
#include <windows.h>

namespace orvandel {

namespace {

    using folder_layer::TemporaryName;

    std::error_code Win32Error(DWORD error)
    {
        return Win32ErrorCode(error);
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
            // A file whose identity cannot be told is given up: the run could not tell it from
            // another at its name.
            m_identity = IdentityOf(m_handle);
            if (!m_identity && !error)
                error = LastWin32Error();
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
                if (!::DeleteFileW(pathOf(m_name).c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
                    folder_layer::NoteLeftover(textOf(m_name), LastWin32Error());
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
        std::string textOf(std::string_view name) const; // as messages name it

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
            return LongPath(path().empty() ? std::string(name) : path() + std::string(name));
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
            return FolderSeams().flush ? FolderSeams().flush(path()) : std::error_code();
        }

        std::optional<FileIdentity> identity() const override { return m_identity; }

        bool isAtItsPath() const override
        {
            if (!m_identity)
                return true;
            const HANDLE handle = ::CreateFileW(LongPath(path().empty() ? std::string(".") : path()).c_str(),
                                                0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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

    std::string WinTemporary::textOf(std::string_view name) const
    {
        return m_folder->path() + std::string(name);
    }

} // namespace

bool FoldersAreHeldOpen() noexcept
{
    return false;
}

namespace folder_layer {

    std::error_code RemoveFile(const std::string& path)
    {
        if (!::DeleteFileW(LongPath(path).c_str()))
            return LastWin32Error();
        return {};
    }

} // namespace folder_layer

std::shared_ptr<OutputFolder>
OutputFolder::open(const std::string& folderText, const std::string& describeAs, Place place)
{
    const std::string described = describeAs.empty() ? folderText : describeAs;
    const std::wstring wide = LongPath(folderText.empty() ? std::string(".") : folderText);
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
} // namespace orvandel

// A regular file on Windows: opened through its "\\?\" path, so that every name Windows can hold
// is read as it is, and read through its handle.
#include "FileError.h"
#include "PathHelpers.h"
#include "RegularFile.h"
#include "WindowsPath.h"

#include <algorithm>
#include <windows.h>

namespace orvandel {

RegularFile::RegularFile(std::string path)
    : m_path(std::move(path))
{
    // Others may read, write and rename it meanwhile, as they may with every program's files.
    const HANDLE handle = ::CreateFileW(LongPath(m_path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
            throw FileError(FileErrorKind::AccessDenied, "The file is in use by another program: " + m_path,
                            Win32ErrorCode(error));
        // A folder opens only as a folder: the system refuses it as a file.
        if (error == ERROR_ACCESS_DENIED && IsDirectory(m_path))
            throw notRegular(m_path);
        throw FileError::fromSystem(FileErrorKind::ReadFailed, m_path, Win32ErrorCode(error));
    }
    BY_HANDLE_FILE_INFORMATION info {};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info)
        || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::CloseHandle(handle);
        throw notRegular(m_path);
    }
    m_size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    m_handle = handle;
}

RegularFile::~RegularFile()
{
    ::CloseHandle(static_cast<HANDLE>(m_handle));
}

std::size_t RegularFile::read(char* into, std::size_t size)
{
    DWORD got = 0;
    const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!::ReadFile(static_cast<HANDLE>(m_handle), into, asked, &got, nullptr))
        throw FileError::fromSystem(FileErrorKind::ReadFailed, m_path, Win32ErrorCode(::GetLastError()));
    return got;
}

void RegularFile::expectSequentialReading() noexcept { }

} // namespace orvandel

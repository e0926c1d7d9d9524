#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvandel {

class FileError;

// A regular file open for reading, front to back. Opening refuses anything that is not a regular
// file (a folder, a pipe, a device) without blocking on it: a card file listed by mistake as a
// named pipe must not hang the run.
class RegularFile
{
public:
    // Opens the file. Throws FileError (NotFound, AccessDenied, NotRegularFile or ReadFailed; on
    // Windows "The file is in use by another program" when another program keeps it to itself).
    explicit RegularFile(std::string path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    const std::string& path() const noexcept { return m_path; }
    // The size when the file was opened.
    std::uint64_t size() const noexcept { return m_size; }
    // Reads up to `size` bytes into `into`; 0 only at the end. Throws FileError.
    std::size_t read(char* into, std::size_t size);
    // Tells the system that the file is read once, front to back, where it takes such advice.
    void expectSequentialReading() noexcept;

private:
    static FileError notRegular(const std::string& path);

    std::string m_path;
    std::uint64_t m_size = 0;
#if defined(_WIN32)
    void* m_handle = nullptr; // a HANDLE
#else
    int m_fd = -1;
#endif
};

} // namespace orvandel

#pragma once

#include "util/RegularFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvandel {

// Where the bytes of an input come from, a piece at a time.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes into `into`; 0 only at the end. Throws FileError.
    virtual std::size_t read(char* into, std::size_t size) = 0;
};

// A file read front to back. Refuses anything that is not a regular file (a folder, a pipe, a
// device) without blocking on it.
class FileByteSource : public ByteSource
{
public:
    // Opens the file. Throws FileError.
    explicit FileByteSource(std::string path);

    std::size_t read(char* into, std::size_t size) override;
    // The size when the file was opened.
    std::uint64_t size() const noexcept { return m_file.size(); }

private:
    RegularFile m_file;
};

// Bytes held in memory, handed out in pieces of at most `pieceSize` bytes, so that tests can
// cut an input at every possible place.
class MemoryByteSource : public ByteSource
{
public:
    explicit MemoryByteSource(std::string_view bytes, std::size_t pieceSize = SIZE_MAX);
    std::size_t read(char* into, std::size_t size) override;

private:
    std::string_view m_bytes;
    std::size_t m_pieceSize;
};

} // namespace orvandel

#include "ByteSource.h"

#include <algorithm>
#include <cstring>

namespace orvandel {

FileByteSource::FileByteSource(std::string path)
    : m_file(std::move(path))
{
    m_file.expectSequentialReading();
}

std::size_t FileByteSource::read(char* into, std::size_t size)
{
    return m_file.read(into, size);
}

MemoryByteSource::MemoryByteSource(std::string_view bytes, std::size_t pieceSize)
    : m_bytes(bytes)
    , m_pieceSize(std::max<std::size_t>(pieceSize, 1))
{
}

std::size_t MemoryByteSource::read(char* into, std::size_t size)
{
    const std::size_t take = std::min({size, m_pieceSize, m_bytes.size()});
    if (take > 0)
        std::memcpy(into, m_bytes.data(), take);
    m_bytes.remove_prefix(take);
    return take;
}

} // namespace orvandel

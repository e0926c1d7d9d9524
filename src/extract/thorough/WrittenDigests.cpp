#include "WrittenDigests.h"

#include "util/PathHelpers.h"

#include <cstring>

namespace orvandel {

namespace {

    std::uint64_t KeyOf(const Sha256::Digest& digest)
    {
        std::uint64_t key;
        std::memcpy(&key, digest.data(), sizeof key);
        return key;
    }

} // namespace

const WrittenDigests::Entry* WrittenDigests::findEntry(const Sha256::Digest& digest) const
{
    if (const std::uint32_t* at = m_index.find(KeyOf(digest)); at && m_entries[*at].digest == digest)
        return &m_entries[*at];
    for (const std::uint32_t at : m_sharedIndex) {
        if (m_entries[at].digest == digest)
            return &m_entries[at];
    }
    return nullptr;
}

std::optional<std::string> WrittenDigests::find(const Sha256::Digest& digest) const
{
    if (const Entry* entry = findEntry(digest))
        return pathOf(*entry);
    return std::nullopt;
}

void WrittenDigests::add(const Sha256::Digest& digest, const std::string& path)
{
    if (findEntry(digest))
        return;
    if (m_entries.empty()) {
        const auto slash = path.rfind(kSeparator);
        m_folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    Entry entry {digest, static_cast<std::uint32_t>(m_names.size()), 0};
    if (path.compare(0, m_folder.size(), m_folder) == 0
        && path.find(kSeparator, m_folder.size()) == std::string::npos) {
        m_names.append(path, m_folder.size());
        entry.nameLength = static_cast<std::uint32_t>(path.size() - m_folder.size());
    } else {
        m_names += path;
        entry.nameLength = static_cast<std::uint32_t>(path.size()) | kWholePath;
    }
    const auto at = static_cast<std::uint32_t>(m_entries.size());
    m_entries.push_back(entry);
    if (m_index.find(KeyOf(digest)))
        m_sharedIndex.push_back(at);
    else
        m_index.at(KeyOf(digest)) = at;
}

std::string WrittenDigests::pathOf(const Entry& entry) const
{
    const std::string name = m_names.substr(entry.nameStart, entry.nameLength & ~kWholePath);
    return (entry.nameLength & kWholePath) ? name : m_folder + name;
}

std::size_t WrittenDigests::memoryBytes() const noexcept
{
    return m_folder.capacity() + m_names.capacity() + m_entries.capacity() * sizeof(Entry)
        + m_index.memoryBytes() + m_sharedIndex.capacity() * sizeof(std::uint32_t);
}

} // namespace orvandel

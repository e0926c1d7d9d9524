#pragma once

#include "Sha256.h"
#include "util/FingerprintTable.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvandel {

// The SHA-256 digests of the photos a run wrote, each with the file it went to, for --unique.
// Each photo costs its digest, its file's name (its folder is kept once) and a few bytes of
// index: about 100 bytes a photo with the room kept for growth.
class WrittenDigests
{
public:
    // The file written with these bytes, if any.
    std::optional<std::string> find(const Sha256::Digest& digest) const;
    void add(const Sha256::Digest& digest, const std::string& path);

    std::size_t size() const noexcept { return m_entries.size(); }
    // The bytes it holds.
    std::size_t memoryBytes() const noexcept;

private:
    struct Entry
    {
        Sha256::Digest digest;
        std::uint32_t nameStart; // in m_names
        std::uint32_t nameLength; // its top bit: the name is a whole path, not one in m_folder
    };
    static constexpr std::uint32_t kWholePath = 0x80000000u;

    std::string pathOf(const Entry& entry) const;
    const Entry* findEntry(const Sha256::Digest& digest) const;

    std::string m_folder; // the folder of the first path, with its "/"
    std::string m_names; // the names, one after another
    std::vector<Entry> m_entries;
    FingerprintTable<std::uint32_t> m_index; // the digest's first eight bytes -> its entry
    std::vector<std::uint32_t> m_sharedIndex; // entries whose first eight bytes another had first
};

} // namespace orvandel

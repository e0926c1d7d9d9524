#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace orvandel {

// A compact table of 64-bit fingerprints (see Fingerprint.h), each with a small value unless
// Value is void: one flat array, filled to at most four fifths, so that a million entries take
// 16 MB (and 8 more for 32-bit values) instead of the 40 bytes and more a node of a standard
// set costs.
template<class Value = void> class FingerprintTable
{
    static constexpr bool kHasValues = !std::is_void_v<Value>;
    struct NoValues
    {
    };
    using ValueStore
        = std::conditional_t<kHasValues, std::vector<std::conditional_t<kHasValues, Value, char>>, NoValues>;

public:
    std::size_t size() const noexcept { return m_size; }
    bool empty() const noexcept { return m_size == 0; }
    // The bytes the table holds.
    std::size_t memoryBytes() const noexcept
    {
        std::size_t bytes = m_keys.capacity() * sizeof(std::uint64_t);
        if constexpr (kHasValues)
            bytes += m_values.capacity() * sizeof(Value);
        return bytes;
    }

    bool contains(std::uint64_t key) const noexcept { return slotOf(Stored(key)) != kNone; }

    // Adds `key` (with a value-initialised value); false when it was there already.
    bool insert(std::uint64_t key)
    {
        bool added = false;
        [[maybe_unused]] const std::size_t slot = slotFor(Stored(key), added);
        if constexpr (kHasValues) {
            if (added)
                m_values[slot] = Value {};
        }
        return added;
    }

    // The value of `key`, or null when it is not in the table.
    template<class V = Value, class = std::enable_if_t<!std::is_void_v<V>>>
    V* find(std::uint64_t key) noexcept
    {
        const std::size_t slot = slotOf(Stored(key));
        return slot == kNone ? nullptr : &m_values[slot];
    }
    template<class V = Value, class = std::enable_if_t<!std::is_void_v<V>>>
    const V* find(std::uint64_t key) const noexcept
    {
        const std::size_t slot = slotOf(Stored(key));
        return slot == kNone ? nullptr : &m_values[slot];
    }

    // The value of `key`, added with `initial` when it is not in the table.
    template<class V = Value, class = std::enable_if_t<!std::is_void_v<V>>>
    V& at(std::uint64_t key, V initial = V {})
    {
        bool added = false;
        const std::size_t slot = slotFor(Stored(key), added);
        if (added)
            m_values[slot] = initial;
        return m_values[slot];
    }

    // Removes `key`; false when it was not there.
    bool erase(std::uint64_t key) noexcept
    {
        std::size_t hole = slotOf(Stored(key));
        if (hole == kNone)
            return false;
        // Entries after the hole that would no longer be found move back into it.
        const std::size_t mask = m_keys.size() - 1;
        for (std::size_t next = (hole + 1) & mask; m_keys[next] != 0; next = (next + 1) & mask) {
            const std::size_t home = m_keys[next] & mask;
            if (((next - home) & mask) >= ((next - hole) & mask)) {
                m_keys[hole] = m_keys[next];
                if constexpr (kHasValues)
                    m_values[hole] = m_values[next];
                hole = next;
            }
        }
        m_keys[hole] = 0;
        --m_size;
        return true;
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // Zero marks an empty slot, so a fingerprint of zero is kept as one.
    static std::uint64_t Stored(std::uint64_t key) noexcept { return key == 0 ? 1 : key; }

    std::size_t slotOf(std::uint64_t key) const noexcept
    {
        if (m_keys.empty())
            return kNone;
        const std::size_t mask = m_keys.size() - 1;
        for (std::size_t slot = key & mask;; slot = (slot + 1) & mask) {
            if (m_keys[slot] == key)
                return slot;
            if (m_keys[slot] == 0)
                return kNone;
        }
    }

    std::size_t slotFor(std::uint64_t key, bool& added)
    {
        if ((m_size + 1) * 5 > m_keys.size() * 4)
            grow();
        const std::size_t mask = m_keys.size() - 1;
        for (std::size_t slot = key & mask;; slot = (slot + 1) & mask) {
            if (m_keys[slot] == key) {
                added = false;
                return slot;
            }
            if (m_keys[slot] == 0) {
                m_keys[slot] = key;
                ++m_size;
                added = true;
                return slot;
            }
        }
    }

    void grow()
    {
        std::vector<std::uint64_t> keys(m_keys.empty() ? 16 : m_keys.size() * 2, 0);
        ValueStore values;
        if constexpr (kHasValues)
            values.assign(keys.size(), Value {});
        const std::size_t mask = keys.size() - 1;
        for (std::size_t old = 0; old < m_keys.size(); ++old) {
            if (m_keys[old] == 0)
                continue;
            std::size_t slot = m_keys[old] & mask;
            while (keys[slot] != 0)
                slot = (slot + 1) & mask;
            keys[slot] = m_keys[old];
            if constexpr (kHasValues)
                values[slot] = m_values[old];
        }
        m_keys.swap(keys);
        if constexpr (kHasValues)
            m_values.swap(values);
    }

    std::vector<std::uint64_t> m_keys;
    [[no_unique_address]] ValueStore m_values;
    std::size_t m_size = 0;
};

using FingerprintSet = FingerprintTable<void>;

} // namespace orvandel

#include "Fingerprint.h"

#include <cstring>
#include <random>

namespace orvandel {

namespace {

    constexpr std::uint64_t kMultiplier = 0xc6a4a7935bd1e995ULL;
    constexpr int kShift = 47;

    std::uint64_t Seed() noexcept
    {
        static const std::uint64_t seed = [] {
            try {
                std::random_device device;
                return (static_cast<std::uint64_t>(device()) << 32) ^ device();
            } catch (...) {
                return std::uint64_t {0x9e3779b97f4a7c15ULL};
            }
        }();
        return seed;
    }

} // namespace

std::uint64_t Fingerprint(std::string_view bytes) noexcept
{
    return Fingerprint(bytes, 0);
}

std::uint64_t Fingerprint(std::string_view bytes, std::uint64_t salt) noexcept
{
    // A multiply-and-shift hash over eight bytes at a time.
    std::uint64_t hash = (Seed() ^ (salt * 0x9e3779b97f4a7c15ULL)) ^ (bytes.size() * kMultiplier);
    const char* at = bytes.data();
    std::size_t left = bytes.size();
    for (; left >= 8; at += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, at, 8);
        word *= kMultiplier;
        word ^= word >> kShift;
        word *= kMultiplier;
        hash ^= word;
        hash *= kMultiplier;
    }
    if (left > 0) {
        std::uint64_t tail = 0;
        for (std::size_t i = 0; i < left; ++i)
            tail |= static_cast<std::uint64_t>(static_cast<unsigned char>(at[i])) << (8 * i);
        hash ^= tail;
        hash *= kMultiplier;
    }
    hash ^= hash >> kShift;
    hash *= kMultiplier;
    hash ^= hash >> kShift;
    return hash;
}

} // namespace orvandel

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvandel {

// SHA-256 (FIPS 180-4), fed piece by piece: a photo's digest is taken while it is written.
class Sha256
{
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    void update(std::string_view bytes);
    // The digest of everything fed so far. The object is then reset for a new message.
    Digest finish();

    static Digest of(std::string_view bytes);
    // 64 lower-case hexadecimal digits.
    static std::string hex(const Digest& digest);

private:
    void compress(const std::uint8_t* block);
    void reset();

    std::array<std::uint32_t, 8> m_state {};
    std::array<std::uint8_t, 64> m_block {};
    std::size_t m_blockLength = 0;
    std::uint64_t m_totalLength = 0;
};

} // namespace orvandel

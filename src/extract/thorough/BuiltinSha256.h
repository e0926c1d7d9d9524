#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvandel {

// SHA-256 (FIPS 180-4) in plain C++, fed piece by piece: what Sha256 takes where the program is
// built without OpenSSL's libcrypto.
class BuiltinSha256
{
public:
    using Digest = std::array<std::uint8_t, 32>;

    BuiltinSha256();
    void update(std::string_view bytes);
    // The digest of everything fed so far. The object is then reset for a new message.
    Digest finish();

private:
    void compress(const std::uint8_t* block);
    void reset();

    std::array<std::uint32_t, 8> m_state {};
    std::array<std::uint8_t, 64> m_block {};
    std::size_t m_blockLength = 0;
    std::uint64_t m_totalLength = 0;
};

} // namespace orvandel

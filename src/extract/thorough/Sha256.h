#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace orvandel {

// SHA-256 (FIPS 180-4), fed piece by piece: a photo's digest is taken while it is written. It is
// OpenSSL's libcrypto where the program is built with it, which uses the processor's SHA
// instructions where there are any; else our own (BuiltinSha256).
class Sha256
{
public:
    using Digest = std::array<std::uint8_t, 32>;

    // Throws std::runtime_error when libcrypto cannot set up a digest.
    Sha256();
    ~Sha256();
    Sha256(Sha256&&) noexcept;
    Sha256& operator=(Sha256&&) noexcept;

    void update(std::string_view bytes) noexcept;
    // The digest of everything fed so far. The object is then reset for a new message.
    // Throws std::runtime_error when libcrypto fails.
    Digest finish();

    static Digest of(std::string_view bytes);
    // 64 lower-case hexadecimal digits.
    static std::string hex(const Digest& digest);
    // "OpenSSL" or "built-in": which of the two this program takes.
    static const char* engine() noexcept;

private:
    struct Engine;
    std::unique_ptr<Engine> m_engine;
};

} // namespace orvandel

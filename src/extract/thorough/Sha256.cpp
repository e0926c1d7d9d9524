#include "Sha256.h"

#include "util/AsciiText.h"

#include <stdexcept>

#if defined(ORVANDEL_HAVE_OPENSSL)
#include <openssl/evp.h>
#else
#include "BuiltinSha256.h"
#endif

namespace orvandel {

#if defined(ORVANDEL_HAVE_OPENSSL)

namespace {

    // The digest's method, looked up once: a lookup for every photo costs more than a small
    // photo's digest.
    const EVP_MD* Sha256Method()
    {
#if OPENSSL_VERSION_NUMBER >= 0x30000000L
        static EVP_MD* const method = EVP_MD_fetch(nullptr, "SHA256", nullptr);
        return method ? method : EVP_sha256();
#else
        return EVP_sha256();
#endif
    }

} // namespace

struct Sha256::Engine
{
    Engine()
        : context(EVP_MD_CTX_new())
    {
        if (!context)
            throw std::runtime_error("libcrypto cannot set up a SHA-256 digest");
        start();
    }
    ~Engine() { EVP_MD_CTX_free(context); }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    void start()
    {
        if (EVP_DigestInit_ex(context, Sha256Method(), nullptr) != 1)
            throw std::runtime_error("libcrypto cannot start a SHA-256 digest");
    }

    EVP_MD_CTX* context;
};

Sha256::Sha256()
    : m_engine(std::make_unique<Engine>())
{
}

void Sha256::update(std::string_view bytes) noexcept
{
    // Fails only for a digest that was never started: the constructor and finish() see to it.
    EVP_DigestUpdate(m_engine->context, bytes.data(), bytes.size());
}

Sha256::Digest Sha256::finish()
{
    Digest digest {};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(m_engine->context, digest.data(), &length) != 1 || length != digest.size())
        throw std::runtime_error("libcrypto cannot finish a SHA-256 digest");
    m_engine->start();
    return digest;
}

const char* Sha256::engine() noexcept
{
    return "OpenSSL";
}

#else

struct Sha256::Engine
{
    BuiltinSha256 sha;
};

Sha256::Sha256()
    : m_engine(std::make_unique<Engine>())
{
}

void Sha256::update(std::string_view bytes) noexcept
{
    m_engine->sha.update(bytes);
}

Sha256::Digest Sha256::finish()
{
    return m_engine->sha.finish();
}

const char* Sha256::engine() noexcept
{
    return "built-in";
}

#endif

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&&) noexcept = default;
Sha256& Sha256::operator=(Sha256&&) noexcept = default;

Sha256::Digest Sha256::of(std::string_view bytes)
{
    Sha256 sha;
    sha.update(bytes);
    return sha.finish();
}

std::string Sha256::hex(const Digest& digest)
{
    std::string text;
    text.reserve(64);
    for (const std::uint8_t byte : digest)
        AppendHexByte(text, byte);
    return text;
}

} // namespace orvandel
